#include "tests/render_geometry/GeometryFixture.h"

#include <cstring>

#include "platform/Modules.h"
#include "platform/Spooler.h"

namespace kvgeo {

ModelImage::ModelImage(const std::vector<MarginForm>& forms, const std::vector<HalftoneRow>& halftone) {
    formCount_ = static_cast<DWORD>(forms.size());
    const DWORD formOffset = kModelHeaderSize;
    const DWORD halftoneOffset = formOffset + formCount_ * sizeof(ModelForm);
    const DWORD stringOffset = halftoneOffset + static_cast<DWORD>(halftone.size() * sizeof(ModelResolution));

    // Strings follow the records, each padded to a whole dword.
    std::vector<DWORD> strings;
    auto addString = [&](const std::u16string& text) {
        const DWORD offset = stringOffset + static_cast<DWORD>(strings.size() * sizeof(DWORD));
        std::u16string padded = text + u'\0';
        if (padded.size() % 2 != 0) padded += u'\0';
        const size_t at = strings.size();
        strings.resize(at + padded.size() / 2);
        std::memcpy(&strings[at], padded.data(), padded.size() * sizeof(char16_t));
        return offset;
    };

    std::vector<DWORD> records;
    for (const MarginForm& f : forms) {
        const DWORD name = addString(f.name);
        records.insert(records.end(), {0, name, f.width, f.height, static_cast<DWORD>(f.printable.left),
                                       static_cast<DWORD>(f.printable.top), static_cast<DWORD>(f.printable.right),
                                       static_cast<DWORD>(f.printable.bottom)});
    }
    for (const HalftoneRow& h : halftone) {
        const DWORD name = addString(h.name);
        const DWORD laterName = addString(h.laterName);
        records.insert(records.end(), {h.dpi, name, h.gamma, laterName, h.laterGamma});
    }

    ModelDescription header{};
    header.TotalSize = stringOffset + static_cast<DWORD>(strings.size() * sizeof(DWORD));
    header.FormPortCount = formCount_;
    header.FormPortOffset = formOffset;
    header.ResolutionCount = static_cast<DWORD>(halftone.size());
    header.ResolutionOffset = halftoneOffset;
    words_.resize(header.TotalSize / sizeof(DWORD));
    std::memcpy(words_.data(), &header, sizeof(header));
    std::memcpy(words_.data() + kModelHeaderSize / sizeof(DWORD), records.data(), records.size() * sizeof(DWORD));
    std::memcpy(words_.data() + stringOffset / sizeof(DWORD), strings.data(), strings.size() * sizeof(DWORD));
}

const ModelForm* ModelImage::Forms() const {
    return formCount_ == 0 ? nullptr : reinterpret_cast<const ModelForm*>(words_.data() + kModelHeaderSize / sizeof(DWORD));
}

std::vector<MarginForm> StandardMarginForms() {
    return {
        {u"A4", 210000, 297000, {4230, 4230, 205770, 292770}},
        {u"B4 (JIS)", 257000, 364000, {4230, 4230, 252770, 359770}},
        {u"A3", 297000, 420000, {4230, 4230, 292770, 415770}},
        {u"15x11inch", 381000, 279400, {4230, 4230, 376770, 275170}},
    };
}

std::vector<standin::FormSetup> TestForms() {
    return {
        kvtest::WholeSheetForm(u"Custom 200x300", 200000, 300000, FORM_USER),
        kvtest::WholeSheetForm(u"Custom 210x297.3", 210000, 297300, FORM_USER),
        // 300 and 424 µm over whole half inches, and one exactly 425 µm over.
        kvtest::WholeSheetForm(u"Hair over", 215900 + 300, 279400 + 424, FORM_USER),
        kvtest::WholeSheetForm(u"Just over", 215900 + 425, 279400, FORM_USER),
        // Usable, but outside what the printer takes as an output paper.
        kvtest::WholeSheetForm(u"Small", 100000, 150000, FORM_USER),
        kvtest::WholeSheetForm(u"Edge low", 165100, 177800, FORM_USER),
        kvtest::WholeSheetForm(u"Edge high", 457200, 355600, FORM_USER),
        kvtest::WholeSheetForm(u"Below edge", 165099, 177800, FORM_USER),
        // Wider than the printer: listed by the spooler, blanked as unusable.
        kvtest::WholeSheetForm(u"Too wide", 500000, 300000, FORM_USER),
        // 31 and 40 characters.
        kvtest::WholeSheetForm(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", 200000, 300000, FORM_USER),
        kvtest::WholeSheetForm(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd", 200000, 300000, FORM_USER),
    };
}

PaperRecord Paper(const std::u16string& name, LONG width, LONG height, RECTL printable, DWORD code) {
    PaperRecord paper{};
    for (size_t i = 0; i < name.size() && i < 31; ++i) paper.Name[i] = name[i];
    paper.Width = width;
    paper.Height = height;
    paper.Printable = printable;
    paper.Code = code;
    return paper;
}

void GeometryTest::SetUp() {
    StandInTest::SetUp();
    kvtest::SamplePrinterOptions options;
    options.copyDataFile = false;
    options.installLanguageLibraries = false;
    kvtest::InstallSamplePrinter(options);
    RestoreForms();
    printer_ = std::make_unique<kvtest::ScopedPrinter>();
    ASSERT_NE(printer_->handle(), nullptr);
    strings_ = LoadLibraryW(u"kvgeometrystrings");
    ASSERT_NE(strings_, nullptr) << "the string-table module was not built";

    pdev_ = std::make_unique<PDEV>();
    ResetDevice();
}

void GeometryTest::ResetDevice() {
    if (pdev_->Palette != nullptr) EngDeletePalette(pdev_->Palette);
    *pdev_ = PDEV{};
    PDEV& p = *pdev_;
    p.Signature = kPdevSignature;
    p.SignatureEnd = kPdevSignature;
    p.ChainHead = &chain_;
    p.Printer = printer_->handle();
    p.Module = strings_;
    p.Geometry.ScalePercent = 100;
    DriverDevMode& s = p.Settings;
    s.Public.dmPrintQuality = 600;
    s.Public.dmDuplex = 1;
    s.Public.dmOrientation = 1;
    s.PagesPerSheet = 1;
    s.LayoutScale = 100;
    s.NupDown = 1;
    s.NupAcross = 1;
    s.OptionFlags = kOptionNoOutPaperTable;
    UseModel(StandardMarginForms());
}

void GeometryTest::TearDown() {
    if (pdev_ != nullptr && pdev_->Palette != nullptr) EngDeletePalette(pdev_->Palette);
    PoolFreeAll(&chain_);
    if (strings_ != nullptr) FreeLibrary(strings_);
    printer_.reset();
    StandInTest::TearDown();
}

void GeometryTest::UseModel(const std::vector<MarginForm>& forms, const std::vector<HalftoneRow>& halftone) {
    model_ = std::make_unique<ModelImage>(forms, halftone);
    pdev_->Model = model_->Model();
    pdev_->Geometry.PaperMarginList = model_->Forms();
    pdev_->Geometry.PaperMarginCount = model_->FormCount();
}

void GeometryTest::SetPrinterData(const std::u16string& name, const std::vector<BYTE>& bytes) {
    kvtest::ScopedPrinter admin(kvtest::kSamplePrinterName, PRINTER_ALL_ACCESS);
    ASSERT_NE(admin.handle(), nullptr);
    std::vector<BYTE> copy = bytes;
    ASSERT_EQ(SetPrinterDataExW(admin.handle(), u"PrinterDriverData", name.c_str(), REG_BINARY,
                                copy.empty() ? nullptr : copy.data(), static_cast<DWORD>(copy.size())),
              ERROR_SUCCESS);
}

void GeometryTest::DeletePrinterData(const std::u16string& name) {
    kvtest::ScopedPrinter admin(kvtest::kSamplePrinterName, PRINTER_ALL_ACCESS);
    ASSERT_NE(admin.handle(), nullptr);
    std::u16string copy = name;
    DeletePrinterDataW(admin.handle(), copy.data());
}

void GeometryTest::RestoreForms() {
    std::vector<standin::FormSetup> forms = kvtest::StandardForms();
    for (auto& form : TestForms()) forms.push_back(form);
    standin::SetForms(forms);
}

void GeometryTest::SetFormName(const std::u16string& name) {
    WCHAR* field = pdev_->Settings.Public.dmFormName;
    std::memset(field, 0, sizeof(pdev_->Settings.Public.dmFormName));
    for (size_t i = 0; i < name.size() && i < 31; ++i) field[i] = name[i];
}

std::u16string NameOf(const PaperRecord& paper) {
    size_t n = 0;
    while (n < 32 && paper.Name[n] != u'\0') ++n;
    return std::u16string(paper.Name, n);
}

std::string Describe(const RECTL& r) {
    return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + "}";
}

}  // namespace kvgeo
