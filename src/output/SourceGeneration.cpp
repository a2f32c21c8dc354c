#include "output/SourceGeneration.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include <sys/wait.h>

#include "base/FileIo.h"
#include "output/OutputMessages.h"

namespace orv {

namespace {

constexpr char16_t kFirstPrintable = u' ';
constexpr char16_t kNextLine = u'\u0085';
constexpr char16_t kLineSeparator = u'\u2028';
constexpr char16_t kParagraphSeparator = u'\u2029';
constexpr char16_t kLargestEightBit = u'\u00FF';

// True for a character that would end a line of the header, or the define on it, early.
bool BreaksHeaderLine(char16_t character)
{
    // A line feed or carriage return would start a line of the identifier's choosing (an #include,
    // a define of another name). A tab or another control splits the define into a different name
    // and value, and a NUL ends the line for tools that read C strings. The byte 0x85 is a line break
    // to readers that take the header as Latin-1; U+2028 and U+2029 have no 8-bit form anyway, but
    // are reported with the line breaks, which is what they are.
    return character < kFirstPrintable || character == kNextLine || character == kLineSeparator ||
           character == kParagraphSeparator;
}

} // namespace

tl::expected<std::string, HeaderLineFault> HeaderLine(std::uint16_t index, std::u16string_view identifier)
{
    if (std::ranges::any_of(identifier, BreaksHeaderLine))
        return tl::unexpected(HeaderLineFault::BreaksLine);
    std::string line = "#define S_";
    for (const char16_t c : identifier) {
        if (c > kLargestEightBit)
            return tl::unexpected(HeaderLineFault::BeyondEightBits);
        line += static_cast<char>(static_cast<unsigned char>(c));
    }
    line += " " + std::to_string(index) + "\r\n";
    return line;
}

GeneratedSources GenerateSourceBytes(const DefinitionTable& table)
{
    GeneratedSources sources;
    std::vector<IndexedText> texts;
    texts.reserve(table.Definitions.size());
    // The key names the text, not the definition's Index field, which an entry added by a lookup may
    // not have set.
    for (const auto& [index, definition] : table.Definitions) {
        if (const auto line = HeaderLine(index, definition.Identifier))
            sources.Header += *line;
        else if (line.error() == HeaderLineFault::BreaksLine)
            sources.LineBreakingIdentifiers.push_back(index);
        else
            sources.UnwritableIdentifiers.push_back(index);
        texts.push_back({index, definition.DefaultText.substr(0, kMaxTextUnits)});
    }
    if (auto built = BuildTextTable(texts))
        sources.TextTable = std::move(*built);
    return sources;
}

namespace {

// A warning naming the indexes whose header lines were left out for a line-breaking character.
Notice LineBreakingIdentifiersNotice(std::span<const std::uint16_t> indexes)
{
    return WarningNotice("These identifiers have line breaks or control characters, which would break the "
                         "lines of \"fw_textIDs.h\"; their lines were left out.\r\n\r\nIndexes: " +
                         FormatIndexRanges(indexes));
}

SourceGenerationResult GenerateAndWrite(const DefinitionTable& table, const std::filesystem::path& directory)
{
    SourceGenerationResult result;
    GeneratedSources sources = GenerateSourceBytes(table);
    const auto headerBytes =
        std::span(reinterpret_cast<const std::uint8_t*>(sources.Header.data()), sources.Header.size());
    if (auto written = WriteFileSafely(directory / kHeaderFileName, headerBytes); !written) {
        result.Notices.push_back(
            ErrorNotice(kHeaderNotWrittenMessage, NoticeIcon::Error, written.error().Message));
    } else if (!sources.TextTable) {
        result.Notices.push_back(ErrorNotice(TooFewDefinitionsMessage(table.Definitions.size())));
    } else if (auto tableWritten = WriteFileSafely(directory / kTextTableFileName, sources.TextTable->Bytes);
               !tableWritten) {
        result.Notices.push_back(
            ErrorNotice(kTextTableNotWrittenMessage, NoticeIcon::Error, tableWritten.error().Message));
    } else {
        result.RunScript = true;
        if (sources.TextTable->Flags & PoolOverflow)
            result.Notices.push_back(PoolOverflowNotice(std::string("\"") + kTextTableFileName + "\"",
                                                        sources.TextTable->CutIndexes,
                                                        sources.TextTable->LeftOutIndexes));
    }
    if (!sources.UnwritableIdentifiers.empty())
        result.Notices.push_back(UnwritableIdentifiersNotice(sources.UnwritableIdentifiers));
    if (!sources.LineBreakingIdentifiers.empty())
        result.Notices.push_back(LineBreakingIdentifiersNotice(sources.LineBreakingIdentifiers));
    return result;
}

} // namespace

SourceGenerationResult WriteSourceFiles(const DefinitionTable& table, const std::filesystem::path& directory)
{
    // The buffers are bounded (a 65,536-byte pool and a line per definition), but the caller must
    // still hear of a failed allocation rather than lose the generation silently.
    try {
        return GenerateAndWrite(table, directory);
    } catch (const std::bad_alloc&) {
        SourceGenerationResult result;
        result.Notices.push_back(ErrorNotice(kOutOfMemoryMessage));
        return result;
    }
}

namespace {

// `text` in single quotes for the shell, with each single quote closed, escaped and reopened.
std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

} // namespace

std::string MakeTextsCommand(const std::filesystem::path& directory)
{
    const std::filesystem::path local = directory / kMakeTextsScript;
    std::error_code ignored;
    const bool here = std::filesystem::is_regular_file(local, ignored);
    // The POSIX shell searches only the path for a bare name; "./" makes it take the local script,
    // the one that goes with the files just written there.
    const std::string script = here ? std::string("./") + kMakeTextsScript : kMakeTextsScript;
    if (directory.empty())
        return script;
    return "cd -- " + ShellQuoted(directory.string()) + " && " + script;
}

int RunMakeTexts(const std::filesystem::path& directory)
{
    const int status = std::system(MakeTextsCommand(directory).c_str());
    if (status == -1 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace orv
