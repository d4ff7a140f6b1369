#pragma once
// A device built by hand for the geometry tests: the sample printer with its forms and
// printer data, the rendering library's string table (a resource-only module), and a model
// description made in memory with just the margin list and the halftone defaults a test
// needs.
#include <memory>
#include <string>
#include <vector>

#include "render/Geometry.h"
#include "render/Pdev.h"
#include "settings/MemoryPool.h"
#include "settings/ModelDescription.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace kvgeo {

struct MarginForm {
    std::u16string name;
    DWORD width;
    DWORD height;
    RECTL printable;
};
struct HalftoneRow {
    DWORD dpi;
    std::u16string name;       // pattern-size name up to version 5.0
    DWORD gamma;
    std::u16string laterName;  // from version 5.1 on
    DWORD laterGamma;
};

/// A model description image holding a form list and halftone rows (the *Resolution list).
class ModelImage {
public:
    ModelImage(const std::vector<MarginForm>& forms, const std::vector<HalftoneRow>& halftone);
    const ModelDescription* Model() const { return reinterpret_cast<const ModelDescription*>(words_.data()); }
    const ModelForm* Forms() const;
    DWORD FormCount() const { return formCount_; }

private:
    std::vector<DWORD> words_;
    DWORD formCount_ = 0;
};

/// The margin list most tests use: A4, B4 (JIS), A3 and the default paper, 4230 µm margins.
std::vector<MarginForm> StandardMarginForms();

/// Spooler forms beyond the standard ones, named for what they test.
std::vector<standin::FormSetup> TestForms();

/// A paper record for a test.
PaperRecord Paper(const std::u16string& name, LONG width, LONG height, RECTL printable, DWORD code = 123);

class GeometryTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

public:  // for the case tables' setup functions

    /// A zeroed device with signatures, the printer, the string module, 600 dpi, simplex,
    /// one page per sheet, faces 1 x 1, the output-paper table off and the standard model.
    void ResetDevice();
    /// Replaces the model description (and the device's margin list) with one of these.
    void UseModel(const std::vector<MarginForm>& forms, const std::vector<HalftoneRow>& halftone = {});
    /// Sets a printer-data value of the sample printer.
    void SetPrinterData(const std::u16string& name, const std::vector<BYTE>& bytes);
    void DeletePrinterData(const std::u16string& name);
    /// The spooler's forms as SetUp made them.
    void RestoreForms();
    void SetResolution(SHORT dpi) { pdev_->Settings.Public.dmPrintQuality = dpi; }
    void SetFormName(const std::u16string& name);

    PDEV& Pdev() { return *pdev_; }
    PageGeometry& Geo() { return pdev_->Geometry; }
    DriverDevMode& Settings() { return pdev_->Settings; }

    std::unique_ptr<kvtest::ScopedPrinter> printer_;
    HMODULE strings_ = nullptr;
    PoolBlock* chain_ = nullptr;
    std::unique_ptr<ModelImage> model_;
    std::unique_ptr<PDEV> pdev_;
};

std::u16string NameOf(const PaperRecord& paper);
std::string Describe(const RECTL& r);

}  // namespace kvgeo
