// The video encoder: pictures converted to full-resolution colour (yuv444p) by libswscale, then
// enlarged to whole blocks, so that the colour samples of the video's yuv420p are exactly the
// pictures' own (an alpha plane beside them for a transparent WebM); the animated pictures' pixels
// copied as they are into RGB(A) frames. Encoded by libavcodec and packed by libavformat into the
// atomic file's new file through I/O contexts of our own, so that every write and seek goes
// through the file layer's calls. The MP4's index is moved to the front at the end, when the muxer
// reads the new file back through a second context on the same descriptor. A sound goes beside
// the pictures as a second stream, encoded as far as each picture reaches, so that the muxer
// interleaves the two as it goes instead of holding one of them whole.
#include "storage/video_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <new>

#include "model/sound_track.h"
#include "storage/atomic_file.h"
#include "storage/message_text.h"
#include "storage/numbered_files.h"
#include "storage/pixel_rows.h"

namespace {

constexpr int kIoBufferSize = 1 << 16;

#if LIBAVFORMAT_VERSION_MAJOR >= 61
using WrittenBytes = const uint8_t*;
#else
using WrittenBytes = uint8_t*;
#endif

} // namespace

// A format's encoders and their settings. Low constant-quality factors: a one-pixel bone is worth
// more than a small file. The animated pictures are lossless and loop forever.
struct VideoFormat {
    const char* name; // for the message that it has no transparency
    const char* muxer;
    const char* encoder;
    const char* encoderOptions; // key=value pairs separated by ':'
    const char* muxerOptions;
    AVPixelFormat opaquePixels;
    AVPixelFormat transparentPixels;    // AV_PIX_FMT_NONE: the format has no transparency
    int32_t scale = 1;                  // frame pixels per picture pixel, across and down
    const char* soundEncoder = nullptr; // null: the format carries no sound
    int64_t soundBitRate = 0;
};

// clang-format off
const VideoFormat kMp4Video{.name = "an H.264 video", .muxer = "mp4", .encoder = "libx264",
    .encoderOptions = "preset=veryfast:crf=8", .muxerOptions = "movflags=+faststart",
    .opaquePixels = AV_PIX_FMT_YUV420P, .transparentPixels = AV_PIX_FMT_NONE,
    .scale = kVideoScale, .soundEncoder = "aac", .soundBitRate = 192000};
const VideoFormat kWebMVideo{.name = "a VP9 video", .muxer = "webm", .encoder = "libvpx-vp9",
    .encoderOptions = "crf=12:b=0:deadline=good:cpu-used=5:row-mt=1", .muxerOptions = "",
    .opaquePixels = AV_PIX_FMT_YUV420P, .transparentPixels = AV_PIX_FMT_YUVA420P,
    .scale = kVideoScale, .soundEncoder = "libopus", .soundBitRate = 128000};
const VideoFormat kApngVideo{.name = "an APNG", .muxer = "apng", .encoder = "apng",
    .encoderOptions = "", .muxerOptions = "plays=0",
    .opaquePixels = AV_PIX_FMT_RGB24, .transparentPixels = AV_PIX_FMT_RGBA};
const VideoFormat kWebPVideo{.name = "an animated WebP", .muxer = "webp",
    .encoder = "libwebp_anim", .encoderOptions = "lossless=1", .muxerOptions = "loop=0",
    .opaquePixels = AV_PIX_FMT_BGRA, .transparentPixels = AV_PIX_FMT_BGRA};
// clang-format on

namespace {

// One write's settings: the format's, with the pixel layout of its pictures.
struct VideoSettings : VideoFormat {
    AVPixelFormat pixelFormat;
};

VideoSettings SettingsOf(const VideoFormat& format, bool transparent) {
    return {format, transparent ? format.transparentPixels : format.opaquePixels};
}

bool IsYuv(AVPixelFormat format) {
    return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVA420P;
}

// The libraries' last error message, for the one line that reports a failure; everything they
// log goes here instead of onto the terminal.
std::string& LastLibraryMessage() {
    static std::string message;
    return message;
}

void KeepLibraryMessage(void* object, int level, const char* format, va_list arguments) {
    if (level > AV_LOG_ERROR) {
        return;
    }
    char line[512];
    int printPrefix = 0;
    av_log_format_line2(object, level, format, arguments, line, sizeof line, &printPrefix);
    std::string& message = LastLibraryMessage();
    message = line;
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
        message.pop_back();
    }
}

