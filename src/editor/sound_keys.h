// The animation's sound track in the editor: key T chooses the sound file, Shift+T removes the
// sound, each one undo step; a load decodes the sound its file names, and a sound that cannot be
// found or decoded is reported in the status line while its reference stays for the next save.
#pragma once

#include <string>

#include "model/sound_track.h"

// Key T: the file chooser "Ton laden"; the chosen file decoded becomes the sound, its reference
// relative to the animation's folder where it lies there or below. A cancel changes nothing; a
// file that cannot be decoded leaves the sound as it was and says so.
void ChooseSound();
// Shift+T: no sound from now on.
void RemoveSound();

// The sound that an animation at animationPath names by reference, decoded. `problem` is the
// status line's text for what went wrong (a sound not found or not decodable, or cut at ten
// minutes); null when all is well or there is no sound.
struct NamedSound {
    SoundTrack track; // the reference always; the samples when they could be decoded
    const char* problem = nullptr;
};
NamedSound DecodeNamedSound(const std::string& reference, const std::string& animationPath);
// The named sound becomes the editor's, inside a command's open undo step (a load): the step
// records the change, and records nothing when the sound is the same as before.
void TakeNamedSound(NamedSound&& sound);
// The status line for a named sound's problem, if it has one, naming its reference.
void ReportNamedSound(const char* problem, const std::string& reference);
