// Numbered fonts, loaded by face name and point size at 96 dots per inch and kept until shutdown.
#pragma once

#include <cstdint>

void FontSubsystemInit();
void FontSubsystemShutdown();
// Loads the face into font `number` (-1: an automatic number). Returns the automatic number for
// -1, otherwise the native handle; 0 when the font cannot be made.
intptr_t FontLoad(int32_t number, const char* face, int32_t pointSize);
intptr_t FontHandle(intptr_t number); // 0 for a number that holds no font
