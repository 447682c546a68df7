// The sound track's commands. A new track is made whole (decoded) before it replaces the shown
// one, which goes into the undo step as it is, so that a failure changes nothing and taking the
// step back copies no samples.
#include "editor/sound_keys.h"

#include <utility>

#include "editor/status_line.h"
#include "editor/undo_history.h"
#include "model/editor_state.h"
#include "storage/path_parts.h"
#include "storage/requesters.h"
#include "storage/sound_decoder.h"
#include "storage/sound_reference.h"
#include "storage/text.h"

namespace {

constexpr char kSoundPatterns[] =
    "*.wav;*.flac;*.ogg;*.oga;*.opus;*.mp3;*.m4a;*.aac;*.mp4;*.webm;*.mka";
constexpr char kSoundNotFound[] = "Ton nicht gefunden: ";
constexpr char kSoundCut[] = "Ton nach 10 Minuten abgeschnitten: ";

std::string AnimationPath() {
    return editor.session.basePath != nullptr ? editor.session.basePath : "";
}

// The track replaced inside the open step, the old one kept by the step.
void Replace(SoundTrack&& next) {
    SoundTrack before = std::move(editor.animation.sound);
    next.changes = before.changes + 1;
    editor.animation.sound = std::move(next);
    UndoKeepSoundBefore(std::move(before));
}

// Where the chooser opens: at the sound chosen last, else in the animation's folder.
std::string ChooserStart() {
    std::string animation = AnimationPath();
    if (!editor.animation.sound.reference.empty()) {
        return SoundPathFor(editor.animation.sound.reference, animation);
    }
    return SplitPath(animation).folder;
}

} // namespace

void ChooseSound() {
    int32_t start = WorkBufferLength();
    std::string chosen =
        AskOpenFileName("Ton laden", ChooserStart().c_str(), kSoundPatterns, 0, start);
    WorkBufferSetLength(start);
    if (chosen.empty()) {
        return;
    }
    NamedSound sound =
        DecodeNamedSound(SoundReferenceFor(chosen, AnimationPath()), AnimationPath());
    const char* problem = sound.problem;
    std::string reference = sound.track.reference;
    if (sound.track.samples.empty()) {
        ReportNamedSound(problem, reference); // the sound stays as it was
        return;
    }
    UndoBeginStep(0, -1);
    Replace(std::move(sound.track));
    UndoEndStep();
    ReportNamedSound(problem, reference);
}

void RemoveSound() {
    if (editor.animation.sound.reference.empty() && editor.animation.sound.samples.empty()) {
        return;
    }
    UndoBeginStep(0, -1);
    Replace(SoundTrack{});
    UndoEndStep();
}

NamedSound DecodeNamedSound(const std::string& reference, const std::string& animationPath) {
    NamedSound sound;
    sound.track.reference = reference;
    if (reference.empty()) {
        return sound;
    }
    DecodedSound decoded;
    std::string error; // the status line names the sound, not the reason
    if (!DecodeSoundFile(SoundPathFor(reference, animationPath), &decoded, &error)) {
        sound.problem = kSoundNotFound;
        return sound;
    }
    sound.track.samples = std::move(decoded.samples);
    sound.problem = decoded.cut ? kSoundCut : nullptr;
    return sound;
}

void TakeNamedSound(NamedSound&& sound) {
    if (sound.track.reference == editor.animation.sound.reference &&
        sound.track.samples == editor.animation.sound.samples) {
        return;
    }
    Replace(std::move(sound.track));
}

void ReportNamedSound(const char* problem, const std::string& reference) {
    if (problem != nullptr) {
        ShowStatusMessageAbout(problem, reference.c_str());
    }
}
