// The output buffer, the direct writes to the spooler or job file, and the small writers.
#include "render/OutputStream.h"

#include <cstring>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "render/JobFiles.h"
#include "settings/DebugLog.h"

namespace {

// Settings-block device slot of the duplex unit (DEV_Duplex).
constexpr int kDuplexSlot = 8;
constexpr DWORD kFeatureSwapOrigins = 1u << 8;
constexpr DWORD kLogHooks = 1u << 0;

LONG Wrap32(int64_t value) { return static_cast<LONG>(static_cast<uint32_t>(static_cast<uint64_t>(value))); }
SHORT Wrap16(int64_t value) { return static_cast<SHORT>(static_cast<uint16_t>(static_cast<uint64_t>(value))); }

/// The first failure of a job is worth a log line; later writes are not attempted.
void MarkOutputFailed(PDEV* pdev, const char* call) {
    const DWORD error = GetLastError();
    SetOutputFailed(pdev, error);
    if (DebugLogWanted(pdev->Settings, kLogHooks)) {
        WriteDebugLogF(pdev->Settings.LogSizeLimit, "%s failed with error %u\n", call, error);
    }
}

const char* DestinationCallName(const PDEV* pdev) { return FileMode(pdev) ? "WriteFile" : "WritePrinter"; }

/// Appends to the buffer; the caller made room.
void AppendToBuffer(PDEV* pdev, const BYTE* bytes, DWORD count) {
    OutputBuffer& out = pdev->Output;
    if (count != 0) std::memcpy(out.Data + out.Count, bytes, count);
    out.Count += count;
    out.WritePos = out.Data + out.Count;
    pdev->FlowFlags |= kFlowDataPending | kFlowDataWritten;
}

/// The steps of the small writers: mirror, flush when the piece does not fit, add.
void PutSmall(PDEV* pdev, const BYTE* bytes, DWORD count) {
    if (OutputFailed(pdev)) return;
    MirrorToCapture(pdev, bytes, count);
    if (pdev->Output.Count + count > kOutputBufferSize && !FlushOutput(pdev)) return;
    AppendToBuffer(pdev, bytes, count);
}

const RECTL* CurrentSlot(const PDEV* pdev) {
    const LONG slot = pdev->WantedPage.SlotIndex;
    if (slot < 0 || slot >= 16) return nullptr;
    return &pdev->Geometry.NupSlots[slot];
}

LONG UnitFactorOf(const PDEV* pdev) { return pdev->UnitFactor == 2 ? 2 : 1; }

/// The back side of a duplexed sheet takes the even-page origin.
bool UseEvenOrigin(const PDEV* pdev) {
    const DriverDevMode& settings = pdev->Settings;
    if ((settings.DeviceSlots[kDuplexSlot].State & 1) == 0 || settings.Public.dmDuplex == 1) return false;
    bool even;
    if (settings.PagesPerSheet == 1 && pdev->FrameBeingDrawn == 0) {
        even = pdev->WantedPage.PageCount % 2 == 0;  // pages count from 1
    } else {
        even = pdev->WantedPage.SheetCount % 2 != 0;  // sheets count from 0
    }
    if ((settings.FeatureFlags & kFeatureSwapOrigins) != 0) even = !even;
    return even;
}

}  // namespace

BOOL WriteDestination(PDEV* pdev, const void* bytes, DWORD count, DWORD* written) {
    DWORD done = 0;
    BOOL ok = FALSE;
    if (FileMode(pdev)) {
        if (pdev->JobFile == nullptr || pdev->JobFile == INVALID_HANDLE_VALUE) {
            SetLastError(ERROR_INVALID_HANDLE);  // no job file: the job cannot be written
        } else {
            ok = WriteFile(pdev->JobFile, bytes, count, &done, nullptr);
        }
    } else {
        ok = WritePrinter(pdev->Printer, const_cast<void*>(bytes), count, &done);
    }
    if (written != nullptr) *written = done;
    if (ok && done != count) {
        SetLastError(ERROR_WRITE_FAULT);  // a hole in the stream is as bad as a failed call
        return FALSE;
    }
    return ok;
}

