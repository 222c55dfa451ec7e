// Keeps Wine's desktop process alive for the length of a test session: without a user, explorer.exe
// closes the desktop a second after the last GUI program ends and the next one waits to restart it.
#include <windows.h>

int main(void)
{
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
