// A build without FFmpeg's libraries (the browser's) decodes no sound file here; its page hands
// the samples over instead.
#include "storage/sound_decoder.h"

#include "storage/message_text.h"

bool DecodeSoundFile(const std::string& path, DecodedSound* sound, std::string* error) {
    sound->samples.clear();
    sound->cut = false;
    *error = "this build decodes no sound file (" + Quoted(path) + ")";
    return false;
}
