#include "tests/kvui_presets/PresetsFixture.h"
#include "tests/kvui_common/SampleSetUp.h"

#include <cstring>
#include <iterator>

#include "platform/Controls.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "resources/ui/ControlIds.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/pages/PageIcons.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/entry/UiInstance.h"

namespace kvuipresets {

void SetUserLocale(const char16_t* locale) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Control Panel\\International", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, u"Locale", 0, REG_SZ, reinterpret_cast<const BYTE*>(locale),
                   static_cast<DWORD>((std::char_traits<char16_t>::length(locale) + 1) * sizeof(char16_t)));
    RegCloseKey(key);
}

void PresetsTest::SetUp() {
    StandInTest::SetUp();
    kvtest::ResetUiTest();
    ASSERT_NO_FATAL_FAILURE(kvtest::InstallAndOpenSamplePrinter(&printer_));
    const ModelDescription* model = nullptr;
    ASSERT_NO_FATAL_FAILURE(kvtest::LoadUiResourcesAndModel(printer_, &resources_, &model));
    const auto* bytes = reinterpret_cast<const BYTE*>(model);
    model_.assign(bytes, bytes + model->TotalSize);
    ReleaseModelDescription(model);
    language_ = LoadLanguageDll(printer_);
    ASSERT_NE(language_, nullptr);

    context_ = kvtest::NewSampleContext(printer_, reinterpret_cast<const ModelDescription*>(model_.data()), language_,
                                        kUiDocumentSheet, 1041);
    ASSERT_NE(context_, nullptr);
    page_.context = context_;
    page_.templateId = kDocumentPage1Template;
    page_.images = CreatePageImages(resources_);
    ASSERT_NE(page_.images, nullptr);
    SetPresetFlags(kAllBuiltIns);
}

void PresetsTest::TearDown() {
    standin::ui::OnModalDialog(nullptr);
    standin::ui::ResetUi();
    if (page_.images != nullptr) DestroyPageImages(page_.images);
    if (context_ != nullptr) UiPoolDestroy(context_->pool);
    SetUiLibraryInstance(nullptr);
    if (language_ != nullptr) FreeLanguageDll(language_);
    kvtest::CloseUiTest(printer_, resources_, nullptr);
    StandInTest::TearDown();
}

void PresetsTest::SetPresetFlags(DWORD flags) { reinterpret_cast<ModelDescription*>(model_.data())->PresetFlags = flags; }

INT_PTR PresetsTest::RunDialog(const std::function<void(HWND dialog)>& script) {
    standin::ui::OnModalDialog([this, script](HWND dialog) {
        if (GetDlgItem(dialog, kPresetDialogList) != nullptr) {
            script(dialog);
            return;
        }
        // The confirmation of a save.
        ++confirmations_;
        EndDialog(dialog, confirm_);
    });
    const INT_PTR result = DialogBoxParamW(language_, MAKEINTRESOURCEW(kPresetDialogTemplate), nullptr, PresetDlgProc,
                                           reinterpret_cast<LPARAM>(&page_));
    standin::ui::OnModalDialog(nullptr);
    return result;
}

void PresetsTest::Press(HWND dialog, int control) {
    HWND button = GetDlgItem(dialog, control);
    ASSERT_NE(button, nullptr);
    standin::ui::ClickAt(button, 3, 3);
}

void PresetsTest::ClickItem(HWND dialog, int item) {
    HWND list = GetDlgItem(dialog, kPresetDialogList);
    RECT bounds{};
    bounds.left = LVIR_ICON;
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&bounds)));
    standin::ui::ClickAt(list, (bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
}

void PresetsTest::SaveAs(HWND dialog, const std::u16string& name, const std::u16string& comment) {
    standin::ui::TypeText(GetDlgItem(dialog, kPresetDialogNameEdit), name);
    if (!comment.empty()) standin::ui::TypeText(GetDlgItem(dialog, kPresetDialogCommentEdit), comment);
    Press(dialog, kPresetDialogSaveButton);
}

std::vector<std::u16string> PresetsTest::Names(HWND dialog) {
    HWND list = GetDlgItem(dialog, kPresetDialogList);
    std::vector<std::u16string> names;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        WCHAR text[64] = {};
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        names.emplace_back(text);
    }
    return names;
}

bool PresetsTest::TableStored() {
    DWORD type = 0;
    DWORD cb = 0;
    const DWORD status = GetPrinterDataW(printer_, const_cast<LPWSTR>(PD_PRESET_TABLE), &type, nullptr, 0, &cb);
    return status == ERROR_SUCCESS || status == ERROR_MORE_DATA;
}

std::vector<BYTE> PresetsTest::StoredBytes() {
    DWORD type = 0;
    DWORD cb = 0;
    GetPrinterDataW(printer_, const_cast<LPWSTR>(PD_PRESET_TABLE), &type, nullptr, 0, &cb);
    std::vector<BYTE> bytes(cb);
    if (cb != 0) GetPrinterDataW(printer_, const_cast<LPWSTR>(PD_PRESET_TABLE), &type, bytes.data(), cb, &cb);
    return bytes;
}

std::vector<PresetRecord> PresetsTest::StoredTable() {
    const std::vector<BYTE> bytes = StoredBytes();
    std::vector<PresetRecord> records(bytes.size() / sizeof(PresetRecord));
    if (!records.empty()) std::memcpy(records.data(), bytes.data(), records.size() * sizeof(PresetRecord));
    return records;
}

void PresetsTest::StoreTable(const std::vector<BYTE>& bytes) {
    BYTE none = 0;
    SetPrinterDataW(printer_, const_cast<LPWSTR>(PD_PRESET_TABLE), REG_BINARY,
                    bytes.empty() ? &none : const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
}

void PresetsTest::StoreTable(const std::vector<PresetRecord>& records) {
    std::vector<BYTE> bytes(records.size() * sizeof(PresetRecord));
    if (!records.empty()) std::memcpy(bytes.data(), records.data(), bytes.size());
    StoreTable(bytes);
}

PresetRecord PresetsTest::UserPreset(const std::u16string& name, DWORD icon) const {
    PresetRecord record{};
    MakeUserPreset(context_->defaultBlock, icon, name.c_str(), u"", &record);
    return record;
}

std::vector<std::u16string> PresetsTest::Messages() {
    std::vector<std::u16string> texts;
    for (const standin::ui::MessageBoxCall& call : standin::ui::MessageBoxes()) texts.push_back(call.text);
    return texts;
}

std::filesystem::path PresetsTest::OutputFolder() {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_presets";
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace kvuipresets
