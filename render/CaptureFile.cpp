// The capture file of driver-made copies: a temporary file that receives a second copy of
// the inner job while it is written, replayed once per further copy at the end of the job.
// The mirror is gathered in memory and written in large pieces; the file's bytes are the
// same as if every piece had been written on its own.
#include <cstring>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "render/JobFiles.h"
#include "render/OutputStream.h"
#include "settings/DebugLog.h"

namespace {

constexpr DWORD kFeatureDriverMakesCopies = 1u << 2;
constexpr DWORD kLogHooks = 1u << 0;
constexpr DWORD kMappingGranularity = 64 * 1024;

void LogFailure(const PDEV* pdev, const char* call, DWORD error = GetLastError()) {
    if (DebugLogWanted(pdev->Settings, kLogHooks)) {
        WriteDebugLogF(pdev->Settings.LogSizeLimit, "%s failed with error %u\n", call, error);
    }
}

/// A capture that cannot be written is given up; the job itself goes on without copies.
void DropCapture(PDEV* pdev) {
    LogFailure(pdev, "WriteFile (capture)");
    CloseCaptureFile(pdev);
}

bool WriteToCapture(PDEV* pdev, const void* bytes, DWORD count) {
    DWORD written = 0;
    return WriteFile(pdev->CaptureFile, bytes, count, &written, nullptr) && written == count;
}

/// The replay is the end of the job's output: a failure of it fails the job.
void FailReplay(PDEV* pdev, const char* call, DWORD error = GetLastError()) {
    LogFailure(pdev, call, error);
    SetOutputFailed(pdev, error);
}

}  // namespace

void MirrorToCapture(PDEV* pdev, const void* bytes, DWORD count) {
    if (pdev->CaptureFile == nullptr || count == 0) return;
    if (pdev->CaptureMirror == nullptr && pdev->ChainHead != nullptr) {
        pdev->CaptureMirror = static_cast<BYTE*>(PoolAlloc(pdev->ChainHead, kCaptureMirrorSize));
        pdev->CaptureMirrorCount = 0;
    }
    if (pdev->CaptureMirror == nullptr) {
        // Without the memory for a mirror each piece is written on its own.
        if (!WriteToCapture(pdev, bytes, count)) DropCapture(pdev);
        return;
    }
    if (pdev->CaptureMirrorCount + count > kCaptureMirrorSize) {
        if (!FlushCaptureMirror(pdev)) return;
        if (count >= kCaptureMirrorSize) {
            if (!WriteToCapture(pdev, bytes, count)) DropCapture(pdev);
            return;
        }
    }
    std::memcpy(pdev->CaptureMirror + pdev->CaptureMirrorCount, bytes, count);
    pdev->CaptureMirrorCount += count;
}

BOOL FlushCaptureMirror(PDEV* pdev) {
    if (pdev->CaptureFile == nullptr) return FALSE;
    const DWORD count = pdev->CaptureMirrorCount;
    if (count == 0) return TRUE;
    pdev->CaptureMirrorCount = 0;
    if (!WriteToCapture(pdev, pdev->CaptureMirror, count)) {
        DropCapture(pdev);
        return FALSE;
    }
    return TRUE;
}

void OpenCaptureFile(PDEV* pdev) {
    // A capture left by a job that never reached its trailer is not this job's.
    CloseCaptureFile(pdev);
    const DriverDevMode& settings = pdev->Settings;
    if (settings.Public.dmCopies < 2 || (settings.FeatureFlags & kFeatureDriverMakesCopies) == 0 || FileMode(pdev)) {
        return;
    }
    WCHAR folder[MAX_PATH];
    const DWORD cchFolder = GetTempPathW(MAX_PATH, folder);
    if (cchFolder == 0 || cchFolder >= MAX_PATH) {
        LogFailure(pdev, "GetTempPathW");
        return;
    }
    if (GetTempFileNameW(folder, u"", 0, pdev->CapturePath) == 0) {
        LogFailure(pdev, "GetTempFileNameW");
        pdev->CapturePath[0] = 0;
        return;
    }
    const HANDLE file = CreateFileW(pdev->CapturePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // No capture: the copies are then not made, as when a mirror write fails.
        LogFailure(pdev, "CreateFileW (capture)");
        DeleteFileW(pdev->CapturePath);
        pdev->CapturePath[0] = 0;
        return;
    }
    pdev->CaptureFile = file;
    pdev->CaptureMirrorCount = 0;
}

