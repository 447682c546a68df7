// The animation file: a 7-byte header (the box size and the shadow, head and collision toggles)
// followed by one 8-byte record for every joint and every bone in use, frame by frame; the backup
// written beside it; and the names of the files that live beside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/animation.h"

// Saves the animation at `path`: true once the new file has taken the place of the old one, which
// a failure leaves as it was (with the reason in *error when given). The animation's sound goes
// into the file as its reference; its samples stay out.
bool SaveAnimation(const char* path, const Animation& animation, std::string* error = nullptr);
// The animation the file at `path` holds, its sound as a reference without samples; none when
// the path is no file that can be read to its end or is far too large to be an animation. Of
// frames 0 to lastFrame: records of later frames are passed over.
std::optional<Animation> LoadAnimation(const char* path, int32_t lastFrame = kDefaultMaxFrame);
// As LoadAnimation, into an animation of any number of frames whose memory it reuses (a load of
// the editor touches no new pages); false, with the animation as it was, when the file cannot be
// read. Everything the animation held is replaced, its sound by the file's reference.
bool LoadAnimationInto(const char* path, Animation* animation);

// The animation's bytes as SaveAnimation writes them.
void EncodeAnimation(const Animation& animation, std::vector<unsigned char>* bytes);
// An animation file of one frame: the given 501 joints and 501 bones as frame 0, styles included,
// positioned against the box; the toggles, the ground and the rate at their defaults.
void EncodeOneFrame(const Joint* joints, const Bone* bones, const Box& box,
                    std::vector<unsigned char>* bytes);
// Frame 0 of the animation file at `path` into 501 joints and 501 bones, read as LoadAnimation
// reads it (joints packed from slot 0, rest lengths measured, styles applied, the box centred).
// Returns 1 when the file was read; 0, with the slots of no use, when the path is no file that can
// be read to its end.
int32_t LoadFirstFrame(const char* path, Joint* joints, Bone* bones);

// The animation's path less its last four characters (a character being one UTF-8 sequence of
// the file system's name), followed by `suffix`, as a temporary text at `start`.
char* SiblingFileName(const char* basePath, const char* suffix, int32_t start);
// The backup's name beside the animation: the stem followed by "_autosave.txt".
char* BackupFileName(const char* basePath, int32_t start);
