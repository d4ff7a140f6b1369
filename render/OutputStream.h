#pragma once
// The job's byte stream: the 4,096-byte output buffer, the capture file of driver-made
// copies, and the small typed writers every emitter uses. One device is used by one thread
// at a time; nothing here locks.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "render/Pdev.h"

/// Pieces larger than this that do not fit the buffer go straight to the destination.
inline constexpr DWORD kDirectWriteThreshold = 1024;
/// OutputPrintf's staging area.
inline constexpr DWORD kPrintfStagingSize = 256;
/// PutNumberList refuses a text of this many characters or more (last error 111).
inline constexpr DWORD kNumberListLimit = 255;

/// Sends the buffered bytes to the destination. FALSE when that write failed or was short
/// (OutputFailed is then set); TRUE when there was nothing to send or OutputFailed was
/// already set (a failed device keeps its unsent bytes).
BOOL FlushOutput(PDEV* pdev);
/// WriteOutput for every piece: the capture file, flushes, direct writes and failures.
BOOL WriteOutputPiece(PDEV* pdev, const void* bytes, DWORD count);
void PutDwordBE(PDEV* pdev, DWORD value);
void PutWordBE(PDEV* pdev, WORD value);
/// Mode 0 adds 90 degrees, mode 1 adds 270; the result below 360 goes out high byte first.
void PutAngleBE(PDEV* pdev, BYTE mode, WORD angle);
/// Scales, places in the N-up slot, turns, adds the page origin, and writes x then y.
void PutMappedPoint(PDEV* pdev, SHORT x, SHORT y);
/// "v1,v2,...": FALSE with last error 111 and nothing written when the text would reach
/// kNumberListLimit characters; otherwise WriteOutput's result. A count of 0 writes nothing.
[[nodiscard]] BOOL PutNumberList(PDEV* pdev, int count, const LONG* values);
/// Turns a point in place: mode 0 inside the current N-up slot, mode 1 about the page.
void RotatePoint(PDEV* pdev, BYTE mode, POINTL* point);
void SwapDwords(DWORD& a, DWORD& b);
/// Writes bytes straight to the destination (job file or spooler), bypassing the buffer and
/// the capture file; TRUE when all were written. Does not set OutputFailed. *written (may be
/// NULL) receives the count the destination reported. On FALSE the thread's last error is the
/// call's, ERROR_INVALID_HANDLE when file mode has no job file, or ERROR_WRITE_FAULT when the
/// call succeeded but wrote short.
[[nodiscard]] BOOL WriteDestination(PDEV* pdev, const void* bytes, DWORD count, DWORD* written);
/// Stops the job's output for the rest of the device's life (OutputFailed). The first failure
/// keeps `error` as the one the end of the job reports; later ones change nothing.
void SetOutputFailed(PDEV* pdev, DWORD error);
/// What DrvEndDoc reports for a failed output: the first failure's error, ERROR_WRITE_FAULT
/// when it left none.
DWORD OutputFailureError(const PDEV* pdev);

// --- OutputPrintf --------------------------------------------------------------------------
/// One argument of OutputPrintf, captured with its type so that a conversion never reads an
/// argument of another kind.
struct PrintfArg {
    enum class Kind : BYTE { Signed, Unsigned, String };
    Kind kind;
    BYTE bytes;  // width of the original integer (1, 2, 4 or 8)
    union {
        int64_t s;
        uint64_t u;
        const char* text;
    };
};

template <typename T>
PrintfArg MakePrintfArg(T value) {
    using V = std::decay_t<T>;
    PrintfArg arg{};
    if constexpr (std::is_same_v<V, const char*> || std::is_same_v<V, char*>) {
        arg.kind = PrintfArg::Kind::String;
        arg.text = value;
    } else if constexpr (std::is_same_v<V, std::nullptr_t>) {
        arg.kind = PrintfArg::Kind::String;
        arg.text = nullptr;
    } else if constexpr (std::is_enum_v<V>) {
        return MakePrintfArg(static_cast<std::underlying_type_t<V>>(value));
    } else {
        static_assert(std::is_integral_v<V>, "OutputPrintf takes integers and ANSI strings");
        arg.bytes = static_cast<BYTE>(sizeof(V));
        if constexpr (std::is_signed_v<V>) {
            arg.kind = PrintfArg::Kind::Signed;
            arg.s = value;
        } else {
            arg.kind = PrintfArg::Kind::Unsigned;
            arg.u = value;
        }
    }
    return arg;
}

/// The formatter behind OutputPrintf. Conversions: %b ("true"/"false"), %c (low byte),
/// %d %i %l (signed decimal), %u, %x %X, %s (ANSI text, NULL prints nothing); flags '0'
/// and '-', a decimal width, and the length letters l and h (ignored: integers are taken at
/// their own width, a 32-bit value as the platform's 32-bit long). "%l" not followed by
/// d/i/u/x/X is itself the signed conversion. Any other character after "%" is copied.
/// A conversion without a matching argument, or of the wrong kind, prints nothing.
int OutputPrintfArgs(PDEV* pdev, LPCSTR format, const PrintfArg* args, size_t argCount);

