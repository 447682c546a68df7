// How a message names what it is about. Input (a path, a word of a clip, an option) is quoted
// short and escaped, so that no file can clear the terminal, cut a message short or fill a screen;
// a system error is said in the words a user knows.
#pragma once

#include <string>
#include <string_view>

constexpr int kLongestQuote = 40; // characters of the input a message shows

// The text between single quotes, whole when it has at most 40 characters, else its first 20 and
// its last 20 with "..." between them (a path's start and its file's name, a word's start and its
// end); every byte that is not part of printable UTF-8 (a control character, a stray or overlong
// byte) shown as \xHH and counted as a character.
std::string Quoted(std::string_view text);

// Error numbers of the system run from 1 to below this; libraries that pass them on negate them.
constexpr int kHighestSystemError = 4096;

// What the system's error number means, as a message says it: "permission denied", "the disk is
// full", "no such file or folder"; the system's own text, in lower case, for the rarer ones.
std::string SystemErrorText(int code);