struct LibraryMessagesKept {
    LibraryMessagesKept() {
        LastLibraryMessage().clear();
        av_log_set_callback(KeepLibraryMessage);
    }
    ~LibraryMessagesKept() { av_log_set_callback(av_log_default_callback); }
    LibraryMessagesKept(const LibraryMessagesKept&) = delete;
    LibraryMessagesKept& operator=(const LibraryMessagesKept&) = delete;
};

// A system error that the library passes on is said as the program says it; the library's own
// errors in its words.
std::string LibraryError(const char* what, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    bool system = code < 0 && code > -kHighestSystemError;
    std::string message = std::string(what) + ": " + (system ? SystemErrorText(-code) : text);
    if (!LastLibraryMessage().empty()) {
        message += " (" + LastLibraryMessage() + ")";
    }
    return message;
}

// Where one I/O context stands in the new file. The contexts share the descriptor, so each puts
// the file offset in place before every call.
struct FileCursor {
    int descriptor = -1;
    int64_t position = 0;
    std::string* failure = nullptr; // the first failed call, described
};

int CursorFailure(FileCursor* cursor, const std::string& what) {
    int code = errno != 0 ? errno : EIO;
    if (cursor->failure->empty()) {
        *cursor->failure = what + ": " + SystemErrorText(code);
    }
    return AVERROR(code);
}

bool PlaceCursor(const FileCursor* cursor) {
    errno = 0;
    return FileSystem().seek(cursor->descriptor, static_cast<long>(cursor->position), SEEK_SET) ==
           cursor->position;
}

int ReadBytes(void* opaque, uint8_t* bytes, int count) {
    auto* cursor = static_cast<FileCursor*>(opaque);
    if (!PlaceCursor(cursor)) {
        return CursorFailure(cursor, "cannot seek in the new video");
    }
    long got = FileSystem().read(cursor->descriptor, bytes, static_cast<unsigned long>(count));
    if (got < 0) {
        return CursorFailure(cursor, "cannot read the new video back");
    }
    if (got == 0) {
        return AVERROR_EOF;
    }
    cursor->position += got;
    return static_cast<int>(got);
}

int WriteBytes(void* opaque, WrittenBytes bytes, int count) {
    auto* cursor = static_cast<FileCursor*>(opaque);
    if (!PlaceCursor(cursor)) {
        return CursorFailure(cursor, "cannot seek in the new video");
    }
    std::string error;
    if (!WriteAllBytes(cursor->descriptor, bytes, static_cast<std::size_t>(count), &error)) {
        if (cursor->failure->empty()) {
            *cursor->failure = error;
        }
        return AVERROR(EIO);
    }
    cursor->position += count;
    return count;
}

int64_t SeekBytes(void* opaque, int64_t offset, int whence) {
    auto* cursor = static_cast<FileCursor*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE || whence == SEEK_END) {
        errno = 0;
        long size = FileSystem().seek(cursor->descriptor, 0, SEEK_END);
        if (size < 0) {
            return CursorFailure(cursor, "cannot seek in the new video");
        }
        if (whence == AVSEEK_SIZE) {
            return size;
        }
        offset += size;
    } else if (whence == SEEK_CUR) {
        offset += cursor->position;
    } else if (whence != SEEK_SET) {
        return AVERROR(EINVAL);
    }
    if (offset < 0) {
        return AVERROR(EINVAL);
    }
    cursor->position = offset;
    return offset;
}

