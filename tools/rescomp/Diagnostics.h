#pragma once
// Errors of the resource compiler: every one names the script and line it comes from.
#include <stdexcept>
#include <string>

namespace rescomp {

struct Location {
    std::string file;
    int line = 0;
};

/// Thrown for bad input; main prints "file:line: error: message" and exits non-zero.
class CompileError : public std::runtime_error {
public:
    CompileError(const Location& where, const std::string& message)
        : std::runtime_error(where.file + ":" + std::to_string(where.line) + ": error: " + message) {}
};

}  // namespace rescomp
