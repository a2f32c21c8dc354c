#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <png.h>

#include "CliTestSupport.h"
#include "base/Text.h"
#include "cli/Cli.h"
#include "cli/GlyphSheet.h"
#include "cli/PngWriter.h"
#include "font/CharacterSet.h"
#include "font/FreeTypeRasteriser.h"
#include "font/RenderFont.h"
#include "store/DefinitionFile.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::IsOneErrorLine;
using test::kDejaVuSans;
using test::Outcome;
using test::RunStrdef;
using test::WriteDefinitions;

std::vector<std::string> FilesHere()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator("."))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A PNG read back through libpng, 1 (grey) or 3 (RGB) bytes per pixel.
struct Picture
{
    int Width = 0;
    int Height = 0;
    bool Colour = false;
    std::vector<std::uint8_t> Pixels;

    std::uint8_t Grey(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
    std::uint32_t Rgb(int x, int y) const
    {
        const std::uint8_t* pixel = &Pixels[(static_cast<std::size_t>(y) * Width + x) * 3];
        return std::uint32_t{pixel[0]} << 16 | std::uint32_t{pixel[1]} << 8 | pixel[2];
    }
};

Picture ReadPng(const fs::path& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        ADD_FAILURE() << path << ": " << image.message;
        return picture;
    }
    EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u) << path;
    picture.Colour = (image.format & PNG_FORMAT_FLAG_COLOR) != 0;
    image.format = picture.Colour ? PNG_FORMAT_RGB : PNG_FORMAT_GRAY;
    picture.Width = static_cast<int>(image.width);
    picture.Height = static_cast<int>(image.height);
    picture.Pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.Pixels.data(), 0, nullptr))
        ADD_FAILURE() << path << ": " << image.message;
    return picture;
}

// The box of all non-black pixels of a grey picture, inclusive.
struct InkBox
{
    int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;
    bool Empty() const { return Right < 0; }
    int Width() const { return Right - Left + 1; }
    int Height() const { return Bottom - Top + 1; }
};

InkBox FindInk(const Picture& picture)
{
    InkBox box;
    for (int y = 0; y < picture.Height; ++y) {
        for (int x = 0; x < picture.Width; ++x) {
            if (picture.Grey(x, y) == 0)
                continue;
            box.Left = std::min(box.Left, x);
            box.Right = std::max(box.Right, x);
            box.Top = std::min(box.Top, y);
            box.Bottom = std::max(box.Bottom, y);
        }
    }
    return box;
}

class FontCommands : public testing::Test
{
protected:
    test::TemporaryDirectory Directory;

    void SetUp() override
    {
        WriteDefinitions("texts.strdef", {{1, u"HELLO", u"Hello", u"  Grüße Привет \r\n", 1, u""},
                                          {2, u"UNTRANSLATED", u"Temperature", u"Wärme", 0, u""},
                                          {3, u"BLANK", u"Default", u" \t ", 1, u""},
                                          {4, u"CONTROL", u"\a\bBell", u"", 0, u""}});
    }

    static Picture Preview(const std::vector<std::string>& extra, const std::string& name = "out.png")
    {
        std::vector<std::string> args = {"preview", "texts.strdef", "--font", kDejaVuSans, "-o", name};
        args.insert(args.end(), extra.begin(), extra.end());
        const Outcome outcome = RunStrdef(args);
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
        EXPECT_EQ(outcome.Out + outcome.Err, "");
        return ReadPng(name);
    }
};

