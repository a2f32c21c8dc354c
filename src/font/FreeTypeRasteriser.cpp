#include "font/FreeTypeRasteriser.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <string>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <sys/stat.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include "base/Text.h"

namespace orv {

namespace {

constexpr int kSubpixels = 64; // FreeType's 26.6 fixed point
// A font whose em is this many times its cell height is refused: its glyphs would be huge outlines
// that only cost time, and no real font comes near it.
constexpr long kMaxEmPerCell = 16;
// Unicode ends here; a character map that claims more is cut off.
constexpr FT_ULong kLastCodePoint = 0x10FFFF;

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// FreeType's own description of an error. FT_Error_String answers only when the library was built
// with its error strings, which distributions leave out, so the table is made here from the list in
// FT_ERRORS_H, in the way that header provides for.
const char* FreeTypeErrorText(FT_Error error)
{
#undef FTERRORS_H_
#define FT_ERROR_START_LIST switch (FT_ERROR_BASE(error)) {
#define FT_ERRORDEF(e, v, s)                                                                                 \
    case v:                                                                                                  \
        return s;
#define FT_ERROR_END_LIST }
#include FT_ERRORS_H
    return nullptr;
}

std::string FreeTypeReason(FT_Error error)
{
    if (const char* text = FreeTypeErrorText(error))
        return text;
    char code[32];
    std::snprintf(code, sizeof code, "FreeType error 0x%02X", static_cast<unsigned>(error));
    return code;
}

std::string CodePointName(char16_t unit)
{
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(unit));
    return name;
}

std::int32_t ToInt32(FT_Pos value)
{
    return static_cast<std::int32_t>(std::clamp<FT_Pos>(value, std::numeric_limits<std::int32_t>::min(),
                                                        std::numeric_limits<std::int32_t>::max()));
}

// Rounds 26.6 to whole pixels, halves up.
FT_Pos RoundPixels(FT_Pos value)
{
    return (value + kSubpixels / 2) >> 6;
}

// What fontconfig adds to a face that lacks the requested style.
struct Synthesis
{
    bool Embolden = false;
    std::optional<FT_Matrix> Transform;
};

// Where the smooth rasteriser's spans go: the work bitmap, with the baseline at row `Ascent`.
struct SpanTarget
{
    CoverageBitmap* Bitmap = nullptr;
    int Ascent = 0;
};

// Note: span rows count upwards from the baseline (row 0 is the pixel row just above it), so row y
// lands in bitmap row Ascent - 1 - y. Columns are already bitmap columns, the outline having been
// moved right by the cell's left edge.
void DrawSpans(int y, int count, const FT_Span* spans, void* user)
{
    const auto& target = *static_cast<const SpanTarget*>(user);
    const int row = target.Ascent - 1 - y;
    if (row < 0 || row >= kWorkSize)
        return;
    for (int i = 0; i < count; ++i) {
        const int first = std::max(0, int{spans[i].x});
        const int end = std::min(kWorkSize, spans[i].x + int{spans[i].len});
        for (int x = first; x < end; ++x) {
            std::uint8_t& pixel = target.Bitmap->At(x, row);
            pixel = std::max(pixel, spans[i].coverage);
        }
    }
}

class FreeTypeRasteriser final : public Rasteriser
{
public:
    // Opens face `faceIndex` of `file`; `name` says in messages which font is meant.
    static Result<std::unique_ptr<Rasteriser>> Open(const std::string& file, long faceIndex,
                                                    const Synthesis& synthesis, std::string name);

    FreeTypeRasteriser(const FreeTypeRasteriser&) = delete;
    FreeTypeRasteriser& operator=(const FreeTypeRasteriser&) = delete;
    ~FreeTypeRasteriser() override
    {
        if (Face)
            FT_Done_Face(Face);
        if (Library)
            FT_Done_FreeType(Library);
    }

    Result<std::vector<CodePointRange>> UnicodeCoverage() override;
    Result<CharacterWidths> DrawCharacter(char16_t unit, CoverageBitmap& bitmap) override;

private:
    explicit FreeTypeRasteriser(std::string name) : Name(std::move(name)) {}
    Result<void> SizeToCell();