AVIOContext* OpenContext(FileCursor* cursor, bool writing) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    if (buffer == nullptr) {
        return nullptr;
    }
    AVIOContext* context = avio_alloc_context(buffer, kIoBufferSize, writing ? 1 : 0, cursor,
                                              writing ? nullptr : ReadBytes,
                                              writing ? WriteBytes : nullptr, SeekBytes);
    if (context == nullptr) {
        av_free(buffer);
    }
    return context;
}

void CloseContext(AVIOContext** context) {
    if (*context != nullptr) {
        av_freep(&(*context)->buffer);
        avio_context_free(context);
    }
}

// The muxer's way to open a file: only the new file, and only to read it back.
int OpenReadBack(AVFormatContext* format, AVIOContext** context, const char*, int flags,
                 AVDictionary**) {
    const auto* written = static_cast<const FileCursor*>(format->opaque);
    if ((flags & AVIO_FLAG_WRITE) != 0) {
        return AVERROR(EINVAL);
    }
    auto* cursor = new (std::nothrow) FileCursor{written->descriptor, 0, written->failure};
    *context = cursor != nullptr ? OpenContext(cursor, false) : nullptr;
    if (*context == nullptr) {
        delete cursor;
        return AVERROR(ENOMEM);
    }
    return 0;
}

int CloseReadBack(AVFormatContext*, AVIOContext* context) {
    delete static_cast<FileCursor*>(context->opaque);
    CloseContext(&context);
    return 0;
}

struct VideoEncoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr; // the format's
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* converter = nullptr;
    AVFrame* picture = nullptr; // one picture in yuv444p, at the pictures' size
    // The sound, when there is one: its encoder, stream and frame, the samples and how many
    // sample frames have gone to the encoder of the `soundLength` the video lasts.
    AVCodecContext* soundCodec = nullptr;
    AVStream* soundStream = nullptr;
    AVFrame* soundFrame = nullptr;
    VideoSound sound;
    int64_t soundSent = 0;
    int64_t soundLength = 0;
};

void FreeEncoder(VideoEncoder* encoder) {
    av_frame_free(&encoder->soundFrame);
    avcodec_free_context(&encoder->soundCodec);
    sws_freeContext(encoder->converter);
    av_packet_free(&encoder->packet);
    av_frame_free(&encoder->frame);
    av_frame_free(&encoder->picture);
    avcodec_free_context(&encoder->codec);
    if (encoder->format != nullptr) {
        CloseContext(&encoder->format->pb);
        avformat_free_context(encoder->format);
        encoder->format = nullptr;
    }
}

// Options the library did not take are a mistake in the settings, not something to ignore.
bool AllOptionsTaken(AVDictionary* options, const char* what, std::string* error) {
    const AVDictionaryEntry* left = av_dict_get(options, "", nullptr, AV_DICT_IGNORE_SUFFIX);
    if (left != nullptr) {
        *error = std::string(what) + " does not know the option " + Quoted(left->key);
    }
    return left == nullptr;
}

bool OpenMuxer(VideoEncoder* encoder, const VideoSettings& settings, FileCursor* cursor,
               std::string* error) {
    int code = avformat_alloc_output_context2(&encoder->format, nullptr, settings.muxer, nullptr);
    if (code < 0 || encoder->format == nullptr) {
        *error = LibraryError("cannot start the video file", code < 0 ? code : AVERROR(ENOMEM));
        return false;
    }
    encoder->format->pb = OpenContext(cursor, true);
    if (encoder->format->pb == nullptr) {
        *error = "out of memory for the video file";
        return false;
    }
    encoder->format->opaque = cursor;
    encoder->format->io_open = OpenReadBack;
    encoder->format->io_close2 = CloseReadBack;
    return true;
}

void DescribeFrames(AVCodecContext* codec, AVPixelFormat format, int32_t width, int32_t height,
                    int32_t rate) {
    codec->width = width;
    codec->height = height;
    codec->pix_fmt = format;
    codec->time_base = AVRational{1, rate};
    codec->framerate = AVRational{rate, 1};
    codec->sample_aspect_ratio = AVRational{1, 1};
    if (!IsYuv(format)) {
        return;
    }
    // What libswscale converts to by default: BT.601 in the limited range.
    codec->color_range = AVCOL_RANGE_MPEG;
    codec->colorspace = AVCOL_SPC_SMPTE170M;
    codec->color_primaries = AVCOL_PRI_SMPTE170M;
    codec->color_trc = AVCOL_TRC_SMPTE170M;
}

