// The animation file: a 7-byte header (the box size and the shadow, head and collision toggles)
// followed by one 8-byte record for every joint and every bone in use, frame by frame; the backup
// written beside it; and the names of the files that live beside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Both work on the file at editor.basePath. SaveAnimation returns 1 once the new file has taken
// the place of the old one (which a failure leaves as it was); LoadAnimation returns 1 when the
// file was opened and read, and changes nothing when it cannot be opened. The save writes
// soundTrack.reference; the load leaves the sound track to the caller (see LoadedSoundReference).
int32_t SaveAnimation();
int32_t LoadAnimation();

// The sound reference of the file LoadAnimation read last (empty for none).
const std::string& LoadedSoundReference();

// The animation's bytes as SaveAnimation writes them.
void EncodeAnimation(std::vector<unsigned char>* bytes);

// editor.basePath less its last four characters (a character being one UTF-8 sequence of the
// file system's name), followed by `suffix`, as a temporary text at `start`.
char* SiblingFileName(const char* suffix, int32_t start);

// At exit: editor.basePath becomes the backup's name and the animation is saved there, silently.
// Nothing is written while basePath is empty.
void SaveBackupAtExit();
