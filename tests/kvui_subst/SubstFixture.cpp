#include "tests/kvui_subst/SubstFixture.h"
#include "tests/kvui_common/SampleSetUp.h"

#include <fstream>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/dialogs/SubstDialogs.h"
#include "ui/entry/UiInstance.h"

namespace kvuisubst {

std::vector<BYTE> TableBytes(const Pairs& pairs) {
    std::vector<BYTE> bytes;
    auto put = [&](const std::u16string& name) {
        for (char16_t c : name) {
            bytes.push_back(static_cast<BYTE>(c & 0xFF));
            bytes.push_back(static_cast<BYTE>(c >> 8));
        }
        bytes.push_back(0);
        bytes.push_back(0);
    };
    for (const auto& [first, second] : pairs) {
        put(first);
        put(second);
    }
    return bytes;
}

void SubstTest::SetUp() {
    StandInTest::SetUp();
    kvtest::ResetUiTest();
    ASSERT_NO_FATAL_FAILURE(kvtest::InstallAndOpenSamplePrinter(&printer_));
    ASSERT_NO_FATAL_FAILURE(kvtest::LoadUiResourcesAndModel(printer_, &resources_, &model_));

    context_ = kvtest::NewSampleContext(printer_, model_, nullptr, kUiDeviceSheet, 1041);
    ASSERT_NE(context_, nullptr);
    lstrcpynW(context_->helpPath, u"C:\\drv\\KV416SJ.CHM", static_cast<int>(kUiPathChars));
    context_->workingBlock.OptionFlags &= ~(kOptionBuiltinTTSubst | kOptionNoOutPaperTable);
    UseLanguage("SJ");
    page_.context = context_;
    page_.templateId = kDevicePageTemplate;
}

void SubstTest::TearDown() {
    standin::ui::OnModalDialog(nullptr);
    standin::ui::ResetUi();
    if (context_ != nullptr) UiPoolDestroy(context_->pool);
    SetUiLibraryInstance(nullptr);
    if (language_ != nullptr) FreeLibrary(language_);
    kvtest::CloseUiTest(printer_, resources_, model_);
    StandInTest::TearDown();
}

void SubstTest::UseLanguage(const char* suffix) {
    if (language_ != nullptr) FreeLibrary(language_);
    const std::string name = std::string(KV_LANG_PREFIX) + suffix;
    language_ = LoadLibraryW(std::u16string(name.begin(), name.end()).c_str());
    ASSERT_NE(language_, nullptr);
    context_->languageLibrary = language_;
    context_->locale = std::string(suffix) == "SJ" ? 1041 : 1033;
}

void SubstTest::SetForms(const std::vector<TestForm>& forms) {
    const DWORD count = static_cast<DWORD>(forms.size());
    context_->formCount = count;
    context_->formIndex = static_cast<SHORT*>(UiPoolAlloc(context_->pool, sizeof(SHORT) * count));
    context_->formSize = static_cast<FormSize*>(UiPoolAlloc(context_->pool, sizeof(FormSize) * count));
    context_->formName =
        static_cast<WCHAR(*)[kUiNameChars]>(UiPoolAlloc(context_->pool, sizeof(WCHAR) * kUiNameChars * count));
    for (DWORD i = 0; i < count; ++i) {
        context_->formIndex[i] = static_cast<SHORT>(i + 1);
        context_->formSize[i] = FormSize{forms[i].width, forms[i].length};
        lstrcpynW(context_->formName[i], forms[i].name.c_str(), static_cast<int>(kUiNameChars));
    }
}

INT_PTR SubstTest::Open(int templateId, std::function<void(HWND dialog)> script) {
    bool ran = false;
    standin::ui::OnModalDialog([&](HWND dialog) {
        ran = true;
        script(dialog);
    });
    const bool trueType = templateId == kTTSubstDeviceTemplate || templateId == kTTSubstDocumentTemplate;
    const INT_PTR result = trueType ? ShowTTSubstDialog(&page_, nullptr, templateId)
                                    : ShowOutPaperDialog(&page_, nullptr, templateId);
    standin::ui::OnModalDialog(nullptr);
    EXPECT_TRUE(ran) << "the dialog never came up";
    return result;
}

std::vector<BYTE> SubstTest::Stored(const std::u16string& name, DWORD* type) {
    std::vector<BYTE> bytes(64 * 1024);
    DWORD valueType = 0, cb = 0;
    std::u16string copy = name;
    if (GetPrinterDataW(printer_, copy.data(), &valueType, bytes.data(), static_cast<DWORD>(bytes.size()), &cb) !=
        ERROR_SUCCESS) {
        return {};
    }
    if (type != nullptr) *type = valueType;
    bytes.resize(cb);
    return bytes;
}

void SubstTest::Store(const std::u16string& name, const std::vector<BYTE>& bytes, DWORD type) {
    std::u16string copy = name;
    ASSERT_EQ(SetPrinterDataW(printer_, copy.data(), type, const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

std::vector<SubstTest::Row> SubstTest::Rows(HWND list) {
    std::vector<Row> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        Row row;
        for (int column = 0; column < 2; ++column) {
            WCHAR text[128] = {};
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 128;
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            (column == 0 ? row.name : row.choice) = text;
        }
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        row.param = item.lParam;
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::u16string> SubstTest::Choices(HWND combo) {
    std::vector<std::u16string> choices;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        WCHAR text[128] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        choices.emplace_back(text);
    }
    return choices;
}

void SubstTest::ClickItem(HWND list, int item) {
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect)));
    standin::ui::ClickAt(list, rect.left + 5, (rect.top + rect.bottom) / 2);
}

void SubstTest::ClickButton(HWND dialog, int id) {
    const HWND button = GetDlgItem(dialog, id);
    ASSERT_NE(button, nullptr);
    standin::ui::ClickAt(button, 3, 3);
}

bool SubstTest::Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }
bool SubstTest::Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void SubstTest::SavePictureOf(HWND dialog, const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_subst";
    std::filesystem::create_directories(folder);
    const std::filesystem::path png = folder / (name + ".png");
    standin::ui::Paint(dialog);
    ASSERT_TRUE(standin::ui::SavePicture(dialog, png.string()));
    EXPECT_GT(std::filesystem::file_size(png), 100u);
}

}  // namespace kvuisubst