TEST_F(FontCommands, PreviewCentresTheTextInGreyAtTheEditorsSizeAndZoomTriplesIt)
{
    const Picture normal = Preview({"--text", "HOH"});
    // The window's preview control: 113 x 65 dialog units of Liberation Sans 10 pt at 96 dpi.
    EXPECT_EQ(normal.Width, 226);
    EXPECT_EQ(normal.Height, 122);
    EXPECT_FALSE(normal.Colour);
    const InkBox ink = FindInk(normal);
    ASSERT_FALSE(ink.Empty());
    EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 226 / 2.0, 2.0);
    // The 22-pixel line is centred: its top is 11 pixels above the middle row.
    EXPECT_GE(ink.Top, 122 / 2 - 11);
    EXPECT_LT(ink.Bottom, 122 / 2 + 11);

    const Picture zoomed = Preview({"--text", "HOH", "--zoom", "3"});
    const InkBox zoomedInk = FindInk(zoomed);
    EXPECT_EQ(zoomedInk.Width(), 3 * ink.Width());
    EXPECT_EQ(zoomedInk.Height(), 3 * ink.Height());
    EXPECT_NEAR((zoomedInk.Left + zoomedInk.Right) / 2.0, 226 / 2.0, 3.0);
    EXPECT_GE(zoomedInk.Top, 122 / 2 - 33);

    const Picture sized = Preview({"--text", "HOH", "--size", "300x40"});
    EXPECT_EQ(sized.Width, 300);
    EXPECT_EQ(sized.Height, 40);
    EXPECT_NEAR((FindInk(sized).Left + FindInk(sized).Right) / 2.0, 150.0, 2.0);
}

TEST_F(FontCommands, PreviewOfAnIndexShowsWhatTheEditorShows)
{
    // Marked translated: the translation without its blanks. Picture bytes are compared, so the
    // rendering of the same text through --text must agree pixel for pixel.
    EXPECT_EQ(Preview({"--index", "1"}, "index.png").Pixels, Preview({"--text", "Grüße Привет"}).Pixels);
    // Not marked: the default text, whatever the translation holds.
    EXPECT_EQ(Preview({"--index", "2"}, "index.png").Pixels, Preview({"--text", "Temperature"}).Pixels);
    // Marked but blank: the default text.
    EXPECT_EQ(Preview({"--index", "3"}, "index.png").Pixels, Preview({"--text", "Default"}).Pixels);
    // The list's normal and inverted codes take no room and draw nothing.
    EXPECT_EQ(Preview({"--index", "4"}, "index.png").Pixels, Preview({"--text", "Bell"}).Pixels);
    EXPECT_NE(Preview({"--index", "2"}, "index.png").Pixels, Preview({"--text", "Wärme"}).Pixels);
    // An empty text is a black picture.
    EXPECT_TRUE(FindInk(Preview({"--text", ""})).Empty());
}

TEST_F(FontCommands, FailuresAreOneLineWithStatusOneAndWriteNothing)
{
    // A well-formed 8-bit string that is not the magic.
    test::WriteBytes("garbage.strdef", test::ByteBuilder().NarrowString("ORVsomething").U32(0).Take());
    test::Bytes truncated = test::ReadBytes("texts.strdef");
    truncated.resize(truncated.size() / 2);
    test::WriteBytes("truncated.strdef", truncated);
    test::WriteBytes("fake.ttf", test::Bytes(100, 0x41));
    // 4000 CJK characters beside the 111 that every font holds.
    std::u16string manyCharacters;
    for (char16_t unit = u'\u4E00'; unit < u'\u4E00' + 4000; ++unit)
        manyCharacters.push_back(unit);
    const struct
    {
        std::vector<std::string> Args;
        std::string Says;
    } failures[] = {
        {{"preview", "texts.strdef", "--font", "missing.ttf", "--text", "x", "-o", "out.png"},
         "no such file"},
        {{"preview", "texts.strdef", "--font", "Orvane No Such Family", "--text", "x", "-o", "out.png"},
         "no installed font has the family \"Orvane No Such Family\""},
        {{"preview", "texts.strdef", "--font", "fake.ttf", "--text", "x", "-o", "out.png"}, "fake.ttf"},
        {{"preview", "texts.strdef", "--font", kDejaVuSans, "--index", "9", "-o", "out.png"},
         "texts.strdef: no definition has the index 9"},
        {{"preview", "missing.strdef", "--font", kDejaVuSans, "--text", "x", "-o", "out.png"},
         "missing.strdef"},
        {{"preview", "garbage.strdef", "--font", kDejaVuSans, "--text", "x", "-o", "out.png"}, "(result 1)"},
        {{"preview", "truncated.strdef", "--font", kDejaVuSans, "--text", "x", "-o", "out.png"},
         "(result 9)"},
        {{"preview", "texts.strdef", "--font", kDejaVuSans, "--text", "\xC3", "-o", "out.png"}, "--text"},
        {{"preview", "texts.strdef", "--font", kDejaVuSans, "--text", ToUtf8(manyCharacters), "-o",
          "out.png"},
         "texts.strdef: Too many characters, max. is 4096"},
        {{"preview", "texts.strdef", "--font", kDejaVuSans, "--text", "x", "-o", "no/dir/out.png"}, "no/dir"},
        {{"glyphs", "garbage.strdef", "--font", kDejaVuSans, "--json"}, "garbage.strdef"},
        {{"glyphs", "texts.strdef", "--font", "Orvane No Such Family", "-o", "out.png"},
         "Orvane No Such Family"},
    };
    const std::vector<std::string> before = FilesHere();
    for (const auto& failure : failures) {
        const Outcome outcome = RunStrdef(failure.Args);
        EXPECT_TRUE(IsOneErrorLine(outcome, 1)) << failure.Args[3];
        EXPECT_NE(outcome.Err.find(failure.Says), std::string::npos) << outcome.Err;
        EXPECT_EQ(FilesHere(), before) << outcome.Err;
    }
}

