// Reading back written videos through FFmpeg's libraries, for the video tests: the stream's codec,
// pixel format, size and frame rate, and every frame as 0x00RRGGBB pixels.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <string>
#include <vector>

struct DecodedVideo {
    std::string codec; // empty when the file cannot be decoded
    std::string pixelFormat;
    int32_t width = 0;
    int32_t height = 0;
    AVRational frameRate{0, 1};
    std::vector<std::vector<uint32_t>> frames;
};

struct VideoDecoding {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* converter = nullptr;

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
            converter = sws_getCachedContext(converter, frame->width, frame->height,
                                             static_cast<AVPixelFormat>(frame->format),
                                             frame->width, frame->height, AV_PIX_FMT_0RGB32,
                                             SWS_POINT, nullptr, nullptr, nullptr);
            std::vector<uint32_t>& pixels = decoded->frames.emplace_back(
                static_cast<std::size_t>(frame->width) * frame->height);
            uint8_t* planes[] = {reinterpret_cast<uint8_t*>(pixels.data())};
            int strides[] = {frame->width * 4};
            sws_scale(converter, frame->data, frame->linesize, 0, frame->height, planes, strides);
        }
        return code == AVERROR(EAGAIN) || code == AVERROR_EOF;
    }
};

inline DecodedVideo DecodeVideo(const std::string& path) {
    VideoDecoding decoding;
    const AVCodec* found = nullptr;
    int index = -1;
    if (avformat_open_input(&decoding.format, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(decoding.format, nullptr) < 0 ||
        (index = av_find_best_stream(decoding.format, AVMEDIA_TYPE_VIDEO, -1, -1, &found, 0)) < 0 ||
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