void CloseCaptureFile(PDEV* pdev) {
    if (pdev->CaptureFile != nullptr) {
        if (pdev->CaptureFile != INVALID_HANDLE_VALUE) CloseHandle(pdev->CaptureFile);
        pdev->CaptureFile = nullptr;
    }
    if (pdev->CapturePath[0] != 0) {
        DeleteFileW(pdev->CapturePath);
        pdev->CapturePath[0] = 0;
    }
    // The mirror block stays on the chain for the next job's capture.
    pdev->CaptureMirrorCount = 0;
}

void ReplayCaptureFile(PDEV* pdev, LPCWSTR path, int copies, DWORD cbWindow) {
    if (copies <= 0 || path == nullptr || path[0] == 0 || OutputFailed(pdev)) return;
    if (cbWindow == 0 || cbWindow % kMappingGranularity != 0) cbWindow = kReplayWindowSize;

    const HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        FailReplay(pdev, "CreateFileW (replay)");
        return;
    }
    SetLastError(NO_ERROR);
    DWORD sizeHigh = 0;
    const DWORD sizeLow = GetFileSize(file, &sizeHigh);
    if (sizeLow == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        FailReplay(pdev, "GetFileSize");
        CloseHandle(file);
        return;
    }
    const uint64_t size = (static_cast<uint64_t>(sizeHigh) << 32) | sizeLow;
    if (size == 0) {  // nothing was captured, so there is nothing to repeat
        CloseHandle(file);
        return;
    }
    const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr) {
        FailReplay(pdev, "CreateFileMappingW");
        CloseHandle(file);
        return;
    }
    // A window at a time, so a capture larger than the address space can spare still replays.
    bool failed = false;
    for (int copy = 0; copy < copies && !failed; ++copy) {
        for (uint64_t offset = 0; offset < size && !failed; offset += cbWindow) {
            const DWORD length = static_cast<DWORD>(size - offset < cbWindow ? size - offset : cbWindow);
            void* view = MapViewOfFile(mapping, FILE_MAP_READ, static_cast<DWORD>(offset >> 32),
                                       static_cast<DWORD>(offset), length);
            if (view == nullptr) {
                FailReplay(pdev, "MapViewOfFile");
                failed = true;
                break;
            }
            DWORD written = 0;
            const BOOL ok = WritePrinter(pdev->Printer, view, length, &written);
            // Taken before the unmap can change it; a short write left the copy with a hole.
            const DWORD error = ok ? ERROR_WRITE_FAULT : GetLastError();
            UnmapViewOfFile(view);
            if (!ok || written != length) {
                FailReplay(pdev, "WritePrinter (replay)", error);
                failed = true;
            }
        }
    }
    CloseHandle(mapping);
    CloseHandle(file);
}

void FlushJobAndReplayCopies(PDEV* pdev) {
    FlushOutput(pdev);
    if (pdev->CaptureFile != nullptr) {
        const bool captured = FlushCaptureMirror(pdev) != FALSE;
        if (pdev->CaptureFile != nullptr) {
            CloseHandle(pdev->CaptureFile);
            pdev->CaptureFile = nullptr;
        }
        // dmCopies may have changed since the header (SETCOPYCOUNT): the end of the job decides.
        const int copies = pdev->Settings.Public.dmCopies;
        if (captured && copies > 1) ReplayCaptureFile(pdev, pdev->CapturePath, copies - 1, kReplayWindowSize);
    }
    if (pdev->CapturePath[0] != 0) {
        DeleteFileW(pdev->CapturePath);
        pdev->CapturePath[0] = 0;
    }
    pdev->CaptureMirrorCount = 0;
}
