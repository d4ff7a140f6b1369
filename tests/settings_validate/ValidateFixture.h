#pragma once
// Shared fixture of the validation tests: the sample printer with the standard forms, the
// language libraries and the model compiled from the driver's real data file, and a default
// settings block built for it.
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"
#include "settings/PrinterData.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace kvtest {

/// Feature flags of the block: the n-up layout is on, the n-up pages keep their size.
inline constexpr DWORD kFeatureNupLayout = 1u << 0;
inline constexpr DWORD kFeatureNoReduction = 1u << 1;

struct GlobalFreeDeleter {
    void operator()(void* block) const { GlobalFree(block); }
};
using ModelImage = std::unique_ptr<ModelDescription, GlobalFreeDeleter>;

// Paper sources of the sample data file.
inline constexpr SHORT kSourceAuto = 7;
inline constexpr SHORT kSourceFeeder1 = 257;
inline constexpr SHORT kSourceManual = 4;
inline constexpr SHORT kSourceMultiPurpose = 262;
inline constexpr SHORT kSourceGroupA = 263;

/// Names the form (the size fields are left for validation to fill), or the output paper.
void SetFormName(DriverDevMode& block, const std::u16string& name);
void SetOutputName(DriverDevMode& block, const std::u16string& name);

class ValidateTest : public StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    HANDLE printer() const { return printer_->handle(); }
    void Validate(const PrinterStatusSnapshot* status = nullptr);
    void Validate(const ModelDescription* model);

    void SetPaper(const std::u16string& name) { SetFormName(block_, name); }
    void SetOutputPaper(const std::u16string& name) { SetOutputName(block_, name); }
    /// Writes TBL_OutPaperTable as binary printer data.
    void SetOutPaperTable(const std::vector<BYTE>& bytes);
    /// Compiles a data file of this text (UTF-16LE with a byte-order mark).
    ModelImage CompileModel(const std::u16string& text);

    DriverDevMode block_{};
    ModelImage model_;

private:
    std::unique_ptr<ScopedPrinter> printer_;
    int modelFiles_ = 0;
};

/// 1-based position of a form in the standard form database.
SHORT FormPosition(const std::u16string& name);
/// The names one after another, each with its terminator, as UTF-16LE bytes.
std::vector<BYTE> NameTable(std::initializer_list<std::u16string> names);
std::u16string Text(const WCHAR* field);
/// A status snapshot with the two words validation reads.
PrinterStatusSnapshot Status(DWORD extStatus, DWORD runningPss);

}  // namespace kvtest
