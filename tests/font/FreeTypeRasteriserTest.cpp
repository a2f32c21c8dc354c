#include "font/FreeTypeRasteriser.h"

#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "font/RenderFont.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

const std::filesystem::path kDejaVu = "/usr/share/fonts/truetype/dejavu";

// Texts in German, Greek and Cyrillic, with control codes that are rendered (U+0010-U+001F) and
// some that are not.
const std::u16string kTexts[] = {
    u"Größe ändern: Überschrift ½ ‰ €",
    u"Ελληνικά: Ωμέγα λόγος",
    u"Настройки: Язык, Жёсткость",
    u"\u0001\u0007\u0008\u000F\u0010\u0011\u001F tab\tline\r\n",
};

std::unique_ptr<Rasteriser> Opened(Result<std::unique_ptr<Rasteriser>> rasteriser)
{
    EXPECT_TRUE(rasteriser) << rasteriser.error().Message;
    return rasteriser ? std::move(*rasteriser) : nullptr;
}

CharacterSet TextCharacters()
{
    CharacterSet characters;
    for (const std::u16string& text : kTexts)
        characters.AddText(text);
    return characters;
}

RenderedFont Rendered(Result<std::unique_ptr<Rasteriser>> rasteriser)
{
    RenderedFont font;
    const RenderFontResult result = RenderFont(font, TextCharacters(), std::move(rasteriser));
    EXPECT_TRUE(result.Succeeded()) << result.Message;
    return font;
}

ChosenFont DejaVuSans(std::int32_t weight = kWeightNormal, bool italic = false, std::int32_t height = 0)
{
    return ChosenFont{u"DejaVu Sans", height, weight, italic, kStretchDontCare};
}

struct InkBox
{
    int Left = kWorkSize, Top = kWorkSize, Right = -1, Bottom = -1;
    long Sum = 0;
};

struct DrawnCharacter
{
    CharacterWidths Widths;
    InkBox Box;
};

DrawnCharacter Draw(Rasteriser& rasteriser, char16_t unit)
{
    CoverageBitmap bitmap;
    const Result<CharacterWidths> widths = rasteriser.DrawCharacter(unit, bitmap);
    EXPECT_TRUE(widths) << widths.error().Message;
    InkBox box;
    for (int y = 0; y < kWorkSize; ++y) {
        for (int x = 0; x < kWorkSize; ++x) {
            if (bitmap.At(x, y) == 0)
                continue;
            box.Left = std::min(box.Left, x);
            box.Right = std::max(box.Right, x);
            box.Top = std::min(box.Top, y);
            box.Bottom = std::max(box.Bottom, y);
            box.Sum += bitmap.At(x, y);
        }
    }
    return {widths.value_or(CharacterWidths{}), box};
}

// The horizontal centre of the ink in work-bitmap rows [top, bottom).
double InkCentre(Rasteriser& rasteriser, char16_t unit, int top, int bottom)
{
    CoverageBitmap bitmap;
    EXPECT_TRUE(rasteriser.DrawCharacter(unit, bitmap));
    double weighted = 0, total = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < kWorkSize; ++x) {
            weighted += static_cast<double>(bitmap.At(x, y)) * x;
            total += bitmap.At(x, y);
        }
    }
    return total > 0 ? weighted / total : -1;
}