void SetOutputFailed(PDEV* pdev, DWORD error) {
    if (!OutputFailed(pdev)) pdev->OutputError = error;
    pdev->StateFlags |= kStateOutputFailed;
}

DWORD OutputFailureError(const PDEV* pdev) {
    return pdev->OutputError != ERROR_SUCCESS ? pdev->OutputError : ERROR_WRITE_FAULT;
}

BOOL FlushOutput(PDEV* pdev) {
    OutputBuffer& out = pdev->Output;
    if (out.Count == 0 || OutputFailed(pdev)) {
        pdev->FlowFlags &= ~kFlowDataPending;
        return TRUE;
    }
    BOOL result = TRUE;
    if (!WriteDestination(pdev, out.Data, out.Count, nullptr)) {
        MarkOutputFailed(pdev, DestinationCallName(pdev));
        result = FALSE;
    }
    pdev->FlowFlags |= kFlowDataWritten;
    pdev->FlowFlags &= ~kFlowDataPending;
    out.Count = 0;
    out.WritePos = out.Data;
    return result;
}

BOOL WriteOutputPiece(PDEV* pdev, const void* bytes, DWORD count) {
    if (OutputFailed(pdev)) return FALSE;
    if (bytes == nullptr && count != 0) return FALSE;
    const BYTE* next = static_cast<const BYTE*>(bytes);
    MirrorToCapture(pdev, next, count);

    DWORD remaining = count;
    if (pdev->Output.Count + count > kOutputBufferSize) {
        // A short flush would leave a hole in the stream: nothing more may follow it.
        if (!FlushOutput(pdev)) return FALSE;
        // Large pieces bypass the buffer so raster data is not copied twice.
        if (count > kDirectWriteThreshold) {
            while (remaining > kDirectWriteThreshold) {
                const DWORD chunk = remaining < kOutputBufferSize ? remaining : kOutputBufferSize;
                if (!WriteDestination(pdev, next, chunk, nullptr)) {
                    MarkOutputFailed(pdev, DestinationCallName(pdev));
                    return FALSE;
                }
                pdev->FlowFlags |= kFlowDataWritten;
                next += chunk;
                remaining -= chunk;
            }
        }
    }
    AppendToBuffer(pdev, next, remaining);
    return TRUE;
}

void PutDwordBE(PDEV* pdev, DWORD value) {
    const BYTE bytes[4] = {static_cast<BYTE>(value >> 24), static_cast<BYTE>(value >> 16),
                           static_cast<BYTE>(value >> 8), static_cast<BYTE>(value)};
    PutSmall(pdev, bytes, sizeof bytes);
}

void PutWordBE(PDEV* pdev, WORD value) {
    const BYTE bytes[2] = {static_cast<BYTE>(value >> 8), static_cast<BYTE>(value)};
    PutSmall(pdev, bytes, sizeof bytes);
}

void PutAngleBE(PDEV* pdev, BYTE mode, WORD angle) {
    DWORD turned = angle;
    if (mode == 0) turned += 90;
    if (mode == 1) turned += 270;
    if (turned >= 360) turned -= 360;
    PutWordBE(pdev, static_cast<WORD>(turned));
}

