// Strings for the JSON files the exports write (the sprite sheet's atlas, the Lottie file): quoted,
// with quotes, backslashes and control characters escaped, and always valid UTF-8, as JSON must
// be, whatever bytes a file name holds.
#pragma once

#include <string>

// text as a JSON string with its quotes. Each byte that begins no well-formed UTF-8 sequence (a
// name in another encoding, a sequence cut short) becomes U+FFFD, the replacement character.
std::string JsonString(const std::string& text);
