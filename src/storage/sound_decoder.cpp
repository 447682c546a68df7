// Sound decoding: libavformat finds the audio stream, libavcodec decodes its packets and
// libswresample converts every decoded frame, whatever its rate, layout and sample format, to
// interleaved 16-bit stereo at the track's rate, straight into the end of the one buffer. The
// buffer grows ahead of the conversion, so no frame is copied twice.
#include "storage/sound_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <fcntl.h>

#include <algorithm>
#include <cstdarg>
#include <vector>

#include "storage/file_kinds.h"
#include "storage/message_text.h"
#include "storage/numbered_files.h"

namespace {

constexpr std::size_t kLongestFrames = std::size_t{kSoundRate} * kSoundLongestSeconds;

// What went wrong, in the user's words: a system error as the program says it, the end of the
// file where more belongs as a file cut short, damaged data as such; the library's rarer errors in
// its own words.
std::string LibraryError(const std::string& what, int code) {
    if (code < 0 && code > -kHighestSystemError) {
        return what + ": " + SystemErrorText(-code);
    }
    if (code == AVERROR_EOF) {
        return what + ": the sound file is cut short";
    }
    if (code == AVERROR_INVALIDDATA) {
        return what + ": the sound file is damaged";
    }
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return what + ": " + text;
}

// Whether the file's first bytes, whatever its name says, are those of a format the library
// knows: a file that fails to open is a sound cut short then, and no sound file otherwise.
bool BeginsAsAKnownFormat(const std::string& path) {
    constexpr int kProbeBytes = 4096;
    std::vector<unsigned char> bytes(kProbeBytes + AVPROBE_PADDING_SIZE, 0);
    int descriptor = FileSystem().open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
    if (descriptor < 0) {
        return false;
    }
    long count = FileSystem().read(descriptor, bytes.data(), kProbeBytes);
    FileSystem().close(descriptor); // opened only to read: nothing is lost on a failed close
    AVProbeData probe{};
    probe.filename = "";
    probe.buf = bytes.data();
    probe.buf_size = static_cast<int>(std::max(count, 0L));
    int score = AVPROBE_SCORE_RETRY;
    return probe.buf_size > 0 && av_probe_input_format2(&probe, 1, &score) != nullptr;
}

struct SoundDecoding {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwrContext* converter = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;
    std::size_t frames = 0; // sample frames in the buffer
    bool full = false;      // more than kLongestFrames came: the rest is cut
    // The format the converter was made for.
    int sampleFormat = -1;
    int rate = 0;
    AVChannelLayout layout{};

