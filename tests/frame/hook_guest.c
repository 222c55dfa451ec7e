/* A program of the tests' own that a message hook on all threads reaches: it takes one message
   from its queue, which runs the hook procedures of such hooks on its thread, says on its
   standard output whether that loaded QIMAPI.dll into it, and ends. With the argument
   "block-keys" it first calls DisableKeys of that copy, as a script of its own would. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

typedef int(WINAPI *DisableFunction)(void);

int main(int argc, char **argv)
{
    MSG msg;
    PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE); /* the thread's message queue */
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    GetMessageA(&msg, 0, 0, 0);
    HMODULE copy = GetModuleHandleA("QIMAPI.dll");
    printf("QIMAPI.dll %s\n", copy ? "loaded" : "not loaded");
    if (copy && argc > 1 && strcmp(argv[1], "block-keys") == 0) {
        DisableFunction disableKeys = (DisableFunction)(void (*)(void))GetProcAddress(copy, "DisableKeys");
        printf("DisableKeys %d\n", disableKeys ? disableKeys() : -1);
    }
    fflush(stdout);
    return 0;
}
