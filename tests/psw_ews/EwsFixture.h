#pragma once
// The status window library loaded by name in the status-monitor host, for printers whose
// port and connection the test chooses; the monitor's side is written on the test's own
// connection to the loaded manager stand-in. The language libraries are installed where the
// driver's key points.
#include <string>

#include "platform/StandIn.h"
#include "resources/psw/PswIds.h"
#include "tests/support/PswHostedFixture.h"

namespace kvtest {

inline constexpr char kEwsPrinter[] = "KV Details";
inline constexpr char16_t kEwsPrinterW[] = u"KV Details";
inline constexpr char16_t kEwsUserKey[] = u"Software\\ZEV\\Stanvel\\KV Details\\PSW";

class EwsTest : public PswHostedTest {
protected:
    EwsTest() : PswHostedTest(u"Software\\ZEV\\Stanvel\\Printers\\KV-TD520") {}
    void SetUp() override;

    void SetUserDword(const char16_t* name, DWORD value) { PswHostedTest::SetUserDword(kEwsUserKey, name, value); }
    /// A printer on the port, its monitor reporting the connection bits and an idle printer.
    void AddPrinter(const std::u16string& name, const std::u16string& port, DWORD extStatus = 7);
    /// Creates the printer's window set; *ews gets the extended window.
    HWND Create(const std::string& printer, HWND* ews);

    static std::u16string Text(HWND dialog, int id);
    /// The sheet shown (the extended window's child that is none of its three strips).
    static HWND Sheet(HWND ews);
    /// The strips (head, left and foot), found by a control of theirs.
    static HWND Strip(HWND ews, int control);
    /// Pumps until the sheet shown holds the control.
    bool WaitForSheetWith(HWND ews, int control);
    /// Writes the picture into the test's output folder.
    static bool SavePicture(HWND window, const std::string& name);
};

}  // namespace kvtest
