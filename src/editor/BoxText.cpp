#include "editor/BoxText.h"

#include <algorithm>

namespace orv {

namespace {

constexpr std::u16string_view kLineBreak = u"\r\n";

char16_t ShownUnit(char16_t stored)
{
    if (stored == u'\r')
        return kCarriageReturnPicture;
    if (stored == u'\n')
        return kLineFeedPicture;
    return stored;
}

} // namespace

std::u16string ShownText(std::u16string_view stored)
{
    std::u16string shown;
    shown.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored.substr(i, 2) == kLineBreak) {
            shown += kParagraphBreak;
            ++i;
        } else {
            shown += ShownUnit(stored[i]);
        }
    }
    return shown;
}

std::u16string StoredFromTyped(std::u16string_view typed)
{
    std::u16string stored;
    stored.reserve(typed.size());
    for (char16_t unit : typed) {
        if (unit == kParagraphBreak)
            stored += kLineBreak;
        else
            stored += unit;
    }
    return stored;
}

void BoxText::Set(std::u16string stored, std::u16string shown)
{
    StoredText = std::move(stored);
    ShownNow = std::move(shown);

    // Each shown unit stands for one stored unit, except a paragraph break, which stands for
    // "\r\n" where the stored text has one there and for the one unit the widget replaced
    // otherwise. Check that the widget kept to this before relying on it for edits.
    Mapped = true;
    std::size_t at = 0;
    for (char16_t unit : ShownNow) {
        if (at >= StoredText.size()) {
            Mapped = false;
            break;
        }
        if (unit == kParagraphBreak) {
            at += std::u16string_view(StoredText).substr(at, 2) == kLineBreak ? 2 : 1;
            continue;
        }
        if (unit != ShownUnit(StoredText[at])) {
            Mapped = false;
            break;
        }
        ++at;
    }
    Mapped = Mapped && at == StoredText.size();
}

bool BoxText::Edit(std::u16string_view shown)
{
    if (shown == ShownNow)
        return false;
    if (!Mapped) {
        // The widget changed the text in a way the mapping cannot follow; the edit then takes the
        // whole shown text, which from here on maps one to one.
        StoredText = StoredFromTyped(shown);
        ShownNow = shown;
        Mapped = true;
        return true;
    }

    // The edit replaced one run of the shown text: find it as what lies between the common start
    // and the common end of the old and the new text.
    const std::size_t limit = std::min(shown.size(), ShownNow.size());
    std::size_t prefix = 0;
    while (prefix < limit && shown[prefix] == ShownNow[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < limit - prefix &&
           shown[shown.size() - 1 - suffix] == ShownNow[ShownNow.size() - 1 - suffix])
        ++suffix;

    const std::size_t storedStart = StoredLength(prefix, Side::Start);
    const std::size_t storedEnd = StoredText.size() - StoredLength(suffix, Side::End);
    const std::u16string inserted = StoredFromTyped(shown.substr(prefix, shown.size() - suffix - prefix));
    StoredText.replace(storedStart, storedEnd - storedStart, inserted);
    ShownNow = shown;
    return true;
}

std::size_t BoxText::StoredLength(std::size_t count, Side side) const
{
    const std::u16string_view stored = StoredText;
    std::size_t length = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t unit = side == Side::Start ? ShownNow[i] : ShownNow[ShownNow.size() - 1 - i];
        const std::size_t left = stored.size() - length;
        const bool lineBreak =
            unit == kParagraphBreak && left >= 2 &&
            (side == Side::Start ? stored.substr(length, 2) : stored.substr(left - 2, 2)) == kLineBreak;
        length += lineBreak ? 2 : 1;
    }
    return std::min(length, stored.size());
}

} // namespace orv