TEST(FreeTypeRasteriser, DrawsTheInkWhereItsWidthsPutIt)
{
    const auto rasteriser = Opened(OpenFontFile(kDejaVu / "DejaVuSans.ttf"));
    ASSERT_TRUE(rasteriser);
    for (const char16_t unit : std::u16string_view(u"HAgjWÉЖ♪1")) {
        SCOPED_TRACE(static_cast<int>(unit));
        const DrawnCharacter drawn = Draw(*rasteriser, unit);
        const CharacterWidths& widths = drawn.Widths;
        ASSERT_GT(widths.B, 0u);
        // The ink starts in the column of A and ends in the last column of B, past the cell's left edge.
        EXPECT_GE(drawn.Box.Left, kCellLeft + widths.A);
        EXPECT_LE(drawn.Box.Left, kCellLeft + widths.A + 1);
        EXPECT_LE(drawn.Box.Right, kCellLeft + widths.A + static_cast<int>(widths.B) - 1);
        EXPECT_GE(drawn.Box.Right, kCellLeft + widths.A + static_cast<int>(widths.B) - 2);
        EXPECT_GT(widths.A + static_cast<int>(widths.B) + widths.C, 0);
    }

    const DrawnCharacter space = Draw(*rasteriser, u' ');
    EXPECT_EQ(space.Box.Sum, 0);
    EXPECT_EQ(space.Widths.A, 0);
    EXPECT_EQ(space.Widths.B, 0u);
    EXPECT_GT(space.Widths.C, 10);
}

TEST(FreeTypeRasteriser, TheCellHoldsAscentAndDescentWithTheBaselineAtTheScaledAscent)
{
    const auto rasteriser = Opened(OpenFontFile(kDejaVu / "DejaVuSans.ttf"));
    ASSERT_TRUE(rasteriser);
    const InkBox h = Draw(*rasteriser, u'H').Box;
    const InkBox x = Draw(*rasteriser, u'x').Box;
    const InkBox g = Draw(*rasteriser, u'g').Box;
    const InkBox accented = Draw(*rasteriser, u'É').Box;
    const InkBox bar = Draw(*rasteriser, u'|').Box;

    // DejaVu Sans: usWinAscent 1901 of a 2384-unit cell, so the baseline lies about 70 rows down.
    EXPECT_NEAR(h.Bottom + 1, 88.0 * 1901 / 2384, 1.0);
    EXPECT_EQ(x.Bottom, h.Bottom);
    EXPECT_GT(x.Top, h.Top);
    EXPECT_GT(g.Bottom, h.Bottom);
    EXPECT_LT(accented.Top, h.Top);
    // Everything of the font lies within the 88-pixel cell, drawn upright.
    EXPECT_GE(accented.Top, 0);
    EXPECT_LE(bar.Bottom, kCellHeight - 1);
    EXPECT_GE(bar.Bottom, kCellHeight - 4);

    // DejaVu Math TeX Gyre's usWinAscent 2408 and usWinDescent 1858 span far more than its hhea
    // ascender 792 and descender -208: the cell follows the former, so its letters are small.
    const auto math = Opened(OpenFontFile(kDejaVu / "DejaVuMathTeXGyre.ttf"));
    ASSERT_TRUE(math);
    const InkBox mathH = Draw(*math, u'H').Box;
    EXPECT_NEAR(mathH.Bottom + 1, 88.0 * 2408 / 4266, 1.5);
    EXPECT_LT(mathH.Bottom + 1 - mathH.Top, 20); // sized by hhea, the capital would be some 60 rows tall
}

TEST(FreeTypeRasteriser, ReportsTheFacesCoverage)
{
    const auto rasteriser = Opened(OpenFontFile(kDejaVu / "DejaVuSans.ttf"));
    ASSERT_TRUE(rasteriser);
    const Result<std::vector<CodePointRange>> coverage = rasteriser->UnicodeCoverage();
    ASSERT_TRUE(coverage);
    const auto covers = [&](char32_t codePoint) {
        return std::any_of(coverage->begin(), coverage->end(), [&](const CodePointRange& range) {
            return range.First <= codePoint && codePoint <= range.Last;
        });
    };
    EXPECT_TRUE(covers(U'A'));
    EXPECT_TRUE(covers(U'Ж'));
    EXPECT_TRUE(covers(U'♪'));
    EXPECT_FALSE(covers(U'\u4E00'));
    for (std::size_t i = 1; i < coverage->size(); ++i)
        EXPECT_GT((*coverage)[i].First, (*coverage)[i - 1].Last + 1); // ascending, disjoint, merged
}

