// The status window library's debug log.
#include "psw/PswLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "psw/PswRecord.h"
#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Locale.h"
#include "platform/Modules.h"
#include "platform/Profile.h"
#include "platform/StatusManager.h"

namespace {

// Module-wide, as the log serves every window set and the watch threads. A plain mutex that
// is never closed: a set that ends cannot leave the others waiting on a dead handle.
struct LogState {
    std::mutex lock;
    unsigned references = 0;              // under lock: LogOpen / LogClose from any thread
    DWORD level = 0;                      // under lock: set by the first LogOpen, read by every line
    HANDLE file = INVALID_HANDLE_VALUE;  // under lock: written to by every thread's lines
};
LogState& State() {
    static LogState state;
    return state;
}

// The module's file name without folder and extension.
std::u16string ModuleStem(HMODULE module) {
    WCHAR path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return u"QW774ZZZ";
    std::u16string name(path, length);
    const size_t slash = name.find_last_of(u"\\/");
    if (slash != std::u16string::npos) name.erase(0, slash + 1);
    const size_t dot = name.find_last_of(u'.');
    if (dot != std::u16string::npos) name.erase(dot);
    return name;
}

void WriteLocked(LogState& s, const char* text, size_t length) {
    DWORD written = 0;
    WriteFile(s.file, text, static_cast<DWORD>(length), &written, nullptr);
    FlushFileBuffers(s.file);
}

const char* BaseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '/' || *p == '\\') base = p + 1;
    }
    return base;
}

std::string Narrow(LPCWSTR text, size_t cchMax) {
    size_t length = 0;
    while (length < cchMax && text[length] != 0) ++length;
    if (length == 0) return {};
    std::string out(length * 2 + 1, '\0');
    const int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), out.data(),
                                      static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

}  // namespace

void LogOpen(HMODULE module) {
    LogState& s = State();
    const std::u16string stem = ModuleStem(module);
    const std::u16string profile = stem + u".ini";
    const DWORD level = GetPrivateProfileIntW(u"LOG_SETTING", u"LogLevel", 0, profile.c_str());
    std::lock_guard<std::mutex> guard(s.lock);
    ++s.references;
    if (s.references > 1) return;
    s.level = level;
    if (level == 0 || s.file != INVALID_HANDLE_VALUE) return;
    WCHAR desktop[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop) != 0) return;
    const std::u16string path = std::u16string(desktop) + u"\\" + stem + u".log";
    s.file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
}

void LogClose() {
    LogState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.references == 0) return;
    if (--s.references > 0) return;
    if (s.file != INVALID_HANDLE_VALUE) CloseHandle(s.file);
    s.file = INVALID_HANDLE_VALUE;
    s.level = 0;
}

DWORD LogLevel() {
    LogState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.file != INVALID_HANDLE_VALUE ? s.level : 0;
}

void LogPrintAt(DWORD level, const char* file, int line, const char* format, ...) {
    LogState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (level > s.level || s.file == INVALID_HANDLE_VALUE) return;
    char message[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[1200];
    const int n = snprintf(text, sizeof(text), "%02u:%02u:%02u.%03u [%04lu %04lu]: %10s(%4d): %s", now.wHour,
                           now.wMinute, now.wSecond, now.wMilliseconds,
                           static_cast<unsigned long>(GetCurrentProcessId()),
                           static_cast<unsigned long>(GetCurrentThreadId()), BaseName(file), line, message);
    if (n > 0) WriteLocked(s, text, std::min(static_cast<size_t>(n), sizeof(text) - 1));
}

DWORD LogReturn(const char* function, DWORD code) {
    switch (code) {
    case PSW_NO_ERROR:
        LogPrint(kLogTrace, "%s return PSW_NO_ERROR\n", function);
        break;
    case ERR_PSW:
        LogPrint(kLogTrace, "%s return ERR_PSW\n", function);
        break;
    case PSWERR_OUTOFMEMORY:
        LogPrint(kLogTrace, "%s return PSWERR_OUTOFMEMORY\n", function);
        break;
    default:
        LogPrint(kLogTrace, "%s return %u\n", function, static_cast<unsigned>(code));
        break;
    }
    return code;
}

void LogDump(const void* bytes, DWORD length) {
    LogState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.file == INVALID_HANDLE_VALUE || bytes == nullptr) return;
    const auto* data = static_cast<const BYTE*>(bytes);
    for (DWORD offset = 0; offset < length; offset += 16) {
        std::string line;
        char piece[16];
        snprintf(piece, sizeof(piece), "%04X ", static_cast<unsigned>(offset));
        line += piece;
        for (DWORD i = 0; i < 16; ++i) {
            if (i == 8) line += ' ';
            if (offset + i < length) {
                snprintf(piece, sizeof(piece), "%02X ", data[offset + i]);
                line += piece;
            } else {
                line += "   ";
            }
        }
        line += "  ";
        for (DWORD i = 0; i < 16 && offset + i < length; ++i) {
            if (i == 8) line += ' ';
            const BYTE c = data[offset + i];
            line += (c < 32 || c >= 127) ? '.' : static_cast<char>(c);
        }
        line += '\n';
        WriteLocked(s, line.data(), line.size());
    }
}

