/* Holds a file open without sharing, as another program may: opens the file that its first
   argument names for reading and writing with no sharing, sets the event that its second argument
   names, and waits until the event that its third names is set (at most a minute) before it
   closes the file and ends. Exit code 2 when it cannot open the file or the events. */
#include <windows.h>

int main(int argc, char **argv)
{
    if (argc < 4) return 2;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, /*share=*/0, NULL, OPEN_EXISTING, 0, NULL);
    HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
    int status = file != INVALID_HANDLE_VALUE && held && release ? 0 : 2;
    if (status == 0) {
        SetEvent(held);
        WaitForSingleObject(release, 60000);
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (held) CloseHandle(held);
    if (release) CloseHandle(release);
    return status;
}
