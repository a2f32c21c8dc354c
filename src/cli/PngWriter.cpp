#include "cli/PngWriter.h"

#include <cstring>
#include <new>
#include <string>

#include <png.h>

#include "base/FileIo.h"

namespace orv {

namespace {

// What libpng's callbacks share with the encoder. Plain data: libpng leaves its functions by longjmp,
// which must not skip destructors.
struct EncodeState
{
    std::vector<std::uint8_t>* Output = nullptr;
    char Message[256] = {};
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message)
{
    auto* state = static_cast<EncodeState*>(png_get_error_ptr(png));
    std::strncpy(state->Message, message ? message : "unknown error", sizeof state->Message - 1);
    png_longjmp(png, 1);
}

// Warnings do not spoil the image; libpng would print them to stderr, which belongs to our one-line errors.
void OnPngWarning(png_structp, png_const_charp) {}

void AppendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* state = static_cast<EncodeState*>(png_get_io_ptr(png));
    bool outOfMemory = false;
    try {
        state->Output->insert(state->Output->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    }
    // Reported outside the handler: leaving a catch block by longjmp would skip the exception's cleanup.
    if (outOfMemory)
        png_error(png, "out of memory");
}

void FlushNothing(png_structp) {}

// The part of the encoding that libpng may leave by longjmp: no object here has a destructor.
bool EncodeRows(png_structp png, png_infop info, const PngImage& image, EncodeState& state)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &state, AppendBytes, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.Width), static_cast<png_uint_32>(image.Height), 8,
                 image.Colour == PngColour::Rgb ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t rowSize = static_cast<std::size_t>(image.Width) * image.PixelSize();
    for (int row = 0; row < image.Height; ++row)
        png_write_row(png, image.Pixels.data() + static_cast<std::size_t>(row) * rowSize);
    png_write_end(png, info);
    return true;
}

} // namespace

PngImage PngImage::Black(int width, int height, PngColour colour)
{
    PngImage image;
    image.Width = width;
    image.Height = height;
    image.Colour = colour;
    image.Pixels.assign(
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * image.PixelSize(), 0);
    return image;
}

Result<std::vector<std::uint8_t>> EncodePng(const PngImage& image)
{
    if (image.Width < 1 || image.Width > kMaxPngSide || image.Height < 1 || image.Height > kMaxPngSide)
        return Fail(ErrorCode::BadInput, "a PNG image of " + std::to_string(image.Width) + " x " +
                                             std::to_string(image.Height) + " pixels cannot be written");
    if (image.Pixels.size() !=
        static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height) * image.PixelSize())
        return Fail(ErrorCode::BadInput, "the PNG image's pixels do not match its size");

    std::vector<std::uint8_t> bytes;
    EncodeState state;
    state.Output = &bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnPngError, OnPngWarning);
    if (!png)
        return Fail(ErrorCode::WriteFailed, "cannot encode PNG: libpng could not start");
    png_infop info = png_create_info_struct(png);
    const bool encoded = info && EncodeRows(png, info, image, state);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    if (!encoded)
        return Fail(ErrorCode::WriteFailed, std::string("cannot encode PNG: ") +
                                                (state.Message[0] ? state.Message : "libpng failed"));
    return bytes;
}

Result<void> WritePngFile(const std::filesystem::path& path, const PngImage& image)
{
    const auto bytes = EncodePng(image);
    if (!bytes)
        return Fail(bytes.error().Code, path.string() + ": " + bytes.error().Message);
    return WriteFileSafely(path, *bytes);
}

} // namespace orv
