// What the launch exports share: the show command that a script's State word names, and which
// names the shell can be handed.
#pragma once

// The ShowWindow command that a launch State word names: 0 to 7, SW_SHOW for any other text.
int StateToShowCommand(const char *state);

// Whether the shell's ANSI entry can be handed this file name or URL. It copies names into fixed
// buffers of its own (Wine's overruns one at about 1,000 characters); no file name is this long,
// and below it URLs keep their usual lengths.
bool FitsShell(const char *name);
