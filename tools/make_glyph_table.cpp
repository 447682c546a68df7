// Writes the browser build's glyph table: every character of code page 1252 in each face given,
// rasterised by the desktop's glyph rasteriser, as a C++ source file:
//   make_glyph_table TABLE.cpp FAMILY:EM_PIXELS...
// The file is written only when its text changed, so that an unchanged table rebuilds nothing.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/font_raster.h"

namespace {

// One face's glyphs and ink as C++ arrays; false when the face cannot be opened.
bool WriteFace(std::ostringstream& out, int index, const std::string& family, int emPixels) {
    RasterFont* font = RasterFontOpen(family.c_str(), emPixels);
    if (font == nullptr) {
        std::fprintf(stderr, "make_glyph_table: no face for %s at %d pixels\n", family.c_str(),
                     emPixels);
        return false;
    }
    std::vector<uint8_t> ink;
    out << "const WebGlyph kGlyphs" << index << "[256] = {\n";
    for (int byte = 0; byte < 256; ++byte) {
        uint32_t codepoint = Cp1252ToCodepoint(static_cast<unsigned char>(byte));
        RasterGlyph glyph{};
        auto offset = ink.size();
        RasterFontGlyph(font, codepoint, &glyph, ink);
        out << "    {" << codepoint << ", " << glyph.advance << ", " << glyph.left << ", "
            << glyph.top << ", " << glyph.width << ", " << glyph.height << ", " << offset << "},\n";
    }
    out << "};\nconst uint8_t kInk" << index << "[] = {";
    for (std::size_t at = 0; at < ink.size(); ++at) {
        out << (at % 32 == 0 ? "\n    " : "") << static_cast<int>(ink[at]) << ",";
    }
    out << "0};\n";
    out << "const WebFace kFace" << index << "{\"" << family << "\", " << emPixels << ", "
        << RasterFontAscent(font) << ", " << RasterFontHeight(font) << ", kGlyphs" << index
        << ", kInk" << index << "};\n";
    RasterFontClose(font);
    return true;
}

bool SameAsFile(const std::string& path, const std::string& text) {
    std::ifstream in(path, std::ios::binary);
    std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return in.good() || in.eof() ? old == text : false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_glyph_table TABLE.cpp FAMILY:EM_PIXELS...\n");
        return 2;
    }
    std::ostringstream out;
    out << "// Made by make_glyph_table; not to be edited.\n"
        << "#include \"runtime/backend_web_glyphs.h\"\n\nnamespace {\n";
    int faces = 0;
    for (int at = 2; at < argc; ++at) {
        std::string face = argv[at];
        auto colon = face.rfind(':');
        int emPixels = colon == std::string::npos ? 0 : std::atoi(face.c_str() + colon + 1);
        if (emPixels <= 0 || !WriteFace(out, faces, face.substr(0, colon), emPixels)) {
            return 1;
        }
        ++faces;
    }
    out << "} // namespace\n\nconst WebFace kWebFaces[] = {";
    for (int index = 0; index < faces; ++index) {
        out << "kFace" << index << ", ";
    }
    out << "};\nconst int32_t kWebFaceCount = " << faces << ";\n";
    if (SameAsFile(argv[1], out.str())) {
        return 0;
    }
    std::string temporary = std::string(argv[1]) + ".new";
    std::ofstream file(temporary, std::ios::binary);
    file << out.str();
    file.close();
    if (!file || std::rename(temporary.c_str(), argv[1]) != 0) {
        std::fprintf(stderr, "make_glyph_table: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
