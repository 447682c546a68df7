// A character is printable when it is well-formed UTF-8 (the shortest form of a scalar value) and
// no control: not C0, DEL or C1, and none of the marks that turn or break the text around it (the
// line and paragraph separators, the bidirectional embeddings, overrides and isolates, the
// invisible byte-order mark).
#include "storage/message_text.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <system_error>

namespace {

bool IsControl(uint32_t code) {
    return code < 0x20 || (code >= 0x7F && code < 0xA0) || code == 0x2028 || code == 0x2029 ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069) ||
           code == 0xFEFF;
}

// The bytes of the printable character at the start of text; 0 when its first byte begins none.
std::size_t PrintableLength(std::string_view text) {
    auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = lead < 0x80                   ? 1
                         : lead >= 0xC2 && lead < 0xE0 ? 2
                         : lead >= 0xE0 && lead < 0xF0 ? 3
                         : lead >= 0xF0 && lead < 0xF5 ? 4
                                                       : 0;
    if (length == 0 || text.size() < length) {
        return 0;
    }
    uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t index = 1; index < length; ++index) {
        auto next = static_cast<unsigned char>(text[index]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (next & 0x3Fu);
    }
    bool shortest = length < 3 || (length == 3 && code >= 0x800) || code >= 0x10000;
    bool scalar = code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return shortest && scalar && !IsControl(code) ? length : 0;
}

// Appends the units from `at` to `end`, escaping the bytes that are no printable character.
void AppendShown(std::string_view text, std::size_t at, std::size_t end, std::string* shown) {
    while (at < end) {
        std::size_t length = PrintableLength(text.substr(at));
        if (length > 0) {
            shown->append(text.substr(at, length));
            at += length;
            continue;
        }
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(text[at]));
        *shown += escaped;
        ++at;
    }
}

} // namespace

// The text is read as units, each a printable character or one byte to escape; where there are
// more than 40, the first and the last 20 are shown. Where the last 20 begin is kept in a ring of
// unit starts as the text is read once from its start, whatever its length.
std::string Quoted(std::string_view text) {
    constexpr std::size_t kEnd = kLongestQuote / 2;
    std::array<std::size_t, kEnd> starts{};
    std::size_t units = 0;
    std::size_t headEnd = 0;
    for (std::size_t at = 0; at < text.size(); ++units) {
        headEnd = units == kEnd ? at : headEnd;
        starts[units % kEnd] = at;
        std::size_t length = PrintableLength(text.substr(at));
        at += length > 0 ? length : 1;
    }
    std::string quoted = "'";
    if (units <= static_cast<std::size_t>(kLongestQuote)) {
        AppendShown(text, 0, text.size(), &quoted);
    } else {
        AppendShown(text, 0, headEnd, &quoted);
        quoted += "...";
        AppendShown(text, starts[units % kEnd], text.size(), &quoted);
    }
    return quoted + "'";
}

std::string SystemErrorText(int code) {
    switch (code) {
    case EACCES:
    case EPERM:
        return "permission denied";
    case ENOSPC:
    case EDQUOT:
        return "the disk is full";
    case EROFS:
        return "the disk is read-only";
    case ENOENT:
        return "no such file or folder";
    case ENOTDIR:
        return "a part of the path is no folder";
    case EISDIR:
        return "it is a folder";
    case EIO:
        return "the disk could not be read or written";
    case ENAMETOOLONG:
        return "the name is too long";
    case ELOOP:
        return "the links lead round in a circle";
    case EMFILE:
    case ENFILE:
        return "too many files are open";
    case ENOMEM:
        return "not enough memory";
    case EFBIG:
        return "the file would be too large";
    default:
        break;
    }
    // From a table that is safe on the backup's thread too.
    std::string text = std::generic_category().message(code);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') {
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    }
    return text;
}
