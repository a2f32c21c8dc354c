#pragma once

// The exact text behind a multi-line box. Stored texts use "\r\n" for a line break and may hold
// lone line feeds and carriage returns, which the box cannot show as such: it shows "\r\n" as a
// paragraph break (U+2029) and a lone CR or LF as its control picture (U+240D, U+240A). The box
// keeps the stored text itself and applies each edit of the shown text to it, so that showing a
// text and taking it back without an edit never changes a unit, and an edit changes only the
// units it touches. No Qt here: the box widget feeds the shown text in and out.

#include <string>
#include <string_view>

namespace orv {

inline constexpr char16_t kParagraphBreak = u'\u2029';
inline constexpr char16_t kCarriageReturnPicture = u'\u240D';
inline constexpr char16_t kLineFeedPicture = u'\u240A';

// What a box shows for `stored`.
std::u16string ShownText(std::u16string_view stored);

// The stored form of text typed or pasted into a box: paragraph breaks become "\r\n".
std::u16string StoredFromTyped(std::u16string_view typed);

class BoxText
{
public:
    // Takes `stored` as the box's text; `shown` is what the widget holds after showing
    // ShownText(stored), which may differ where the widget turned a character into a paragraph
    // break of its own.
    void Set(std::u16string stored, std::u16string shown);

    // Applies the change from the previous shown text to `shown` to the stored text. Returns false
    // when the shown text did not change.
    bool Edit(std::u16string_view shown);

    const std::u16string& Stored() const { return StoredText; }
    const std::u16string& Shown() const { return ShownNow; }

private:
    enum class Side
    {
        Start,
        End
    };
    // The number of stored units behind the first (or the last) `count` shown units.
    std::size_t StoredLength(std::size_t count, Side side) const;

    std::u16string StoredText;
    std::u16string ShownNow;
    bool Mapped = true; // every shown unit stands for one stored unit, or a break for "\r\n"
};

} // namespace orv