void RotatePoint(PDEV* pdev, BYTE mode, POINTL* point) {
    if (point == nullptr) return;
    const int64_t x = point->x;
    const int64_t y = point->y;
    if (mode == 0) {
        const RECTL* slot = CurrentSlot(pdev);
        if (slot == nullptr) return;
        const int64_t u = UnitFactorOf(pdev);
        const int64_t height = Wrap32((static_cast<int64_t>(slot->bottom) - slot->top) * u);
        point->x = Wrap32((static_cast<int64_t>(slot->left) - slot->top) * u + y);
        point->y = Wrap32((static_cast<int64_t>(slot->top) + slot->left) * u - x + height);
    } else if (mode == 1) {
        const RECTL* slot = CurrentSlot(pdev);
        if (slot == nullptr) return;
        const int64_t height = Wrap32((static_cast<int64_t>(slot->bottom) - slot->top) * UnitFactorOf(pdev));
        point->x = Wrap32(height - y);
        point->y = Wrap32(x);
    }
}

void PutMappedPoint(PDEV* pdev, SHORT x, SHORT y) {
    if (OutputFailed(pdev)) return;
    const DriverDevMode& settings = pdev->Settings;
    int64_t px = x;
    int64_t py = y;
    const WORD scale = pdev->Geometry.ScalePercent;
    if (scale != 100) {
        px = Wrap16(px * scale / 100);
        py = Wrap16(py * scale / 100);
        const RECTL* slot = CurrentSlot(pdev);
        if (settings.PagesPerSheet != 1 && slot != nullptr) {
            const int64_t u = UnitFactorOf(pdev);
            px = Wrap16(px + (static_cast<int64_t>(slot->left) + pdev->Geometry.CentringOffset.x) * u);
            py = Wrap16(py + (static_cast<int64_t>(slot->top) + pdev->Geometry.CentringOffset.y) * u);
        }
    }
    POINTL point{static_cast<LONG>(px), static_cast<LONG>(py)};
    if (pdev->SentOrientation != static_cast<DWORD>(settings.Public.dmOrientation) &&
        (settings.FeatureFlags & kFeatureGraphicsOnly) == 0 && settings.PagesPerSheet != 1) {
        RotatePoint(pdev, 0, &point);
    }
    const POINTL& origin = UseEvenOrigin(pdev) ? pdev->Geometry.EvenOrigin : pdev->Geometry.OddOrigin;
    PutWordBE(pdev, static_cast<WORD>(static_cast<uint32_t>(point.x) + static_cast<uint32_t>(origin.x)));
    PutWordBE(pdev, static_cast<WORD>(static_cast<uint32_t>(point.y) + static_cast<uint32_t>(origin.y)));
}

