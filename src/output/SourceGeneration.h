#pragma once

// The firmware's own text sources, made from a definition table: the identifier header
// "fw_textIDs.h", the text table "texts.bin" of every definition's default text, and the run of the
// firmware's script "make_texts.bat" over them.
//
// "fw_textIDs.h" is 8-bit text, one line per definition in ascending index order and nothing else:
// "#define S_%s %d\r\n" of the identifier and the index (the definition's key in the table). Each
// identifier character becomes the byte of its value. Two kinds of identifier get no line, and are
// reported instead: one with a character above U+00FF, which has no 8-bit form, and one with a
// character that would end the line or the define early (a control character below U+0020, U+0085,
// U+2028, U+2029), whose line could otherwise add lines of its own to the header.
//
// "texts.bin" is the text table of output/TextTable.h over all definitions, each text being the first
// 1023 code units of the default text, whether or not the definition is translated.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"
#include "output/OutputMessages.h"
#include "output/TextTable.h"
#include "store/DefinitionTable.h"

namespace orv {

inline constexpr const char* kHeaderFileName = "fw_textIDs.h";
inline constexpr const char* kTextTableFileName = "texts.bin";
inline constexpr const char* kMakeTextsScript = "make_texts.bat";

// Why an identifier has no line in the header.
enum class HeaderLineFault
{
    BeyondEightBits, // a character above U+00FF
    BreaksLine,      // a character that ends the line or the define; this one wins over the other
};

// The line of the header for `index` and `identifier`, or why the identifier cannot have one.
tl::expected<std::string, HeaderLineFault> HeaderLine(std::uint16_t index, std::u16string_view identifier);

// Both generated files as bytes.
struct GeneratedSources
{
    std::string Header;
    std::vector<std::uint16_t> UnwritableIdentifiers;   // indexes left out for a character above U+00FF
    std::vector<std::uint16_t> LineBreakingIdentifiers; // indexes left out for a line-breaking character
    std::optional<TextTableBytes> TextTable;            // nothing for fewer than two definitions
};

// The bytes of "fw_textIDs.h" and "texts.bin" for `table`.
GeneratedSources GenerateSourceBytes(const DefinitionTable& table);

struct SourceGenerationResult
{
    bool RunScript = false;      // both files were written: run "make_texts.bat" now
    std::vector<Notice> Notices; // to show, in order, after the script (or instead of it)
};

// Writes "fw_textIDs.h" and then "texts.bin" into `directory`, each created or truncated and written
// whole. A failure to write a file, and a table of fewer than two definitions (after its header is
// written), leave "texts.bin" as it was and give an error notice instead of the script. Texts that
// overflow the pool and identifiers left out of the header are reported after the files are written.
SourceGenerationResult WriteSourceFiles(const DefinitionTable& table, const std::filesystem::path& directory);

// The command line that runs "make_texts.bat" in `directory` through the system shell: the script
// in `directory` itself when there is one, since that copy belongs with the files just written,
// otherwise whatever the search path finds.
std::string MakeTextsCommand(const std::filesystem::path& directory);

// Runs MakeTextsCommand(directory) through the system shell and waits for it. Returns the exit
// status, or -1 when the shell could not be run or the script ended by a signal.
int RunMakeTexts(const std::filesystem::path& directory);

} // namespace orv
