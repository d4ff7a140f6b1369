#pragma once
// File mode: numbered job files, their counter file "Number.dat" and the helper program
// started at the end of the job.
#include <cstddef>

#include "render/Pdev.h"

/// Counter numbers run 0 to kLastJobFileNumber and then start again at 0.
inline constexpr LONG kLastJobFileNumber = 99999;
/// Job files taken by other jobs that CreateJobFile steps over before it gives up.
inline constexpr int kJobFileNumberTries = 100;
/// The helper program's command line: UTF-16 characters, and ANSI bytes with the terminator.
inline constexpr size_t kHelperCommandChars = 511;
inline constexpr size_t kHelperCommandBytes = 1024;

/// Fills pdev->JobFolder and pdev->JobFileName from the settings at device set-up (file mode
/// only; both are emptied otherwise): the settings' folder without one trailing "\" (bit 4)
/// or the default job folder, and the settings' base name without ".prn" (bit 5) or the
/// date string of the model's default day. Settings fields are read within their bounds.
void PrepareJobFileNames(PDEV* pdev);

/// The counter's next number for a value read from "Number.dat": value + 1 for 0..99998,
/// else 0 (after 99999, or for a negative, non-numeric or oversized value).
LONG NextCounterValue(LPCWSTR counterText);

/// Takes the next number from "<folder>\Number.dat" (created when missing) and appends it as
/// five digits, plus ".prn" in file mode, to path and name. FALSE (both unchanged) when the
/// counter path or the results would not fit their buffers (cch counts the terminator).
[[nodiscard]] bool NextJobFileNumber(PDEV* pdev, LPCWSTR folder, LPWSTR path, size_t cchPath, LPWSTR name,
                                     size_t cchName);

/// Creates this job's file with CREATE_NEW (first step of the job header): the handle in
/// pdev->JobFile, pdev->JobFileCreated set, pdev->JobFileName the full file name. A number
/// that another job's file holds is skipped for the next (kJobFileNumberTries in all). On
/// failure JobFile is NULL, so the job's first write sets OutputFailed; an existing file is
/// never opened or overwritten.
void CreateJobFile(PDEV* pdev);

/// Closes the job file if one is open; safe to call again.
void CloseJobFile(PDEV* pdev);

/// End of a file-mode job (DrvEndDoc, normal and failure path): closes the job file and,
/// when RelaydockFlags bit 1 asks and this job created the file, starts the helper program
/// with "<printer>,<folder>\<file>". A command line that does not fit is not started.
void StartHelperProgram(PDEV* pdev);

/// The helper's command line for the current device into out (kHelperCommandChars + 1
/// characters): FALSE when it does not fit or the Windows directory cannot be read.
[[nodiscard]] bool BuildHelperCommandLine(const PDEV* pdev, LPCWSTR printerName, LPWSTR out);

#if KV_PRINT_PORT_CONTROL
/// x86 end of job with an outside print-port library (pdev->PrintPortLibrary): closes the job
/// file, reports the page and sheet counts (normal end) and stops the library's control
/// thread, then frees the library. Nothing when no library is set, which is always so,
/// because nothing loads one.
void FinishPrintPortJob(PDEV* pdev, bool failed);
#endif

inline bool FileMode(const PDEV* pdev) { return (pdev->Settings.RelaydockFlags & kRelaydockFileMode) != 0; }
