// Key E in a build without the video and picture encoders (the browser build): the key says on the
// status line that the export is the desktop program's; the playback rate stays as everywhere.
#include "editor/status_line.h"
#include "editor/video_export_key.h"
#include "model/editor_state.h"

int32_t PlaybackFramesPerSecond() {
    return editor.animation.playbackRate;
}

void ExportWindowVideos(bool (* /*cancelAsked*/)()) {
    ShowStatusMessage("Video-Export nur im Desktop-Programm");
}