TEST_F(FontCommands, UsageErrorsAreStatusTwoAndHelpIsZero)
{
    const std::vector<std::string> base = {"preview", "texts.strdef", "--font", kDejaVuSans, "-o", "out.png"};
    const std::vector<std::string> misuses[] = {
        {"--index", "1", "--text", "x"},
        {},
        {"--index", "1", "--zoom", "2"},
        {"--index", "1", "--zoom", "3x"},
        {"--index", "1", "--size", "10x"},
        {"--index", "1", "--size", "0x5"},
        {"--index", "1", "--size", "axb"},
        {"--index", "1", "--size", "100000x100000"},
        {"--index", "1", "--size", "+5x5"},
        {"--index", "-1"},
        {"--index", "65536"},
        {"--index", "1 "},
        {"--index", "1", "--frob"},
    };
    for (const auto& misuse : misuses) {
        std::vector<std::string> args = base;
        args.insert(args.end(), misuse.begin(), misuse.end());
        EXPECT_TRUE(IsOneErrorLine(RunStrdef(args), 2)) << testing::PrintToString(misuse);
    }
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"preview", "texts.strdef", "--index", "1", "-o", "out.png"}), 2));
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"glyphs", "texts.strdef", "--font", kDejaVuSans}), 2));
    EXPECT_EQ(FilesHere(), std::vector<std::string>{"texts.strdef"});

    for (const char* subcommand : {"preview", "glyphs"}) {
        const Outcome help = RunStrdef({subcommand, "--help"});
        EXPECT_EQ(help.Status, 0);
        EXPECT_NE(help.Out.find(std::string("Usage: strdef ") + subcommand), std::string::npos) << help.Out;
        EXPECT_NE(help.Out.find("--font FONT"), std::string::npos) << help.Out;
    }
}