bool OpenCodec(VideoEncoder* encoder, const VideoSettings& settings, int32_t width, int32_t height,
               int32_t rate, std::string* error) {
    const AVCodec* found = avcodec_find_encoder_by_name(settings.encoder);
    if (found == nullptr) {
        *error = std::string("this FFmpeg has no ") + settings.encoder + " encoder";
        return false;
    }
    encoder->codec = avcodec_alloc_context3(found);
    if (encoder->codec == nullptr) {
        *error = "out of memory for the video encoder";
        return false;
    }
    DescribeFrames(encoder->codec, settings.pixelFormat, width, height, rate);
    if ((encoder->format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        encoder->codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    AVDictionary* options = nullptr;
    int code = av_dict_parse_string(&options, settings.encoderOptions, "=", ":", 0);
    if (code >= 0) {
        code = avcodec_open2(encoder->codec, found, &options);
    }
    bool opened = code >= 0 && AllOptionsTaken(options, settings.encoder, error);
    av_dict_free(&options);
    if (code < 0) {
        *error = LibraryError("cannot start the video encoder", code);
    }
    return opened;
}

bool AddStream(VideoEncoder* encoder, std::string* error) {
    encoder->stream = avformat_new_stream(encoder->format, nullptr);
    if (encoder->stream == nullptr) {
        *error = "out of memory for the video stream";
        return false;
    }
    encoder->stream->time_base = encoder->codec->time_base;
    encoder->stream->avg_frame_rate = encoder->codec->framerate;
    int code = avcodec_parameters_from_context(encoder->stream->codecpar, encoder->codec);
    if (code < 0) {
        *error = LibraryError("cannot describe the video stream", code);
        return false;
    }
    return true;
}

// The sound's frame in the encoder's sample format, for frames of the encoder's size (Opus and
// AAC have fixed sizes; a codec without one takes 20 ms).
bool OpenSoundFrame(VideoEncoder* encoder, std::string* error) {
    AVCodecContext* codec = encoder->soundCodec;
    encoder->soundFrame = av_frame_alloc();
    if (encoder->soundFrame == nullptr) {
        *error = "out of memory for the sound";
        return false;
    }
    AVFrame* frame = encoder->soundFrame;
    frame->format = codec->sample_fmt;
    frame->sample_rate = codec->sample_rate;
    frame->nb_samples = codec->frame_size > 0 ? codec->frame_size : kSoundRate / 50;
    int code = av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout);
    if (code >= 0) {
        code = av_frame_get_buffer(frame, 0);
    }
    if (code < 0) {
        *error = LibraryError("cannot make a sound frame", code);
        return false;
    }
    return true;
}

// The sound's encoder and stream; nothing for a format without sound or a video without one.
bool AddSoundStream(VideoEncoder* encoder, const VideoSettings& settings, std::string* error) {
    if (settings.soundEncoder == nullptr || encoder->sound.empty()) {
        return true;
    }
    const AVCodec* found = avcodec_find_encoder_by_name(settings.soundEncoder);
    if (found == nullptr || found->sample_fmts == nullptr) {
        *error = std::string("this FFmpeg has no ") + settings.soundEncoder + " encoder";
        return false;
    }
    encoder->soundCodec = avcodec_alloc_context3(found);
    if (encoder->soundCodec == nullptr) {
        *error = "out of memory for the sound encoder";
        return false;
    }
    AVCodecContext* codec = encoder->soundCodec;
    codec->sample_fmt = found->sample_fmts[0];
    codec->sample_rate = kSoundRate;
    codec->bit_rate = settings.soundBitRate;
    codec->time_base = AVRational{1, kSoundRate};
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&codec->ch_layout, &stereo);
    if ((encoder->format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    int code = avcodec_open2(codec, found, nullptr);
    if (code < 0) {
        *error = LibraryError("cannot start the sound encoder", code);
        return false;
    }
    encoder->soundStream = avformat_new_stream(encoder->format, nullptr);
    if (encoder->soundStream == nullptr) {
        *error = "out of memory for the sound stream";
        return false;
    }
    encoder->soundStream->time_base = codec->time_base;
    code = avcodec_parameters_from_context(encoder->soundStream->codecpar, codec);
    if (code < 0) {
        *error = LibraryError("cannot describe the sound stream", code);
        return false;
    }
    return OpenSoundFrame(encoder, error);
}

bool WriteHeader(VideoEncoder* encoder, const VideoSettings& settings, std::string* error) {
    AVDictionary* options = nullptr;
    int code = av_dict_parse_string(&options, settings.muxerOptions, "=", ":", 0);
    if (code >= 0) {
        code = avformat_write_header(encoder->format, &options);
    }
    bool written = code >= 0 && AllOptionsTaken(options, settings.muxer, error);
    av_dict_free(&options);
    if (code < 0) {
        *error = LibraryError("cannot write the video header", code);
    }
    return written;
}

AVFrame* NewFrame(AVPixelFormat format, int32_t width, int32_t height, std::string* error) {
    AVFrame* frame = av_frame_alloc();
    if (frame == nullptr) {
        *error = "out of memory for the video frames";
        return nullptr;
    }
    frame->format = format;
    frame->width = width;
    frame->height = height;
    int code = av_frame_get_buffer(frame, 0);
    if (code < 0) {
        *error = LibraryError("cannot make a video frame", code);
        av_frame_free(&frame);
    }
    return frame;
}

bool OpenPictureBuffers(VideoEncoder* encoder, const VideoSettings& settings,
                        const PictureSequence& pictures, std::string* error) {
    int32_t width = pictures.width;
    int32_t height = pictures.height;
    encoder->packet = av_packet_alloc();
    if (encoder->packet == nullptr) {
        *error = "out of memory for the video frames";
        return false;
    }
    if (IsYuv(settings.pixelFormat)) {
        encoder->converter =
            sws_getContext(width, height, AV_PIX_FMT_0RGB32, width, height, AV_PIX_FMT_YUV444P,
                           SWS_POINT | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
        encoder->picture = encoder->converter == nullptr
                               ? nullptr
                               : NewFrame(AV_PIX_FMT_YUV444P, width, height, error);
        if (encoder->picture == nullptr) {
            *error = error->empty() ? "out of memory for the video frames" : *error;
            return false;
        }
    }
    encoder->frame =
        NewFrame(settings.pixelFormat, width * settings.scale, height * settings.scale, error);
    return encoder->frame != nullptr;
}

bool OpenEncoder(VideoEncoder* encoder, const VideoSettings& settings,
                 const PictureSequence& pictures, int32_t rate, FileCursor* cursor,
                 std::string* error) {
    int32_t width = pictures.width * settings.scale;
    int32_t height = pictures.height * settings.scale;
    return OpenMuxer(encoder, settings, cursor, error) &&
           OpenCodec(encoder, settings, width, height, rate, error) && AddStream(encoder, error) &&
           AddSoundStream(encoder, settings, error) && WriteHeader(encoder, settings, error) &&
           OpenPictureBuffers(encoder, settings, pictures, error);
}

// The picture's brightness with every sample a whole kVideoScale x kVideoScale block; its colour
// planes as they are, which at the video's size are one sample per block.
void Enlarge(const AVFrame* picture, AVFrame* frame) {
    for (int32_t y = 0; y < picture->height; ++y) {
        const uint8_t* source =
            picture->data[0] + static_cast<std::ptrdiff_t>(y) * picture->linesize[0];
        uint8_t* row =
            frame->data[0] + static_cast<std::ptrdiff_t>(y) * kVideoScale * frame->linesize[0];
        for (int32_t x = 0; x < picture->width; ++x) {
            for (int32_t copy = 0; copy < kVideoScale; ++copy) {
                row[x * kVideoScale + copy] = source[x];
            }
        }
        for (int32_t copy = 1; copy < kVideoScale; ++copy) {
            std::memcpy(row + copy * frame->linesize[0], row,
                        static_cast<std::size_t>(frame->width));
        }
        for (int plane = 1; plane <= 2; ++plane) {
            std::memcpy(
                frame->data[plane] + static_cast<std::ptrdiff_t>(y) * frame->linesize[plane],
                picture->data[plane] + static_cast<std::ptrdiff_t>(y) * picture->linesize[plane],
                static_cast<std::size_t>(picture->width));
        }
    }
}

// The alpha plane of a video frame kVideoScale times the picture's size: each pixel's block fully
// transparent where the picture shows its transparent colour, opaque elsewhere.
void FillAlpha(const uint32_t* pixels, int32_t width, int32_t height, uint32_t transparent,
               AVFrame* frame) {
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* source = pixels + static_cast<std::ptrdiff_t>(y) * width;
        uint8_t* row =
            frame->data[3] + static_cast<std::ptrdiff_t>(y) * kVideoScale * frame->linesize[3];
        for (int32_t x = 0; x < width; ++x) {
            uint8_t alpha = source[x] == transparent ? 0 : 0xFF;
            std::memset(row + x * kVideoScale, alpha, kVideoScale);
        }
        for (int32_t copy = 1; copy < kVideoScale; ++copy) {
            std::memcpy(row + copy * frame->linesize[3], row,
                        static_cast<std::size_t>(frame->width));
        }
    }
}

// The pixels as they are, in the frame's byte order of red, green, blue and alpha.
void CopyPixels(const uint32_t* pixels, int32_t width, int32_t height,
                TransparentColour transparent, AVFrame* frame) {
    PixelBytes order = frame->format == AV_PIX_FMT_BGRA    ? PixelBytes::Bgra
                       : frame->format == AV_PIX_FMT_RGB24 ? PixelBytes::Rgb
                                                           : PixelBytes::Rgba;
    for (int32_t y = 0; y < height; ++y) {
        ConvertPixelRow(pixels + static_cast<std::ptrdiff_t>(y) * width, width, order, transparent,
                        frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0]);
    }
}

// Hands a frame (null: the end) to the stream's encoder and writes every packet it has ready.
bool SendToStream(VideoEncoder* encoder, AVCodecContext* codec, AVStream* stream,
                  const AVFrame* frame, const char* what, std::string* error) {
    int code = avcodec_send_frame(codec, frame);
    if (code < 0) {
        *error = LibraryError(what, code);
        return false;
    }
    for (;;) {
        code = avcodec_receive_packet(codec, encoder->packet);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) {
            return true;
        }
        if (code < 0) {
            *error = LibraryError(what, code);
            return false;
        }
        av_packet_rescale_ts(encoder->packet, codec->time_base, stream->time_base);
        encoder->packet->stream_index = stream->index;
        code = av_interleaved_write_frame(encoder->format, encoder->packet);
        if (code < 0) {
            *error = LibraryError("cannot write the video", code);
            return false;
        }
    }
}

