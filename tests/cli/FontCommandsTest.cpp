#include <algorithm>
#include <array>
#include <filesystem>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <png.h>

#include "CliTestSupport.h"
#include "base/Text.h"
#include "cli/GlyphSheet.h"
#include "cli/PngWriter.h"
#include "font/FreeTypeRasteriser.h"
#include "font/RenderFont.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::FilesIn;
using test::IsOneErrorLine;
using test::kDejaVuSans;
using test::Outcome;
using test::RunQuietly;
using test::RunStrdef;

// A PNG read back through libpng, 1 (grey) or 3 (RGB) bytes per pixel.
struct Picture
{
    int Width = 0;
    int Height = 0;
    bool Colour = false;
    std::vector<std::uint8_t> Pixels;
};

Picture ReadPng(const fs::path& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return picture; // no pixels at all: every check of a picture fails
    picture.Colour = (image.format & PNG_FORMAT_FLAG_COLOR) != 0;
    image.format = picture.Colour ? PNG_FORMAT_RGB : PNG_FORMAT_GRAY;
    picture.Width = static_cast<int>(image.width);
    picture.Height = static_cast<int>(image.height);
    picture.Pixels.resize(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, picture.Pixels.data(), 0, nullptr)) << image.message;
    return picture;
}

class FontCommands : public testing::Test
{
protected:
    test::TemporaryDirectory Directory;

    void SetUp() override
    {
        test::WriteDefinitions("texts.strdef", {{1, u"HELLO", u"Hello", u"  Grüße \r\n", 1, u""},
                                                {2, u"UNTRANSLATED", u"Temperature", u"Wärme", 0, u""}});
    }

    static Picture Preview(const std::vector<std::string>& extra, const std::string& name = "out.png")
    {
        std::vector<std::string> args = {"preview", "texts.strdef", "--font", kDejaVuSans, "-o", name};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(RunQuietly(args), "");
        return ReadPng(name);
    }
};

TEST_F(FontCommands, PreviewDrawsTheChosenTextInGreyAtTheChosenZoomAndSize)
{
    const auto ink = [](const Picture& picture) {
        return std::ranges::count_if(picture.Pixels, [](std::uint8_t value) { return value != 0; });
    };
    const Picture normal = Preview({"--text", "HOH"});
    EXPECT_EQ(std::tuple(normal.Width, normal.Height, normal.Colour), std::tuple(226, 122, false));
    const Picture zoomed = Preview({"--text", "HOH", "--zoom", "3", "--size", "300x140"});
    EXPECT_EQ(std::pair(zoomed.Width, zoomed.Height), std::pair(300, 140));
    EXPECT_EQ(ink(zoomed), 9 * ink(normal));
    // --index shows the text that the editor shows: the trimmed translation when marked, else the default.
    EXPECT_EQ(Preview({"--index", "1"}, "index.png").Pixels, Preview({"--text", "Grüße"}).Pixels);
    EXPECT_EQ(Preview({"--index", "2"}, "index.png").Pixels, Preview({"--text", "Temperature"}).Pixels);
}

TEST_F(FontCommands, FailuresAreOneLineWithStatusOneAndWriteNothing)
{
    const std::pair<std::vector<std::string>, std::string> failures[] = {
        {{"--font", "Orvane No Such Family", "--text", "x"}, "\"Orvane No Such Family\""},
        {{"--font", kDejaVuSans, "--index", "9"}, "strdef: texts.strdef: no definition has the index 9\n"},
        {{"--font", kDejaVuSans, "--text", "\xC3"}, "strdef: --text: "},
    };
    for (const auto& [args, says] : failures) {
        std::vector<std::string> preview = {"preview", "texts.strdef", "-o", "out.png"};
        preview.insert(preview.end(), args.begin(), args.end());
        const Outcome outcome = RunStrdef(preview);
        EXPECT_TRUE(IsOneErrorLine(outcome, 1)) << args[1];
        EXPECT_NE(outcome.Err.find(says), std::string::npos) << outcome.Err;
    }
    EXPECT_TRUE(IsOneErrorLine(
        RunStrdef({"preview", "texts.strdef", "--font", kDejaVuSans, "--text", "x", "-o", "no/dir/out.png"}),
        1));
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"glyphs", "missing.strdef", "--font", kDejaVuSans, "--json"}), 1));
    EXPECT_EQ(FilesIn(), std::vector<std::string>{"texts.strdef"});
}

