#pragma once

// Case-insensitive comparison of UTF-16 texts, the same everywhere: the simple case folding of
// Unicode (one unit to one unit, no locale), applied to each code unit of the Basic Multilingual
// Plane. Accents stay: "É" folds to "é", never to "e". Surrogate halves, and so every character
// beyond the BMP, are left as they are.

#include <cstddef>
#include <string>
#include <string_view>

namespace orv {

// The folded form of one code unit; units without a folding map to themselves.
char16_t FoldCase(char16_t unit);

// `text` with every unit folded.
std::u16string FoldCase(std::u16string_view text);

// Whether `foldedNeedle`, already folded, occurs in `text` once `text` is folded. Allocates nothing;
// an empty needle occurs in every text.
bool ContainsFolded(std::u16string_view text, std::u16string_view foldedNeedle);

// ContainsFolded with the needle studied once, for searching many texts for it. It refers to the
// needle's units, which must outlive it. Time linear in the text's length, whatever either holds.
class FoldedSearch
{
public:
    explicit FoldedSearch(std::u16string_view foldedNeedle);

    bool FoundIn(std::u16string_view text) const;

private:
    std::u16string_view Needle;
    std::size_t Split = 0;  // where the needle's critical factorisation splits it
    std::size_t Period = 0; // how far a full match of the right part moves the search on
    bool Periodic = false;  // whether the left part recurs at Period, so that matches may overlap
};

} // namespace orv
