#include "font/FreeTypeRasteriser.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

const std::filesystem::path kDejaVu = "/usr/share/fonts/truetype/dejavu";

// Why `opened` failed, or "opened" when it did not.
std::string Why(const Result<std::unique_ptr<Rasteriser>>& opened)
{
    return opened ? "opened" : opened.error().Message;
}

// A drawn character: its widths, its ink box in work-bitmap pixels (Right < Left: no ink), its ink.
struct Drawn
{
    CharacterWidths Widths;
    int Left = kWorkSize, Top = kWorkSize, Right = -1, Bottom = -1, Ink = 0;
    bool operator==(const Drawn&) const = default;
};

Drawn Draw(const Result<std::unique_ptr<Rasteriser>>& rasteriser, char16_t unit)
{
    CoverageBitmap bitmap;
    Drawn drawn{rasteriser.value()->DrawCharacter(unit, bitmap).value()};
    for (int y = 0; y < kWorkSize; ++y) {
        for (int x = 0; x < kWorkSize; ++x) {
            if (bitmap.At(x, y) != 0)
                drawn = Drawn{drawn.Widths,
                              std::min(drawn.Left, x),
                              std::min(drawn.Top, y),
                              std::max(drawn.Right, x),
                              std::max(drawn.Bottom, y),
                              drawn.Ink + bitmap.At(x, y)};
        }
    }
    return drawn;
}

TEST(FreeTypeRasteriser, DrawsTheCellWithTheBaselineAtTheScaledAscentAndTheInkWhereItsWidthsPutIt)
{
    const auto sans = OpenFontFile(kDejaVu / "DejaVuSans.ttf");
    const auto mono = OpenFontFile(kDejaVu / "DejaVuSansMono.ttf");
    // Latin letters, digits and signs, and a few from elsewhere: one in 64 has its ink end just past a
    // whole pixel.
    std::u16string units = u"Ж♪";
    for (char16_t unit = u'!'; unit <= u'\u017F'; ++unit)
        units += unit < u'\u007F' || unit > u'\u00A0' ? std::u16string(1, unit) : u"";
    for (const char16_t unit : units) {
        const Drawn drawn = Draw(sans, unit);
        const int inkLeft = kCellLeft + drawn.Widths.A, inkEnd = inkLeft + static_cast<int>(drawn.Widths.B);
        // The ink starts in the column of A and ends in the last column of B; A + B + C is the
        // advance, 46 pixels for every character of DejaVu Sans Mono.
        EXPECT_TRUE(drawn.Left >= inkLeft && drawn.Left <= inkLeft + 1) << int{unit};
        EXPECT_TRUE(drawn.Right >= inkEnd - 2 && drawn.Right <= inkEnd - 1) << int{unit};
        const CharacterWidths fixed = Draw(mono, unit).Widths;
        EXPECT_EQ(fixed.A + static_cast<int>(fixed.B) + fixed.C, 46) << int{unit};
    }
    // A space has no ink and only its advance.
    EXPECT_EQ(Draw(sans, u' '), (Drawn{{0, 0, 24}}));

    // DejaVu Sans: usWinAscent 1901 of a 2384-unit cell puts the baseline 70 rows down, below the
    // 'H'; 'g' goes below it, and 'É' and '|' reach the first and the last of the cell's 88 rows.
    EXPECT_EQ(std::tuple(Draw(sans, u'H').Bottom, Draw(sans, u'g').Bottom, Draw(sans, u'É').Top,
                         Draw(sans, u'|').Bottom),
              std::tuple(69, 85, 0, kCellHeight - 1));
    // DejaVu Math TeX Gyre's usWinAscent 2408 and usWinDescent 1858 span far more than its hhea
    // ascender 792 and descender -208: the cell follows the former, so its 'H' is small and stands on
    // the baseline 88 * 2408 / 4266 = 50 rows down (sized by hhea, it would be some 60 rows tall).
    const Drawn mathH = Draw(OpenFontFile(kDejaVu / "DejaVuMathTeXGyre.ttf"), u'H');
    EXPECT_EQ(std::tuple(mathH.Top, mathH.Bottom), std::tuple(34, 49));

    // The coverage: ascending, disjoint, adjacent code points merged, beyond the first plane.
    const std::vector<CodePointRange> coverage = sans.value()->UnicodeCoverage().value();
    EXPECT_EQ(std::vector(coverage.begin(), coverage.begin() + 2),
              (std::vector<CodePointRange>{{0x20, 0x7E}, {0xA0, 0x2E9}}));
    EXPECT_EQ(coverage.back(), (CodePointRange{0x1F643, 0x1F643}));
    for (std::size_t i = 1; i < coverage.size(); ++i)
        EXPECT_GT(coverage[i].First, coverage[i - 1].Last + 1);
}