TEST_F(FontCommands, GlyphsWritesTheSheetAndListsARecordPerCodePoint)
{
    EXPECT_EQ(RunQuietly({"glyphs", "texts.strdef", "--font", kDejaVuSans, "-o", "sheet.png"}), "");
    const std::string listed = RunQuietly({"glyphs", "texts.strdef", "--font", kDejaVuSans, "--json"});
    EXPECT_TRUE(listed.starts_with("{\n  \"glyphs\": [\n    {\"codePoint\":32,\"character\":\" \","))
        << listed;
    const nlohmann::json records = nlohmann::json::parse(listed).at("glyphs");
    CharacterSet characters; // the texts that the editor shows
    characters.AddText(u"Grüße");
    characters.AddText(u"Temperature");
    RenderedFont font;
    ASSERT_TRUE(RenderFont(font, characters, OpenFontFile(kDejaVuSans)).has_value());
    const std::vector<char16_t> codePoints = characters.CodePoints();
    ASSERT_EQ(records.size(), codePoints.size());
    const Glyph last = FindGlyph(font, codePoints.back());
    EXPECT_EQ(records.back(), (nlohmann::json{{"codePoint", int{codePoints.back()}},
                                              {"character", ToUtf8(std::u16string(1, codePoints.back()))},
                                              {"advance", last.Advance},
                                              {"xOffset", last.XOffset},
                                              {"yOffset", last.YOffset},
                                              {"width", last.Width},
                                              {"height", last.Height}}));
    const Picture sheet = ReadPng("sheet.png");
    const GlyphSheetLayout layout = LayOutGlyphSheet(font, codePoints);
    EXPECT_EQ(std::tuple(sheet.Width, sheet.Height, sheet.Colour),
              std::tuple(layout.Width(), layout.Height(), true));
}

TEST(GlyphSheet, DrawsTheInkAsGreySquaresOverTheCodePointInHexadecimalInAClosedGrid)
{
    const std::vector<char16_t> codePoints = {0x0123, 0x4567, 0x89AB, 0xCDEF};
    const std::vector<std::uint8_t> ink = {255, 0, 73, 36}, blank = {0};
    GlyphTableBuilder builder;
    builder.Add(codePoints[0], Glyph{3, -1, 2, 2, 2, ink}); // ink from one pixel left of the pen
    for (const char16_t codePoint : std::span(codePoints).subspan(1))
        builder.Add(codePoint, Glyph{1, 0, 0, 1, 1, blank});
    const RenderedFont font = builder.Finish();
    const GlyphSheetLayout layout = LayOutGlyphSheet(font, codePoints);
    const PngImage sheet = DrawGlyphSheet(font, codePoints).value();
    const auto rgb = [&](long long x, long long y) {
        const std::uint8_t* pixel = &sheet.Pixels[(y * sheet.Width + x) * 3];
        return std::uint32_t{pixel[0]} << 16 | std::uint32_t{pixel[1]} << 8 | pixel[2];
    };
    // Each ink pixel a kSheetZoom square at its offsets from the pen; nothing else is grey.
    int greys = 0;
    for (int y = 0; y < layout.CellHeight; ++y)
        for (int x = 0; x < layout.CellWidth; ++x)
            greys += rgb(x, y) != 0 && rgb(x, y) == (rgb(x, y) & 0xFF) * 0x010101u;
    EXPECT_EQ(greys, 3 * kSheetZoom * kSheetZoom);
    EXPECT_EQ(rgb(layout.PenX - kSheetZoom, layout.LineY + 2 * kSheetZoom), 0xFFFFFFu);
    EXPECT_EQ(rgb(layout.PenX + kSheetZoom - 1, layout.LineY + 4 * kSheetZoom - 1), 0x242424u);
    // The grid closes on the right and at the bottom (looked at beside the first cell's middle).
    EXPECT_EQ(rgb(sheet.Width - 1, layout.CellHeight / 2), kGridColour);
    EXPECT_EQ(rgb(layout.CellWidth / 2, sheet.Height - 1), kGridColour);

    // One character per label pixel (kLabelZoom sheet pixels a side), '#' where it has the label colour.
    std::string labels;
    for (int row = 0; row < kDigitHeight; ++row) {
        for (std::size_t cell = 0; cell < codePoints.size(); ++cell) {
            for (int column = 0; column < kLabelDigits * (kDigitWidth + kDigitSpacing) - kDigitSpacing;
                 ++column) {
                labels += rgb(layout.CellX(cell) + layout.LabelX + column * kLabelZoom,
                              layout.CellY(cell) + layout.LabelY + row * kLabelZoom) == kLabelColour
                              ? '#'
                              : '.';
            }
            labels += cell + 1 < codePoints.size() ? ' ' : '\n';
        }
    }
    EXPECT_EQ(labels, "###..#..###.### #.#.###.###.### ###.###..#..##. .##.##..###.###\n"
                      "#.#.##....#...# #.#.#...#.....# #.#.#.#.#.#.#.# #...#.#.#...#..\n"
                      "#.#..#..###.### ###.###.###...# ###.###.###.##. #...#.#.##..##.\n"
                      "#.#..#..#.....# ..#...#.#.#..#. #.#...#.#.#.#.# #...#.#.#...#..\n"
                      "###.###.###.### ..#.###.###..#. ###.###.#.#.##. .##.##..###.#..\n");
}

