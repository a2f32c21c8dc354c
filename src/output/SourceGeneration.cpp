#include "output/SourceGeneration.h"

#include <cstdlib>
#include <new>

#include <sys/wait.h>

#include "base/FileIo.h"
#include "output/OutputMessages.h"

namespace orv {

std::optional<std::string> HeaderLine(std::uint16_t index, std::u16string_view identifier)
{
    std::string line = "#define S_";
    for (const char16_t c : identifier) {
        if (c > 0xFF)
            return std::nullopt;
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
        else
            sources.UnwritableIdentifiers.push_back(index);
        texts.push_back({index, definition.DefaultText.substr(0, kMaxTextUnits)});
    }
    if (auto built = BuildTextTable(texts))
        sources.TextTable = std::move(*built);
    return sources;
}

namespace {

SourceGenerationResult GenerateAndWrite(const DefinitionTable& table, const std::filesystem::path& directory)
{
    SourceGenerationResult result;
    GeneratedSources sources = GenerateSourceBytes(table);
    const auto headerBytes =
        std::span(reinterpret_cast<const std::uint8_t*>(sources.Header.data()), sources.Header.size());
    if (auto written = WriteFileDurably(directory / kHeaderFileName, headerBytes); !written) {
        result.Notices.push_back(
            ErrorNotice(kHeaderNotWrittenMessage, NoticeIcon::Error, written.error().Message));
    } else if (!sources.TextTable) {
        result.Notices.push_back(ErrorNotice(TooFewDefinitionsMessage(table.Definitions.size())));
    } else if (auto tableWritten = WriteFileDurably(directory / kTextTableFileName, sources.TextTable->Bytes);
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
    return result;
}

} // namespace

SourceGenerationResult WriteSourceFiles(const DefinitionTable& table, const std::filesystem::path& directory)
{
    // The buffers are bounded (a 65,536-byte pool and a line per definition), but the window must
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
    // which the Windows command interpreter would have found first.
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
