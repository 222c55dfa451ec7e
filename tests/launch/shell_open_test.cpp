// Documents opened and printed through an association that the test registers: its "open" and
// "print" actions start the recorder, which tells how the shell started it.
#include "common/qimapi_test.h"

#include <shellapi.h>
#include "launch/launch_fixture.h"

#include <string>
#include <vector>

using launch_test::ClassesKey;
using launch_test::QuotedRecorder;
using launch_test::Record;
using launch_test::Recordings;
using launch_test::SetClassesValue;
using launch_test::TempFile;
using qimapi_test::DeactivateThread;
using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::TestWindow;

namespace {

auto OpenFile()
{
    return QIMAPI_AS(OpenFile, OpenDocument);
}

// A document type of the test's own whose actions start the recorder, and one such document,
// with a blank in its name.
class DocumentType : public testing::Test {
protected:
    DocumentType()
    {
        SetClassesValue(".qimdoc", "QimapiTestDocument");
        SetClassesValue("QimapiTestDocument\\shell\\open\\command", QuotedRecorder() + " open \"%1\"");
        SetClassesValue("QimapiTestDocument\\shell\\print\\command", QuotedRecorder() + " print \"%1\"");
        SetClassesValue(".qimopen", "QimapiTestOpenOnly");
        SetClassesValue("QimapiTestOpenOnly\\shell\\open\\command", QuotedRecorder() + " open \"%1\"");
    }
    std::string Expected(const char *verb) const { return QuotedRecorder() + " " + verb + " \"" + document_.path() + "\""; }

    ClassesKey extension_{".qimdoc"}, class_{"QimapiTestDocument"};
    ClassesKey openOnlyExtension_{".qimopen"}, openOnlyClass_{"QimapiTestOpenOnly"};
    TempFile document_{"launch test.qimdoc", "document"};
    Recordings recordings_;
};

TEST_F(DocumentType, OpenFileOpensTheDocumentShownAsTheLaunchStateTableSays)
{
    struct Case {
        const char *state;
        int show;
    };
    const Case cases[] = {
        {"ShowMinNoActive", SW_SHOWMINNOACTIVE}, {"SHOWMINNOACTIVE", SW_SHOWMINNOACTIVE},
        {"Maximised", SW_SHOWMAXIMIZED},         {"hidden", SW_HIDE},
        {"hidden ", SW_SHOW},                    {"restored", SW_SHOW},
        {"normal", SW_SHOW},                     {"", SW_SHOW},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.state);
        EXPECT_GT(OpenFile()(document_.path().c_str(), c.state), 32);
        std::vector<Record> records = recordings_.Wait();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records.front().commandLine, Expected("open"));
        EXPECT_EQ(records.front().show, c.show);
    }
}

TEST_F(DocumentType, PrintFilePrintsTheDocumentHidden)
{
    EXPECT_GT(QIMAPI(PrintFile)(document_.path().c_str()), 32);
    std::vector<Record> records = recordings_.Wait();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records.front().commandLine, Expected("print"));
    EXPECT_EQ(records.front().show, SW_HIDE);
}

// The owner of any box the shell shows: a call-level fact, seen by a pass-through spy.
ImportPatch *shellPatch;
HWND seenOwner;
int shellCalls;
HINSTANCE WINAPI SpyShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show)
{
    seenOwner = owner;
    ++shellCalls;
    using ShellExecuteFn = HINSTANCE(WINAPI *)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    return shellPatch->original<ShellExecuteFn>()(owner, verb, file, parameters, folder, show);
}

TEST_F(DocumentType, TheActiveWindowOwnsTheLaunchAndWithoutOneItGoesAhead)
{
    ImportPatch patch(Dll(), "shell32.dll", "ShellExecuteA", reinterpret_cast<void *>(SpyShellExecute));
    ASSERT_TRUE(patch.ok());
    shellPatch = &patch;
    {
        TestWindow window;
        window.ShowActive();
        seenOwner = 0;
        EXPECT_GT(OpenFile()(document_.path().c_str(), "Normal"), 32);
        EXPECT_EQ(seenOwner, window.hwnd());
        seenOwner = 0;
        EXPECT_GT(QIMAPI(PrintFile)(document_.path().c_str()), 32);
        EXPECT_EQ(seenOwner, window.hwnd());
    }
    DeactivateThread();
    seenOwner = reinterpret_cast<HWND>(1);
    EXPECT_GT(OpenFile()(document_.path().c_str(), "Normal"), 32);
    EXPECT_EQ(seenOwner, nullptr);
    seenOwner = reinterpret_cast<HWND>(1);
    EXPECT_GT(QIMAPI(PrintFile)(document_.path().c_str()), 32);
    EXPECT_EQ(seenOwner, nullptr);
    EXPECT_EQ(recordings_.Wait().size(), 4u);
}

// Wine's ShellExecuteA overruns a buffer of its own on names of about 1,000 characters.
TEST_F(DocumentType, NamesTooLongForTheShellAreNotFoundWithoutReachingIt)
{
    ImportPatch patch(Dll(), "shell32.dll", "ShellExecuteA", reinterpret_cast<void *>(SpyShellExecute));
    ASSERT_TRUE(patch.ok());
    shellPatch = &patch;
    const std::string folder = document_.folder() + "\\";
    for (size_t length : {900, 1000, 1048576}) {
        const std::string name = folder + qimapi_test::Letters(length - folder.size());
        SCOPED_TRACE(length);
        shellCalls = 0;
        EXPECT_EQ(OpenFile()(name.c_str(), "Normal"), SE_ERR_FNF);
        EXPECT_EQ(QIMAPI(PrintFile)(name.c_str()), SE_ERR_FNF);
        EXPECT_EQ(shellCalls, 0);
    }
    const std::string longest = folder + qimapi_test::Letters(899 - folder.size());
    shellCalls = 0;
    EXPECT_EQ(OpenFile()(longest.c_str(), "Normal"), SE_ERR_FNF);
    EXPECT_EQ(QIMAPI(PrintFile)(longest.c_str()), SE_ERR_FNF);
    EXPECT_EQ(shellCalls, 2) << "a name of 899 characters goes to the shell";
    EXPECT_EQ(recordings_.Wait().size(), 0u);
}

TEST_F(DocumentType, ShellErrorsPassThrough)
{
    TempFile unknownType("launch test.qimnone", "no association");
    TempFile openOnly("launch test.qimopen", "open, but no print action");
    const std::string missing = document_.folder() + "\\no such document.qimdoc";
    EXPECT_EQ(OpenFile()(missing.c_str(), "Normal"), SE_ERR_FNF);
    EXPECT_EQ(QIMAPI(PrintFile)(missing.c_str()), SE_ERR_FNF);
    EXPECT_EQ(OpenFile()(unknownType.path().c_str(), "Normal"), SE_ERR_NOASSOC);
    EXPECT_EQ(QIMAPI(PrintFile)(unknownType.path().c_str()), SE_ERR_NOASSOC);
    EXPECT_EQ(QIMAPI(PrintFile)(openOnly.path().c_str()), SE_ERR_NOASSOC);
    EXPECT_EQ(recordings_.Wait().size(), 0u) << "started a program for a failed action";
}

}  // namespace
