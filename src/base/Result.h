#pragma once

// The result type of every operation that can fail for reasons outside the program: a value, or an
// Error with a code and a message that names the thing and the place.

#include <string>
#include <utility>

#include <tl/expected.hpp>

namespace orv {

enum class ErrorCode
{
    OpenFailed,  // a file could not be opened
    ReadFailed,  // reading an open file failed or it ended early
    WriteFailed, // creating, writing, flushing or replacing a file failed
    BadInput,    // malformed content in a file or an argument
    OutOfRange,  // a value does not fit the format
    OutOfMemory, // memory ran out; the operation left everything as it was
};

struct Error
{
    ErrorCode Code;
    std::string Message;
};

template <typename T> using Result = tl::expected<T, Error>;

// Shorthand for returning an error from a function that returns a Result.
inline tl::unexpected<Error> Fail(ErrorCode code, std::string message)
{
    return tl::unexpected<Error>(Error{code, std::move(message)});
}

} // namespace orv
