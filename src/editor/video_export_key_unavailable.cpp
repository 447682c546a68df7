// Key E in a build without the video and picture encoders (the browser build): the key says on the
// status line that the export is the desktop program's; the playback rate stays as everywhere.
#include "editor/command_keys.h"
#include "editor/video_export_key.h"
#include "model/editor_state.h"
#include "runtime/input.h"

int32_t PlaybackFramesPerSecond() {
    return editor.playbackRate;
}

namespace {

void SayExportIsTheDesktops() {
    ShowStatusMessage("Video-Export nur im Desktop-Programm");
}

} // namespace

void HandleVideoExportKey() {
    PressKeyOnce(ScanE, KeyLatch(LatchE), SayExportIsTheDesktops);
}
