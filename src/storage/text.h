// Texts: 8-bit strings in code page 1252 ending in a 0 byte; null is the empty text. Temporary
// texts are built in place in one shared work buffer at an offset `start`; string variables are
// blocks of the string heap.
#pragma once

#include <cstdint>

// The work buffer. A temporary text runs from its start to the current length, followed by a 0
// that the length does not count. A caller notes the length, builds, then sets it back (or stores
// the text into a variable, which does the same).
int32_t WorkBufferLength();
void WorkBufferSetLength(int32_t length);
char* WorkBufferText(int32_t start);
// Room for count bytes at start; the length becomes start + count. Null when the heap has no room.
char* WorkBufferReserve(int32_t count, int32_t start);
void WorkBufferTrim(int32_t count); // length decreases by count
void TextWorkBufferInit();          // 16 bytes, length 0; at start-up

int32_t StringLength(const char* text);
char* StringLeft(const char* text, int32_t count, int32_t start); // negative count counts as 0
int32_t StringEqual(const char* a, const char* b);
void AppendText(const char* text); // at the end of the temporary text being built
char* Int32ToText(int32_t value, int32_t start);
char* Int64ToText(int64_t value, int32_t start);
char* PathDirectoryPart(const char* path, int32_t start);
int32_t IsValidFileName(const char* name);

// String variables.
void StoreBuiltString(char** variable, int32_t start);
void InitString(char** variable, const char* text);
int32_t AssignString(char** variable, const char* text);
void StringFree(char* block);

// The environment. CommandLineArgument returns the next program parameter (the first call the
// first parameter), the empty text once none is left; its counter is never reset.
void ParameterStateInit(int argc, char** argv);
char* CommandLineArgument(int32_t start);
char* ExecutablePath(int32_t start);
