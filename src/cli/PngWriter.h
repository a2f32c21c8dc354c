#pragma once

// PNG files of 8-bit grey or RGB images, encoded in memory by libpng and written atomically, so that
// an output file is either complete or not there (or still its previous content).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "base/Result.h"

namespace orv {

enum class PngColour
{
    Grey, // one byte per pixel
    Rgb,  // three bytes per pixel: red, green, blue
};

// The largest side that the writer accepts; larger images are refused before any work.
inline constexpr int kMaxPngSide = 65535;

struct PngImage
{
    int Width = 0;
    int Height = 0;
    PngColour Colour = PngColour::Grey;
    std::vector<std::uint8_t> Pixels; // rows top to bottom, each row left to right, no padding

    // Bytes per pixel of `Colour`.
    std::size_t PixelSize() const { return Colour == PngColour::Rgb ? 3 : 1; }
    // A black image of `width` x `height`; the caller keeps the sides within 1..kMaxPngSide.
    static PngImage Black(int width, int height, PngColour colour);
};

// The PNG bytes of `image`. BadInput when a side is outside 1..kMaxPngSide or the pixel count does not
// match the size; WriteFailed with libpng's message when encoding fails.
Result<std::vector<std::uint8_t>> EncodePng(const PngImage& image);

// Encodes `image` and replaces `path` with it atomically. Fails as EncodePng or WriteFileSafely;
// `path` is then left as it was.
Result<void> WritePngFile(const std::filesystem::path& path, const PngImage& image);

} // namespace orv
