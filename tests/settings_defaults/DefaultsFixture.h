#pragma once
// Shared fixture of the settings-defaults tests: the sample printer with the standard forms
// and a model description compiled from a small data file written by the test, so that
// every value a test checks is visible beside it.
#include <memory>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace kvtest {

/// A text field of the block as a string.
inline std::u16string Text(const WCHAR* field) { return std::u16string(field); }

/// The data file of the tests. Values picked so that each rule shows: margins 4,230 (left)
/// and 4,200 (top), FEEDER1 with bits 1 and 7, MSF with bit 7 only, LCH with bit 12.
inline constexpr char16_t kTestModelText[] =
    u"*Version 1\r\n"
    u"*FriendlyName \"KV-TD520 Test\"\r\n"
    u"*PrinterName \"KV-TD520\"\r\n"
    u"*PrivateID 0x5200A1\r\n"
    u"*DefaultResolution 600\r\n"
    u"*Resolution 600 \"600 dpi\" 600 \"Fine\" 0\r\n"
    u"*Resolution 400 \"400 dpi\" 400 \"Normal\" 0\r\n"
    u"*DefaultInputSlot \"AUTO\" 7\r\n"
    u"*InputSlot \"AUTO\" 7\r\n"
    u"*InputSlot \"FEEDER1\" 1\r\n"
    u"*InputSlot \"MSF\" 1001\r\n"
    u"*DefaultMemorySize 64 1 2 3 4 5 6\r\n"
    u"*MemorySize 64 1 2 3 4 5 6\r\n"
    u"*InputDevice \"FEEDER1\" 0x00080082\r\n"
    u"*InputDevice \"MSF\" 0x00010080\r\n"
    u"*InputDevice \"MP\" 0x00000000\r\n"
    u"*OptionDevice \"DUPLEX\" 0x00040001\r\n"
    u"*OptionDevice \"LCH\" 0x00021000\r\n"
    u"*DefaultForm \"A4\" 210000 297000 4230 4200 205770 292800\r\n";

inline constexpr DWORD kTestPrivateId = 0x5200A1;
inline constexpr SHORT kA4Position = 9;        // in the standard form database
inline constexpr SHORT kB5Position = 13;
inline constexpr SHORT kTabloidPosition = 3;   // 431.8 mm long: blanked

struct GlobalFreeDeleter {
    void operator()(void* block) const { GlobalFree(block); }
};
using ModelImage = std::unique_ptr<ModelDescription, GlobalFreeDeleter>;

class DefaultsTest : public StandInTest {
protected:
    void SetUp() override;

    /// Installs the sample printer (language libraries included) and opens it.
    void InstallPrinter(SamplePrinterOptions options = {});
    /// Compiles a data file of this text (UTF-16LE with a byte-order mark).
    ModelImage CompileModel(const std::u16string& text);

    HANDLE printer() const { return printer_ != nullptr ? printer_->handle() : nullptr; }

    ModelImage model_;
    bool languageLibraries_ = false;

private:
    std::unique_ptr<ScopedPrinter> printer_;
    int modelFiles_ = 0;
};

/// A whole settings block in a vector, for building sources of any size.
std::vector<BYTE> BlockBytesOf(const DriverDevMode& block);

/// Fields of the block whose text must end inside the field: {name, offset, bytes per unit,
/// units}.
struct StringField {
    const char* name;
    size_t offset;
    size_t unitBytes;
    size_t units;
};
extern const StringField kStringFields[15];
/// Names of the string fields of the block that do not end inside their field.
std::vector<std::string> UnterminatedFields(const DriverDevMode& block);

}  // namespace kvtest
