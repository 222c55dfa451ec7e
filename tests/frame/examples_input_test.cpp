// The examples of the cursor, mouse and keys, run through qimhost: they confine the cursor for
// every program and hook the input of every thread of the desktop (qimhost has no window of its
// own), so they run beside no other test.
#include "common/qimapi_test.h"
#include "frame/example_runner.h"

namespace {

TEST(Examples, CursorMouseAndKeys)
{
    examples::RunChapter("input");
    ClipCursor(nullptr);   // should an example have failed before it freed the cursor
}

}  // namespace