TEST(FreeTypeRasteriser, FindsFacesByFamilyAndStyleAndNothingElse)
{
    // fontconfig's choice for a family, weight and slant is the face of the matching file; the size
    // at which the picker shows it changes nothing.
    std::pair<Result<std::unique_ptr<Rasteriser>>, const char*> cases[] = {
        {OpenChosenFont({u"DejaVu Sans", 72, kWeightNormal, false, 0}), "DejaVuSans.ttf"},
        {OpenChosenFont({u"DejaVu Sans", 0, kWeightBold, false, 0}), "DejaVuSans-Bold.ttf"},
        {OpenChosenFont({u"dejavu sans mono", 0, kWeightBold, true, 0}), "DejaVuSansMono-BoldOblique.ttf"},
        {OpenFontArgument("DejaVu Serif:italic"), "DejaVuSerif-Italic.ttf"},
    };
    for (const auto& [byName, file] : cases)
        EXPECT_EQ(Draw(byName, u'g'), Draw(OpenFontFile(kDejaVu / file), u'g')) << file;

    EXPECT_NE(
        Why(OpenChosenFont({u"No Such Family", 0, 400, false, 0})).find("has the family \"No Such Family\""),
        std::string::npos);
    // An alias is not a family: "sans-serif" would silently be some other face, as would Liberation
    // Sans for Arial.
    EXPECT_FALSE(OpenFontPattern("sans-serif"));
    EXPECT_FALSE(OpenFontArgument("Arial:bold"));
    EXPECT_EQ(Why(OpenFontPattern(":bold")), "font \":bold\": names no font family");

    // DejaVu Math TeX Gyre has only an upright regular face: bold and italic are synthesised from it,
    // the bold bar heavier, the slanted one leaning.
    const auto bar = [](std::int32_t weight, bool italic) {
        return Draw(OpenChosenFont({u"DejaVu Math TeX Gyre", 0, weight, italic, 0}), u'|');
    };
    const Drawn upright = bar(kWeightNormal, false), bold = bar(kWeightBold, false),
                slanted = bar(kWeightNormal, true);
    EXPECT_GT(bold.Ink, upright.Ink * 11 / 10);
    EXPECT_GT(slanted.Right - slanted.Left, upright.Right - upright.Left + 1);

    // The choice itself: a family of 1-31 units without U+0000, weight 0-1000, width 0-4000, checked
    // again when a record filled directly is looked up.
    EXPECT_TRUE(MakeChosenFont(std::u16string(31, u'x'), 1000, false, 4000));
    EXPECT_EQ(Why(OpenChosenFont({u"A", 0, 400, false, 4001})), "font \"A\": width 4001 is not in 0-4000");
    // clang-format off
    for (const auto& [family, weight, stretch] : {std::tuple{std::u16string(32, u'x'), 400, 0}, {u"", 400, 0},
             {std::u16string(u"A\0B", 3), 400, 0}, {u"A", 1001, 0}, {u"A", -1, 0}, {u"A", 400, 4001}, {u"A", 400, -1}})
        // clang-format on
        EXPECT_FALSE(MakeChosenFont(family, weight, false, stretch));
}

TEST(FreeTypeRasteriser, SaysWhyAFontFileCannotBeOpened)
{
    test::TemporaryDirectory directory;
    test::WriteBytes(directory / "empty.otf", {});
    std::filesystem::create_directory(directory / "folder.ttf");
    std::filesystem::create_symlink("/dev/null", directory / "device.ttf");
    // DejaVu Sans with its OS/2 cell cut to 100 + 40 units, far below its 2,048-unit em and 2,384-unit
    // hhea line: the table's offset follows its tag in the table directory.
    test::Bytes font = test::ReadBytes(kDejaVu / "DejaVuSans.ttf");
    const test::Bytes tag = {'O', 'S', '/', '2'};
    const auto entry = std::search(font.begin(), font.end(), tag.begin(), tag.end()) + 8;
    std::ranges::copy(test::Bytes{0, 100, 0, 40}, // usWinAscent, usWinDescent
                      font.begin() + (entry[0] << 24 | entry[1] << 16 | entry[2] << 8 | entry[3]) + 74);
    test::WriteBytes(directory / "tiny-cell.ttf", font);
    const std::pair<const char*, const char*> cases[] = {
        {"empty.otf", "cannot be opened as a font: unknown file format"},
        {"missing.TTC", "no such file"}, // any case of the extension names a file
        {"folder.ttf", "is a directory"},
        {"device.ttf", "is not a regular file"},
        {"tiny-cell.ttf", "the font's line height of 140 units is implausibly small"},
    };
    for (const auto& [name, reason] : cases)
        EXPECT_EQ(Why(OpenFontArgument((directory / name).string())),
                  "font file \"" + (directory / name).string() + "\": " + reason);
    // Above 0xFFFF FreeType would read the index as a named instance of a variable font.
    for (const int face : {-1, 0x10000})
        EXPECT_EQ(Why(OpenFontFile(kDejaVu / "DejaVuSans.ttf", face)),
                  "font file \"" + (kDejaVu / "DejaVuSans.ttf").string() + "\": face " +
                      std::to_string(face) + " does not exist");
}

} // namespace
} // namespace orv