TEST(FreeTypeRasteriser, FindsFacesByFamilyAndStyleOrFileAndNothingElse)
{
    // fontconfig's choice for a family, weight and slant is the face of the matching file.
    struct Case
    {
        Result<std::unique_ptr<Rasteriser>> ByName;
        const char* File;
    };
    Case cases[] = {
        {OpenChosenFont(DejaVuSans()), "DejaVuSans.ttf"},
        {OpenChosenFont(DejaVuSans(kWeightBold)), "DejaVuSans-Bold.ttf"},
        {OpenChosenFont(DejaVuSans(kWeightNormal, true)), "DejaVuSans-Oblique.ttf"},
        {OpenChosenFont(ChosenFont{u"dejavu sans mono", 0, kWeightBold, true, 0}),
         "DejaVuSansMono-BoldOblique.ttf"},
        {OpenFontPattern("DejaVu Sans:bold"), "DejaVuSans-Bold.ttf"},
        {OpenFontArgument("DejaVu Serif:italic"), "DejaVuSerif-Italic.ttf"},
        {OpenFontArgument((kDejaVu / "DejaVuSansCondensed.TTF").string()), "DejaVuSansCondensed.ttf"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.File);
        if (std::string(c.File) == "DejaVuSansCondensed.ttf") {
            // The upper-case extension names a file that does not exist, but it is still taken as a file.
            ASSERT_FALSE(c.ByName);
            EXPECT_EQ(c.ByName.error().Message,
                      "font file \"" + (kDejaVu / "DejaVuSansCondensed.TTF").string() + "\": no such file");
            continue;
        }
        const RenderedFont byName = Rendered(std::move(c.ByName));
        const RenderedFont byFile = Rendered(OpenFontFile(kDejaVu / c.File));
        EXPECT_TRUE(byName.GlyphStore == byFile.GlyphStore);
        EXPECT_EQ(byName.GlyphTree, byFile.GlyphTree);
    }

    const Result<std::unique_ptr<Rasteriser>> missing =
        OpenChosenFont(ChosenFont{u"No Such Family Xyz", 0, 400, false, 0});
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().Code, ErrorCode::OpenFailed);
    EXPECT_NE(missing.error().Message.find("no installed font has the family \"No Such Family Xyz\""),
              std::string::npos)
        << missing.error().Message;

    // An alias is not a family: "sans-serif" would silently be some other face.
    EXPECT_FALSE(OpenFontPattern("sans-serif"));
    EXPECT_FALSE(OpenFontArgument("Arial:bold")); // Liberation Sans stands in for it, and is refused
    const Result<std::unique_ptr<Rasteriser>> noFamily = OpenFontPattern(":bold");
    ASSERT_FALSE(noFamily);
    EXPECT_EQ(noFamily.error().Message, "font \":bold\": names no font family");
}

