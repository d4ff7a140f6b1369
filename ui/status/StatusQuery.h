#pragma once
// The printer's status as the status resource manager holds it, for the installed options.
// A record is idle or has one refresh request pending (library loaded, connection open);
// every function here is called on the thread of the window the record's requests answer.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "settings/DriverDevMode.h"
#include "settings/PrinterData.h"

/// Message the manager posts to a window when a refresh it asked for is done.
inline constexpr UINT kStatusRefreshDone = 1124;
inline constexpr UINT kStatusRefreshFailed = 1125;
inline constexpr UINT kStatusManagerMissing = 1126;

/// DataFlags (the settings library's OptionFlags) bit: the printer reported its trays.
inline constexpr DWORD kOptionPrinterReported = 0x20000u;

/// Reads the status. Without a window the refreshes are synchronous (each bounded by the
/// manager's wait for a settings-interface connection, and a refresh the manager gave up on
/// is not asked again in the same call). With a window a tray refresh may be left pending:
/// the window gets kStatusRefreshDone and its owner calls again, which collects the answer.
/// Failures go to the window only (kStatusRefreshFailed, kStatusManagerMissing) and leave the
/// record's values as they were. PrinterBinConfig is read whole; the record keeps at most 9
/// entries, and no more than the bytes read hold. A record whose manager fields are not a
/// pending request of this library (a record never zeroed) is taken as idle.
/// Returns 0, or the monitor's answer to the pending request it finished (the manager's
/// result code when the answer could not be collected).
LONG QueryPrinterStatus(PrinterStatusSnapshot* status, HANDLE printer, HWND window);
/// Ends a pending request without waiting for its answer (the window gets no message for it)
/// and unloads the manager; an idle record is left as it is. The owner of a record calls it
/// before the record is freed (the context's release).
void CancelStatusRequest(PrinterStatusSnapshot* status);
/// Sends the record's tray configuration (at most 9 entries) to the manager, unless the
/// printer reported its own (PrinterExtStatus 0x4). Failures are silent.
void WritePrinterBinConfig(PrinterStatusSnapshot* status, HANDLE printer);
/// Unless the printer reported its trays, fills the record's tray list from the block's
/// installed sources (Feeder1-5, MSF, MP, Manual, ENV); unused entries are zeroed.
void BuildBinConfig(const DriverDevMode* block, PrinterStatusSnapshot* status);
/// BuildBinConfig, then WritePrinterBinConfig: what the manager gets is what was built.
void PublishBinConfig(const DriverDevMode* block, PrinterStatusSnapshot* status, HANDLE printer);
/// Sets or clears kOptionPrinterReported by PrinterExtStatus 0x4, when the printer's
/// information can be read.
void UpdateStatusFlag(DriverDevMode* block, const PrinterStatusSnapshot* status, HANDLE printer);
/// With a reported configuration (0x4) and without 0x8: "用紙なし" or "用紙あり" in
/// kPaperPresenceControl for a first tray at level 0 or 100; any other level, or no tray,
/// leaves it.
void ShowPaperPresence(HWND dialog, const PrinterStatusSnapshot* status);
/// The 0-based position in a list of formCount forms of a tray's 1-based form index; -1 for
/// index 0 or one past the list.
[[nodiscard]] int BinFormPosition(const BinConfigEntry& entry, DWORD formCount);
