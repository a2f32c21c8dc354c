#pragma once

// XLIFF 1.2 files for translation tools, read and written through pugixml.
//
//   <trans-unit id="47" resname="SET_COMM_TIMEOUT" xml:space="preserve">
//     <source>Timeout<x id="1" ctype="x-orvane-normal"/> s</source>
//     <target state="translated">Zeitlimit<x id="1" ctype="x-orvane-normal"/> s</target>
//     <note from="developer">the description</note>
//     <note from="location">Settings / Communication</note>
//   </trans-unit>
//
// id is the unit's index and resname its identifier; a note holds the description and another the
// block path, each left out when empty. <target> is always there, with state="translated" for a
// unit marked translated and state="needs-translation" otherwise.
//
// Texts keep every UTF-16 unit. A carriage return is written as "&#13;" (XML turns a raw one into a
// line feed), leading and trailing blanks are kept, and the characters XML cannot carry at all, not
// even as references, become <x/> placeholders that the reader turns back:
//   U+0007                               <x id="1" ctype="x-orvane-normal"/>
//   U+0008                               <x id="2" ctype="x-orvane-inverted"/>
//   U+0000..U+001F but tab, LF and CR,   <x id="3" ctype="x-orvane-code" equiv-text="U+0001"/>
//   U+FFFE and U+FFFF
// (ids count the placeholders of one <source> or <target> from 1). <x/> is the standalone
// placeholder that translation tools know: translate-toolkit takes it for a placeable and keeps its
// attributes when it copies a source into a target, while <ph> is unknown to it and its xliff2po
// turns a <ph>'s content into text. (xliff2po leaves an <x/> out of the PO text altogether.)
//
// The reader takes what translation tools make of such a file:
// - UTF-8 only, with or without a byte order mark; UTF-16, UTF-32 or a declared encoding other than
//   UTF-8 is refused, as is invalid UTF-8 and any character XML does not allow.
// - No DOCTYPE: the file is refused outright, so that no entity is ever defined, let alone expanded.
// - At most 4,194,304 '<' and as many '=' (tags and attributes), counted before parsing, so that the
//   parsed document stays within a few hundred megabytes.
// - The XLIFF 1.2 namespace, the 1.1 one (translate-toolkit's po2xliff writes it) or none, as the
//   default namespace; outside the texts, elements with a prefix belong to other tools and are
//   passed over. Every <file> is read, and trans-units inside <group>s at any depth.
// - Each trans-unit's id is an index from 0 to 65535. The translation counts as done when the target's
//   state is translated, final or signed-off, or when there is no state and the target is not empty;
//   no <target> means no translation. The header unit that po2xliff carries over from a PO file
//   (restype="x-gettext-domain-header") is skipped, and so is everything a unit holds besides its
//   <source> and <target> (notes, alt-trans, other namespaces' elements).
// - In a text, <mrk> only marks a stretch of it (a term, a segment) and its content is kept; any
//   other inline element (<g>, <ph>, <bpt>, ...) or an <x/> that is not one of the above stands for
//   something these texts cannot hold, and is an error.
// Errors start with the file's name and give the line (and, for malformed XML, the column).
// Duplicate ids are not checked here; the importer reports them.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "exchange/TranslationUnit.h"

namespace orv {

// The whole XLIFF file for `file`, or BadInput naming, by index, every unit whose text XLIFF cannot
// hold: a lone surrogate anywhere, or in the identifier, block path or description (which have no
// placeholders) a character XML does not allow. Also BadInput when the file's name or a language
// tag is not such text. The same file always gives the same bytes.
Result<std::vector<std::uint8_t>> WriteXliffFile(const TranslationFile& file);

// The units of an XLIFF file's bytes, in file order; `name` (the file's name) starts every error
// message.
Result<std::vector<ReadUnit>> ReadXliffBytes(std::span<const std::uint8_t> bytes, std::string_view name);

// ReadWholeFile, refusing files over kMaxTranslationFileBytes before reading them, then ReadXliffBytes.
Result<std::vector<ReadUnit>> ReadXliffFile(const std::filesystem::path& path);

} // namespace orv