    std::string Name;
    FT_Library Library = nullptr;
    FT_Face Face = nullptr;
    bool HasUnicodeMap = false;
    bool Embolden = false;
    int Ascent = 0; // baseline row below the cell top, pixels
};

Result<std::unique_ptr<Rasteriser>> FreeTypeRasteriser::Open(const std::string& file, long faceIndex,
                                                             const Synthesis& synthesis, std::string name)
{
    std::unique_ptr<FreeTypeRasteriser> rasteriser(new FreeTypeRasteriser(std::move(name)));
    const std::string& what = rasteriser->Name;
    if (const FT_Error error = FT_Init_FreeType(&rasteriser->Library))
        return Fail(ErrorCode::OpenFailed, what + ": FreeType cannot start: " + FreeTypeReason(error));
    if (const FT_Error error = FT_New_Face(rasteriser->Library, file.c_str(), faceIndex, &rasteriser->Face)) {
        rasteriser->Face = nullptr;
        return Fail(ErrorCode::OpenFailed, what + ": cannot be opened as a font: " + FreeTypeReason(error));
    }
    FT_Face face = rasteriser->Face;
    if (!FT_IS_SCALABLE(face))
        return Fail(ErrorCode::OpenFailed, what + ": is not a scalable outline font");
    rasteriser->HasUnicodeMap = FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0;
    if (auto sized = rasteriser->SizeToCell(); !sized)
        return tl::unexpected(sized.error());
    rasteriser->Embolden = synthesis.Embolden;
    if (synthesis.Transform) {
        FT_Matrix matrix = *synthesis.Transform;
        FT_Set_Transform(face, &matrix, nullptr);
    }
    return std::unique_ptr<Rasteriser>(std::move(rasteriser));
}

// Note: FreeType's REAL_DIM request scales the face's ascender - descender (FT_FaceRec's, taken from
// hhea for most fonts) to the requested height. The cell is usWinAscent + usWinDescent instead, so the
// request is made for the height that face's ascender - descender has when the cell is 88 pixels; for
// the many fonts whose two heights agree, that is 88 itself.
Result<void> FreeTypeRasteriser::SizeToCell()
{
    long ascentUnits = 0;
    long cellUnits = 0;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(Face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(Face, FT_SFNT_HHEA));
    if (os2 && os2->version != 0xFFFF && long{os2->usWinAscent} + os2->usWinDescent > 0) {
        ascentUnits = os2->usWinAscent;
        cellUnits = long{os2->usWinAscent} + os2->usWinDescent;
    } else if (hhea && long{hhea->Ascender} - hhea->Descender > 0) {
        ascentUnits = hhea->Ascender;
        cellUnits = long{hhea->Ascender} - hhea->Descender;
    } else {
        ascentUnits = Face->ascender;
        cellUnits = long{Face->ascender} - Face->descender;
    }
    const long realUnits = long{Face->ascender} - Face->descender;
    if (cellUnits <= 0 || realUnits <= 0)
        return Fail(ErrorCode::OpenFailed, Name + ": the font has no usable line height");
    if (Face->units_per_EM > cellUnits * kMaxEmPerCell || realUnits > cellUnits * kMaxEmPerCell)
        return Fail(ErrorCode::OpenFailed, Name + ": the font's line height of " + std::to_string(cellUnits) +
                                               " units is implausibly small");

    FT_Size_RequestRec request{};
    request.type = FT_SIZE_REQUEST_TYPE_REAL_DIM;
    request.height = FT_MulDiv(kCellHeight * kSubpixels, realUnits, cellUnits);
    if (const FT_Error error = FT_Request_Size(Face, &request))
        return Fail(ErrorCode::OpenFailed, Name + ": cannot be scaled to the cell: " + FreeTypeReason(error));
    Ascent = ToInt32(RoundPixels(FT_MulFix(ascentUnits, Face->size->metrics.y_scale)));
    return {};
}

Result<std::vector<CodePointRange>> FreeTypeRasteriser::UnicodeCoverage()
{
    if (!HasUnicodeMap)
        return Fail(ErrorCode::BadInput, Name + ": the font has no Unicode character map");
    std::vector<CodePointRange> ranges;
    FT_UInt glyphIndex = 0;
    FT_ULong code = FT_Get_First_Char(Face, &glyphIndex);
    // The codes rise strictly and stop at the end of Unicode, so the walk ends even on a broken map.
    while (glyphIndex != 0 && code <= kLastCodePoint) {
        const auto codePoint = static_cast<char32_t>(code);
        if (!ranges.empty() && ranges.back().Last + 1 == codePoint)
            ranges.back().Last = codePoint;
        else
            ranges.push_back({codePoint, codePoint});
        const FT_ULong next = FT_Get_Next_Char(Face, code, &glyphIndex);
        if (next <= code)
            break;
        code = next;
    }
    return ranges;
}

Result<CharacterWidths> FreeTypeRasteriser::DrawCharacter(char16_t unit, CoverageBitmap& bitmap)
{
    // A unit the face does not map, lone surrogates among them, is drawn as the face's missing glyph.
    const FT_UInt glyphIndex = HasUnicodeMap ? FT_Get_Char_Index(Face, unit) : 0;
    if (const FT_Error error = FT_Load_Glyph(Face, glyphIndex, FT_LOAD_NO_BITMAP))
        return Fail(ErrorCode::BadInput, Name + ": character " + CodePointName(unit) +
                                             " cannot be loaded: " + FreeTypeReason(error));
    FT_GlyphSlot slot = Face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE)
        return Fail(ErrorCode::BadInput, Name + ": character " + CodePointName(unit) + " is not an outline");
    if (Embolden)
        FT_GlyphSlot_Embolden(slot);

