#pragma once

// PO files for translation tools (Poedit, Lokalize, Weblate, the gettext programs), read and written
// through gettext's own library, libgettextpo.
//
// One message per unit, in the units' order:
//
//   #. The description, one comment line per line
//   #. line breaks at the ends: "" "\n" | "" "\n"
//   #, fuzzy
//   msgctxt "Settings / Communication / SET_COMM_TIMEOUT #47"
//   msgid "Timeout"
//   msgstr "Zeitüberschreitung"
//
// The context ends in " #" and the unit's index, which is all that the importer takes from it.
// msgfmt refuses a message whose msgid and msgstr do not both begin (or both end) with a line break,
// so the runs of CR and LF at the two ends of each text stand in the last comment line instead (the
// leading and trailing run of the default text, then those of the translation), which is written
// only when one of them is not empty. A default text that is empty or only line breaks would leave
// an empty msgid, which translate-toolkit (and so Weblate) takes for no message at all; its msgid is
// "(empty)" and the comment line starts "empty default text, line breaks at the ends: " instead.
// A tool that drops that comment line gives the texts back without those line breaks.
//
// A translation not marked done carries the fuzzy flag (when msgstr is not empty; gettext drops it
// from an empty one); a message with a translation and without that flag reads back as translated.
// A translation of nothing but line breaks leaves msgstr empty, so when it is marked done the
// comment line ends in "; translated". An empty translation marked done reads back as not
// translated, the one thing that PO cannot keep.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "base/Result.h"
#include "exchange/TranslationUnit.h"

namespace orv {

// The whole PO file for `file`, or BadInput naming, by index, every unit whose text a PO file cannot
// hold (a lone surrogate half, U+0000, or U+0004, which gettext keeps for separating contexts).
Result<std::vector<std::uint8_t>> WritePoFile(const TranslationFile& file);

// The units of the PO file at `path`, which must be in UTF-8 (the header says so); errors name the
// file and the place: a line for a syntax error, the message's number and context otherwise.
Result<std::vector<ReadUnit>> ReadPoFile(const std::filesystem::path& path);

} // namespace orv
