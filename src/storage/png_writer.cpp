// libpng reports its own failures by a long jump back to the call that set it up, so each call
// into it stands alone in a function of its own that holds nothing a jump could skip. The bytes go
// to the atomic file; a failed write is kept and ends the PNG at the next check.
#include "storage/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    AtomicFile* file = nullptr;
    int32_t width = 0;
    bool alpha = false;
    std::vector<png_byte> row;
    std::string writeError;   // the first write that failed
    char libraryError[256]{}; // what libpng said when it gave up
};

namespace {

void OnLibraryError(png_structp png, png_const_charp message) {
    auto* writer = static_cast<PngWriter*>(png_get_error_ptr(png));
    std::snprintf(writer->libraryError, sizeof writer->libraryError, "%s", message);
    png_longjmp(png, 1);
}

void OnLibraryWarning(png_structp, png_const_charp) {}

void WriteBytes(png_structp png, png_bytep bytes, png_size_t count) {
    auto* writer = static_cast<PngWriter*>(png_get_io_ptr(png));
    if (writer->writeError.empty()) {
        AtomicFileWrite(writer->file, bytes, count, &writer->writeError);
    }
}

void FlushNothing(png_structp) {} // the atomic file is flushed at its commit

bool WriteHeader(PngWriter* writer, png_uint_32 height) {
    if (setjmp(png_jmpbuf(writer->png))) {
        return false;
    }
    png_set_write_fn(writer->png, writer, WriteBytes, FlushNothing);
    png_set_IHDR(writer->png, writer->info, static_cast<png_uint_32>(writer->width), height, 8,
                 writer->alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer->png, writer->info);
    return true;
}

bool WriteRow(PngWriter* writer) {
    if (setjmp(png_jmpbuf(writer->png))) {
        return false;
    }
    png_write_row(writer->png, writer->row.data());
    return true;
}

bool WriteEnd(PngWriter* writer) {
    if (setjmp(png_jmpbuf(writer->png))) {
        return false;
    }
    png_write_end(writer->png, nullptr);
    return true;
}

// Why the PNG failed: the write behind it, or libpng's own word.
bool Failed(const PngWriter* writer, std::string* error) {
    *error = !writer->writeError.empty()
                 ? writer->writeError
                 : std::string("cannot write the PNG: ") + writer->libraryError;
    return false;
}

} // namespace

PngWriter* PngWriterBegin(AtomicFile* file, int32_t width, int32_t height, bool alpha,
                          std::string* error) {
    if (width <= 0 || height <= 0) {
        *error = "a PNG cannot be " + std::to_string(width) + " x " + std::to_string(height);
        return nullptr;
    }
    auto* writer = new (std::nothrow) PngWriter;
    if (writer != nullptr) {
        writer->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, writer, OnLibraryError,
                                              OnLibraryWarning);
        writer->info = writer->png != nullptr ? png_create_info_struct(writer->png) : nullptr;
    }
    if (writer == nullptr || writer->info == nullptr) {
        *error = "out of memory for the PNG";
        if (writer != nullptr) {
            png_destroy_write_struct(&writer->png, nullptr);
        }
        delete writer;
        return nullptr;
    }
    writer->file = file;
    writer->width = width;
    writer->alpha = alpha;
    writer->row.resize(static_cast<std::size_t>(width) * (alpha ? 4 : 3));
    if (!WriteHeader(writer, static_cast<png_uint_32>(height)) || !writer->writeError.empty()) {
        Failed(writer, error);
        PngWriterEnd(writer, true, nullptr);
        return nullptr;
    }
    return writer;
}

bool PngWriterAddRow(PngWriter* writer, const uint32_t* pixels, TransparentColour transparent,
                     std::string* error) {
    ConvertPixelRow(pixels, writer->width, writer->alpha ? PixelBytes::Rgba : PixelBytes::Rgb,
                    transparent, writer->row.data());
    if (!WriteRow(writer) || !writer->writeError.empty()) {
        return Failed(writer, error);
    }
    return true;
}

bool PngWriterEnd(PngWriter* writer, bool abandon, std::string* error) {
    bool ended = abandon || (WriteEnd(writer) && writer->writeError.empty());
    if (!ended && error != nullptr) {
        Failed(writer, error);
    }
    png_destroy_write_struct(&writer->png, &writer->info);
    delete writer;
    return ended;
}