bool SendFrame(VideoEncoder* encoder, const AVFrame* frame, std::string* error) {
    return SendToStream(encoder, encoder->codec, encoder->stream, frame,
                        "cannot encode a video frame", error);
}

// Sample frames from `first` into the sound frame in the encoder's format; past the end of the
// samples or of the video (`end`), silence.
void FillSoundFrame(const VideoSound& sound, int64_t first, int32_t count, int64_t end,
                    AVFrame* frame) {
    int64_t available = std::min(static_cast<int64_t>(sound.size() / kSoundChannels), end);
    for (int32_t index = 0; index < count; ++index) {
        int64_t at = first + index;
        int16_t left = at < available ? sound[static_cast<std::size_t>(at) * 2] : int16_t{0};
        int16_t right = at < available ? sound[static_cast<std::size_t>(at) * 2 + 1] : int16_t{0};
        switch (frame->format) {
        case AV_SAMPLE_FMT_FLTP:
            reinterpret_cast<float*>(frame->data[0])[index] = static_cast<float>(left) / 32768.0f;
            reinterpret_cast<float*>(frame->data[1])[index] = static_cast<float>(right) / 32768.0f;
            break;
        case AV_SAMPLE_FMT_FLT:
            reinterpret_cast<float*>(frame->data[0])[index * 2] =
                static_cast<float>(left) / 32768.0f;
            reinterpret_cast<float*>(frame->data[0])[index * 2 + 1] =
                static_cast<float>(right) / 32768.0f;
            break;
        default: // AV_SAMPLE_FMT_S16, as the samples are
            reinterpret_cast<int16_t*>(frame->data[0])[index * 2] = left;
            reinterpret_cast<int16_t*>(frame->data[0])[index * 2 + 1] = right;
            break;
        }
    }
}