namespace {

// A reader over one value that never passes its end; a field that does not fit ends the dump.
class ValueCursor {
public:
    ValueCursor(const void* value, DWORD cb) : data_(static_cast<const BYTE*>(value)), cb_(cb) {}
    bool Dword(DWORD* out) { return Take(out, 4); }
    bool Word(WORD* out) { return Take(out, 2); }
    bool Byte(BYTE* out) { return Take(out, 1); }
    bool Wide(size_t cch, std::string* out) {
        if (cb_ - offset_ < cch * sizeof(WCHAR)) return Fail();
        WCHAR text[260] = {};
        const size_t n = std::min(cch, std::size(text) - 1);
        std::memcpy(text, data_ + offset_, n * sizeof(WCHAR));
        *out = Narrow(text, n);
        offset_ += static_cast<DWORD>(cch * sizeof(WCHAR));
        return true;
    }
    bool Skip(DWORD cb) {
        if (cb_ - offset_ < cb) return Fail();
        offset_ += cb;
        return true;
    }
    bool cut() const { return cut_; }
    DWORD remaining() const { return cb_ - offset_; }

private:
    bool Take(void* out, DWORD cb) {
        if (cb_ - offset_ < cb) return Fail();
        std::memcpy(out, data_ + offset_, cb);
        offset_ += cb;
        return true;
    }
    bool Fail() {
        cut_ = true;
        return false;
    }
    const BYTE* data_;
    DWORD cb_;
    DWORD offset_ = 0;
    bool cut_ = false;
};

bool Is(const std::string& name, const char* what) { return name == what; }

void DumpJob(ValueCursor& c, const char* userLabel, bool printing) {
    std::string job;
    std::string user;
    DWORD id = 0;
    if (!c.Wide(256, &job)) return;
    LogPrint(kLogTrace, "szJobName[%s]\n", job.c_str());
    if (!c.Wide(32, &user)) return;
    LogPrint(kLogTrace, "%s[%s]\n", userLabel, user.c_str());
    if (!c.Dword(&id)) return;
    LogPrint(kLogTrace, "dwJobId[%lu]\n", static_cast<unsigned long>(id));
    DWORD pages = 0;
    if (printing && c.Dword(&pages)) LogPrint(kLogTrace, "dwPrintedPage[%lu]\n", static_cast<unsigned long>(pages));
}

void DumpFields(const std::string& name, ValueCursor& c) {
    DWORD d = 0;
    if (Is(name, "Port")) {
        std::string port;
        std::string redirect;
        if (!c.Dword(&d)) return;
        LogPrint(kLogTrace, "dwPortType[0x%08lX]\n", static_cast<unsigned long>(d));
        if (!c.Wide(128, &port)) return;
        LogPrint(kLogTrace, "szPortName[%s]\n", port.c_str());
        if (c.Wide(128, &redirect)) LogPrint(kLogTrace, "szRedirectName[%s]\n", redirect.c_str());
    } else if (Is(name, "SpoolerQueue") || Is(name, "PrinterQueue")) {
        if (!c.Dword(&d)) return;
        LogPrint(kLogTrace, "dwJobNum[%lu]\n", static_cast<unsigned long>(d));
        // The count is the writer's claim; the records that are really there end the walk.
        for (DWORD i = 0; i < d && !c.cut(); ++i) DumpJob(c, "szUserName", false);
    } else if (Is(name, "SendingJobInfo")) {
        DumpJob(c, "szUserName", false);
    } else if (Is(name, "PrintingJobInfo")) {
        DumpJob(c, "dwUserName", true);
    } else if (Is(name, "PrinterBinConfig")) {
        for (DWORD i = 0; c.remaining() > 0; ++i) {
            WORD id = 0, type = 0, size = 0;
            BYTE state = 0, reserved1 = 0;
            DWORD reserved2 = 0;
            if (!c.Word(&id) || !c.Word(&type) || !c.Word(&size) || !c.Byte(&state) || !c.Byte(&reserved1) ||
                !c.Dword(&reserved2)) {
                break;
            }
            LogPrint(kLogTrace, "FeederNum[%lu] wFeederId[0x%08X]\n", static_cast<unsigned long>(i), id);
            LogPrint(kLogTrace, "FeederNum[%lu] wFeederType[0x%08X]\n", static_cast<unsigned long>(i), type);
            LogPrint(kLogTrace, "FeederNum[%lu] wPaperSize[0x%08X]\n", static_cast<unsigned long>(i), size);
            LogPrint(kLogTrace, "FeederNum[%lu] ubPaperState[0x%08X]\n", static_cast<unsigned long>(i), state);
            LogPrint(kLogTrace, "FeederNum[%lu] ubReserved1[0x%08X]\n", static_cast<unsigned long>(i), reserved1);
            LogPrint(kLogTrace, "FeederNum[%lu] dwReserved2[%lu]\n", static_cast<unsigned long>(i),
                     static_cast<unsigned long>(reserved2));
        }
    } else if (Is(name, "PrinterOptConfig")) {
        if (!c.Dword(&d)) return;
        LogPrint(kLogTrace, "dwOption[%lu]\n", static_cast<unsigned long>(d));
        for (DWORD i = 0; i < d; ++i) {
            WORD id = 0, type = 0;
            DWORD reserved = 0;
            if (!c.Word(&id) || !c.Word(&type) || !c.Dword(&reserved)) break;
            LogPrint(kLogTrace, "OptionNum[%lu] wOptId[0x%08X]\n", static_cast<unsigned long>(i), id);
            LogPrint(kLogTrace, "OptionNum[%lu] wOptType[0x%08X]\n", static_cast<unsigned long>(i), type);
            LogPrint(kLogTrace, "OptionNum[%lu] dwReserved[%lu]\n", static_cast<unsigned long>(i),
                     static_cast<unsigned long>(reserved));
        }
    } else if (Is(name, "PrinterName")) {
        std::string printer;
        if (c.Wide(260, &printer)) LogPrint(kLogTrace, "PrinterName[%s]\n", printer.c_str());
    } else if (Is(name, "CurrentStatus")) {
        static const char* const kWords[] = {"dwReserved(HiDWORD)", "dwReserved(MiddleDWORD)",
                                             "dwReserved(LowDWORD)", "dwSpoolerStatus", nullptr, "dwJobStatus"};
        for (const char* word : kWords) {
            if (!c.Dword(&d)) return;
            if (word) LogPrint(kLogTrace, "%s[0x%08lX]\n", word, static_cast<unsigned long>(d));
        }
    } else if (Is(name, "ErrSupplies")) {
        if (!c.Dword(&d)) return;
        LogPrint(kLogTrace, "dwUnitNum[%lu]\n", static_cast<unsigned long>(d));
        for (DWORD i = 0; i < d; ++i) {
            DWORD unit = 0;
            if (!c.Dword(&unit)) break;
            LogPrint(kLogTrace, "FirstUnit[%lu][0x%08lX]\n", static_cast<unsigned long>(i),
                     static_cast<unsigned long>(unit));
        }
    } else if (Is(name, "ErrNoPaper2")) {
        WORD feeder = 0, size = 0, reserved2 = 0;
        BYTE type = 0, reserved1 = 0;
        if (!c.Word(&feeder) || !c.Word(&size) || !c.Byte(&type) || !c.Byte(&reserved1) || !c.Word(&reserved2)) return;
        LogPrint(kLogTrace, "wFeederId[0x%08X]\n", feeder);
        LogPrint(kLogTrace, "wPapaerSize[0x%08X]\n", size);
        LogPrint(kLogTrace, "ubPaperType[0x%08X]\n", type);
        LogPrint(kLogTrace, "ubReserved1[0x%08X]\n", reserved1);
        LogPrint(kLogTrace, "wReserved2[0x%08X]\n", reserved2);
    }
}

}  // namespace

void DumpJobInfo(LPCWSTR name, const void* value, DWORD cbValue) {
    if (LogLevel() < kLogTrace) return;
    const std::string variable = name ? Narrow(name, 65) : std::string();
    LogPrint(kLogTrace, "------------------------- %s -------------------------\n", variable.c_str());
    if (value == nullptr) {
        LogPrint(kLogTrace, "lpVoid == NULL\n");
    } else {
        ValueCursor cursor(value, cbValue);
        if (cbValue == 4) {
            DWORD d = 0;
            std::memcpy(&d, value, 4);
            LogPrint(kLogTrace, "[0x%08lX]\n", static_cast<unsigned long>(d));
        } else {
            DumpFields(variable, cursor);
        }
        if (cursor.cut()) LogPrint(kLogTrace, "(cut)\n");
    }
    LogPrint(kLogTrace, "-----------------------------------------------------------------\n");
}
