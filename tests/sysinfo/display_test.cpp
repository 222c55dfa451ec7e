// Screen size, system font and installed font styles, against what the test program measures
// itself on the desktop's device context, with the fonts that the machine really has.
#include "common/qimapi_test.h"

#include <ctype.h>

#include <set>
#include <string>

using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::ProbeHandleSlots;

namespace {

TEST(ScreenSize, IsTheDisplaysResolution)
{
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_NE(width, height) << "a square screen cannot tell width from height";
    EXPECT_EQ(QIMAPI(ScreenWidth)(), width);
    EXPECT_EQ(QIMAPI(ScreenHeight)(), height);
}

TEXTMETRICA DesktopFontMetrics()
{
    HDC dc = GetDC(GetDesktopWindow());
    TEXTMETRICA metrics = {};
    EXPECT_TRUE(GetTextMetricsA(dc, &metrics));
    ReleaseDC(GetDesktopWindow(), dc);
    return metrics;
}

TEST(SystemFontHeight, IsTheAscentNotTheCellHeight)
{
    TEXTMETRICA metrics = DesktopFontMetrics();
    ASSERT_NE(metrics.tmAscent, metrics.tmHeight);
    EXPECT_EQ(QIMAPI(SystemFontHeight)(), metrics.tmAscent);
}

BOOL WINAPI FailTextMetrics(HDC, TEXTMETRICA *)
{
    return FALSE;
}

TEST(SystemFontHeight, IsZeroWhenTheMetricsCannotBeRead)
{
    ImportPatch patch(Dll(), "gdi32.dll", "GetTextMetricsA", (void *)FailTextMetrics);
    ASSERT_TRUE(patch.ok());
    EXPECT_EQ(QIMAPI(SystemFontHeight)(), 0);
}

// The families the tests rely on (Debian's fonts-dejavu-core and fonts-dejavu-extra), with
// styles among them whose upright one is not named Regular, and one whose only style is.
const char *const kFamilies[] = {"DejaVu Sans", "DejaVu Serif", "DejaVu Math TeX Gyre"};

int CALLBACK CollectStyle(const LOGFONTA *font, const TEXTMETRICA *, DWORD, LPARAM styles)
{
    reinterpret_cast<std::set<std::string> *>(styles)->insert(
        reinterpret_cast<const char *>(reinterpret_cast<const ENUMLOGFONTA *>(font)->elfStyle));
    return 1;
}

// The style names the system reports for a family, as the test program enumerates them.
std::set<std::string> StylesOf(const char *family)
{
    std::set<std::string> styles;
    HDC dc = GetDC(GetDesktopWindow());
    EnumFontFamiliesA(dc, family, CollectStyle, reinterpret_cast<LPARAM>(&styles));
    ReleaseDC(GetDesktopWindow(), dc);
    return styles;
}

TEST(FontInstalled, TheTestFontsAreInstalled)
{
    const std::set<std::string> expected[] = {
        {"Book", "Bold", "Oblique", "Bold Oblique"}, {"Book", "Bold", "Italic", "Bold Italic"}, {"Regular"}};
    for (size_t i = 0; i < sizeof kFamilies / sizeof *kFamilies; ++i)
        ASSERT_EQ(StylesOf(kFamilies[i]), expected[i])
            << kFamilies[i] << ": install fonts-dejavu-core and fonts-dejavu-extra (tools/setup.sh)";
}

std::string Upper(std::string text)
{
    for (char &c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

TEST(FontInstalled, FindsEveryStyleTheSystemReportsInAnyLetterCase)
{
    for (const char *family : kFamilies) {
        std::set<std::string> styles = StylesOf(family);
        ASSERT_FALSE(styles.empty()) << family;
        for (const std::string &style : styles) {
            EXPECT_EQ(QIMAPI(FontInstalled)(family, style.c_str()), 1) << family << ", " << style;
            EXPECT_EQ(QIMAPI(FontInstalled)(family, Upper(style).c_str()), 1) << family << ", " << style;
        }
    }
}

struct FontCase {
    const char *family;
    const char *style;
    int expected;
};

TEST(FontInstalled, MatchesWholeStyleNamesOfTheNamedFamilyOnly)
{
    const FontCase cases[] = {
        {"DejaVu Sans", "bold", 1},          {"dejavu sans", "bOLD oBLIQUE", 1},   // the system matches the family
        {"DejaVu Serif", "Bold Italic", 1},
        {"DejaVu Sans", "Bold Italic", 0},   // has Bold and Oblique, but no style of that name
        {"DejaVu Serif", "Oblique", 0},      {"DejaVu Sans", "Bol", 0},
        {"DejaVu Sans", "Bold ", 0},         {"DejaVu Sans", " Bold", 0},
        {"DejaVu Sans", "Bold Oblique Extra", 0},
        {"No Such Family For QIMAPI", "Bold", 0},
        {"No Such Family For QIMAPI", "Regular", 0},
    };
    for (const FontCase &c : cases)
        EXPECT_EQ(QIMAPI(FontInstalled)(c.family, c.style), c.expected) << c.family << ", " << c.style;
}

TEST(FontInstalled, AnEmptyStyleMeansTheStyleNamedRegular)
{
    EXPECT_EQ(QIMAPI(FontInstalled)("DejaVu Math TeX Gyre", ""), 1);
    EXPECT_EQ(QIMAPI(FontInstalled)("DejaVu Math TeX Gyre", "REGULAR"), 1);
    EXPECT_EQ(QIMAPI(FontInstalled)("DejaVu Sans", ""), 0);   // its upright style is Book
    EXPECT_EQ(QIMAPI(FontInstalled)("DejaVu Sans", "Regular"), 0);
    EXPECT_EQ(QIMAPI(FontInstalled)("No Such Family For QIMAPI", ""), 0);
}

// The answer comes only from the family's styles: no Style text can pass for a match.
TEST(FontInstalled, FoundIsAStyleNameLikeAnyOther)
{
    for (const char *style : {"found", "FOUND", "Found"}) {
        EXPECT_EQ(QIMAPI(FontInstalled)("No Such Family For QIMAPI", style), 0) << style;
        EXPECT_EQ(QIMAPI(FontInstalled)("DejaVu Sans", style), 0) << style;
    }
}

TEST(FontInstalled, ALongStyleIsCutAndMatchesNothing)
{
    std::string longStyle = "Bold" + std::string(4000, ' ');
    EXPECT_EQ(QIMAPI(FontInstalled)("DejaVu Sans", longStyle.c_str()), 0);
    EXPECT_EQ(QIMAPI(FontInstalled)("DejaVu Sans", std::string(64, 'b').c_str()), 0);
}

TEST(DisplayCalls, ReleaseEveryDeviceContextTheyTake)
{
    auto callAll = [] {
        QIMAPI(ScreenWidth)();
        QIMAPI(ScreenHeight)();
        QIMAPI(SystemFontHeight)();
        QIMAPI(FontInstalled)("DejaVu Sans", "Bold");
        QIMAPI(FontInstalled)("DejaVu Serif", "no such style");
        QIMAPI(FontInstalled)("No Such Family For QIMAPI", "");
    };
    callAll();   // whatever the system sets up once
    qimapi_test::HandleSlots before = ProbeHandleSlots();
    for (int i = 0; i < 20; ++i) callAll();
    EXPECT_EQ(ProbeHandleSlots(), before);
}

}  // namespace
