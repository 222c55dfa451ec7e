// The reference manual, in both its forms, against the shipped DLL: it describes exactly the
// exported functions, each once, at its ordinal and with the help text that the host shows; its
// page's links, pictures and stylesheet.
#include "common/qimapi_test.h"
#include "frame/product_file.h"

#include <stdio.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using qimapi_test::ProductExports;

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
        entry.help = Between(section, "```help\n", "\n```");
    }
    return entries;
}

std::map<std::string, Entry> HtmlEntries(const std::string &manual)
{
    std::map<std::string, Entry> entries;
    const std::string opening = " class=\"function\">";
    for (size_t at = manual.find(opening); at != std::string::npos; at = manual.find(opening, at + 1)) {
        const std::string section = manual.substr(at, manual.find("</section>", at) - at);
        Entry &entry = entries[Between(section, "<h3>", "</h3>")];
        ++entry.count;
        entry.ordinal = Between(section, "<li><strong>Ordinal:</strong> ", "</li>");
        entry.help = HtmlText(Between(section, "<pre><code class=\"language-help\">", "\n</code></pre>"));
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
    const std::string manual = qimapi_test::ReadFileText(QIMAPI_MANUAL_DIR "/qimapi.md");
    ASSERT_FALSE(manual.empty()) << QIMAPI_MANUAL_DIR "/qimapi.md";
    ExpectExactlyTheExports(MarkdownEntries(manual), "qimapi.md");
}

TEST(Manual, HtmlDescribesEveryExportOnce)
{
    const std::string manual = qimapi_test::ReadFileText(QIMAPI_MANUAL_DIR "/qimapi.html");
    ASSERT_FALSE(manual.empty()) << QIMAPI_MANUAL_DIR "/qimapi.html";
    ExpectExactlyTheExports(HtmlEntries(manual), "qimapi.html");
}

// The values of an attribute in the page, such as every href="...".
std::vector<std::string> AttributeValues(const std::string &html, const std::string &attribute)
{
    std::vector<std::string> values;
    const std::string begin = " " + attribute + "=\"";
    for (size_t at = html.find(begin); at != std::string::npos; at = html.find(begin, at + 1))
        values.push_back(Between(html, begin, "\"", at));
    return values;
}

bool IsFile(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Every link within the page leads to an element the page has, every other link that is no web
// address to a file beside it, and every picture it shows is there beside it. The index links
// every function and chapter.
TEST(Manual, HtmlLinksAndPicturesLeadSomewhere)
{
    const std::string manual = qimapi_test::ReadFileText(QIMAPI_MANUAL_DIR "/qimapi.html");
    ASSERT_FALSE(manual.empty());
    std::vector<std::string> idList = AttributeValues(manual, "id");
    const std::set<std::string> ids(idList.begin(), idList.end());
    EXPECT_EQ(ids.size(), idList.size()) << "an id given twice";
    int internal = 0, files = 0;
    for (const std::string &link : AttributeValues(manual, "href")) {
        if (link.rfind("#", 0) == 0) {
            ++internal;
            EXPECT_TRUE(ids.count(link.substr(1))) << link;
        } else if (link.find("://") == std::string::npos && link.rfind("mailto:", 0) != 0) {
            ++files;
            EXPECT_TRUE(IsFile(QIMAPI_MANUAL_DIR "/" + link)) << link;
        }
    }
    EXPECT_GE(files, 1) << "the stylesheet";
    const std::string index = Between(manual, "<nav id=\"contents\">", "</nav>");
    for (const auto &[name, ordinal] : ProductExports()) {
        std::string anchor = name;
        for (char &c : anchor) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        EXPECT_NE(index.find("<a href=\"#" + anchor + "\">" + name + "</a>"), std::string::npos) << name;
    }
    EXPECT_GT(internal, 2 * 53) << "the index, and links between the functions";
    int pictures = 0;
    for (const std::string &picture : AttributeValues(manual, "src")) {
        ++pictures;
        EXPECT_TRUE(IsFile(QIMAPI_MANUAL_DIR "/" + picture)) << picture;
    }
    EXPECT_GT(pictures, 0);
}

// A rule set of a stylesheet: "selectors { declarations }", or an at-rule around rule sets.
struct StyleRules {
    int rules = 0;
    std::vector<std::string> selectors;
    std::vector<std::string> faults;
};

std::string Trim(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Reads rule sets from at up to the "}" that closes the block they stand in, or the end.
void ReadRules(const std::string &css, size_t *at, StyleRules *rules)
{
    while (*at < css.size()) {
        size_t open = css.find_first_of("{}", *at);
        if (open == std::string::npos || css[open] == '}') {
            if (!Trim(css.substr(*at, open == std::string::npos ? std::string::npos : open - *at)).empty())
                rules->faults.push_back("text outside any rule: " + css.substr(*at, 40));
            *at = open == std::string::npos ? css.size() : open + 1;
            return;
        }
        const std::string prelude = Trim(css.substr(*at, open - *at));
        *at = open + 1;
        if (prelude.empty()) rules->faults.push_back("a rule without selectors");
        if (prelude[0] == '@') {
            ReadRules(css, at, rules);
            continue;
        }
        size_t close = css.find('}', *at);
        const std::string block = css.substr(*at, close - *at);
        *at = close == std::string::npos ? css.size() : close + 1;
        ++rules->rules;
        rules->selectors.push_back(prelude);
        int declarations = 0;
        for (size_t start = 0; start <= block.size();) {
            size_t end = block.find(';', start);
            if (end == std::string::npos) end = block.size();
            const std::string declaration = Trim(block.substr(start, end - start));
            start = end + 1;
            if (declaration.empty()) continue;
            ++declarations;
            size_t colon = declaration.find(':');
            const std::string property = colon == std::string::npos ? "" : Trim(declaration.substr(0, colon));
            if (property.empty() || property.find_first_not_of("-abcdefghijklmnopqrstuvwxyz") != std::string::npos ||
                Trim(declaration.substr(colon + 1)).empty())
                rules->faults.push_back(prelude + ": \"" + declaration + "\" is no declaration");
        }
        if (!declarations) rules->faults.push_back(prelude + " declares nothing");
    }
}

// The page links its one stylesheet, which lies beside it as written, every rule intact: each
// block of declarations "property: value", separated by semicolons.
TEST(Manual, StylesheetBesideThePageKeepsItsRules)
{
    const std::string manual = qimapi_test::ReadFileText(QIMAPI_MANUAL_DIR "/qimapi.html");
    EXPECT_NE(Between(manual, "<head>", "</head>").find("<link rel=\"stylesheet\" href=\"qimapi.css\">"),
              std::string::npos);
    EXPECT_EQ(manual.find("<style"), std::string::npos) << "one stylesheet only";
    std::string css = qimapi_test::ReadFileText(QIMAPI_MANUAL_DIR "/qimapi.css");
    ASSERT_FALSE(css.empty());
    EXPECT_EQ(css, qimapi_test::ReadFileText(QIMAPI_NOTES_DIR "/qimapi.css"));
    for (size_t open; (open = css.find("/*")) != std::string::npos;) css.erase(open, css.find("*/", open) + 2 - open);
    StyleRules rules;
    size_t at = 0;
    ReadRules(css, &at, &rules);
    EXPECT_EQ(rules.faults, std::vector<std::string>());
    EXPECT_GT(rules.rules, 20);
    // The index, the boxes of prototype lines and help texts, and the layout for wide screens.
    for (const char *selector : {"nav#contents", "pre", "code.language-prototype", "main"})
        EXPECT_NE(std::find(rules.selectors.begin(), rules.selectors.end(), selector), rules.selectors.end()) << selector;
}

}  // namespace
