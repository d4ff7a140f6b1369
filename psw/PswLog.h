#pragma once
// The status window library's debug log: one text file per process on the user's desktop,
// named after the module ("<module>.log"), switched on by "LogLevel" in section
// "LOG_SETTING" of "<module>.ini" (Windows directory). Module-wide and thread-safe: the
// window threads and the watch threads write to it. Lines look like
//   "hh:mm:ss.mmm [pid  tid ]:  File.cpp(  42): message\n"
// where the file is our own source file's base name.
#include "platform/WinTypes.h"

/// Levels: failures, conditions that stop an operation, trace.
inline constexpr DWORD kLogError = 1u;
inline constexpr DWORD kLogCondition = 2u;
inline constexpr DWORD kLogTrace = 3u;

/// Takes one reference on the log: the first one reads the level from the module's profile
/// and opens the file when the level is nonzero. The library's attach takes one, and each
/// window set takes one for its lifetime, so that closing one set never closes the log
/// under the others.
void LogOpen(HMODULE module);
/// Gives one reference back; the last one closes the file.
void LogClose();
/// The current level (0: off).
DWORD LogLevel();
/// Writes one line when level is at most the log level. `file` is a path (its base name is
/// written); the message is printf-formatted and should end in "\n".
void LogPrintAt(DWORD level, const char* file, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
#define LogPrint(level, ...) LogPrintAt((level), __FILE__, __LINE__, __VA_ARGS__)
/// Writes the exit line of an entry point ("<function> return <code>", a result code of the
/// exports by its name) at the trace level, and returns the code.
DWORD LogReturn(const char* function, DWORD code);
/// Hexadecimal dump, 16 bytes a line, with the characters beside.
void LogDump(const void* bytes, DWORD length);
/// Writes one status variable's value (level 3), reading no more than cbValue bytes of it;
/// a value shorter than its layout writes what it holds and "(cut)". NULL: "lpVoid == NULL".
void DumpJobInfo(LPCWSTR name, const void* value, DWORD cbValue);