bool SoundFormatHandled(AVSampleFormat format) {
    return format == AV_SAMPLE_FMT_FLTP || format == AV_SAMPLE_FMT_FLT ||
           format == AV_SAMPLE_FMT_S16;
}

// The sound up to sample frame `end` in whole encoder frames, the last one of the video shorter
// where the encoder allows it, else filled with silence.
bool EncodeSoundUpTo(VideoEncoder* encoder, int64_t end, std::string* error) {
    if (encoder->soundCodec == nullptr) {
        return true;
    }
    AVFrame* frame = encoder->soundFrame;
    const int32_t size =
        encoder->soundCodec->frame_size > 0 ? encoder->soundCodec->frame_size : kSoundRate / 50;
    bool smallLast =
        (encoder->soundCodec->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME) != 0;
    end = std::min(end, encoder->soundLength);
    while (encoder->soundSent < end &&
           (encoder->soundSent + size <= end || end == encoder->soundLength)) {
        auto count = static_cast<int32_t>(std::min<int64_t>(size, end - encoder->soundSent));
        frame->nb_samples = size;
        int code = av_frame_make_writable(frame);
        if (code < 0) {
            *error = LibraryError("cannot make a sound frame", code);
            return false;
        }
        int32_t filled = smallLast ? count : size;
        FillSoundFrame(encoder->sound, encoder->soundSent, filled, encoder->soundLength, frame);
        frame->nb_samples = filled;
        frame->pts = encoder->soundSent;
        if (!SendToStream(encoder, encoder->soundCodec, encoder->soundStream, frame,
                          "cannot encode the sound", error)) {
            return false;
        }
        encoder->soundSent += count;
    }
    return true;
}

