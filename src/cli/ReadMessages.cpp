#include "cli/ReadMessages.h"

namespace orv {

std::string DescribeIncompleteRead(const std::filesystem::path& path, ReadResult result,
                                   const std::string& reason)
{
    std::string description;
    switch (result) {
    case ReadResult::ReadOk:
        description = "read completely";
        break;
    case ReadResult::ReadBadMagic:
        description = "not a definition file (wrong magic)";
        break;
    case ReadResult::ReadBadFormatWord:
        description = "unsupported format word (not 0)";
        break;
    case ReadResult::ReadBadTreeMarker:
        description = "unknown marker in the tree section";
        break;
    case ReadResult::ReadFailed:
        description = "incomplete: " + reason;
        break;
    }
    return path.string() + ": " + description + " (result " + std::to_string(static_cast<int>(result)) + ")";
}

} // namespace orv
