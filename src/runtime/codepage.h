// The program's texts are code page 1252; the platform speaks UTF-8 and Unicode.
#pragma once

#include <cstdint>
#include <string>

uint32_t Cp1252ToCodepoint(unsigned char byte);
std::string Cp1252ToUtf8(const char* text);
// Characters that code page 1252 cannot hold become '?'.
std::string Utf8ToCp1252(const char* text);
