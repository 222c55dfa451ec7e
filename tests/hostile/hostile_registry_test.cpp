// The registry values that exports read, stored in every form a careless or hostile program may
// leave: text without its NUL, text of other types, bytes, a number, nothing, and texts around
// and far beyond the 255 bytes the library offers. ReadReg reads its value into a buffer that
// holds a longer Default first; OpenURL reads the "http" handler, the ".htm" class and the browser
// command in turn into one buffer, each row after a longer value. Every row checks the answer,
// the result string and that the calls keep nothing.
//
// Wine's RegQueryValueA hands over values of every type as stored: text without its NUL is
// terminated (and needs room for the NUL), other types are not, and a value of no bytes writes
// nothing. Windows documents the default value as a text.
#include <memory>

#include "common/leak_probe.h"
#include "common/qimapi_test.h"
#include "launch/launch_fixture.h"

namespace {

using launch_test::ClassesKey;
using launch_test::CommandOfLength;
using launch_test::QuotedRecorder;
using launch_test::RecorderPath;
using launch_test::Recordings;
using launch_test::SetClassesData;
using launch_test::SetClassesValue;
using launch_test::TempFile;
using qimapi_test::KeptBy;
using qimapi_test::Letters;
using qimapi_test::TakeResultString;

// The forms a value is stored in, each built from the text the reader takes (or that text padded
// to a length) where the form holds a text.
enum class Form {
    kSzWithoutNul,
    kExpandSz,
    kMultiSz,
    kBinaryHighBytes,
    kBinaryTextWithoutNul,
    kDword,
    kEmpty,
    k254Bytes,
    k255Bytes,
    k256Bytes,
    k64KiB,
};

const char *FormName(Form form)
{
    static const char *const names[] = {
        "SzWithoutNul", "ExpandSz", "MultiSz",    "BinaryHighBytes", "BinaryTextWithoutNul", "Dword",
        "Empty",        "Of254Bytes", "Of255Bytes", "Of256Bytes",     "Of64KiB",
    };
    return names[static_cast<int>(form)];
}

std::string HighBytes()
{
    std::string high;
    for (int byte = 0x80; byte <= 0xFF; ++byte) high += static_cast<char>(byte);
    return high;
}

const char kDwordBytes[] = "ABCD";   // 0x44434241: no NUL among its four bytes

struct StoredValue {
    DWORD type;
    std::string bytes;
};

// The value of a form. padded(n) is the reader's text made n characters long; REG_SZ of n bytes
// holds n - 1 characters and the NUL.
template <class Padded>
StoredValue Store(Form form, const std::string &text, Padded padded)
{
    const std::string nul(1, '\0');
    switch (form) {
    case Form::kSzWithoutNul: return {REG_SZ, text};
    case Form::kExpandSz: return {REG_EXPAND_SZ, text + nul};
    case Form::kMultiSz: return {REG_MULTI_SZ, text + nul + "second" + nul + nul};
    case Form::kBinaryHighBytes: return {REG_BINARY, HighBytes()};
    case Form::kBinaryTextWithoutNul: return {REG_BINARY, text};
    case Form::kDword: return {REG_DWORD, kDwordBytes};
    case Form::kEmpty: return {REG_SZ, ""};
    case Form::k254Bytes: return {REG_SZ, padded(253) + nul};
    case Form::k255Bytes: return {REG_SZ, padded(254) + nul};
    case Form::k256Bytes: return {REG_SZ, padded(255) + nul};
    case Form::k64KiB: return {REG_SZ, padded(65535) + nul};
    }
    return {};
}

// ---- ReadReg ----

// Not expanded: ReadReg hands over what is stored.
const std::string kRegText = "%SystemRoot%\\value";
const std::string kLongDefault = Letters(300);   // fills the buffer before the value is read

std::string Vs(size_t n)
{
    return std::string(n, 'v');
}

struct ReadRegRow {
    Form form;
    std::string answer;
};

const std::vector<ReadRegRow> &ReadRegRows()
{
    static const std::vector<ReadRegRow> rows = {
        {Form::kSzWithoutNul, kRegText},
        {Form::kExpandSz, kRegText},
        {Form::kMultiSz, kRegText},   // up to the first NUL
        {Form::kBinaryHighBytes, HighBytes()},
        {Form::kBinaryTextWithoutNul, kRegText},
        {Form::kDword, kDwordBytes},
        {Form::kEmpty, ""},
        {Form::k254Bytes, Vs(253)},
        {Form::k255Bytes, Vs(254)},
        {Form::k256Bytes, kLongDefault.substr(0, 255)},   // does not fit
        {Form::k64KiB, kLongDefault.substr(0, 255)},
    };
    return rows;
}

class HostileReadReg : public testing::TestWithParam<size_t> {
protected:
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }
    const std::string key_ = "Software\\" + qimapi_test::UniqueName("QimapiHostile");
};

