// Resource compiler: reads resource scripts and writes the resource table of one module as
// a C++ source (and, on request, the raw table), so that the module can hand the table out
// through its exported StandInResources function.
//
//   rescomp [-o table.cpp] [-b table.bin] script.rc...
//
// Exit status: 0 on success, 1 for bad input (messages "file:line: error: ..."), 2 for a
// bad command line or a file that cannot be read or written.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "Script.h"
#include "Table.h"

namespace {

bool ReadWhole(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    *text = buffer.str();
    return !in.bad();
}

// Written beside the target and renamed, so that a failed run never leaves half a file
// that the build would take as up to date.
bool WriteWhole(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

int Usage() {
    std::cerr << "usage: rescomp [-o table.cpp] [-b table.bin] script.rc...\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string sourceOut;
    std::string binaryOut;
    std::vector<std::string> scripts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "-o" || arg == "-b") && i + 1 < argc) {
            (arg == "-o" ? sourceOut : binaryOut) = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else {
            scripts.push_back(arg);
        }
    }
    if (scripts.empty() || (sourceOut.empty() && binaryOut.empty())) return Usage();

    std::vector<uint8_t> table;
    try {
        rescomp::ResourceSet resources;
        for (const std::string& script : scripts) {
            std::string text;
            if (!ReadWhole(script, &text)) {
                std::cerr << script << ": error: cannot read the file\n";
                return 2;
            }
            rescomp::ParseScript(script, text, resources);
        }
        table = resources.Build();
    } catch (const rescomp::CompileError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "rescomp: error: " << e.what() << "\n";
        return 2;
    }

    if (!sourceOut.empty() && !WriteWhole(sourceOut, rescomp::EmitSource(table, scripts))) {
        std::cerr << sourceOut << ": error: cannot write the file\n";
        return 2;
    }
    if (!binaryOut.empty() && !WriteWhole(binaryOut, std::string(table.begin(), table.end()))) {
        std::cerr << binaryOut << ": error: cannot write the file\n";
        return 2;
    }
    return 0;
}
