// The UTF-8 check follows the table of well-formed sequences: no overlong forms, no surrogates,
// nothing above U+10FFFF.
#include "storage/json_text.h"

#include <cstddef>
#include <cstdio>

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

bool Within(int byte, int low, int high) {
    return byte >= low && byte <= high;
}

// The length of the well-formed sequence that starts at `at`, or 0 when none does.
std::size_t SequenceLength(const std::string& text, std::size_t at) {
    auto byte = [&text](std::size_t index) {
        return index < text.size() ? int{static_cast<unsigned char>(text[index])} : 0;
    };
    int lead = byte(at);
    if (lead < 0x80) {
        return 1;
    }
    // The second byte's range depends on the lead; the bytes after it are 0x80 to 0xBF.
    std::size_t length = 0;
    int low = 0x80;
    int high = 0xBF;
    if (Within(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (Within(lead, 0xE0, 0xEF)) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (Within(lead, 0xF0, 0xF4)) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (!Within(byte(at + 1), low, high)) {
        return 0;
    }
    for (std::size_t next = 2; next < length; ++next) {
        if (!Within(byte(at + next), 0x80, 0xBF)) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (std::size_t at = 0; at < text.size();) {
        char character = text[at];
        std::size_t length = SequenceLength(text, at);
        if (length == 0) {
            quoted += kReplacement;
            at += 1;
        } else if (character == '"' || character == '\\') {
            quoted += '\\';
            quoted += character;
            at += 1;
        } else if (static_cast<unsigned char>(character) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(character));
            quoted += escaped;
            at += 1;
        } else {
            quoted.append(text, at, length);
            at += length;
        }
    }
    return quoted + "\"";
}