TEST_P(HostileReadReg, GivesTheStoredBytesUpToTheirEndOrDefaultAndKeepsNothing)
{
    const ReadRegRow &row = ReadRegRows()[GetParam()];
    const StoredValue stored = Store(row.form, kRegText, Vs);
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, key_.c_str(), &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, nullptr, 0, stored.type, reinterpret_cast<const BYTE *>(stored.bytes.data()),
                             static_cast<DWORD>(stored.bytes.size())), ERROR_SUCCESS);
    RegCloseKey(key);
    auto readReg = [&] {
        return TakeResultString(QIMAPI(ReadReg)(key_.c_str(), kLongDefault.c_str(), "HKEY_CURRENT_USER"));
    };
    EXPECT_EQ(readReg(), row.answer);
    EXPECT_EQ(KeptBy(readReg), "");
}

std::string ReadRegRowName(const testing::TestParamInfo<size_t> &info)
{
    return FormName(ReadRegRows()[info.param].form);
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileReadReg, testing::Range<size_t>(0, ReadRegRows().size()), ReadRegRowName);

// ---- OpenURL ----

const char kHttpCommand[] = "http\\shell\\open\\command";
const char kHtmlFileCommand[] = "htmlfile\\shell\\open\\command";
const char kUrl[] = "http://example.com/page?a=1&b=2";

// The three values OpenURL reads, in the order it reads them.
enum class Reader { kHttpHandler, kHtmClass, kBrowserCommand };

const char *ReaderName(Reader reader)
{
    static const char *const names[] = {"HttpHandler", "HtmClass", "BrowserCommand"};
    return names[static_cast<int>(reader)];
}

// What a row starts: the program the value names (the handler through the shell, else the
// browser), the ".htm" browser in place of a handler that failed, or nothing at all.
enum class Outcome { kStartsIt, kFallsBackToTheHtmBrowser, kStartsNothing };

struct OpenUrlRow {
    Reader reader;
    Form form;
    Outcome outcome;
};

const std::vector<OpenUrlRow> &OpenUrlRows()
{
    using F = Form;
    using O = Outcome;
    const Reader http = Reader::kHttpHandler, htm = Reader::kHtmClass, command = Reader::kBrowserCommand;
    static const std::vector<OpenUrlRow> rows = {
        // Any handler that is read, or too long to read, counts, and the shell reads it itself.
        // Wine's shell cannot start one stored as bytes, as a number or of 64 KiB, and then the
        // ".htm" browser starts.
        {http, F::kSzWithoutNul, O::kStartsIt},
        {http, F::kExpandSz, O::kStartsIt},
        {http, F::kMultiSz, O::kStartsIt},
        {http, F::kBinaryHighBytes, O::kFallsBackToTheHtmBrowser},
        {http, F::kBinaryTextWithoutNul, O::kFallsBackToTheHtmBrowser},
        {http, F::kDword, O::kFallsBackToTheHtmBrowser},
        {http, F::kEmpty, O::kFallsBackToTheHtmBrowser},
        {http, F::k254Bytes, O::kStartsIt},
        {http, F::k255Bytes, O::kStartsIt},
        {http, F::k256Bytes, O::kStartsIt},
        {http, F::k64KiB, O::kFallsBackToTheHtmBrowser},
        // After a longer handler that failed.
        {htm, F::kSzWithoutNul, O::kStartsIt},
        {htm, F::kExpandSz, O::kStartsIt},
        {htm, F::kMultiSz, O::kStartsIt},
        {htm, F::kBinaryHighBytes, O::kStartsNothing},
        {htm, F::kBinaryTextWithoutNul, O::kStartsIt},
        {htm, F::kDword, O::kStartsNothing},
        {htm, F::kEmpty, O::kStartsNothing},
        {htm, F::k254Bytes, O::kStartsNothing},   // a class name with padding is no known class
        {htm, F::k255Bytes, O::kStartsNothing},
        {htm, F::k256Bytes, O::kStartsNothing},
        {htm, F::k64KiB, O::kStartsNothing},
        // After the class name "htmlfile", which names a program in the current folder too.
        {command, F::kSzWithoutNul, O::kStartsIt},
        {command, F::kExpandSz, O::kStartsIt},
        {command, F::kMultiSz, O::kStartsIt},
        {command, F::kBinaryHighBytes, O::kStartsNothing},
        {command, F::kBinaryTextWithoutNul, O::kStartsIt},
        {command, F::kDword, O::kStartsNothing},
        {command, F::kEmpty, O::kStartsNothing},
        {command, F::k254Bytes, O::kStartsIt},
        {command, F::k255Bytes, O::kStartsIt},
        {command, F::k256Bytes, O::kStartsNothing},   // read whole or not at all
        {command, F::k64KiB, O::kStartsNothing},
    };
    return rows;
}

