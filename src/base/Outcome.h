#pragma once

// What an operation of the editing session gives back: its value or the error that stopped it, and
// the notices it has for the user, in the order they are to be shown. The error comes last: a
// caller shows the notices, then the error when there is one.

#include <vector>

#include "base/Notice.h"
#include "base/Result.h"

namespace orv {

template <typename T> struct Outcome
{
    Result<T> Value;
    std::vector<Notice> Notices;

    explicit operator bool() const { return Value.has_value(); }
    // Whether any notice is an error: the operation was refused or failed in part.
    bool HasErrorNotice() const
    {
        for (const Notice& notice : Notices) {
            if (notice.Level == Severity::Error)
                return true;
        }
        return false;
    }
};

} // namespace orv