TEST(GlyphSheet, FillsRowsOfSixteenAndRefusesAbsurdGlyphExtentsBeforeDrawing)
{
    // 4096 glyphs whose ink starts 128 pixels left of the pen and whose advance is 255: cells over 700
    // pixels wide, a sheet of some 200 million pixels.
    const std::vector<std::uint8_t> ink = {255};
    GlyphTableBuilder builder;
    std::vector<char16_t> codePoints;
    for (char16_t codePoint = 0x100; codePoint < 0x100 + kMaxGlyphCount; ++codePoint) {
        builder.Add(codePoint, Glyph{255, -128, 0, 1, 1, ink});
        codePoints.push_back(codePoint);
    }
    const RenderedFont font = builder.Finish();
    for (const auto [count, columns, rows] : {std::array{1, 1, 1}, {16, 16, 1}, {17, 16, 2}}) {
        const GlyphSheetLayout layout = LayOutGlyphSheet(font, std::span(codePoints).first(count));
        EXPECT_EQ(layout.Columns, columns) << count;
        EXPECT_EQ(layout.Rows, rows) << count;
    }
    const auto sheet = DrawGlyphSheet(font, codePoints);
    ASSERT_FALSE(sheet);
    EXPECT_EQ(sheet.error().Code, ErrorCode::OutOfRange);
}

TEST(PngWriter, WritesWhatLibpngReadsBackAndRefusesBadImagesWithoutTouchingTheFile)
{
    test::TemporaryDirectory directory;
    PngImage grey = PngImage::Black(3, 2, PngColour::Grey);
    grey.Pixels = {0, 36, 255, 73, 109, 146};
    ASSERT_TRUE(WritePngFile("out.png", grey));
    EXPECT_EQ(ReadPng("out.png").Pixels, grey.Pixels);

    const test::Bytes before = test::ReadBytes("out.png");
    grey.Pixels.pop_back();
    for (const PngImage& image : {PngImage{}, PngImage::Black(kMaxPngSide + 1, 1, PngColour::Grey), grey}) {
        const auto written = WritePngFile("out.png", image);
        ASSERT_FALSE(written);
        EXPECT_EQ(written.error().Code, ErrorCode::BadInput);
    }
    EXPECT_EQ(test::ReadBytes("out.png"), before);
    EXPECT_EQ(FilesIn(), std::vector<std::string>{"out.png"});
}

} // namespace
} // namespace orv