// The sample frame at which picture `index` ends.
int64_t SoundFramesUpTo(int32_t index, int32_t rate) {
    return int64_t{index} * kSoundRate / rate;
}

// The picture in yuv444p, then enlarged into the frame.
bool ConvertPicture(VideoEncoder* encoder, const PictureSequence& pictures, const uint32_t* pixels,
                    std::string* error) {
    const uint8_t* source[] = {reinterpret_cast<const uint8_t*>(pixels)};
    const int sourceStride[] = {pictures.width * static_cast<int>(sizeof(uint32_t))};
    AVFrame* picture = encoder->picture;
    if (sws_scale(encoder->converter, source, sourceStride, 0, pictures.height, picture->data,
                  picture->linesize) != pictures.height) {
        *error = "cannot convert a picture for the video";
        return false;
    }
    Enlarge(picture, encoder->frame);
    if (encoder->frame->format == AV_PIX_FMT_YUVA420P) {
        FillAlpha(pixels, pictures.width, pictures.height, pictures.ground, encoder->frame);
    }
    return true;
}

bool AddPicture(VideoEncoder* encoder, const PictureSequence& pictures, int32_t index,
                std::string* error) {
    const uint32_t* pixels = pictures.draw(index);
    if (pixels == nullptr) {
        *error = kPicturesStopped;
        return false;
    }
    int code = av_frame_make_writable(encoder->frame);
    if (code < 0) {
        *error = LibraryError("cannot make a video frame", code);
        return false;
    }
    if (encoder->picture != nullptr) {
        if (!ConvertPicture(encoder, pictures, pixels, error)) {
            return false;
        }
    } else {
        CopyPixels(pixels, pictures.width, pictures.height, TransparentGround(pictures),
                   encoder->frame);
    }
    encoder->frame->pts = index;
    return SendFrame(encoder, encoder->frame, error);
}