TEST(FreeTypeRasteriser, RefusesNamesAndFilesThatAreNotFonts)
{
    const std::u16string longest(kMaxFaceNameLength, u'x');
    EXPECT_TRUE(MakeChosenFont(longest, 400, false, 0));
    const Result<ChosenFont> tooLong = MakeChosenFont(longest + u"x", 400, false, 0);
    ASSERT_FALSE(tooLong);
    EXPECT_EQ(tooLong.error().Code, ErrorCode::BadInput);
    EXPECT_FALSE(MakeChosenFont(u"", 400, false, 0));
    EXPECT_FALSE(MakeChosenFont(std::u16string(u"DejaVu Sans\0Mono", 16), 400, false, 0));
    EXPECT_FALSE(MakeChosenFont(u"DejaVu Sans", 1001, false, 0));
    EXPECT_FALSE(MakeChosenFont(u"DejaVu Sans", 400, false, 4001));
    // A record filled directly is checked when the font is looked up.
    EXPECT_EQ(OpenChosenFont(ChosenFont{longest + u"x", 0, 400, false, 0}).error().Code, ErrorCode::BadInput);
    EXPECT_EQ(OpenChosenFont(ChosenFont{}).error().Message, "no font family is chosen");

    test::TemporaryDirectory directory;
    const test::Bytes dejaVu = test::ReadBytes(kDejaVu / "DejaVuSans.ttf");
    test::WriteBytes(directory / "garbage.ttf", test::Bytes(5000, 0xA5));
    test::WriteBytes(directory / "empty.otf", {});
    test::WriteBytes(directory / "truncated.ttf", test::Bytes(dejaVu.begin(), dejaVu.begin() + 4096));
    std::filesystem::create_directory(directory / "folder.ttf");
    ASSERT_EQ(::mkfifo((directory / "pipe.ttf").c_str(), 0600), 0);
    // With a writer held open, a pipe that did reach FreeType would fail this test rather than hang it.
    const int pipeWriter = ::open((directory / "pipe.ttf").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(pipeWriter, 0);
    const std::pair<const char*, const char*> cases[] = {
        {"garbage.ttf", ": cannot be opened as a font: unknown file format"},
        {"empty.otf", ": cannot be opened as a font: unknown file format"},
        {"truncated.ttf", ": cannot be opened as a font: unknown file format"},
        {"missing.ttc", ": no such file"},
        {"folder.ttf", ": is a directory"},
        {"pipe.ttf", ": is not a regular file"},
    };
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(name);
        RenderedFont font = Rendered(OpenFontFile(kDejaVu / "DejaVuSans.ttf"));
        const RenderFontResult result =
            RenderFont(font, TextCharacters(), OpenFontArgument((directory / name).string()));
        EXPECT_EQ(result.Outcome, RenderOutcome::FontFailed);
        EXPECT_EQ(result.Message, "font file \"" + (directory / name).string() + "\"" + reason);
        EXPECT_TRUE(font.GlyphTree.empty());
        EXPECT_TRUE(font.GlyphStore.empty());
    }
    ::close(pipeWriter);
    EXPECT_FALSE(OpenFontFile(kDejaVu / "DejaVuSans.ttf", 1));
    EXPECT_FALSE(OpenFontFile(kDejaVu / "DejaVuSans.ttf", -1));
}

TEST(RenderFontWithDejaVu, EveryCodePointFindsItsOwnWellFormedRecord)
{
    const CharacterSet characters = TextCharacters();
    const RenderedFont font = Rendered(OpenChosenFont(DejaVuSans()));
    const std::vector<char16_t> codePoints = characters.CodePoints();
    ASSERT_EQ(font.GlyphTree.size(), codePoints.size() - 1);

    std::size_t offset = 0;
    for (const char16_t codePoint : codePoints) {
        SCOPED_TRACE(static_cast<int>(codePoint));
        const Glyph stored = GlyphAt(font.GlyphStore, offset);
        ASSERT_NE(stored.Pixels.data(), nullptr);
        EXPECT_EQ(FindGlyph(font, codePoint).Pixels.data(), stored.Pixels.data());
        EXPECT_GE(stored.Width, 1);
        EXPECT_LE(stored.Width, 50);
        EXPECT_GE(stored.Height, 1);
        EXPECT_GE(stored.YOffset, 0);
        EXPECT_LE(stored.YOffset + stored.Height, 22);
        for (const std::uint8_t pixel : stored.Pixels)
            EXPECT_EQ(pixel % 36 == 0 || pixel == 73 || pixel == 109 || pixel == 146 || pixel == 182 ||
                          pixel == 219 || pixel == 255,
                      true)
                << int{pixel};
        offset += kGlyphHeaderSize + stored.Pixels.size();
    }
    EXPECT_EQ(offset, font.GlyphStore.size());

    for (char16_t unit = 0x10; unit <= 0x1F; unit += 0xF)
        EXPECT_NE(FindGlyph(font, unit).Pixels.data(), nullptr) << int{unit};
    for (char16_t unit = 0; unit <= 0xF; ++unit)
        EXPECT_EQ(FindGlyph(font, unit).Pixels.data(), nullptr) << int{unit};
    EXPECT_EQ(FindGlyph(font, u'\u4E00').Pixels.data(), nullptr);
}

