// Font resource generator: writes the rendering library's font resources and the Shift-JIS
// glyph set as binary files with a resource script that names them.
//
//   fontgen --pointer-size 4|8 --out <folder> <data folder>
//
// The script (<folder>/KVFonts.rc) is written last, so that the build takes it as the mark of
// a complete run. Exit status: 0 on success, 1 for bad data, 2 for a bad command line or a
// file that cannot be written.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "FontLayout.h"
#include "FontSource.h"
#include "ShiftJisSet.h"

namespace {

constexpr int kFontResourceType = 200;
constexpr int kGlyphSetResourceType = 260;

bool WriteWhole(const std::filesystem::path& path, const void* data, size_t size) {
    const std::filesystem::path temp = path.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out.flush()) return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

int Usage() {
    std::cerr << "usage: fontgen --pointer-size 4|8 --out <folder> <data folder>\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned pointerSize = 0;
    std::string outFolder;
    std::string dataFolder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pointer-size" && i + 1 < argc) {
            const std::string value = argv[++i];
            pointerSize = value == "4" ? 4 : value == "8" ? 8 : 0;
            if (pointerSize == 0) return Usage();
        } else if (arg == "--out" && i + 1 < argc) {
            outFolder = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && dataFolder.empty()) {
            dataFolder = arg;
        } else {
            return Usage();
        }
    }
    if (pointerSize == 0 || outFolder.empty() || dataFolder.empty()) return Usage();

    std::vector<fontgen::FontFace> faces;
    std::vector<uint8_t> glyphSet;
    std::vector<std::vector<uint8_t>> resources;
    try {
        faces = fontgen::ReadFonts(dataFolder);
        for (const fontgen::FontFace& face : faces) resources.push_back(fontgen::BuildFontResource(face));
        glyphSet = fontgen::BuildShiftJisGlyphSet(pointerSize);
    } catch (const fontgen::DataError& e) {
        std::cerr << "fontgen: error: " << e.what() << "\n";
        return 1;
    }

    const std::filesystem::path out(outFolder);
    std::error_code error;
    std::filesystem::create_directories(out, error);
    std::string script =
        "// Written by fontgen: the device fonts and the Shift-JIS glyph set.\n"
        "LANGUAGE 9, 1\n";
    for (size_t i = 0; i < resources.size(); ++i) {
        const std::string name = "font" + std::to_string(faces[i].face) + ".bin";
        if (!WriteWhole(out / name, resources[i].data(), resources[i].size())) {
            std::cerr << "fontgen: cannot write " << (out / name).string() << "\n";
            return 2;
        }
        script += std::to_string(faces[i].face) + " " + std::to_string(kFontResourceType) + " \"" + name + "\"\n";
    }
    if (!WriteWhole(out / "sjis.bin", glyphSet.data(), glyphSet.size())) {
        std::cerr << "fontgen: cannot write " << (out / "sjis.bin").string() << "\n";
        return 2;
    }
    script += "1 " + std::to_string(kGlyphSetResourceType) + " \"sjis.bin\"\n";
    if (!WriteWhole(out / "KVFonts.rc", script.data(), script.size())) {
        std::cerr << "fontgen: cannot write " << (out / "KVFonts.rc").string() << "\n";
        return 2;
    }
    return 0;
}
