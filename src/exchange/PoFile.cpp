#include "exchange/PoFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>

#include <error.h>
#include <fcntl.h>
#include <gettext-po.h>
#include <unistd.h>

#include "base/FileIo.h"
#include "base/Text.h"

namespace orv {

namespace {

// libgettextpo keeps its error handler and its parser's state in globals: one call at a time.
std::mutex LibraryMutex;

constexpr std::string_view kBreaksComment = "line breaks at the ends: ";
constexpr std::string_view kEmptyBreaksComment = "empty default text, line breaks at the ends: ";
constexpr std::string_view kEmptyPlaceholder = "(empty)";
constexpr std::string_view kTranslatedBreaks = "; translated";
// Texts from a file quoted in messages are cut short after this many characters.
constexpr std::size_t kMaxQuoted = 80;

// ---- The library's error handler ----------------------------------------------------------------

// What libgettextpo reported during one call, and where a fatal error jumps to: the handler must
// not return from one (the library would go on as if it had stopped the program), so it leaves
// the call with longjmp. That skips only library frames, which are C, and leaks what they held;
// the paths that reach it are rare (writing: the output file cannot be opened or written).
// Reading reports syntax errors as plain errors and would end with a fatal summary only if the
// handler counted them in error_message_count, which this one does not.
//
// Errors past the first are counted, not kept. The parser loses a few bytes with each syntax error
// and a file of garbage has millions of them, so after kMaxErrors the file being read is cut
// short: the parser meets its end once it has used what it has buffered, and returns as usual.
struct LibraryCall
{
    static constexpr std::size_t kMaxErrors = 20;