    SoundDecoding() = default;
    SoundDecoding(const SoundDecoding&) = delete;
    SoundDecoding& operator=(const SoundDecoding&) = delete;
    ~SoundDecoding() {
        av_channel_layout_uninit(&layout);
        swr_free(&converter);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

bool OpenStream(SoundDecoding* decoding, const std::string& path, std::string* error) {
    int code = avformat_open_input(&decoding->format, path.c_str(), nullptr, nullptr);
    // No format knows the file (an empty one included): it holds no sound at all.
    bool unknown = code == AVERROR_INVALIDDATA || code == AVERROR(EINVAL) ||
                   (code == AVERROR_EOF && !BeginsAsAKnownFormat(path));
    if (unknown) {
        *error = "cannot read the sound " + Quoted(path) + ": not a sound file";
        return false;
    }
    if (code < 0) {
        *error = LibraryError("cannot read the sound " + Quoted(path), code);
        return false;
    }
    code = avformat_find_stream_info(decoding->format, nullptr);
    const AVCodec* decoder = nullptr;
    if (code >= 0) {
        code = av_find_best_stream(decoding->format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    }
    if (code < 0 || decoder == nullptr) {
        *error = Quoted(path) + " holds no sound that can be decoded";
        return false;
    }
    decoding->stream = code;
    // Only the sound's packets are read at all.
    for (unsigned index = 0; index < decoding->format->nb_streams; ++index) {
        if (static_cast<int>(index) != decoding->stream) {
            decoding->format->streams[index]->discard = AVDISCARD_ALL;
        }
    }
    decoding->codec = avcodec_alloc_context3(decoder);
    decoding->packet = av_packet_alloc();
    decoding->frame = av_frame_alloc();
    if (decoding->codec == nullptr || decoding->packet == nullptr || decoding->frame == nullptr) {
        *error = "out of memory for the sound";
        return false;
    }
    code = avcodec_parameters_to_context(decoding->codec,
                                         decoding->format->streams[decoding->stream]->codecpar);
    if (code >= 0) {
        code = avcodec_open2(decoding->codec, decoder, nullptr);
    }
    if (code < 0) {
        *error = LibraryError("cannot decode the sound " + Quoted(path), code);
        return false;
    }
    return true;
}

// The converter for the frames as they come; made anew when a frame's format differs from the
// one before (a stream may change its layout or rate midway).
bool PrepareConverter(SoundDecoding* decoding, const AVFrame* frame, std::string* error) {
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    AVChannelLayout input{};
    if (frame->ch_layout.nb_channels > 0) {
        av_channel_layout_copy(&input, &frame->ch_layout);
    } else {
        av_channel_layout_default(&input, 1);
    }
    if (input.order == AV_CHANNEL_ORDER_UNSPEC) {
        int channels = input.nb_channels;
        av_channel_layout_uninit(&input);
        av_channel_layout_default(&input, channels);
    }
    swr_free(&decoding->converter);
    int code = swr_alloc_set_opts2(&decoding->converter, &stereo, AV_SAMPLE_FMT_S16, kSoundRate,
                                   &input, static_cast<AVSampleFormat>(frame->format),
                                   frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&input);
    if (code >= 0) {
        code = swr_init(decoding->converter);
    }
    if (code < 0) {
        *error = LibraryError("cannot convert the sound", code);
        return false;
    }
    return true;
}

// Converts `frame` (null: what the converter still holds) onto the end of the buffer.
bool Convert(SoundDecoding* decoding, const AVFrame* frame, std::vector<int16_t>* samples,
             std::string* error) {
    if (decoding->full) {
        return true;
    }
    int inputCount = frame != nullptr ? frame->nb_samples : 0;
    int room = swr_get_out_samples(decoding->converter, inputCount);
    if (room < 0) {
        *error = LibraryError("cannot convert the sound", room);
        return false;
    }
    // One sample frame past the longest tells that the sound goes on; the converter keeps the rest.
    room = static_cast<int>(
        std::min(static_cast<std::size_t>(room), kLongestFrames + 1 - decoding->frames));
    std::size_t needed = (decoding->frames + static_cast<std::size_t>(room)) * kSoundChannels;
    if (needed > samples->size()) {
        samples->resize(std::max(needed, samples->size() * 2));
    }
    auto* out = reinterpret_cast<uint8_t*>(samples->data() + decoding->frames * kSoundChannels);
    const uint8_t** in =
        frame != nullptr ? const_cast<const uint8_t**>(frame->extended_data) : nullptr;
    int converted = swr_convert(decoding->converter, &out, room, in, inputCount);
    if (converted < 0) {
        *error = LibraryError("cannot convert the sound", converted);
        return false;
    }
    decoding->frames += static_cast<std::size_t>(converted);
    if (decoding->frames > kLongestFrames) {
        decoding->frames = kLongestFrames;
        decoding->full = true;
    }
    return true;
}

bool SameFormat(const SoundDecoding& decoding, const AVFrame* frame) {
    return decoding.converter != nullptr && frame->format == decoding.sampleFormat &&
           frame->sample_rate == decoding.rate &&
           av_channel_layout_compare(&frame->ch_layout, &decoding.layout) == 0;
}

// Every frame the decoder has ready; false on a decoding error.
bool TakeFrames(SoundDecoding* decoding, std::vector<int16_t>* samples, std::string* error) {
    for (;;) {
        int code = avcodec_receive_frame(decoding->codec, decoding->frame);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) {
            return true;
        }
        if (code < 0) {
            *error = LibraryError("cannot decode the sound", code);
            return false;
        }
        AVFrame* frame = decoding->frame;
        if (!SameFormat(*decoding, frame)) {
            // What the old converter still holds belongs before the new format's samples.
            if ((decoding->converter != nullptr && !Convert(decoding, nullptr, samples, error)) ||
                !PrepareConverter(decoding, frame, error)) {
                return false;
            }
            decoding->sampleFormat = frame->format;
            decoding->rate = frame->sample_rate;
            av_channel_layout_uninit(&decoding->layout);
            av_channel_layout_copy(&decoding->layout, &frame->ch_layout);
        }
        bool converted = Convert(decoding, frame, samples, error);
        av_frame_unref(frame);
        if (!converted) {
            return false;
        }
    }
}

bool DecodeAll(SoundDecoding* decoding, std::vector<int16_t>* samples, std::string* error) {
    int code = 0;
    while (!decoding->full && (code = av_read_frame(decoding->format, decoding->packet)) >= 0) {
        bool ours = decoding->packet->stream_index == decoding->stream;
        code = ours ? avcodec_send_packet(decoding->codec, decoding->packet) : 0;
        av_packet_unref(decoding->packet);
        // A damaged packet is skipped, as players skip it; the frames around it still count.
        if ((code < 0 && code != AVERROR_INVALIDDATA) || !TakeFrames(decoding, samples, error)) {
            *error = error->empty() ? LibraryError("cannot decode the sound", code) : *error;
            return false;
        }
    }
    if (decoding->full) {
        return true;
    }
    if (code < 0 && code != AVERROR_EOF) {
        *error = LibraryError("cannot read the sound", code);
        return false;
    }
    avcodec_send_packet(decoding->codec, nullptr);
    return TakeFrames(decoding, samples, error) &&
           (decoding->converter == nullptr || Convert(decoding, nullptr, samples, error));
}

// Room for the whole sound as the container announces it, so that the buffer seldom grows.
void ReserveForDuration(const SoundDecoding& decoding, std::vector<int16_t>* samples) {
    int64_t duration = decoding.format->duration; // AV_TIME_BASE units
    if (duration <= 0) {
        return;
    }
    auto frames = static_cast<std::size_t>(
        std::min<int64_t>(duration / 1000 * kSoundRate / 1000 + kSoundRate, kLongestFrames + 1));
    samples->resize(frames * kSoundChannels);
}

void Silent(void*, int, const char*, va_list) {}

// The libraries' complaints about a damaged file stay off the terminal: the reason comes back.
struct LibraryMessagesSilenced {
    LibraryMessagesSilenced() { av_log_set_callback(Silent); }
    ~LibraryMessagesSilenced() { av_log_set_callback(av_log_default_callback); }
    LibraryMessagesSilenced(const LibraryMessagesSilenced&) = delete;
    LibraryMessagesSilenced& operator=(const LibraryMessagesSilenced&) = delete;
};

} // namespace

bool DecodeSoundFile(const std::string& path, DecodedSound* sound, std::string* error) {
    sound->samples.clear();
    sound->cut = false;
    if (!CheckFileToRead(path, error)) {
        return false;
    }
    LibraryMessagesSilenced silenced;
    SoundDecoding decoding;
    bool decoded = OpenStream(&decoding, path, error);
    if (decoded) {
        ReserveForDuration(decoding, &sound->samples);
        decoded = DecodeAll(&decoding, &sound->samples, error);
    }
    if (decoded && decoding.frames == 0) {
        *error = Quoted(path) + " holds no sound that can be decoded";
        decoded = false;
    }
    if (!decoded) {
        sound->samples.clear();
        sound->samples.shrink_to_fit();
        return false;
    }
    sound->cut = decoding.full;
    sound->samples.resize(decoding.frames * kSoundChannels);
    // A buffer much larger than the sound (a container that announced too long a duration) is
    // given back; the usual few seconds of margin are not worth a copy.
    if (sound->samples.capacity() - sound->samples.size() > std::size_t{kSoundRate} * 8) {
        sound->samples.shrink_to_fit();
    }
    return true;
}
