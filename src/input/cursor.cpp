// Placing the cursor and confining it to a rectangle. The system holds the confinement; the
// library keeps nothing of it, and hands every value to the system as the script gave it.
#include "frame/qimapi.h"
#include "input/input.h"

void WINAPI PlaceCursor(int x, int y)
{
    SetCursorPos(x, y);
}

void WINAPI RestrictCursor(int left, int top, int right, int bottom)
{
    NoteHostRequest();
    RECT area = {left, top, right, bottom};
    ClipCursor(&area);
}

void WINAPI FreeCursor(void)
{
    ClipCursor(nullptr);
}
