// The one sound track of the editor.
#include "model/sound_track.h"

SoundTrack soundTrack;
