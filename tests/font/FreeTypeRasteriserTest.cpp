#include "font/FreeTypeRasteriser.h"

#include <algorithm>
#include <filesystem>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "font/RenderFont.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

const std::filesystem::path kDejaVu = "/usr/share/fonts/truetype/dejavu";

// The glyph store of every character of a German, Greek and Russian device's texts.
std::vector<std::uint8_t> Rendered(Result<std::unique_ptr<Rasteriser>> rasteriser)
{
    CharacterSet characters;
    characters.AddText(u"Größe ändern: Überschrift ½ ‰ € Ωμέγα λόγος Язык, Жёсткость \u0007\u0010\r\n");
    RenderedFont font;
    EXPECT_TRUE(RenderFont(font, characters, std::move(rasteriser)).has_value());
    return font.GlyphStore;
}

// Why `opened` failed, or "opened" when it did not.
std::string Why(const Result<std::unique_ptr<Rasteriser>>& opened)
{
    return opened ? "opened" : opened.error().Message;
}

// A drawn character: its widths, its ink box in work-bitmap pixels (Right < Left: no ink), its ink.
struct Drawn
{
    CharacterWidths Widths;
    int Left = kWorkSize, Top = kWorkSize, Right = -1, Bottom = -1;
    long Ink = 0;
};