BOOL PutNumberList(PDEV* pdev, int count, const LONG* values) {
    if (OutputFailed(pdev)) return FALSE;
    if (count <= 0) return TRUE;
    if (values == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char text[kNumberListLimit];
    DWORD length = 0;
    for (int i = 0; i < count; ++i) {
        char number[12];
        // Magnitude as unsigned so that the most negative value has one.
        uint32_t magnitude = values[i] < 0 ? 0u - static_cast<uint32_t>(values[i]) : static_cast<uint32_t>(values[i]);
        int digits = 0;
        char reversed[10];
        do {
            reversed[digits++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        int n = 0;
        if (values[i] < 0) number[n++] = '-';
        while (digits > 0) number[n++] = reversed[--digits];
        if (length + static_cast<DWORD>(n) >= kNumberListLimit) {
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return FALSE;
        }
        std::memcpy(text + length, number, static_cast<size_t>(n));
        length += static_cast<DWORD>(n);
        if (i + 1 < count) {
            // The next number cannot fit after a comma at the limit; the check above refuses it.
            if (length + 1 >= kNumberListLimit) {
                SetLastError(ERROR_BUFFER_OVERFLOW);
                return FALSE;
            }
            text[length++] = ',';
        }
    }
    return WriteOutput(pdev, text, length);
}

void SwapDwords(DWORD& a, DWORD& b) {
    const DWORD kept = a;
    a = b;
    b = kept;
}

void CarryOutputStream(PDEV* from, PDEV* to, bool carryCapture) {
    if (from == nullptr || to == nullptr || from == to) return;
    // The write position points into the device that owns the buffer, so it is rebuilt.
    to->Output.Capacity = kOutputBufferSize;
    to->Output.Count = from->Output.Count <= kOutputBufferSize ? from->Output.Count : kOutputBufferSize;
    std::memcpy(to->Output.Data, from->Output.Data, to->Output.Count);
    to->Output.WritePos = to->Output.Data + to->Output.Count;

    to->JobFile = from->JobFile;
    to->JobFileCreated = from->JobFileCreated;
    from->JobFile = nullptr;
    from->JobFileCreated = FALSE;

    if (!carryCapture) return;
    CloseCaptureFile(to);
    if (from->CaptureFile != nullptr) FlushCaptureMirror(from);
    to->CaptureFile = from->CaptureFile;
    std::memcpy(to->CapturePath, from->CapturePath, sizeof to->CapturePath);
    to->CapturePath[260 - 1] = 0;
    from->CaptureFile = nullptr;
    from->CapturePath[0] = 0;
}

// --- OutputPrintf ------------------------------------------------------------------------

namespace {

/// Collects formatted bytes in the 256-byte staging area and hands each full area to the
/// stream, so no text is ever cut.
class PrintfStage {
public:
    explicit PrintfStage(PDEV* pdev) : pdev_(pdev) {}

    void Put(char c) {
        if (failed_) return;
        if (count_ == kPrintfStagingSize) Send();
        if (failed_) return;
        area_[count_++] = c;
    }
    void Put(const char* text, size_t length) {
        for (size_t i = 0; i < length && !failed_; ++i) Put(text[i]);
    }
    void Pad(char c, int count) {
        for (int i = 0; i < count && !failed_; ++i) Put(c);
    }
    int Finish() {
        if (!failed_ && count_ != 0) Send();
        if (failed_) return added_ == 0 ? -1 : -added_;
        return added_;
    }

private:
    void Send() {
        if (!WriteOutput(pdev_, area_, count_)) {
            failed_ = true;
            return;
        }
        added_ += static_cast<int>(count_);
        count_ = 0;
    }

    PDEV* pdev_;
    char area_[kPrintfStagingSize];
    DWORD count_ = 0;
    int added_ = 0;
    bool failed_ = false;
};

/// Integer argument as the conversion sees it: values of 32 bits or less keep the platform's
/// 32-bit reading ("%d" of 0xFFFFFFFF is -1, "%u" of -1 is 4294967295).
bool SignedValue(const PrintfArg& arg, int64_t* value) {
    if (arg.kind == PrintfArg::Kind::String) return false;
    const bool wide = arg.bytes > 4;
    if (arg.kind == PrintfArg::Kind::Signed) {
        *value = wide ? arg.s : static_cast<int32_t>(arg.s);
    } else {
        *value = wide ? static_cast<int64_t>(arg.u) : static_cast<int32_t>(static_cast<uint32_t>(arg.u));
    }
    return true;
}
bool UnsignedValue(const PrintfArg& arg, uint64_t* value) {
    if (arg.kind == PrintfArg::Kind::String) return false;
    const bool wide = arg.bytes > 4;
    const uint64_t raw = arg.kind == PrintfArg::Kind::Signed ? static_cast<uint64_t>(arg.s) : arg.u;
    *value = wide ? raw : static_cast<uint32_t>(raw);
    return true;
}

/// Digits of a magnitude into the end of out; returns the count.
int Digits(uint64_t magnitude, unsigned base, bool upper, char* out /* 20 */) {
    const char* digitChars = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    int n = 0;
    char reversed[20];
    do {
        reversed[n++] = digitChars[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    for (int i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
    return n;
}

constexpr int kMaxWidth = 64;  // a longer width is a caller's mistake, not a reason to write kilobytes

void PutField(PrintfStage& stage, const char* sign, const char* body, int bodyLength, int width, bool zeroPad,
              bool leftAlign) {
    const int signLength = sign[0] == 0 ? 0 : 1;
    const int padding = width > signLength + bodyLength ? width - signLength - bodyLength : 0;
    if (!leftAlign && !zeroPad) stage.Pad(' ', padding);
    stage.Put(sign, static_cast<size_t>(signLength));
    if (!leftAlign && zeroPad) stage.Pad('0', padding);
    stage.Put(body, static_cast<size_t>(bodyLength));
    if (leftAlign) stage.Pad(' ', padding);
}

}  // namespace

int OutputPrintfArgs(PDEV* pdev, LPCSTR format, const PrintfArg* args, size_t argCount) {
    if (format == nullptr) return OutputFailed(pdev) ? -1 : 0;
    PrintfStage stage(pdev);
    size_t nextArg = 0;
    const auto take = [&]() -> const PrintfArg* { return nextArg < argCount ? &args[nextArg++] : nullptr; };

    for (const char* p = format; *p != 0; ++p) {
        if (*p != '%') {
            stage.Put(*p);
            continue;
        }
        ++p;
        bool zeroPad = false;
        bool leftAlign = false;
        for (; *p == '0' || *p == '-'; ++p) {
            if (*p == '0') zeroPad = true;
            if (*p == '-') leftAlign = true;
        }
        int width = 0;
        for (; *p >= '0' && *p <= '9'; ++p) {
            width = width * 10 + (*p - '0');
            if (width > kMaxWidth) width = kMaxWidth;
        }
        char conversion = *p;
        if (conversion == 'h') conversion = *++p;
        if (conversion == 'l') {
            const char after = p[1];
            if (after == 'd' || after == 'i' || after == 'u' || after == 'x' || after == 'X') conversion = *++p;
        }
        if (conversion == 0) break;  // a lone "%" at the end

        char body[20];
        switch (conversion) {
            case 'b': {
                const PrintfArg* arg = take();
                uint64_t value = 0;
                if (arg == nullptr || !UnsignedValue(*arg, &value)) break;
                const char* text = value != 0 ? "true" : "false";
                PutField(stage, "", text, static_cast<int>(std::strlen(text)), width, false, leftAlign);
                break;
            }
            case 'c': {
                const PrintfArg* arg = take();
                uint64_t value = 0;
                if (arg == nullptr || !UnsignedValue(*arg, &value)) break;
                body[0] = static_cast<char>(value & 0xFF);
                PutField(stage, "", body, 1, width, false, leftAlign);
                break;
            }
            case 'd':
            case 'i':
            case 'l': {
                const PrintfArg* arg = take();
                int64_t value = 0;
                if (arg == nullptr || !SignedValue(*arg, &value)) break;
                const uint64_t magnitude = value < 0 ? 0u - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
                const int n = Digits(magnitude, 10, false, body);
                PutField(stage, value < 0 ? "-" : "", body, n, width, zeroPad, leftAlign);
                break;
            }
            case 'u':
            case 'x':
            case 'X': {
                const PrintfArg* arg = take();
                uint64_t value = 0;
                if (arg == nullptr || !UnsignedValue(*arg, &value)) break;
                const int n = Digits(value, conversion == 'u' ? 10 : 16, conversion == 'X', body);
                PutField(stage, "", body, n, width, zeroPad, leftAlign);
                break;
            }
            case 's': {
                const PrintfArg* arg = take();
                if (arg == nullptr || arg->kind != PrintfArg::Kind::String || arg->text == nullptr) break;
                const size_t length = std::strlen(arg->text);
                const int shown = length > static_cast<size_t>(kMaxWidth) ? kMaxWidth : static_cast<int>(length);
                const int padding = width > shown ? width - shown : 0;
                if (!leftAlign) stage.Pad(' ', padding);
                stage.Put(arg->text, length);
                if (leftAlign) stage.Pad(' ', padding);
                break;
            }
            default:
                stage.Put(conversion);  // "%%" gives "%"
                break;
        }
    }
    return stage.Finish();
}
