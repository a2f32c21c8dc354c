// The whole folding table against an independent one: Qt's simple case folding, from the same
// Unicode data. Only this test links Qt; the folding itself must not.

#include <QChar>

#include <gtest/gtest.h>

#include "base/CaseFold.h"
#include "base/Text.h"

namespace orv {
namespace {

TEST(CaseFold, AgreesWithQtOnEveryUnitOfTheBasicPlane)
{
    int differences = 0;
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        if (IsHighSurrogate(unit) || IsLowSurrogate(unit))
            continue;
        const char16_t ours = FoldCase(static_cast<char16_t>(unit));
        const char16_t qt = QChar::toCaseFolded(static_cast<char16_t>(unit));
        if (ours != qt && ++differences <= 10)
            ADD_FAILURE() << std::hex << "U+" << static_cast<unsigned>(unit) << ": "
                          << static_cast<unsigned>(ours) << " where Qt folds to "
                          << static_cast<unsigned>(qt);
    }
    EXPECT_EQ(differences, 0);
}

} // namespace
} // namespace orv
