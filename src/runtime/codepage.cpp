// Code page 1252 to Unicode and back, for the texts that cross into the platform.
#include "runtime/codepage.h"

namespace {

// Bytes 0x80 to 0x9F; the other bytes are their own code points. 0 marks an unassigned byte.
constexpr uint16_t kHighControlRange[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, uint32_t codepoint) {
    if (codepoint < 0x80) {
        out += static_cast<char>(codepoint);
    } else if (codepoint < 0x800) {
        out += static_cast<char>(0xC0 | (codepoint >> 6));
        out += static_cast<char>(0x80 | (codepoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codepoint >> 12));
        out += static_cast<char>(0x80 | ((codepoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codepoint & 0x3F));
    }
}

char CodepointToCp1252(uint32_t codepoint) {
    if (codepoint < 0x80 || (codepoint >= 0xA0 && codepoint <= 0xFF)) {
        return static_cast<char>(codepoint);
    }
    for (int index = 0; index < 32; ++index) {
        if (kHighControlRange[index] != 0 && kHighControlRange[index] == codepoint) {
            return static_cast<char>(0x80 + index);
        }
    }
    return '?';
}

} // namespace

uint32_t Cp1252ToCodepoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        uint16_t mapped = kHighControlRange[byte - 0x80];
        return mapped != 0 ? mapped : byte;
    }
    return byte;
}

std::string Cp1252ToUtf8(const char* text) {
    std::string out;
    for (const char* at = text; at != nullptr && *at != 0; ++at) {
        AppendUtf8(out, Cp1252ToCodepoint(static_cast<unsigned char>(*at)));
    }
    return out;
}

std::string Utf8ToCp1252(const char* text) {
    std::string out;
    const auto* at = reinterpret_cast<const unsigned char*>(text);
    while (at != nullptr && *at != 0) {
        uint32_t codepoint = *at;
        int extra = 0;
        if (codepoint >= 0xF0) {
            codepoint &= 0x07;
            extra = 3;
        } else if (codepoint >= 0xE0) {
            codepoint &= 0x0F;
            extra = 2;
        } else if (codepoint >= 0xC0) {
            codepoint &= 0x1F;
            extra = 1;
        } else if (codepoint >= 0x80) {
            codepoint = '?'; // a stray continuation byte
        }
        ++at;
        for (; extra > 0 && (*at & 0xC0) == 0x80; --extra, ++at) {
            codepoint = (codepoint << 6) | (*at & 0x3F);
        }
        out += extra == 0 ? CodepointToCp1252(codepoint) : '?';
    }
    return out;
}
