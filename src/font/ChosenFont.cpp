#include "font/ChosenFont.h"

#include "base/Text.h"

namespace orv {

namespace {

constexpr std::int32_t kMaxWeight = 1000;
constexpr std::int32_t kMaxStretch = 4000;

} // namespace

Result<void> CheckChosenFont(const ChosenFont& font)
{
    const std::string name = "font \"" + ToUtf8(font.FaceName) + "\"";
    if (font.FaceName.empty())
        return Fail(ErrorCode::BadInput, "no font family is chosen");
    // A zero would end the name early for the font lookup, which would then look for another family.
    if (font.FaceName.find(u'\0') != std::u16string::npos)
        return Fail(ErrorCode::BadInput, name + ": the family name holds a zero character");
    if (font.FaceName.size() > kMaxFaceNameLength)
        return Fail(ErrorCode::BadInput, name + ": the family name has " +
                                             std::to_string(font.FaceName.size()) + " characters, at most " +
                                             std::to_string(kMaxFaceNameLength) + " are supported");
    if (font.Weight < 0 || font.Weight > kMaxWeight)
        return Fail(ErrorCode::BadInput,
                    name + ": weight " + std::to_string(font.Weight) + " is not in 0-1000");
    if (font.Stretch < 0 || font.Stretch > kMaxStretch)
        return Fail(ErrorCode::BadInput,
                    name + ": width " + std::to_string(font.Stretch) + " is not in 0-4000");
    return {};
}

Result<ChosenFont> MakeChosenFont(std::u16string_view family, std::int32_t weight, bool italic,
                                  std::int32_t stretch, std::int32_t height)
{
    ChosenFont font{std::u16string(family), height, weight, italic, stretch};
    if (auto checked = CheckChosenFont(font); !checked)
        return tl::unexpected(checked.error());
    return font;
}

} // namespace orv