TEST(RenderFontWithDejaVu, GlyphsSitOnOneBaselineAndTheSpaceIsEmpty)
{
    const RenderedFont font = Rendered(OpenChosenFont(DejaVuSans()));
    const auto bottom = [&](char16_t unit) {
        const Glyph glyph = FindGlyph(font, unit);
        return glyph.YOffset + glyph.Height;
    };
    EXPECT_EQ(bottom(u'H'), bottom(u'x'));
    EXPECT_EQ(bottom(u'H'), bottom(u'Ж'));
    EXPECT_GT(bottom(u'g'), bottom(u'H'));
    EXPECT_LT(FindGlyph(font, u'Ü').YOffset, FindGlyph(font, u'U').YOffset);
    EXPECT_GT(FindGlyph(font, u'x').YOffset, FindGlyph(font, u'H').YOffset);
    EXPECT_GT(FindGlyph(font, u'W').Width, FindGlyph(font, u'i').Width);

    const auto rasteriser = Opened(OpenChosenFont(DejaVuSans()));
    ASSERT_TRUE(rasteriser);
    const CharacterWidths spaceWidths = Draw(*rasteriser, u' ').Widths;
    const Glyph space = FindGlyph(font, u' ');
    EXPECT_EQ(space.Advance, (spaceWidths.A + spaceWidths.B + spaceWidths.C) / 4);
    EXPECT_EQ(space.Width, 1);
    EXPECT_EQ(space.Height, 1);
    EXPECT_EQ(space.YOffset, 21);
    EXPECT_EQ(space.XOffset, 49);
    EXPECT_EQ(space.Pixels[0], 0);
}

TEST(RenderFontWithDejaVu, ThePickersSizeChangesNothing)
{
    const RenderedFont small = Rendered(OpenChosenFont(DejaVuSans(kWeightNormal, false, 8)));
    const RenderedFont large = Rendered(OpenChosenFont(DejaVuSans(kWeightNormal, false, 72)));
    EXPECT_FALSE(small.GlyphStore.empty());
    EXPECT_TRUE(small.GlyphStore == large.GlyphStore);
    EXPECT_EQ(small.GlyphTree, large.GlyphTree);
}

TEST(RenderFontWithDejaVu, AMissingStyleIsMadeUpRatherThanTakenFromAnotherFamily)
{
    // DejaVu Math TeX Gyre has only an upright regular face: bold and italic are synthesised from it.
    const ChosenFont regular{u"DejaVu Math TeX Gyre", 0, kWeightNormal, false, 0};
    ChosenFont bold = regular;
    bold.Weight = kWeightBold;
    ChosenFont italic = regular;
    italic.Italic = true;
    const auto upright = Opened(OpenChosenFont(regular));
    const auto heavy = Opened(OpenChosenFont(bold));
    const auto slanted = Opened(OpenChosenFont(italic));
    ASSERT_TRUE(upright && heavy && slanted);

    EXPECT_GT(Draw(*heavy, u'|').Box.Sum, Draw(*upright, u'|').Box.Sum * 11 / 10);
    const InkBox bar = Draw(*upright, u'|').Box;
    const int middle = (bar.Top + bar.Bottom) / 2;
    const auto lean = [&](Rasteriser& rasteriser) {
        return InkCentre(rasteriser, u'|', bar.Top, middle) -
               InkCentre(rasteriser, u'|', middle, bar.Bottom + 1);
    };
    EXPECT_NEAR(lean(*upright), 0.0, 0.5);
    EXPECT_GT(lean(*slanted), 1.0); // the top leans right, by a fifth of the height
}

} // namespace
} // namespace orv
