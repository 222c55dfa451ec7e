// Keeps Wine's desktop process alive for the length of a test session: without a user, explorer.exe
// closes the desktop a second after the last GUI program ends and the next one waits to restart it.
// Once the desktop is up it creates the file its argument names, if any: the session waits for it,
// since a test that came first would start the desktop itself and pass its output pipe on to it.
#include <windows.h>

int main(int argc, char **argv)
{
    GetDesktopWindow();
    if (argc > 1) CloseHandle(CreateFileA(argv[1], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    Sleep(INFINITE);
    return 0;
}