// The reader's value and the values read before it. The handler starts the recorder through the
// shell with the option "http"; the ".htm" browser is the recorder, whose command line is its path
// and the URL.
class HostileOpenUrl : public testing::TestWithParam<size_t> {
protected:
    void TearDown() override
    {
        if (classNamedProgram_) SetCurrentDirectoryA(folder_);
    }

    // A leftover class name handed to WinExec as the browser command would start a program of
    // that name in the current folder: one stands there while the command is read.
    void PutClassNamedProgramInTheCurrentFolder()
    {
        classNamedProgram_.reset(new TempFile("htmlfile.exe", ""));
        ASSERT_TRUE(CopyFileA(RecorderPath().c_str(), classNamedProgram_->path().c_str(), FALSE));
        GetCurrentDirectoryA(sizeof folder_, folder_);
        ASSERT_TRUE(SetCurrentDirectoryA(classNamedProgram_->folder().c_str()));
    }

    // Stores the reader's value in the row's form over the values read before it.
    void StoreRow(const OpenUrlRow &row)
    {
        const std::string failingHandler = CommandOfLength("\"C:\\no such browser.exe\"", " \"%1\"", 200);
        const std::string handler = QuotedRecorder() + " http \"%1\"";
        SetClassesValue(kHttpCommand, failingHandler);
        SetClassesValue(".htm", "htmlfile");
        SetClassesValue(kHtmlFileCommand, QuotedRecorder() + " \"%1\"");
        StoredValue stored;
        switch (row.reader) {
        case Reader::kHttpHandler:
            stored = Store(row.form, handler,
                           [](size_t n) { return CommandOfLength(QuotedRecorder() + " http", " \"%1\"", n); });
            SetClassesData(kHttpCommand, stored.type, stored.bytes);
            break;
        case Reader::kHtmClass:
            stored = Store(row.form, "htmlfile", [](size_t n) { return "htmlfile" + std::string(n - 8, 'x'); });
            SetClassesData(".htm", stored.type, stored.bytes);
            break;
        case Reader::kBrowserCommand:
            PutClassNamedProgramInTheCurrentFolder();
            stored = Store(row.form, RecorderPath(),
                           [](size_t n) { return CommandOfLength(QuotedRecorder(), " \"%1\"", n); });
            SetClassesData(kHtmlFileCommand, stored.type, stored.bytes);
            break;
        }
        storedText_ = stored.bytes.substr(0, stored.bytes.find('\0'));
    }

    // The command line of what the row's outcome starts; empty for nothing.
    std::string Expected(const OpenUrlRow &row) const
    {
        // The browser's path as its command holds it: quoted, but where the row stores it bare.
        const bool bare = row.reader == Reader::kBrowserCommand && storedText_.compare(0, 1, "\"") != 0;
        const std::string browser = (bare ? RecorderPath() : QuotedRecorder()) + " " + kUrl;
        if (row.outcome == Outcome::kStartsNothing) return "";
        if (row.outcome == Outcome::kFallsBackToTheHtmBrowser || row.reader != Reader::kHttpHandler) return browser;
        std::string handler = storedText_;   // the shell puts the URL in place of %1
        return handler.replace(handler.find("%1"), 2, kUrl);
    }

    ClassesKey http_{"http"}, htm_{".htm"}, htmlFile_{"htmlfile"}, netscape_{"NetscapeMarkup"};
    Recordings recordings_;
    std::unique_ptr<TempFile> classNamedProgram_;
    char folder_[MAX_PATH] = "";
    std::string storedText_;
};

TEST_P(HostileOpenUrl, StartsWhatTheValueNamesOrNothingAndKeepsNothing)
{
    const OpenUrlRow &row = OpenUrlRows()[GetParam()];
    StoreRow(row);
    const std::string expected = Expected(row);
    EXPECT_EQ(QIMAPI(OpenURL)(kUrl, "Normal"), expected.empty() ? 0 : 1);
    std::vector<launch_test::Record> records = recordings_.Wait();
    EXPECT_EQ(records.size(), expected.empty() ? 0u : 1u);
    if (!records.empty()) {
        EXPECT_EQ(records.front().commandLine, expected);
    }
    auto openUrl = [&] {
        QIMAPI(OpenURL)(kUrl, "Normal");
        recordings_.Wait();
    };
    EXPECT_EQ(KeptBy(openUrl, /*callsPerRound=*/1), "");
}

std::string OpenUrlRowName(const testing::TestParamInfo<size_t> &info)
{
    const OpenUrlRow &row = OpenUrlRows()[info.param];
    return std::string(ReaderName(row.reader)) + "_" + FormName(row.form);
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileOpenUrl, testing::Range<size_t>(0, OpenUrlRows().size()), OpenUrlRowName);

}  // namespace
