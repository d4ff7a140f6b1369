#include "tests/kvui_overlay/OverlayFixture.h"
#include "tests/kvui_common/SampleSetUp.h"

#include <fstream>
#include <iterator>

#include "platform/Modules.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "resources/ui/ControlIds.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/entry/UiInstance.h"

namespace kvuioverlay {

namespace {

// The sample model's text (UTF-16LE) with the lines added after its last FormPort line.
std::vector<BYTE> ModelWith(const std::vector<std::u16string>& extraLines) {
    std::ifstream in(kvtest::SampleModelFileSource(), std::ios::binary);
    std::vector<BYTE> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string text(raw.size() / 2, u'\0');
    std::memcpy(text.data(), raw.data(), text.size() * 2);
    const size_t last = text.rfind(u"*FormPort ");
    const size_t lineEnd = text.find(u"\r\n", last) + 2;
    std::u16string added;
    for (const std::u16string& line : extraLines) added += line + u"\r\n";
    text.insert(lineEnd, added);
    std::vector<BYTE> bytes(text.size() * 2);
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

}  // namespace

void OverlayTest::SetUp() {
    StandInTest::SetUp();
    kvtest::ResetUiTest();
}

void OverlayTest::TearDown() {
    standin::ui::OnModalDialog(nullptr);
    standin::ui::ResetUi();
    if (context_ != nullptr) UiPoolDestroy(context_->pool);
    SetUiLibraryInstance(nullptr);
    if (language_ != nullptr) FreeLibrary(language_);
    kvtest::CloseUiTest(printer_, resources_, model_);
    StandInTest::TearDown();
}

void OverlayTest::Install(const std::vector<std::u16string>& extraPapers) {
    kvtest::SamplePrinterOptions options;
    options.copyDataFile = extraPapers.empty();
    ASSERT_TRUE(kvtest::InstallSamplePrinter(options).languageLibrariesInstalled);
    if (!extraPapers.empty()) WriteFile(kvtest::kSampleDataFile, ModelWith(extraPapers));
    ASSERT_NO_FATAL_FAILURE(kvtest::OpenSamplePrinter(&printer_));
    ASSERT_NO_FATAL_FAILURE(kvtest::LoadUiResourcesAndModel(printer_, &resources_, &model_));
}

UiContext* OverlayTest::NewContext(bool japanese) {
    language_ = LoadLibraryW(japanese ? u"" KV_LANG_PREFIX "SJ" : u"" KV_LANG_PREFIX "SE");
    if (language_ == nullptr) return nullptr;
    UiContext* context = kvtest::NewSampleContext(printer_, model_, language_, kUiDocumentSheet, japanese ? 1041 : 1033);
    if (context == nullptr) return nullptr;
    context->resultBlock = context->defaultBlock;
    context_ = context;
    page_.context = context;
    page_.templateId = kDocumentPage3Template;
    return context;
}

void OverlayTest::NameFile(DriverDevMode* block, const char* name, const char* folder) {
    block->OverlayFlags = static_cast<WORD>(block->OverlayFlags | kOverlayOn);
    std::memset(block->OverlayFolder, 0, sizeof block->OverlayFolder);
    std::memset(block->OverlayName, 0, sizeof block->OverlayName);
    std::strncpy(block->OverlayFolder, folder, sizeof block->OverlayFolder - 1);
    std::strncpy(block->OverlayName, name, sizeof block->OverlayName - 1);
}

std::vector<std::u16string> OverlayTest::SpoolerFormNames() {
    DWORD needed = 0;
    DWORD count = 0;
    EnumFormsW(printer_, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    std::vector<std::u16string> names;
    if (!EnumFormsW(printer_, 1, buffer.data(), needed, &needed, &count)) return names;
    const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) names.emplace_back(forms[i].pName);
    return names;
}

}  // namespace kvuioverlay
