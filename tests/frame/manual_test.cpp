// The reference manual, in both its forms, against the shipped DLL: it describes exactly the
// exported functions, each once, at its ordinal and with the help text that the host shows.
#include "common/qimapi_test.h"
#include "frame/product_file.h"

#include <stdio.h>

#include <map>
#include <set>
#include <string>

namespace {

using qimapi_test::ProductExports;

std::string ReadText(const std::string &path)
{
    std::string text;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return text;
    char buffer[4096];
    for (size_t read; (read = fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, read);
    fclose(file);
    return text;
}

// The text between the first begin after from and the end that follows it; "" without one.
std::string Between(const std::string &text, const std::string &begin, const std::string &end, size_t from = 0)
{
    size_t start = text.find(begin, from);
    if (start == std::string::npos) return "";
    start += begin.size();
    size_t stop = text.find(end, start);
    return stop == std::string::npos ? "" : text.substr(start, stop - start);
}

std::string Replace(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
    return text;
}

std::string HtmlText(const std::string &html)
{
    return Replace(Replace(Replace(Replace(html, "&lt;", "<"), "&gt;", ">"), "&quot;", "\""), "&amp;", "&");
}

// What a manual says about one function.
struct Entry {
    int count = 0;
    std::string ordinal;
    std::string help;
};

// Entries by function name: a section per function, opened by its heading.
std::map<std::string, Entry> MarkdownEntries(const std::string &manual)
{
    std::map<std::string, Entry> entries;
    const std::string heading = "\n### ";
    for (size_t at = manual.find(heading); at != std::string::npos; at = manual.find(heading, at + 1)) {
        size_t next = manual.find(heading, at + 1);
        const std::string section = manual.substr(at, next == std::string::npos ? std::string::npos : next - at);
        Entry &entry = entries[Between(section, heading, "\n")];
        ++entry.count;
        entry.ordinal = Between(section, "- **Ordinal:** ", "\n");
        entry.help = Between(section, "```text\n", "\n```");
    }
    return entries;
}

std::map<std::string, Entry> HtmlEntries(const std::string &manual)
{
    std::map<std::string, Entry> entries;
    for (size_t at = manual.find("<section "); at != std::string::npos; at = manual.find("<section ", at + 1)) {
        const std::string section = manual.substr(at, manual.find("</section>", at) - at);
        Entry &entry = entries[Between(section, "<h3>", "</h3>")];
        ++entry.count;
        entry.ordinal = Between(section, "<tr><th>Ordinal</th><td>", "</td></tr>");
        entry.help = HtmlText(Between(section, "<pre class=\"help\">", "</pre>"));
    }
    return entries;
}

// The help text of a function's descriptor as the host shows it: lines, without a last line end.
std::string ShownHelpText(const std::string &name)
{
    std::string upper = name;
    for (char &c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    const std::string descriptor = qimapi_test::ResourceBytes("DLL_HEADER", upper.c_str());
    size_t lead = descriptor.find('\0', descriptor.find('\0', 1) + 1) + 1;   // past the two letter fields
    std::string help = Replace(descriptor.substr(lead, descriptor.size() - lead - 1), "\r\n", "\n");
    if (!help.empty() && help.back() == '\n') help.pop_back();
    return help;
}

void ExpectExactlyTheExports(const std::map<std::string, Entry> &entries, const char *form)
{
    const std::map<std::string, DWORD> exports = ProductExports();
    ASSERT_EQ(exports.size(), 53u);
    for (const auto &[name, entry] : entries) {
        SCOPED_TRACE(std::string(form) + ": " + name);
        auto exported = exports.find(name);
        ASSERT_NE(exported, exports.end()) << "the manual describes a function that is not exported";
        EXPECT_EQ(entry.count, 1);
        EXPECT_EQ(entry.ordinal, std::to_string(exported->second));
        EXPECT_EQ(entry.help, ShownHelpText(name));
    }
    for (const auto &[name, ordinal] : exports)
        EXPECT_TRUE(entries.count(name)) << form << " lacks " << name;
}

TEST(Manual, MarkdownDescribesEveryExportOnce)
{
    const std::string manual = ReadText(QIMAPI_MANUAL_DIR "/qimapi.md");
    ASSERT_FALSE(manual.empty()) << QIMAPI_MANUAL_DIR "/qimapi.md";
    ExpectExactlyTheExports(MarkdownEntries(manual), "qimapi.md");
}

TEST(Manual, HtmlDescribesEveryExportOnce)
{
    const std::string manual = ReadText(QIMAPI_MANUAL_DIR "/qimapi.html");
    ASSERT_FALSE(manual.empty()) << QIMAPI_MANUAL_DIR "/qimapi.html";
    ExpectExactlyTheExports(HtmlEntries(manual), "qimapi.html");
}

// Every link within the page leads to a function or chapter the page has, and every picture
// it shows is there beside it.
TEST(Manual, HtmlLinksAndPicturesLeadSomewhere)
{
    const std::string manual = ReadText(QIMAPI_MANUAL_DIR "/qimapi.html");
    ASSERT_FALSE(manual.empty());
    std::set<std::string> ids;
    for (size_t at = 0; (at = manual.find(" id=\"", at)) != std::string::npos; ++at) ids.insert(Between(manual, " id=\"", "\"", at));
    int links = 0;
    for (size_t at = 0; (at = manual.find("href=\"#", at)) != std::string::npos; ++at, ++links)
        EXPECT_TRUE(ids.count(Between(manual, "href=\"#", "\"", at))) << Between(manual, "href=\"#", "\"", at);
    EXPECT_GT(links, 53);
    int pictures = 0;
    for (size_t at = 0; (at = manual.find("<img src=\"", at)) != std::string::npos; ++at, ++pictures) {
        const std::string picture = Between(manual, "<img src=\"", "\"", at);
        DWORD attributes = GetFileAttributesA((QIMAPI_MANUAL_DIR "/" + picture).c_str());
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) << picture;
    }
    EXPECT_GT(pictures, 0);
}

}  // namespace