    std::size_t ErrorCount = 0;
    std::string FirstError;      // with its line when the library gave one
    const char* Input = nullptr; // the private copy being read
    std::jmp_buf Jump;
};

LibraryCall* CurrentCall = nullptr;

std::string OneLine(const char* text)
{
    std::string line = text != nullptr ? text : "";
    std::replace(line.begin(), line.end(), '\n', ' ');
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

std::string LinePlace(const char* filename, std::size_t line, std::size_t column)
{
    if (filename == nullptr || line == static_cast<std::size_t>(-1))
        return {};
    std::string place = "line " + std::to_string(line);
    if (column != static_cast<std::size_t>(-1))
        place += ", column " + std::to_string(column);
    return place + ": ";
}

void Note(int severity, const char* filename, std::size_t line, std::size_t column, const char* text,
          const char* filename2 = nullptr, std::size_t line2 = 0, std::size_t column2 = 0,
          const char* text2 = nullptr) noexcept
{
    LibraryCall* call = CurrentCall;
    if (call == nullptr || severity == PO_SEVERITY_WARNING)
        return;
    if (++call->ErrorCount == LibraryCall::kMaxErrors && call->Input != nullptr)
        ::truncate(call->Input, 0);
    if (call->ErrorCount > 1)
        return;
    try {
        call->FirstError = LinePlace(filename, line, column) + OneLine(text);
        if (text2 != nullptr)
            call->FirstError += " (" + LinePlace(filename2, line2, column2) + OneLine(text2) + ")";
    } catch (...) {
        // Out of memory; the caller still sees that an error happened.
    }
}

void OnProblem(int severity, po_message_t, const char* filename, std::size_t line, std::size_t column, int,
               const char* text)
{
    Note(severity, filename, line, column, text);
    if (severity == PO_SEVERITY_FATAL_ERROR && CurrentCall != nullptr)
        std::longjmp(CurrentCall->Jump, 1);
}

void OnTwoProblems(int severity, po_message_t, const char* filename1, std::size_t line1, std::size_t column1,
                   int, const char* text1, po_message_t, const char* filename2, std::size_t line2,
                   std::size_t column2, int, const char* text2)
{
    Note(severity, filename1, line1, column1, text1, filename2, line2, column2, text2);
    if (severity == PO_SEVERITY_FATAL_ERROR && CurrentCall != nullptr)
        std::longjmp(CurrentCall->Jump, 1);
}

const po_xerror_handler Handler{OnProblem, OnTwoProblems};

// The two library calls that report through the handler. Nothing here needs destroying when a
// fatal error jumps back to the setjmp.
po_file_t ReadCatalog(const char* name, LibraryCall& call)
{
    CurrentCall = &call;
    if (setjmp(call.Jump) != 0) {
        CurrentCall = nullptr;
        return nullptr;
    }
    po_file_t file = po_file_read(name, &Handler);
    CurrentCall = nullptr;
    return file;
}

void WriteCatalog(po_file_t file, const char* name, LibraryCall& call)
{
    CurrentCall = &call;
    if (setjmp(call.Jump) == 0)
        po_file_write(file, name, &Handler);
    CurrentCall = nullptr;
}

// The library sets glibc's error counter as it goes; the rest of the program keeps its own value.
class ErrorCountGuard
{
public:
    ErrorCountGuard() : Saved(error_message_count) {}
    ~ErrorCountGuard() { error_message_count = Saved; }
    ErrorCountGuard(const ErrorCountGuard&) = delete;
    ErrorCountGuard& operator=(const ErrorCountGuard&) = delete;

private:
    unsigned int Saved;
};

// po_file_free leaves the contexts of the messages behind (gettext 0.21 at least); setting a context
// frees the one it replaces.
struct PoFileFree
{
    void operator()(po_file_t file) const
    {
        for (const char* const* domain = po_file_domains(file); *domain != nullptr; ++domain) {
            po_message_iterator_t iterator = po_message_iterator(file, *domain);
            while (po_message_t message = po_next_message(iterator))
                po_message_set_msgctxt(message, nullptr);
            po_message_iterator_free(iterator);
        }
        po_file_free(file);
    }
};
using PoFilePtr = std::unique_ptr<po_file, PoFileFree>;

struct IteratorFree
{
    void operator()(po_message_iterator_t iterator) const { po_message_iterator_free(iterator); }
};
using IteratorPtr = std::unique_ptr<struct po_message_iterator, IteratorFree>;

// ---- The private file that the library reads or writes ------------------------------------------

// A new file of our own in the temporary directory, removed when dropped: libgettextpo reads and
// writes only files that it opens by name.
class PrivateFile
{
public:
    static Result<PrivateFile> Create()
    {
        std::error_code error;
        const std::filesystem::path directory = std::filesystem::temp_directory_path(error);
        if (error)
            return Fail(ErrorCode::OpenFailed, "cannot find the temporary directory: " + error.message());
        std::string name = (directory / "orv-po-XXXXXX").string();
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            return Fail(ErrorCode::OpenFailed,
                        "cannot create a temporary file in " + directory.string() + ": " + SystemReason());
        return PrivateFile(std::move(name), fd);
    }

    PrivateFile(PrivateFile&& other) noexcept
        : Name(std::move(other.Name)), Fd(std::exchange(other.Fd, -1)),
          Owned(std::exchange(other.Owned, false))
    {}
    PrivateFile& operator=(PrivateFile&&) = delete;
    ~PrivateFile()
    {
        Close();
        if (Owned)
            ::unlink(Name.c_str());
    }

    const std::string& Path() const { return Name; }

    Result<void> WriteAll(std::span<const std::uint8_t> bytes)
    {
        while (!bytes.empty()) {
            const ssize_t count = ::write(Fd, bytes.data(), bytes.size());
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                return Fail(ErrorCode::WriteFailed, "cannot write " + Name + ": " + SystemReason());
            bytes = bytes.subspan(static_cast<std::size_t>(count));
        }
        return {};
    }

    void Close()
    {
        if (Fd >= 0)
            ::close(Fd);
        Fd = -1;
    }

private:
    PrivateFile(std::string name, int fd) : Name(std::move(name)), Fd(fd) {}

    std::string Name;
    int Fd = -1;
    bool Owned = true;
};

// ---- Texts ---------------------------------------------------------------------------------------

bool IsLineBreak(char16_t unit)
{
    return unit == u'\r' || unit == u'\n';
}

// A text as the runs of line breaks at its two ends and what lies between them; a text of nothing
// but line breaks is all lead.
struct Ends
{
    std::u16string_view Lead;
    std::u16string_view Core;
    std::u16string_view Trail;
};

Ends SplitEnds(std::u16string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size() && IsLineBreak(text[begin]))
        ++begin;
    std::size_t end = text.size();
    while (end > begin && IsLineBreak(text[end - 1]))
        --end;
    return {text.substr(0, begin), text.substr(begin, end - begin), text.substr(end)};
}

// The characters that no PO file can hold: a lone surrogate half has no UTF-8 form, the library's
// strings end at U+0000, and it refuses U+0004, its separator of context and msgid.
bool CanHold(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit == 0 || unit == 4 || IsLowSurrogate(unit))
            return false;
        if (IsHighSurrogate(unit)) {
            if (i + 1 == text.size() || !IsLowSurrogate(text[i + 1]))
                return false;
            ++i;
        }
    }
    return true;
}

