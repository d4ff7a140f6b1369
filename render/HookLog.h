#pragma once
// Debug-log lines of the hooks. The lines are written in code page 932 whatever the ANSI
// code page, as the log reader expects Japanese text in Shift-JIS.
#include <string>
#include <string_view>

#include "render/Pdev.h"

/// Logs text (a line feed is added) when pdev is valid and its log word has bit 31 and the
/// category bit. Hooks call it before their own checks, so an invalid device logs nothing.
void HookLog(const PDEV* pdev, DWORD category, std::u16string_view text);
/// As HookLog, the label followed by the values as the ASCII printf format gives them (at
/// most 31 bytes).
void HookLogValue(const PDEV* pdev, DWORD category, std::u16string_view label, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
/// Text in code page 932 (characters it lacks become its default character).
std::string ToShiftJis(std::u16string_view text);
