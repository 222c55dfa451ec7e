// What the launch exports share: the show command that a script's State word names.
#pragma once

// The ShowWindow command that a launch State word names: 0 to 7, SW_SHOW for any other text.
int StateToShowCommand(const char *state);
