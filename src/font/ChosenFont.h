#pragma once

// The font that the user picked, as far as it matters for finding the face again: the family, its
// weight, slant and width. The size is not part of the choice: rendering always uses the 88-pixel
// cell, and `Height` only carries the pixel size the face was picked at, for showing text in it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Result.h"

namespace orv {

// The longest face name accepted, in UTF-16 units.
inline constexpr std::size_t kMaxFaceNameLength = 31;

// Weights on the OpenType scale; 0 leaves the weight to the face.
inline constexpr std::int32_t kWeightDontCare = 0;
inline constexpr std::int32_t kWeightNormal = 400;
inline constexpr std::int32_t kWeightBold = 700;
// Widths in percent of the normal width; 0 leaves the width to the face.
inline constexpr std::int32_t kStretchDontCare = 0;
inline constexpr std::int32_t kStretchNormal = 100;

struct ChosenFont
{
    std::u16string FaceName;               // family name; empty: no font chosen
    std::int32_t Height = 0;               // pixel size for showing text; 0 when unknown
    std::int32_t Weight = kWeightDontCare; // 1-1000, 400 normal, 700 bold; 0 any
    bool Italic = false;
    std::int32_t Stretch = kStretchDontCare; // 1-4000 percent of the normal width; 0 any

    bool IsChosen() const { return !FaceName.empty(); }
    bool operator==(const ChosenFont&) const = default;
};

// The record for a family picked with the given style. BadInput when the family is empty, holds
// U+0000 or is longer than kMaxFaceNameLength units (a shortened name would find another face), or
// when the weight lies outside 0-1000 or the stretch outside 0-4000.
Result<ChosenFont> MakeChosenFont(std::u16string_view family, std::int32_t weight, bool italic,
                                  std::int32_t stretch, std::int32_t height = 0);

// The same checks on a record whose fields were set directly.
Result<void> CheckChosenFont(const ChosenFont& font);

} // namespace orv
