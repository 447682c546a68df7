// JSON strings: escapes where JSON needs them, UTF-8 kept, and any byte that is no well-formed
// UTF-8 replaced, so that a strict reader takes the atlas and the Lottie file whatever the names.
#include "storage/json_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(JsonText, EscapesWhatJsonNeedsAndReplacesBytesThatAreNoUtf8) {
    const struct {
        std::string text;
        std::string json;
    } cases[] = {
        {"walk", "\"walk\""},
        {"", "\"\""},
        {"say \"hi\" \\ there", "\"say \\\"hi\\\" \\\\ there\""},
        {"line\nnext\ttab\x1f", "\"line\\u000anext\\u0009tab\\u001f\""},
        {"L\xC3\xA4ufer \xE2\x82\xAC \xF0\x9F\x98\x80",
         "\"L\xC3\xA4ufer \xE2\x82\xAC \xF0\x9F\x98\x80\""},
        {"lat\xE4.txt", "\"lat\xEF\xBF\xBD.txt\""},                   // Latin-1
        {"cut\xE2\x82", "\"cut\xEF\xBF\xBD\xEF\xBF\xBD\""},           // a sequence cut short
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                 // overlong '/'
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}, // a surrogate
        {"\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}, // > U+10FFFF
        {"\x80x", "\"\xEF\xBF\xBDx\""},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(JsonString(test.text), test.json) << test.text;
    }
}

} // namespace
