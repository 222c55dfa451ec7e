// What the input exports tell the library's unload about the copy of the library they run in.
#pragma once

// Notes that a script of this process blocks input or confines the cursor through this copy: its
// unload then undoes what is in force, as the host's copy does.
void NoteHostRequest();

// True for a copy that the system loaded into this process only to run the hook procedure of a
// copy in another process (a hook on all threads), and that no script here asked to block input
// or confine the cursor. The hook and the confinement that its unload would undo belong to that
// other process (the confinement is desktop-wide), so it leaves them alone.
bool IsOnlyAHookGuest();
