#include "render/HookLog.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/Kernel.h"
#include "settings/DebugLog.h"

namespace {
constexpr UINT kLogCodePage = 932;

bool LogWanted(const PDEV* pdev, DWORD category) {
    return ValidatePDEV(pdev) && DebugLogWanted(pdev->Settings, category);
}
}  // namespace

std::string ToShiftJis(std::u16string_view text) {
    if (text.empty()) return {};
    const int cch = static_cast<int>(text.size());
    const int cb = WideCharToMultiByte(kLogCodePage, 0, text.data(), cch, nullptr, 0, nullptr, nullptr);
    if (cb <= 0) return {};
    std::string out(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(kLogCodePage, 0, text.data(), cch, out.data(), cb, nullptr, nullptr);
    return out;
}

void HookLog(const PDEV* pdev, DWORD category, std::u16string_view text) {
    if (!LogWanted(pdev, category)) return;
    std::string line = ToShiftJis(text);
    line += '\n';
    WriteDebugLog(line.c_str(), pdev->Settings.LogSizeLimit);
}

void HookLogValue(const PDEV* pdev, DWORD category, std::u16string_view label, const char* format, ...) {
    if (!LogWanted(pdev, category)) return;
    const std::string head = ToShiftJis(label);
    char number[32];
    va_list args;
    va_start(args, format);
    vsnprintf(number, sizeof number, format, args);
    va_end(args);
    const std::string line = head + number + "\n";
    WriteDebugLog(line.c_str(), pdev->Settings.LogSizeLimit);
}
