// The fixture DLL's exports: one for each result letter, and Liar, whose descriptor claims two
// arguments for its one (fixture_dll.rc).
#include <windows.h>

#include "frame/frame.h"

extern "C" {

int WINAPI Add(int a, int b)
{
    return a + b;
}

// An empty text comes back as 0, which the host takes for "no text".
HGLOBAL WINAPI Echo(const char *text)
{
    return *text ? StringToGlobal(text) : 0;
}

LONG WINAPI Negate(int number)
{
    return -number;
}

HWND WINAPI Handle(HWND word)
{
    return word;
}

void WINAPI Nothing(void)
{
}

int WINAPI Liar(int a)
{
    return a;
}

}