/// Formatted text into the stream, in pieces of the 256-byte staging area, so texts of any
/// length go through. Returns the bytes added, or on failure minus the bytes added before
/// the failing piece (-1 when none were).
template <typename... Args>
int OutputPrintf(PDEV* pdev, LPCSTR format, Args... args) {
    if constexpr (sizeof...(Args) == 0) {
        return OutputPrintfArgs(pdev, format, nullptr, 0);
    } else {
        const PrintfArg packed[] = {MakePrintfArg(args)...};
        return OutputPrintfArgs(pdev, format, packed, sizeof...(Args));
    }
}

// --- Capture file --------------------------------------------------------------------------
/// Creates the capture file when the driver makes the copies (dmCopies 2 or more, FeatureFlags
/// bit 2, not file mode). A capture file left open is dropped first.
void OpenCaptureFile(PDEV* pdev);
/// Closes and deletes the capture file and drops its unsent mirror; safe to call again.
void CloseCaptureFile(PDEV* pdev);
/// Writes the mirrored bytes still held in memory to the capture file; a failed or short
/// write drops the capture (the job goes on). FALSE when the capture was dropped.
BOOL FlushCaptureMirror(PDEV* pdev);
/// Adds bytes to the capture mirror while a capture is open (the writers call it first).
void MirrorToCapture(PDEV* pdev, const void* bytes, DWORD count);
/// Final flush, then the captured inner job dmCopies - 1 more times, then the file deleted.
void FlushJobAndReplayCopies(PDEV* pdev);
/// The capture file's replay, window by window of cbWindow bytes (a multiple of 64 KB):
/// copies times through WritePrinter. A failed mapping or write sets OutputFailed and stops.
void ReplayCaptureFile(PDEV* pdev, LPCWSTR path, int copies, DWORD cbWindow);
inline constexpr DWORD kReplayWindowSize = 64u * 1024 * 1024;

/// Moves the stream into the device that replaces this one (DrvResetPDEV): the buffered
/// bytes, the job file, and, when carryCapture, the capture file (its mirror written out
/// first). What moved is cleared in the old device, so freeing it closes nothing of the job.
void CarryOutputStream(PDEV* from, PDEV* to, bool carryCapture);

inline bool OutputFailed(const PDEV* pdev) { return (pdev->StateFlags & kStateOutputFailed) != 0; }

/// Copies a piece without a library call when it is small (the writers' pieces are 1 to 16
/// bytes): two fixed-size copies that overlap in the middle cover every length of a class.
inline void CopyPiece(BYTE* to, const void* from, DWORD count) {
    const BYTE* f = static_cast<const BYTE*>(from);
    if (count >= 4 && count <= 16) {
        if (count >= 8) {
            std::memcpy(to, f, 8);
            std::memcpy(to + count - 8, f + count - 8, 8);
        } else {
            std::memcpy(to, f, 4);
            std::memcpy(to + count - 4, f + count - 4, 4);
        }
    } else if (count >= 2 && count < 4) {
        std::memcpy(to, f, 2);
        std::memcpy(to + count - 2, f + count - 2, 2);
    } else if (count == 1) {
        *to = *f;
    } else if (count != 0) {
        std::memcpy(to, f, count);
    }
}

/// Adds bytes to the stream (mirrored to the capture file while one is open). FALSE once
/// OutputFailed is set, including by a flush or direct write this call made; nothing is
/// buffered after such a failure. Inline so that a small piece which fits the buffer (and the
/// capture mirror, while a capture is open) costs a bounds check and a copy; anything else
/// goes to WriteOutputPiece, which does the same steps in full.
inline BOOL WriteOutput(PDEV* pdev, const void* bytes, DWORD count) {
    OutputBuffer& out = pdev->Output;
    const bool fits = count <= kOutputBufferSize - out.Count && bytes != nullptr && !OutputFailed(pdev);
    const bool mirrorFits = pdev->CaptureFile == nullptr ||
                            (pdev->CaptureMirror != nullptr && count != 0 &&
                             count <= kCaptureMirrorSize - pdev->CaptureMirrorCount);
    if (!fits || !mirrorFits) return WriteOutputPiece(pdev, bytes, count);
    if (pdev->CaptureFile != nullptr) {
        CopyPiece(pdev->CaptureMirror + pdev->CaptureMirrorCount, bytes, count);
        pdev->CaptureMirrorCount += count;
    }
    CopyPiece(out.Data + out.Count, bytes, count);
    out.Count += count;
    out.WritePos = out.Data + out.Count;
    pdev->FlowFlags |= kFlowDataPending | kFlowDataWritten;
    return TRUE;
}