    FT_Outline& outline = slot->outline;
    const FT_Pos advance = RoundPixels(slot->advance.x);
    CharacterWidths widths;
    FT_BBox box{};
    if (outline.n_points > 0 && FT_Outline_Get_BBox(&outline, &box) == 0 && box.xMax > box.xMin &&
        box.yMax > box.yMin) {
        const FT_Pos inkLeft = box.xMin >> 6;                     // floor
        const FT_Pos inkRight = (box.xMax + kSubpixels - 1) >> 6; // ceiling
        widths.A = ToInt32(inkLeft);
        widths.B = static_cast<std::uint32_t>(ToInt32(inkRight - inkLeft));
    }
    widths.C = ToInt32(advance - widths.A - static_cast<FT_Pos>(widths.B));
    if (outline.n_points == 0)
        return widths;

    // Note: direct rendering with clipping writes only the work bitmap's pixels through DrawSpans, so a
    // glyph of absurd size costs no bitmap of its own. The clip box is in whole pixels, rows counted
    // upwards from the baseline as the spans are.
    FT_Outline_Translate(&outline, kCellLeft * kSubpixels, 0);
    SpanTarget target{&bitmap, Ascent};
    FT_Raster_Params params{};
    params.source = &outline;
    params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
    params.gray_spans = DrawSpans;
    params.user = &target;
    params.clip_box = {0, Ascent - kWorkSize, kWorkSize, Ascent};
    if (const FT_Error error = FT_Outline_Render(Library, &outline, &params))
        return Fail(ErrorCode::BadInput, Name + ": character " + CodePointName(unit) +
                                             " cannot be drawn: " + FreeTypeReason(error));
    return widths;
}

// fontconfig -------------------------------------------------------------------------------------

struct PatternDeleter
{
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPointer = std::unique_ptr<FcPattern, PatternDeleter>;

Result<void> StartFontconfig()
{
    static const bool started = FcInit() == FcTrue;
    if (!started)
        return Fail(ErrorCode::OpenFailed, "fontconfig cannot load its configuration");
    return {};
}

std::optional<std::string> PatternString(const FcPattern* pattern, const char* object, int index)
{
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, index, &value) != FcResultMatch || !value)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(value));
}

// Family names compare as fontconfig compares them: ignoring spaces and the case of ASCII letters.
std::string FamilyKey(std::string_view family)
{
    std::string key;
    for (const char c : family) {
        if (c != ' ')
            key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return key;
}

bool SameFamily(std::string_view a, std::string_view b)
{
    return FamilyKey(a) == FamilyKey(b);
}

// Matches `pattern` and opens the face, provided that it carries the pattern's first family.
Result<std::unique_ptr<Rasteriser>> OpenMatch(PatternPointer pattern, const std::string& name)
{
    // The family is taken before substitution, which may put other families in front of it.
    const std::optional<std::string> family = PatternString(pattern.get(), FC_FAMILY, 0);
    if (!family || family->empty())
        return Fail(ErrorCode::BadInput, name + ": names no font family");
    if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern))
        return Fail(ErrorCode::OpenFailed, name + ": fontconfig ran out of memory");
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const PatternPointer match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match)
        return Fail(ErrorCode::OpenFailed, name + ": no font is installed");

    // fontconfig always answers with its nearest font; only one of the requested family will do.
    bool familyFound = false;
    for (int index = 0; !familyFound; ++index) {
        const std::optional<std::string> offered = PatternString(match.get(), FC_FAMILY, index);
        if (!offered)
            break;
        familyFound = SameFamily(*offered, *family);
    }
    if (!familyFound)
        return Fail(ErrorCode::OpenFailed,
                    name + ": no installed font has the family " + Quoted(*family) + " (the nearest is " +
                        Quoted(PatternString(match.get(), FC_FAMILY, 0).value_or("?")) + ")");

    const std::optional<std::string> file = PatternString(match.get(), FC_FILE, 0);
    if (!file)
        return Fail(ErrorCode::OpenFailed, name + ": fontconfig names no file for it");
    int faceIndex = 0;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &faceIndex);
    Synthesis synthesis;
    FcBool embolden = FcFalse;
    if (FcPatternGetBool(match.get(), FC_EMBOLDEN, 0, &embolden) == FcResultMatch)
        synthesis.Embolden = embolden == FcTrue;
    FcMatrix* matrix = nullptr;
    if (FcPatternGetMatrix(match.get(), FC_MATRIX, 0, &matrix) == FcResultMatch && matrix) {
        // A configuration may hold any number; only sane factors become 16.16 values.
        const auto fixed = [](double value) {
            return static_cast<FT_Fixed>(std::isfinite(value) ? std::clamp(value, -100.0, 100.0) * 65536.0
                                                              : 0.0);
        };
        synthesis.Transform =
            FT_Matrix{fixed(matrix->xx), fixed(matrix->xy), fixed(matrix->yx), fixed(matrix->yy)};
    }
    return FreeTypeRasteriser::Open(*file, faceIndex, synthesis, name + " (" + *file + ")");
}