// "text 5 holds", "texts 5 and 9 hold", "texts 1, 2, ..., 10 and 7 more hold".
std::string TextsHold(const std::vector<std::uint16_t>& indexes)
{
    constexpr std::size_t kShown = 10;
    if (indexes.size() == 1)
        return "text " + std::to_string(indexes[0]) + " holds";
    std::string list = "texts ";
    const std::size_t shown = std::min(indexes.size(), kShown);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0)
            list += i + 1 == shown && indexes.size() <= kShown ? " and " : ", ";
        list += std::to_string(indexes[i]);
    }
    if (indexes.size() > kShown)
        list += " and " + std::to_string(indexes.size() - kShown) + " more";
    return list + " hold";
}

// A header value on one line, in UTF-8: control characters become blanks and bytes that are not
// UTF-8 become '?' (a file name can hold any bytes).
std::string HeaderValue(std::string_view value)
{
    std::string clean(value);
    if (!FromUtf8(clean))
        for (char& byte : clean)
            if (static_cast<unsigned char>(byte) >= 0x80)
                byte = '?';
    for (char& byte : clean)
        if (static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F)
            byte = ' ';
    return clean;
}

// Text from a file for messages: quoted, with control characters escaped, and cut short when long.
std::string Quoted(std::string_view text)
{
    std::string shown = "\"";
    std::size_t count = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80 && count++ == kMaxQuoted) {
            shown += "...";
            break;
        }
        if (byte == '"' || byte == '\\') {
            shown += '\\';
            shown += static_cast<char>(byte);
        } else if (byte == '\n') {
            shown += "\\n";
        } else if (byte == '\r') {
            shown += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 15];
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown + "\"";
}

// Appends the UTF-8 form of a text that CanHold accepted.
void AppendText(std::string& out, std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t codePoint = text[i];
        if (IsHighSurrogate(codePoint) && i + 1 < text.size()) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, codePoint);
    }
}

void AppendBreaksLiteral(std::string& out, std::u16string_view breaks)
{
    out += '"';
    for (const char16_t unit : breaks)
        out += unit == u'\r' ? "\\r" : "\\n";
    out += '"';
}

