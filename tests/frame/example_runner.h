// The manual's examples, run as a reader would run them: each function's example file, beside its
// notes, goes line by line through qimhost.exe reading calls from a pipe (one process for a
// chapter), and every line qimhost prints must be the one the example shows.
//
// An example file holds comment lines ("# ..."), blank lines and calls, each call followed by
// " => " and what qimhost prints for it where it prints a result (" =>" alone: the empty text).
// A name in angle brackets, such as <window>, stands for a value that depends on the machine: the
// first line that prints it must print a value of that shape (kShapes in example_runner.cpp), and
// every later use of the name, in a call or in what is printed, means that same value.
//
// Around each example: a window titled "QIMAPI example", of another thread of this program, is
// made afresh when the example names it, and destroyed after; message boxes that qimhost shows
// are answered with the button whose name the example prints (OK where it prints none); the
// programs qimhost started are ended; files of the shapes that name new files are deleted.
#pragma once

#include <string>
#include <vector>

namespace examples {

// The functions that have an example in the chapter's folder of notes, by name.
std::vector<std::string> ExamplesOf(const std::string &chapter);

// Runs every example of the chapter, with failures naming the lines; fails when the chapter has
// none.
void RunChapter(const std::string &chapter);

}  // namespace examples
