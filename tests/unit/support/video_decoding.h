// Reading back written videos through FFmpeg's libraries, for the video tests: the stream's codec,
// pixel format, size and frame rate, every frame as 0x00RRGGBB pixels and, on request, its alpha.
// Animated WebPs through libwebp's demuxer, since this FFmpeg cannot decode them.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}
#include <webp/demux.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct DecodedVideo {
    std::string codec; // empty when the file cannot be decoded
    std::string pixelFormat;
    int32_t width = 0;
    int32_t height = 0;
    AVRational frameRate{0, 1};
    std::vector<std::vector<uint32_t>> frames;
    std::vector<std::vector<uint8_t>> alphas; // with alpha asked for: each frame's alpha plane
    std::vector<int32_t> timestamps;          // WebP: each frame's end, in milliseconds
    int32_t loopCount = -1;                   // WebP: 0 loops forever
};

inline void SplitAlpha(const uint8_t* rgba, std::size_t count, std::vector<uint32_t>* pixels,
                       std::vector<uint8_t>* alpha) {
    for (std::size_t pixel = 0; pixel < count; ++pixel) {
        const uint8_t* at = rgba + pixel * 4;
        pixels->push_back(uint32_t{at[0]} << 16 | uint32_t{at[1]} << 8 | at[2]);
        alpha->push_back(at[3]);
    }
}

struct VideoDecoding {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* converter = nullptr;
    bool withAlpha = false;

    ~VideoDecoding() {
        sws_freeContext(converter);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
    // Every frame the decoder has ready, converted; false on a decoding error.
    bool TakeFrames(DecodedVideo* decoded) {
        int code = 0;
        while ((code = avcodec_receive_frame(codec, frame)) >= 0) {
            AVPixelFormat target = withAlpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_0RGB32;
            converter = sws_getCachedContext(
                converter, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                frame->width, frame->height, target, SWS_POINT, nullptr, nullptr, nullptr);
            std::size_t count = static_cast<std::size_t>(frame->width) * frame->height;
            std::vector<uint32_t> pixels(count);
            uint8_t* planes[] = {reinterpret_cast<uint8_t*>(pixels.data())};
            int strides[] = {frame->width * 4};
            sws_scale(converter, frame->data, frame->linesize, 0, frame->height, planes, strides);
            if (withAlpha) {
                SplitAlpha(planes[0], count, &decoded->frames.emplace_back(),
                           &decoded->alphas.emplace_back());
            } else {
                for (uint32_t& pixel : pixels) {
                    pixel &= 0xFFFFFF; // the unused byte, which some conversions fill
                }
                decoded->frames.push_back(std::move(pixels));
            }
        }
        return code == AVERROR(EAGAIN) || code == AVERROR_EOF;
    }
};

// decoder: a decoder of the stream's codec to use instead of FFmpeg's own (the VP9 alpha plane
// is decoded by libvpx only).
inline DecodedVideo DecodeVideo(const std::string& path, bool withAlpha = false,
                                const char* decoder = nullptr) {
    VideoDecoding decoding;
    decoding.withAlpha = withAlpha;
    const AVCodec* found = nullptr;
    int index = -1;
    if (avformat_open_input(&decoding.format, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(decoding.format, nullptr) < 0 ||
        (index = av_find_best_stream(decoding.format, AVMEDIA_TYPE_VIDEO, -1, -1, &found, 0)) < 0 ||
        (decoder != nullptr && (found = avcodec_find_decoder_by_name(decoder)) == nullptr) ||
        (decoding.codec = avcodec_alloc_context3(found)) == nullptr ||
        avcodec_parameters_to_context(decoding.codec, decoding.format->streams[index]->codecpar) <
            0 ||
        avcodec_open2(decoding.codec, found, nullptr) < 0) {
        return {};
    }
    DecodedVideo decoded;
    bool decodedAll = true;
    while (decodedAll && av_read_frame(decoding.format, decoding.packet) >= 0) {
        bool ours = decoding.packet->stream_index == index;
        decodedAll = !ours || (avcodec_send_packet(decoding.codec, decoding.packet) >= 0 &&
                               decoding.TakeFrames(&decoded));
        av_packet_unref(decoding.packet);
    }
    if (!decodedAll || avcodec_send_packet(decoding.codec, nullptr) < 0 ||
        !decoding.TakeFrames(&decoded)) {
        return {};
    }
    const AVCodecParameters* stream = decoding.format->streams[index]->codecpar;
    const char* pixelFormat = av_get_pix_fmt_name(static_cast<AVPixelFormat>(stream->format));
    decoded.codec = avcodec_get_name(stream->codec_id);
    decoded.pixelFormat = pixelFormat != nullptr ? pixelFormat : "";
    decoded.width = stream->width;
    decoded.height = stream->height;
    decoded.frameRate = decoding.format->streams[index]->avg_frame_rate;
    return decoded;
}

inline DecodedVideo DecodeAnimatedWebP(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(file), {});
    WebPData data{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    DecodedVideo decoded;
    WebPAnimInfo info{};
    if (decoder == nullptr || !WebPAnimDecoderGetInfo(decoder, &info)) {
        WebPAnimDecoderDelete(decoder);
        return decoded;
    }
    decoded.codec = "webp";
    decoded.width = static_cast<int32_t>(info.canvas_width);
    decoded.height = static_cast<int32_t>(info.canvas_height);
    decoded.loopCount = static_cast<int32_t>(info.loop_count);
    uint8_t* rgba = nullptr;
    int timestamp = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder) &&
           WebPAnimDecoderGetNext(decoder, &rgba, &timestamp)) {
        SplitAlpha(rgba, std::size_t{info.canvas_width} * info.canvas_height,
                   &decoded.frames.emplace_back(), &decoded.alphas.emplace_back());
        decoded.timestamps.push_back(timestamp);
    }
    WebPAnimDecoderDelete(decoder);
    return decoded;
}