// One comment line for each line of the description.
void AppendDescription(std::string& out, std::u16string_view description)
{
    std::size_t start = 0;
    while (start < description.size()) {
        std::size_t end = start;
        while (end < description.size() && !IsLineBreak(description[end]))
            ++end;
        AppendText(out, description.substr(start, end - start));
        out += '\n';
        if (end + 1 < description.size() && description[end] == u'\r' && description[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
}

bool LooksLikeBreaksComment(std::string_view line)
{
    return line.starts_with(kBreaksComment) || line.starts_with(kEmptyBreaksComment);
}

std::string_view LastLine(std::string_view lines)
{
    if (!lines.empty() && lines.back() == '\n')
        lines.remove_suffix(1);
    const std::size_t newline = lines.rfind('\n');
    return newline == std::string_view::npos ? lines : lines.substr(newline + 1);
}

// A unit's message in UTF-8; the strings are reused from unit to unit.
struct MessageText
{
    std::string Context;
    std::string Id;
    std::string Str;
    std::string Comments;
    bool Fuzzy = false;
};

void FillMessage(const TranslationUnit& unit, MessageText& message)
{
    // The context: the block path, the identifier and the index that the importer reads.
    message.Context.clear();
    if (!unit.BlockPath.empty()) {
        AppendText(message.Context, unit.BlockPath);
        message.Context += " / ";
    }
    AppendText(message.Context, unit.Identifier);
    message.Context += " #";
    message.Context += std::to_string(unit.Index);

    const Ends source = SplitEnds(unit.Source);
    const Ends target = SplitEnds(unit.Target);
    message.Id.clear();
    if (source.Core.empty())
        message.Id = kEmptyPlaceholder;
    AppendText(message.Id, source.Core);
    message.Str.clear();
    AppendText(message.Str, target.Core);
    // gettext writes no fuzzy flag on an empty msgstr; a translation of only line breaks that is
    // marked done says so in the line-break comment instead.
    message.Fuzzy = !unit.Translated && !target.Core.empty();
    const bool doneBreaks = unit.Translated && target.Core.empty() && !target.Lead.empty();

    message.Comments.clear();
    AppendDescription(message.Comments, unit.Description);
    // The reader looks for the line-break comment on the last line only, so a description whose
    // last line looks like one is followed by a real one.
    const bool breaks =
        !source.Lead.empty() || !source.Trail.empty() || !target.Lead.empty() || !target.Trail.empty();
    if (breaks || source.Core.empty() || LooksLikeBreaksComment(LastLine(message.Comments))) {
        message.Comments += source.Core.empty() ? kEmptyBreaksComment : kBreaksComment;
        AppendBreaksLiteral(message.Comments, source.Lead);
        message.Comments += ' ';
        AppendBreaksLiteral(message.Comments, source.Trail);
        message.Comments += " | ";
        AppendBreaksLiteral(message.Comments, target.Lead);
        message.Comments += ' ';
        AppendBreaksLiteral(message.Comments, target.Trail);
        if (doneBreaks)
            message.Comments += kTranslatedBreaks;
        message.Comments += '\n';
    }
}

std::string Header(const TranslationFile& file)
{
    std::string header = "Project-Id-Version: " + HeaderValue(file.Original) + "\n";
    const std::string language = HeaderValue(file.TargetLanguage);
    if (language.find_first_not_of(' ') != std::string::npos)
        header += "Language: " + language + "\n";
    return header + "MIME-Version: 1.0\n"
                    "Content-Type: text/plain; charset=UTF-8\n"
                    "Content-Transfer-Encoding: 8bit\n";
}

po_message_t Insert(po_message_iterator_t iterator, const char* context, const std::string& id,
                    const std::string& str, const std::string& comments, bool fuzzy)
{
    po_message_t message = po_message_create();
    if (context != nullptr)
        po_message_set_msgctxt(message, context);
    po_message_set_msgid(message, id.c_str());
    po_message_set_msgstr(message, str.c_str());
    if (!comments.empty())
        po_message_set_extracted_comments(message, comments.c_str());
    if (fuzzy)
        po_message_set_fuzzy(message, 1);
    po_message_insert(iterator, message);
    return message;
}

struct ViewPairHash
{
    std::size_t operator()(const std::pair<std::string_view, std::string_view>& pair) const
    {
        const std::size_t first = std::hash<std::string_view>()(pair.first);
        return first ^ (std::hash<std::string_view>()(pair.second) + 0x9E3779B97F4A7C15u + (first << 6) +
                        (first >> 2));
    }
};

// The header and a message for each unit.
Result<void> FillCatalog(const TranslationFile& file, po_file_t catalog)
{
    const IteratorPtr iterator(po_message_iterator(catalog, nullptr));
    Insert(iterator.get(), nullptr, "", Header(file), "", false);
    // gettext refuses a file with two messages of the same context and msgid; they could come only
    // from two units of the same index and identifier. The keys are the library's copies.
    std::unordered_map<std::pair<std::string_view, std::string_view>, std::uint16_t, ViewPairHash> seen;
    seen.reserve(file.Units.size());
    MessageText text;
    for (const TranslationUnit& unit : file.Units) {
        FillMessage(unit, text);
        if (const auto same = seen.find({text.Context, text.Id}); same != seen.end())
            return Fail(ErrorCode::BadInput, "texts " + std::to_string(same->second) + " and " +
                                                 std::to_string(unit.Index) +
                                                 " would be the same message: the context " +
                                                 Quoted(text.Context) + " and the same default text");
        const po_message_t message =
            Insert(iterator.get(), text.Context.c_str(), text.Id, text.Str, text.Comments, text.Fuzzy);
        seen.emplace(std::pair<std::string_view, std::string_view>(po_message_msgctxt(message),
                                                                   po_message_msgid(message)),
                     unit.Index);
    }
    return {};
}

// ---- Reading -------------------------------------------------------------------------------------

// The index that the context ends with, after " #": -1 when there is none, 65536 when it is larger
// than an index can be.
long ContextIndex(std::string_view context)
{
    std::size_t digits = context.size();
    while (digits > 0 && context[digits - 1] >= '0' && context[digits - 1] <= '9')
        --digits;
    if (digits == context.size() || digits < 2 || context.substr(digits - 2, 2) != " #")
        return -1;
    long index = 0;
    for (const char digit : context.substr(digits)) {
        index = index * 10 + (digit - '0');
        if (index > 0xFFFF)
            return 0x10000;
    }
    return index;
}

// `"…"` holding only the escapes \r and \n, at `position`.
bool ReadBreaksLiteral(std::string_view line, std::size_t& position, std::u16string& breaks)
{
    if (position >= line.size() || line[position] != '"')
        return false;
    ++position;
    while (position + 1 < line.size() && line[position] == '\\') {
        const char escape = line[position + 1];
        if (escape != 'r' && escape != 'n')
            return false;
        breaks += escape == 'r' ? u'\r' : u'\n';
        position += 2;
    }
    if (position >= line.size() || line[position] != '"')
        return false;
    ++position;
    return true;
}

bool Expect(std::string_view line, std::size_t& position, std::string_view text)
{
    if (line.substr(position, text.size()) != text)
        return false;
    position += text.size();
    return true;
}

// The line-break comment: the four runs, in the order source lead, source trail, translation lead,
// translation trail, and whether a translation of nothing but line breaks is marked done.
struct Breaks
{
    bool EmptySource = false;
    std::u16string Runs[4];
    bool TranslatedBreaks = false;
};

bool ParseBreaksComment(std::string_view line, Breaks& breaks)
{
    std::size_t position = 0;
    breaks.EmptySource = line.starts_with(kEmptyBreaksComment);
    Expect(line, position, breaks.EmptySource ? kEmptyBreaksComment : kBreaksComment);
    if (!ReadBreaksLiteral(line, position, breaks.Runs[0]) || !Expect(line, position, " ") ||
        !ReadBreaksLiteral(line, position, breaks.Runs[1]) || !Expect(line, position, " | ") ||
        !ReadBreaksLiteral(line, position, breaks.Runs[2]) || !Expect(line, position, " ") ||
        !ReadBreaksLiteral(line, position, breaks.Runs[3]))
        return false;
    breaks.TranslatedBreaks = line.substr(position) == kTranslatedBreaks;
    return breaks.TranslatedBreaks || position == line.size();
}

bool IsUtf8Charset(std::string_view charset)
{
    const auto equalsIgnoringCase = [&](std::string_view name) {
        return std::equal(charset.begin(), charset.end(), name.begin(), name.end(),
                          [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
    };
    return equalsIgnoringCase("UTF-8") || equalsIgnoringCase("UTF8");
}

// The header must declare UTF-8: libgettextpo hands over the bytes of any other character set
// unconverted, and a file that declares none is read as bytes too.
Result<void> CheckCharset(const std::string& name, const char* header)
{
    if (header == nullptr)
        return Fail(ErrorCode::BadInput, name + ": there is no header entry declaring the character set; "
                                                "only UTF-8 PO files can be read");
    char* contentType = po_header_field(header, "Content-Type");
    std::string charset;
    if (contentType != nullptr) {
        const std::string_view value(contentType);
        const std::size_t start = value.find("charset=");
        if (start != std::string_view::npos) {
            const std::string_view rest = value.substr(start + 8);
            charset = rest.substr(0, rest.find_first_of("; \t"));
        }
        std::free(contentType);
    }
    if (charset.empty())
        return Fail(ErrorCode::BadInput, name + ": the header does not declare the character set; only UTF-8 "
                                                "PO files can be read");
    if (!IsUtf8Charset(charset))
        return Fail(ErrorCode::BadInput, name + ": the file is in the character set " + Quoted(charset) +
                                             "; only UTF-8 PO files can be read (msgconv --to-code=UTF-8 "
                                             "converts it)");
    return {};
}

// The extracted comments of a message. Up to gettext 0.21 at least, the library joins them into a
// new string on each call and leaves it to the caller, though its header promises that the file
// owns what the po_message functions return (an empty result is a literal); later versions are
// trusted to keep the promise.
std::string ExtractedComments(po_message_t message)
{
    constexpr int kLastJoiningVersion = 0x0015FF;
    const char* comments = po_message_extracted_comments(message);
    std::string copy(comments);
    if (*comments != '\0' && libgettextpo_version <= kLastJoiningVersion)
        std::free(const_cast<char*>(comments));
    return copy;
}

bool IsHeader(po_message_t message)
{
    return !po_message_is_obsolete(message) && po_message_msgctxt(message) == nullptr &&
           *po_message_msgid(message) == '\0';
}

Result<ReadUnit> ReadMessage(const std::string& name, std::size_t number, po_message_t message)
{
    const char* context = po_message_msgctxt(message);
    std::string place = "message " + std::to_string(number);
    const bool contextIsUtf8 = context != nullptr && FromUtf8(context).has_value();
    if (contextIsUtf8)
        place += " (" + Quoted(context) + ")";
    const auto fail = [&](const std::string& problem) {
        return Fail(ErrorCode::BadInput, name + ": " + place + ": " + problem);
    };
    if (context == nullptr)
        return fail("it has no context, which must end in \" #\" and the index of its text");
    if (!contextIsUtf8)
        return fail("its context is not valid UTF-8");
    const long index = ContextIndex(context);
    if (index < 0)
        return fail("its context does not end in \" #\" and the index of its text");
    if (index > 0xFFFF)
        return fail("the index in its context is beyond 65535");
    if (po_message_msgid_plural(message) != nullptr)
        return fail("it has plural forms, which these texts cannot have");

    Breaks breaks;
    const std::string comments = ExtractedComments(message);
    std::string_view last = LastLine(comments);
    // A file that went through Windows line ends keeps a CR at the end of each comment line.
    if (!last.empty() && last.back() == '\r')
        last.remove_suffix(1);
    if (LooksLikeBreaksComment(last) && !ParseBreaksComment(last, breaks))
        return fail("the comment " + Quoted(last) +
                    " is not in the form #. line breaks at the ends: \"\" \"\" | \"\" \"\"");
    const std::string_view id = po_message_msgid(message);
    if (breaks.EmptySource && id != kEmptyPlaceholder)
        return fail("its comment says that the default text is empty, but msgid is not \"(empty)\"");

    const auto source = FromUtf8(breaks.EmptySource ? std::string_view() : id);
    if (!source)
        return fail("the default text is not valid UTF-8 (" + source.error().Message + ")");
    const auto target = FromUtf8(po_message_msgstr(message));
    if (!target)
        return fail("the translation is not valid UTF-8 (" + target.error().Message + ")");

    ReadUnit unit;
    unit.Index = static_cast<std::uint16_t>(index);
    unit.Source = breaks.Runs[0] + *source + breaks.Runs[1];
    unit.Target = breaks.Runs[2] + *target + breaks.Runs[3];
    unit.Translated = !po_message_is_fuzzy(message) && (!target->empty() || breaks.TranslatedBreaks);
    unit.Place = std::move(place);
    return unit;
}

Result<std::vector<ReadUnit>> ReadCatalogUnits(const std::string& name, po_file_t catalog)
{
    for (const char* const* domain = po_file_domains(catalog); *domain != nullptr; ++domain)
        if (std::strcmp(*domain, "messages") != 0)
            return Fail(ErrorCode::BadInput, name + ": the file has a domain " + Quoted(*domain) +
                                                 "; these texts are all in the default one");

    const char* header = nullptr;
    {
        const IteratorPtr iterator(po_message_iterator(catalog, nullptr));
        while (po_message_t message = po_next_message(iterator.get()))
            if (IsHeader(message)) {
                header = po_message_msgstr(message);
                break;
            }
    }
    if (auto charset = CheckCharset(name, header); !charset)
        return tl::unexpected(charset.error());

    std::vector<ReadUnit> units;
    const IteratorPtr iterator(po_message_iterator(catalog, nullptr));
    std::size_t number = 0;
    while (po_message_t message = po_next_message(iterator.get())) {
        // Messages are numbered in file order, without the header, as translation tools list them.
        if (IsHeader(message))
            continue;
        ++number;
        if (po_message_is_obsolete(message))
            continue;
        auto unit = ReadMessage(name, number, message);
        if (!unit)
            return tl::unexpected(unit.error());
        units.push_back(std::move(*unit));
    }
    return units;
}

Result<std::vector<ReadUnit>> ReadPoBytes(const std::string& name, std::span<const std::uint8_t> bytes)
{
    // gettext takes a byte order mark for a syntax error; it says nothing that the header does not.
    static constexpr std::uint8_t kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
    if (bytes.size() >= 3 && std::equal(bytes.begin(), bytes.begin() + 3, kByteOrderMark))
        bytes = bytes.subspan(3);
    // The library's strings end at a NUL byte, which would cut a text short without a word.
    const auto nul = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    if (nul != bytes.end())
        return Fail(ErrorCode::BadInput, name + ": line " +
                                             std::to_string(1 + std::count(bytes.begin(), nul, '\n')) +
                                             ": a NUL byte, which a PO file cannot hold");

    // The library reads a private copy: what it parses is what was checked, and neither a pipe nor
    // a file that grows meanwhile can hold it up.
    auto copy = PrivateFile::Create();
    if (!copy)
        return Fail(ErrorCode::ReadFailed, "cannot read " + name + ": " + copy.error().Message);
    if (auto written = copy->WriteAll(bytes); !written)
        return Fail(ErrorCode::ReadFailed, "cannot read " + name + ": " + written.error().Message);
    copy->Close();

    const std::lock_guard<std::mutex> lock(LibraryMutex);
    const ErrorCountGuard errorCount;
    LibraryCall call;
    call.Input = copy->Path().c_str();
    errno = 0;
    const PoFilePtr catalog(ReadCatalog(copy->Path().c_str(), call));
    if (call.ErrorCount > 0) {
        std::string message = name + ": " + (call.FirstError.empty() ? "cannot be parsed" : call.FirstError);
        if (call.ErrorCount >= LibraryCall::kMaxErrors)
            message += " (and more errors)";
        else if (call.ErrorCount > 1)
            message += " (and " + std::to_string(call.ErrorCount - 1) +
                       (call.ErrorCount == 2 ? " more error)" : " more errors)");
        return Fail(ErrorCode::BadInput, std::move(message));
    }
    if (catalog == nullptr)
        return Fail(ErrorCode::ReadFailed,
                    "cannot read " + name + " through " + copy->Path() + ": " + SystemReason());
    return ReadCatalogUnits(name, catalog.get());
}

} // namespace

Result<std::vector<std::uint8_t>> WritePoFile(const TranslationFile& file)
{
    try {
        std::vector<std::uint16_t> unholdable;
        for (const TranslationUnit& unit : file.Units)
            if (!CanHold(unit.Source) || !CanHold(unit.Target) || !CanHold(unit.Identifier) ||
                !CanHold(unit.BlockPath) || !CanHold(unit.Description))
                unholdable.push_back(unit.Index);
        if (!unholdable.empty())
            return Fail(ErrorCode::BadInput,
                        TextsHold(unholdable) + " a lone surrogate half, a NUL or an EOT (U+0004) character, "
                                                "which a PO file cannot hold");

        auto output = PrivateFile::Create();
        if (!output)
            return Fail(ErrorCode::WriteFailed, output.error().Message);
        output->Close();

        const std::lock_guard<std::mutex> lock(LibraryMutex);
        const ErrorCountGuard errorCount;
        const PoFilePtr catalog(po_file_create());
        if (auto filled = FillCatalog(file, catalog.get()); !filled)
            return tl::unexpected(filled.error());
        LibraryCall call;
        WriteCatalog(catalog.get(), output->Path().c_str(), call);
        if (call.ErrorCount > 0)
            return Fail(ErrorCode::WriteFailed,
                        "cannot write the PO file " + output->Path() + ": " + call.FirstError);
        auto bytes = ReadWholeFile(output->Path());
        if (!bytes)
            return Fail(ErrorCode::WriteFailed, bytes.error().Message);
        return bytes;
    } catch (const std::bad_alloc&) {
        return Fail(ErrorCode::OutOfMemory, "not enough memory for the PO file");
    }
}

Result<std::vector<ReadUnit>> ReadPoFile(const std::filesystem::path& path)
{
    const std::string name = path.string();
    try {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(path, error);
        if (!error && size > kMaxTranslationFileBytes)
            return Fail(ErrorCode::BadInput, name + ": the file is " + std::to_string(size) +
                                                 " bytes, more than the " +
                                                 std::to_string(kMaxTranslationFileBytes) +
                                                 " bytes that a file for translation can have");
        const auto bytes = ReadWholeFile(path, kMaxTranslationFileBytes);
        if (!bytes)
            return tl::unexpected(bytes.error());
        return ReadPoBytes(name, *bytes);
    } catch (const std::bad_alloc&) {
        return Fail(ErrorCode::OutOfMemory, "cannot read " + name + ": not enough memory");
    }
}

} // namespace orv