bool FinishVideo(VideoEncoder* encoder, std::string* error) {
    if (!SendFrame(encoder, nullptr, error) ||
        !EncodeSoundUpTo(encoder, encoder->soundLength, error)) {
        return false;
    }
    if (encoder->soundCodec != nullptr &&
        !SendToStream(encoder, encoder->soundCodec, encoder->soundStream, nullptr,
                      "cannot encode the sound", error)) {
        return false;
    }
    int code = av_write_trailer(encoder->format);
    if (code >= 0) {
        avio_flush(encoder->format->pb);
        code = encoder->format->pb->error;
    }
    if (code < 0) {
        *error = LibraryError("cannot finish the video", code);
        return false;
    }
    return true;
}

bool EncodeAll(const VideoSettings& settings, const PictureSequence& pictures, int32_t rate,
               VideoSound sound, FileCursor* cursor, std::string* error) {
    VideoEncoder encoder;
    encoder.sound = sound;
    encoder.soundLength = SoundFramesUpTo(pictures.count, rate);
    bool written = OpenEncoder(&encoder, settings, pictures, rate, cursor, error);
    if (written && encoder.soundCodec != nullptr &&
        !SoundFormatHandled(encoder.soundCodec->sample_fmt)) {
        *error = std::string("the sound encoder ") + settings.soundEncoder +
                 " takes samples in a format this program does not make";
        written = false;
    }
    for (int32_t index = 0; written && index < pictures.count; ++index) {
        written = AddPicture(&encoder, pictures, index, error) &&
                  EncodeSoundUpTo(&encoder, SoundFramesUpTo(index + 1, rate), error);
        if (written && pictures.progress) {
            pictures.progress(index + 1, pictures.count);
        }
    }
    written = written && FinishVideo(&encoder, error);
    FreeEncoder(&encoder);
    return written;
}

} // namespace

bool WriteVideo(const char* path, const VideoFormat& format, const PictureSequence& pictures,
                int32_t framesPerSecond, VideoSound sound, std::string* error) {
    return AtomicFileWriteThrough(
        path,
        [&](AtomicFile* file, std::string* failure) {
            return WriteVideoTo(file, format, pictures, framesPerSecond, sound, failure);
        },
        error);
}

bool WriteVideoTo(AtomicFile* file, const VideoFormat& format, const PictureSequence& pictures,
                  int32_t framesPerSecond, VideoSound sound, std::string* error) {
    if (pictures.count < 1 || pictures.width < 1 || pictures.height < 1 || framesPerSecond < 1) {
        *error = "a video needs at least one picture and a frame rate";
        return false;
    }
    if (pictures.transparent && format.transparentPixels == AV_PIX_FMT_NONE) {
        *error = std::string(format.name) + " has no transparency";
        return false;
    }
    LibraryMessagesKept messages;
    std::string fileFailure;
    FileCursor cursor{file->descriptor, 0, &fileFailure};
    bool encoded = EncodeAll(SettingsOf(format, pictures.transparent), pictures, framesPerSecond,
                             sound, &cursor, error);
    // A failed call is the cause of whatever the libraries made of it; and the MP4 muxer takes a
    // failed read while it moves the index to the front for the end of the file.
    if (!fileFailure.empty()) {
        *error = fileFailure + " (" + Quoted(file->temporary) + ")";
    }
    return encoded && fileFailure.empty();
}