TEST_F(FontCommands, GlyphsJsonListsEveryCodePointWithItsRecord)
{
    const Outcome outcome = RunStrdef({"glyphs", "texts.strdef", "--font", kDejaVuSans, "--json"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    const nlohmann::json records = nlohmann::json::parse(outcome.Out).at("glyphs");

    // The font as the window makes it for these texts.
    CharacterSet characters;
    for (const char16_t* text : {u"Grüße Привет", u"Temperature", u"Default", u"\a\bBell"})
        characters.AddText(text);
    RenderedFont font;
    ASSERT_TRUE(RenderFont(font, characters, OpenFontFile(kDejaVuSans)).Succeeded());
    const std::vector<char16_t> codePoints = characters.CodePoints();

    ASSERT_EQ(records.size(), codePoints.size());
    for (std::size_t i = 0; i < codePoints.size(); ++i) {
        const Glyph glyph = FindGlyph(font, codePoints[i]);
        const nlohmann::json& record = records[i];
        EXPECT_EQ(record.at("codePoint"), int{codePoints[i]});
        EXPECT_EQ(record.at("advance"), glyph.Advance);
        EXPECT_EQ(record.at("xOffset"), glyph.XOffset);
        EXPECT_EQ(record.at("yOffset"), glyph.YOffset);
        EXPECT_EQ(record.at("width"), glyph.Width);
        EXPECT_EQ(record.at("height"), glyph.Height);
    }
    EXPECT_EQ(records[0].at("character"), " ");
    const auto has = [&](int codePoint) {
        return std::any_of(records.begin(), records.end(),
                           [&](const nlohmann::json& record) { return record.at("codePoint") == codePoint; });
    };
    EXPECT_TRUE(has(0x00FC));  // ü of a marked translation
    EXPECT_FALSE(has(0x00E4)); // ä of a translation that is not marked
    EXPECT_FALSE(has(0x0007)); // control codes are never rendered
}

// The four hexadecimal digits of the label whose top-left corner is (x, y), or -1 where a digit is
// not one of the sheet's.
int ReadLabel(const Picture& sheet, int x, int y)
{
    int value = 0;
    for (int digit = 0; digit < kLabelDigits; ++digit) {
        std::array<std::uint8_t, kDigitHeight> rows{};
        const int digitX = x + digit * (kDigitWidth + kDigitSpacing) * kLabelZoom;
        for (int row = 0; row < kDigitHeight; ++row) {
            for (int column = 0; column < kDigitWidth; ++column) {
                if (sheet.Rgb(digitX + column * kLabelZoom, y + row * kLabelZoom) == kLabelColour)
                    rows[row] = static_cast<std::uint8_t>(rows[row] | 1 << (kDigitWidth - 1 - column));
            }
        }
        const auto found = std::find(kHexDigitRows.begin(), kHexDigitRows.end(), rows);
        if (found == kHexDigitRows.end())
            return -1;
        value = value * 16 + static_cast<int>(found - kHexDigitRows.begin());
    }
    return value;
}

TEST_F(FontCommands, SheetShowsEveryGlyphOverItsCodePoint)
{
    const Outcome outcome = RunStrdef({"glyphs", "texts.strdef", "--font", kDejaVuSans, "-o", "sheet.png"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Out + outcome.Err, "");
    const Picture sheet = ReadPng("sheet.png");
    ASSERT_TRUE(sheet.Colour);

    CharacterSet characters;
    for (const char16_t* text : {u"Grüße Привет", u"Temperature", u"Default", u"Bell"})
        characters.AddText(text);
    RenderedFont font;
    ASSERT_TRUE(RenderFont(font, characters, OpenFontFile(kDejaVuSans)).Succeeded());
    const std::vector<char16_t> codePoints = characters.CodePoints();
    const GlyphSheetLayout layout = LayOutGlyphSheet(font, codePoints);
    EXPECT_EQ(layout.Columns, kSheetColumns);
    EXPECT_EQ(layout.Rows, static_cast<int>((codePoints.size() + kSheetColumns - 1) / kSheetColumns));
    EXPECT_EQ(sheet.Width, layout.Width());
    EXPECT_EQ(sheet.Height, layout.Height());

    for (std::size_t i = 0; i < codePoints.size(); ++i) {
        const int cellX = layout.CellX(i);
        const int cellY = layout.CellY(i);
        EXPECT_EQ(ReadLabel(sheet, cellX + layout.LabelX, cellY + layout.LabelY), int{codePoints[i]}) << i;

        // The glyph's ink, and only its ink, is grey: every ink pixel a kSheetZoom square at its offsets.
        const Glyph glyph = FindGlyph(font, codePoints[i]);
        long long inkPixels = 0;
        for (const std::uint8_t value : glyph.Pixels)
            inkPixels += value != 0;
        long long greyPixels = 0;
        for (int y = cellY; y < cellY + layout.CellHeight; ++y) {
            for (int x = cellX; x < cellX + layout.CellWidth; ++x) {
                const std::uint32_t colour = sheet.Rgb(x, y);
                greyPixels += colour != 0 && colour == (colour & 0xFF) * 0x010101u;
            }
        }
        EXPECT_EQ(greyPixels, inkPixels * kSheetZoom * kSheetZoom) << "U+" << std::hex << int{codePoints[i]};
        if (inkPixels > 0 && glyph.Pixels[0] != 0) {
            const std::uint8_t first = glyph.Pixels[0];
            EXPECT_EQ(sheet.Rgb(cellX + layout.PenX + glyph.XOffset * kSheetZoom,
                                cellY + layout.LineY + glyph.YOffset * kSheetZoom),
                      first * 0x010101u);
        }
    }

    // With --json the sheet is optional; given, it is the same sheet.
    const Outcome both =
        RunStrdef({"glyphs", "texts.strdef", "--font", kDejaVuSans, "--json", "-o", "again.png"});
    EXPECT_EQ(both.Status, 0);
    EXPECT_TRUE(both.Out.starts_with("{\"glyphs\": ["));
    EXPECT_EQ(test::ReadBytes("again.png"), test::ReadBytes("sheet.png"));
}

TEST(GlyphSheet, HexDigitsAreDistinct)
{
    for (std::size_t a = 0; a < kHexDigitRows.size(); ++a) {
        for (std::size_t b = a + 1; b < kHexDigitRows.size(); ++b)
            EXPECT_NE(kHexDigitRows[a], kHexDigitRows[b]) << a << " and " << b;
    }
}

TEST(GlyphSheet, AbsurdGlyphExtentsAreRefusedBeforeDrawing)
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
    const auto sheet = DrawGlyphSheet(font, codePoints);
    ASSERT_FALSE(sheet);
    EXPECT_EQ(sheet.error().Code, ErrorCode::OutOfRange);
    EXPECT_NE(sheet.error().Message.find("the glyph sheet would be"), std::string::npos);
}

TEST(PngWriter, WritesWhatLibpngReadsBackAndRefusesBadImagesWithoutTouchingTheFile)
{
    test::TemporaryDirectory directory;
    PngImage grey = PngImage::Black(3, 2, PngColour::Grey);
    grey.Pixels = {0, 36, 255, 73, 109, 146};
    ASSERT_TRUE(WritePngFile("grey.png", grey));
    const Picture greyBack = ReadPng("grey.png");
    EXPECT_FALSE(greyBack.Colour);
    EXPECT_EQ(greyBack.Width, 3);
    EXPECT_EQ(greyBack.Height, 2);
    EXPECT_EQ(greyBack.Pixels, grey.Pixels);

    PngImage rgb = PngImage::Black(2, 1, PngColour::Rgb);
    rgb.Pixels = {1, 2, 3, 250, 128, 0};
    ASSERT_TRUE(WritePngFile("grey.png", rgb)); // over the grey one
    const Picture rgbBack = ReadPng("grey.png");
    EXPECT_TRUE(rgbBack.Colour);
    EXPECT_EQ(rgbBack.Pixels, rgb.Pixels);

    // Refusals leave the file as it was and no temporary behind.
    const test::Bytes before = test::ReadBytes("grey.png");
    PngImage mismatched = rgb;
    mismatched.Pixels.pop_back();
    const PngImage refused[] = {PngImage{}, PngImage::Black(kMaxPngSide + 1, 1, PngColour::Grey), mismatched};
    for (const PngImage& image : refused) {
        const auto written = WritePngFile("grey.png", image);
        ASSERT_FALSE(written);
        EXPECT_EQ(written.error().Code, ErrorCode::BadInput);
    }
    EXPECT_EQ(test::ReadBytes("grey.png"), before);
    EXPECT_EQ(FilesHere(), std::vector<std::string>{"grey.png"});
}

} // namespace
} // namespace orv