bool EndsWithFontExtension(std::string_view argument)
{
    if (argument.size() < 4)
        return false;
    std::string extension(argument.substr(argument.size() - 4));
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return extension == ".ttf" || extension == ".otf" || extension == ".ttc";
}

Result<std::unique_ptr<Rasteriser>> FindChosenFont(const ChosenFont& font)
{
    if (auto checked = CheckChosenFont(font); !checked)
        return tl::unexpected(checked.error());
    if (auto started = StartFontconfig(); !started)
        return tl::unexpected(started.error());
    const std::string family = ToUtf8(font.FaceName);
    const std::string name = "font " + Quoted(family);
    PatternPointer pattern(FcPatternCreate());
    if (!pattern ||
        !FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str())))
        return Fail(ErrorCode::OpenFailed, name + ": fontconfig ran out of memory");
    if (font.Weight != kWeightDontCare)
        FcPatternAddDouble(pattern.get(), FC_WEIGHT, FcWeightFromOpenTypeDouble(font.Weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, font.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (font.Stretch != kStretchDontCare)
        FcPatternAddInteger(pattern.get(), FC_WIDTH, font.Stretch);
    return OpenMatch(std::move(pattern), name);
}

Result<std::unique_ptr<Rasteriser>> FindPatternFont(std::string_view pattern)
{
    const std::string text(pattern);
    const std::string name = "font " + Quoted(text);
    if (text.find('\0') != std::string::npos)
        return Fail(ErrorCode::BadInput, name + ": the pattern holds a zero character");
    if (auto started = StartFontconfig(); !started)
        return tl::unexpected(started.error());
    PatternPointer parsed(FcNameParse(reinterpret_cast<const FcChar8*>(text.c_str())));
    if (!parsed)
        return Fail(ErrorCode::BadInput, name + ": not a fontconfig pattern");
    return OpenMatch(std::move(parsed), name);
}

Result<std::unique_ptr<Rasteriser>> LoadFontFile(const std::filesystem::path& path, int faceIndex)
{
    const std::string name = "font file " + Quoted(path.string());
    // Only a regular file goes to FreeType: opening a pipe would wait for a writer, and a directory
    // would come back as a puzzling "cannot open resource". stat itself never waits.
    struct stat info
    {};
    if (::stat(path.c_str(), &info) != 0)
        return Fail(ErrorCode::OpenFailed,
                    name + ": " + (errno == ENOENT ? std::string("no such file") : std::strerror(errno)));
    if (S_ISDIR(info.st_mode))
        return Fail(ErrorCode::OpenFailed, name + ": is a directory");
    if (!S_ISREG(info.st_mode))
        return Fail(ErrorCode::OpenFailed, name + ": is not a regular file");
    if (faceIndex < 0 || faceIndex > 0xFFFF)
        return Fail(ErrorCode::OpenFailed, name + ": face " + std::to_string(faceIndex) + " does not exist");
    return FreeTypeRasteriser::Open(path.string(), faceIndex, Synthesis{}, name);
}

// No exception may leave the font layer: running out of memory while finding or opening a face is an
// error like any other failure to open it.
template <typename Opening> Result<std::unique_ptr<Rasteriser>> Guarded(Opening opening)
{
    try {
        return opening();
    } catch (const std::bad_alloc&) {
        return Fail(ErrorCode::OpenFailed, "out of memory while opening a font");
    }
}

} // namespace

Result<std::unique_ptr<Rasteriser>> OpenChosenFont(const ChosenFont& font)
{
    return Guarded([&] { return FindChosenFont(font); });
}

Result<std::unique_ptr<Rasteriser>> OpenFontPattern(std::string_view pattern)
{
    return Guarded([&] { return FindPatternFont(pattern); });
}

Result<std::unique_ptr<Rasteriser>> OpenFontFile(const std::filesystem::path& path, int faceIndex)
{
    return Guarded([&] { return LoadFontFile(path, faceIndex); });
}

Result<std::unique_ptr<Rasteriser>> OpenFontArgument(std::string_view argument)
{
    return Guarded([&] {
        if (EndsWithFontExtension(argument))
            return LoadFontFile(std::filesystem::path(std::string(argument)), 0);
        return FindPatternFont(argument);
    });
}

} // namespace orv
