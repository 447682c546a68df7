// The animation file: a 7-byte header (the box size and the shadow, head and collision toggles)
// followed by one 8-byte record for every joint and every bone in use, frame by frame; the backup
// written beside it; and the names of the files that live beside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/editor_state.h"

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
// An animation file of one frame: the given 501 joints and 501 bones as frame 0, styles included,
// positioned against the editor's box; the toggles, the ground and the rate at their defaults.
void EncodeOneFrame(const Joint* joints, const Bone* bones, std::vector<unsigned char>* bytes);
// Frame 0 of the animation file at `path` into 501 joints and 501 bones, read as LoadAnimation
// reads it (joints packed from slot 0, rest lengths measured, styles applied, the box centred)
// without touching the editor's grids or state. Returns 1 when the file was read; 0, with the
// slots of no use, when the path is no file that can be read to its end.
int32_t LoadFirstFrame(const char* path, Joint* joints, Bone* bones);

// editor.basePath less its last four characters (a character being one UTF-8 sequence of the
// file system's name), followed by `suffix`, as a temporary text at `start`.
char* SiblingFileName(const char* suffix, int32_t start);

// At exit: editor.basePath becomes the backup's name and the animation is saved there, silently.
// Nothing is written while basePath is empty.
void SaveBackupAtExit();