Drawn Draw(const Result<std::unique_ptr<Rasteriser>>& rasteriser, char16_t unit)
{
    CoverageBitmap bitmap;
    Drawn drawn{rasteriser.value()->DrawCharacter(unit, bitmap).value()};
    for (int y = 0; y < kWorkSize; ++y) {
        for (int x = 0; x < kWorkSize; ++x) {
            if (bitmap.At(x, y) != 0)
                drawn = {drawn.Widths,
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
    const auto advance = [&](char16_t unit) {
        const CharacterWidths widths = Draw(mono, unit).Widths;
        return widths.A + static_cast<int>(widths.B) + widths.C;
    };
    // Latin letters, digits and signs, and a few from elsewhere: one in 64 has its ink end just past a
    // whole pixel.
    std::u16string units = u"Ж♪";
    for (char16_t unit = u'!'; unit <= u'\u017F'; ++unit)
        units += unit < u'\u007F' || unit > u'\u00A0' ? std::u16string(1, unit) : u"";
    for (const char16_t unit : units) {
        const Drawn drawn = Draw(sans, unit);
        const int inkLeft = kCellLeft + drawn.Widths.A;
        const int inkEnd = inkLeft + static_cast<int>(drawn.Widths.B);
        // The ink starts in the column of A and ends in the last column of B; A + B + C is the
        // advance, the same for every character of a monospaced face.
        EXPECT_TRUE(drawn.Left >= inkLeft && drawn.Left <= inkLeft + 1) << int{unit};
        EXPECT_TRUE(drawn.Right >= inkEnd - 2 && drawn.Right <= inkEnd - 1) << int{unit};
        EXPECT_EQ(advance(unit), advance(u'M')) << int{unit};
    }
    const Drawn space = Draw(sans, u' ');
    EXPECT_LT(space.Right, space.Left);
    EXPECT_EQ(space.Widths, (CharacterWidths{0, 0, space.Widths.C}));
    EXPECT_GT(space.Widths.C, 10);

    // DejaVu Sans: usWinAscent 1901 of a 2384-unit cell, so the baseline lies about 70 rows down.
    const Drawn h = Draw(sans, u'H'), x = Draw(sans, u'x'), accented = Draw(sans, u'É'),
                bar = Draw(sans, u'|');
    EXPECT_NEAR(h.Bottom + 1, 88.0 * 1901 / 2384, 1.0);
    EXPECT_TRUE(x.Bottom == h.Bottom && x.Top > h.Top && Draw(sans, u'g').Bottom > h.Bottom);
    // Everything of the font lies within the 88-pixel cell, drawn upright.
    EXPECT_TRUE(accented.Top >= 0 && accented.Top < h.Top);
    EXPECT_TRUE(bar.Bottom <= kCellHeight - 1 && bar.Bottom >= kCellHeight - 4);
    // DejaVu Math TeX Gyre's usWinAscent 2408 and usWinDescent 1858 span far more than its hhea
    // ascender 792 and descender -208: the cell follows the former, so its letters are small.
    const Drawn mathH = Draw(OpenFontFile(kDejaVu / "DejaVuMathTeXGyre.ttf"), u'H');
    EXPECT_NEAR(mathH.Bottom + 1, 88.0 * 2408 / 4266, 1.5);
    EXPECT_LT(mathH.Bottom + 1 - mathH.Top, 20); // sized by hhea, the capital would be some 60 rows tall

    // The coverage: ascending, disjoint, adjacent code points merged.
    const std::vector<CodePointRange> coverage = sans.value()->UnicodeCoverage().value();
    const auto covers = [&](char32_t c) {
        return std::ranges::any_of(coverage,
                                   [&](const CodePointRange& r) { return r.First <= c && c <= r.Last; });
    };
    EXPECT_TRUE(covers(U'A') && covers(U'Ж') && covers(U'♪') && !covers(U'\u4E00'));
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
    for (auto& [byName, file] : cases)
        EXPECT_TRUE(Rendered(std::move(byName)) == Rendered(OpenFontFile(kDejaVu / file))) << file;

    EXPECT_NE(Why(OpenChosenFont({u"No Such Family", 0, 400, false, 0}))
                  .find("font \"No Such Family\": no installed font has the family \"No Such Family\""),
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

    // The choice itself: a family of 1-31 units without U+0000, weight 0-1000, width 0-4000; a record
    // filled directly is checked when the font is looked up.
    const std::u16string longest(kMaxFaceNameLength, u'x');
    EXPECT_TRUE(MakeChosenFont(longest, 1000, false, 4000));
    // clang-format off
    for (const auto& [family, weight, stretch] : {std::tuple{longest + u"x", 400, 0}, {u"", 400, 0},
             {std::u16string(u"A\0B", 3), 400, 0}, {u"A", 1001, 0}, {u"A", -1, 0}, {u"A", 400, 4001}, {u"A", 400, -1}}) {
        // clang-format on
        EXPECT_FALSE(MakeChosenFont(family, weight, false, stretch));
        const auto refused = OpenChosenFont({family, 0, weight, false, stretch});
        EXPECT_TRUE(!refused && refused.error().Code == ErrorCode::BadInput);
    }
}

TEST(FreeTypeRasteriser, SaysWhyAFontFileCannotBeOpened)
{
    test::TemporaryDirectory directory;
    const test::Bytes dejaVu = test::ReadBytes(kDejaVu / "DejaVuSans.ttf");
    test::WriteBytes(directory / "garbage.ttf", test::Bytes(5000, 0xA5));
    test::WriteBytes(directory / "empty.otf", {});
    test::WriteBytes(directory / "truncated.ttf", test::Bytes(dejaVu.begin(), dejaVu.begin() + 4096));
    std::filesystem::create_directory(directory / "folder.ttf");
    // DejaVu Sans with its OS/2 cell cut to 100 + 40 units, far below its 2,048-unit em and 2,384-unit
    // hhea line.
    test::Bytes tinyCell = dejaVu;
    for (std::size_t entry = 12; entry < 12 + 16u * (dejaVu[4] << 8 | dejaVu[5]); entry += 16) {
        const std::size_t table =
            dejaVu[entry + 8] << 24 | dejaVu[entry + 9] << 16 | dejaVu[entry + 10] << 8 | dejaVu[entry + 11];
        if (std::string(dejaVu.begin() + entry, dejaVu.begin() + entry + 4) == "OS/2")
            std::ranges::copy(test::Bytes{0, 100, 0, 40},
                              tinyCell.begin() + table + 74); // usWinAscent, -Descent
    }
    test::WriteBytes(directory / "tiny-cell.ttf", tinyCell);
    ASSERT_EQ(::mkfifo((directory / "pipe.ttf").c_str(), 0600), 0);
    // With a writer held open, a pipe that did reach FreeType would fail this test rather than hang it.
    const int pipeWriter = ::open((directory / "pipe.ttf").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(pipeWriter, 0);
    const std::pair<const char*, const char*> cases[] = {
        {"garbage.ttf", "cannot be opened as a font: unknown file format"},
        {"empty.otf", "cannot be opened as a font: unknown file format"},
        {"truncated.ttf", "cannot be opened as a font: unknown file format"},
        {"missing.TTC", "no such file"}, // any case of the extension names a file
        {"folder.ttf", "is a directory"},
        {"tiny-cell.ttf", "the font's line height of 140 units is implausibly small"},
        {"pipe.ttf", "is not a regular file"},
    };
    for (const auto& [name, reason] : cases) {
        EXPECT_EQ(Why(OpenFontArgument((directory / name).string())),
                  "font file \"" + (directory / name).string() + "\": " + reason);
    }
    ::close(pipeWriter);
    EXPECT_FALSE(OpenFontFile(kDejaVu / "DejaVuSans.ttf", 1));
    EXPECT_FALSE(OpenFontFile(kDejaVu / "DejaVuSans.ttf", -1));
    // Above 0xFFFF FreeType would read the index as a named instance of a variable font.
    EXPECT_EQ(Why(OpenFontFile(kDejaVu / "DejaVuSans.ttf", 0x10000)),
              "font file \"" + (kDejaVu / "DejaVuSans.ttf").string() + "\": face 65536 does not exist");
}

} // namespace
} // namespace orv
