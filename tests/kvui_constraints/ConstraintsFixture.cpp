#include "tests/kvui_constraints/ConstraintsFixture.h"

#include <algorithm>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/StandInUi.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCompiler.h"
#include "settings/SpoolerQueries.h"
#include "settings/ValidateSettings.h"
#include "tools/sample/StandardForms.h"
#include "ui/resolver/Constraints.h"

namespace kvuitest {
namespace {

std::vector<int> Ids(std::initializer_list<std::pair<int, int>> runs) {
    std::vector<int> ids;
    for (const auto& [first, last] : runs) {
        for (int id = first; id <= last; ++id) ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

// A bare dialog: no controls, no menu, the default class, no title.
struct BareDialogTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    WORD title;
};

INT_PTR BareDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

void GlobalFreeDeleter::operator()(void* block) const { GlobalFree(block); }

// Runs of ids written out from the pages' layouts, in id order.
const std::vector<int>& SettingControls() {
    static const std::vector<int> ids = Ids({{kDefaultsButton, kDefaultsButton},
                                             {kPageDefaultsButton, kPageDefaultsButton},
                                             {kPresetsLabel, kBorderDottedRadio},
                                             {kDuplexGroup, kPrintAndHoldCheck},
                                             {kPrintModeGroup, kJobTextLabel},
                                             {kPaperGroup, kSameAsPaperCheck},
                                             {kScalingIcon, kPrintModeList},
                                             {kOutputTrayIcon, kOutputTrayList},
                                             {kSeparatorCheck, kSeparatorCheck},
                                             {kNupGroup, kSeparateCopiesCheck},
                                             {kDestinationIcon, kSplitJobsUpDown},
                                             {kBindingShiftLabel, kBindingShiftUnit}});
    return ids;
}

const std::vector<int>& SettingItems() {
    static const std::vector<int> ids = Ids({{301, 318},
                                             {320, 324},
                                             {327, 327},
                                             {354, 354},
                                             {kPagesPerSheetTreeItem, kMarginShiftTreeItem},
                                             {kDuplexTreeItem, kBindingEdgeTreeItem},
                                             {kUsePrinterStatusTreeItem, kUsePrinterStatusTreeItem},
                                             {kFastA4TreeItem, kFastWithMemoryTreeItem},
                                             {kPrintAndHoldTreeItem, kPrintAndHoldTreeItem},
                                             {kPaperSizeTreeItem, kPaperSizeTreeItem},
                                             {kOutputPaperTreeItem, kPrintOnOutputPaperTreeItem},
                                             {kScaleTreeItem, kCopiesTreeItem},
                                             {kResolutionTreeItem, kColourAdjustmentTreeItem},
                                             {kPatternScaleTreeItem, kGreyLevelsTreeItem},
                                             {kTrueTypeSubstitutionTreeItem, kTrueTypeAsGraphicsTreeItem},
                                             {kPrintPositionTreeItem, kReadPrinterStatusTreeItem},
                                             {kTrueTypeTableTreeItem, kDeviceHalftoneTreeItem},
                                             {kMemoryTreeItem, kMemoryTreeItem},
                                             {kFinishingOptionsTreeItem, kOverlayOptionsTreeItem},
                                             {kPrintModeTreeItem, kPrintModeTreeItem},
                                             {kOutputTrayTreeItem, kOutputTrayTreeItem},
                                             {kPrintStampTreeItem, kStampPositionTreeItem},
                                             {kCompatibleMarginsTreeItem, kCompatibleMarginsTreeItem},
                                             {kFinishingTreeItem, kBindingSideTreeItem},
                                             {kOutputPaperSizeTreeItem, kOutputPaperSizeTreeItem},
                                             {kEdgeEnhancementTreeItem, kEdgeEnhancementTreeItem},
                                             {kNupTreeItem, kNupOrderTreeItem},
                                             {kCopiesAndJobsTreeItem, kSeparateCopiesTreeItem},
                                             {kDestinationTreeItem, kOutputToTreeItem},
                                             {kSplitJobTreeItem, kSplitJobTreeItem}});
    return ids;
}

const std::vector<int>& AdvancedControls() {
    static const std::vector<int> ids = Ids({{kDefaultsButton, kDefaultsButton},
                                             {kDuplexIcon, kDuplexShortEdgeRadio},
                                             {kPaperGroup, kPaperList},
                                             {kOrientationGroup, kSourceList},
                                             {kCopiesIcon, kCopiesUpDown}});
    return ids;
}

const std::vector<int>& AdvancedItems() {
    static const std::vector<int> ids = Ids({{kDuplexTreeItem, kDuplexTreeItem},
                                             {kPaperSizeTreeItem, kPaperSizeTreeItem},
                                             {kOrientationTreeItem, kPaperSourceTreeItem},
                                             {kCopiesTreeItem, kCopiesTreeItem},
                                             {kResolutionTreeItem, kResolutionTreeItem}});
    return ids;
}

std::string Id(int id) { return "id " + std::to_string(id); }

void ConstraintsTest::SetUp() {
    StandInTest::SetUp();
    standin::ui::ResetUi();
    const kvtest::SamplePrinterResult installed = kvtest::InstallSamplePrinter();
    ASSERT_TRUE(installed.dataFileCopied);
    ASSERT_TRUE(installed.languageLibrariesInstalled);
    printer_ = std::make_unique<kvtest::ScopedPrinter>(kvtest::kSamplePrinterName, PRINTER_ALL_ACCESS);
    ASSERT_NE(printer(), nullptr);
    model_.reset(CompileModelDescription(kvtest::kSampleDataFile));
    ASSERT_NE(model_, nullptr);
    language_ = LoadLanguageDll(printer());
    ASSERT_NE(language_, nullptr);

    context_ = std::make_unique<UiContext>();
    context_->printer = printer();
    context_->languageLibrary = language_;
    context_->model = model_.get();
    context_->flags = kWritableSheet | kUiDocumentSheet;
    BuildDefaultDevMode(&block(), printer(), nullptr, model_.get());
    ValidateDevMode(&block(), nullptr, printer(), nullptr, model_.get());

    static const BareDialogTemplate bare{{WS_POPUP, 0, 0, 0, 0, 300, 200}, 0, 0, 0};
    dialog_ = CreateDialogIndirectParamW(nullptr, &bare.header, nullptr, BareDialogProc, 0);
    ASSERT_NE(dialog_, nullptr);
    std::vector<int> controls = SettingControls();
    controls.push_back(kFeederButton);  // the media control, which no sheet greys as a whole
    for (int id : controls) {
        ASSERT_NE(CreateWindowExW(0, u"BUTTON", u"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 10, dialog_,
                                  reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(id)), nullptr, nullptr),
                  nullptr)
            << Id(id);
    }
    tree_ = CreateWindowExW(0, WC_TREEVIEWW, u"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 300, dialog_,
                            reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(kTreePlaceholder)), nullptr, nullptr);
    ASSERT_NE(tree_, nullptr);
    // One heading with every item under it; the data word carries a label length and the
    // changed flag, which the resolver must leave as they are.
    std::vector<int> items = SettingItems();
    for (int id : {kScalingTreeItem, kFirstPositionTreeItem, kSecondPositionTreeItem, kRelaydockDestinationText}) {
        if (std::find(items.begin(), items.end(), id) == items.end()) items.push_back(id);
    }
    TVINSERTSTRUCTW heading{};
    heading.hParent = TVI_ROOT;
    heading.hInsertAfter = TVI_LAST;
    heading.item.mask = TVIF_PARAM;
    heading.item.lParam = kPrinterTreeItem;
    const auto root = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&heading)));
    ASSERT_NE(root, nullptr);
    for (int id : items) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = root;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_PARAM;
        insert.item.lParam = static_cast<LPARAM>(id) | (LPARAM{0x04} << 16) | (LPARAM{7} << 24);
        ASSERT_NE(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)), 0) << Id(id);
    }
    page_.context = context_.get();
    page_.dialog = dialog_;
    page_.templateId = kDocumentPage3Template;
    page_.tree = tree_;

    // The sheet's first run, as the context's creation makes it.
    Click();
}

void ConstraintsTest::TearDown() {
    standin::ui::ResetUi();
    if (language_ != nullptr) FreeLanguageDll(language_);
    model_.reset();
    printer_.reset();
    StandInTest::TearDown();
}

void ConstraintsTest::Click(DWORD contextFlags, PrinterStatusSnapshot* status) {
    ApplyConstraints(&block(), &page_, status, printer(), model_.get(), dialog_, language_, contextFlags);
}

bool ConstraintsTest::ControlEnabled(int id) const {
    HWND control = GetDlgItem(dialog_, id);
    EXPECT_NE(control, nullptr) << Id(id);
    return control != nullptr && IsWindowEnabled(control) != FALSE;
}

HTREEITEM ConstraintsTest::ItemHandle(int id) const {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    while (item != nullptr) {
        TVITEMW data{};
        data.mask = TVIF_HANDLE | TVIF_PARAM;
        data.hItem = item;
        SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        if (LOWORD(data.lParam) == id) return item;
        item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    return nullptr;
}

LPARAM ConstraintsTest::ItemData(int id) const {
    TVITEMW data{};
    data.mask = TVIF_HANDLE | TVIF_PARAM;
    data.hItem = ItemHandle(id);
    EXPECT_NE(data.hItem, nullptr) << Id(id);
    if (data.hItem == nullptr) return 0;
    SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return data.lParam;
}

namespace {

const standin::FormSetup* StandardForm(const std::u16string& name, SHORT* position) {
    static const std::vector<standin::FormSetup> forms = kvtest::StandardForms();
    for (size_t i = 0; i < forms.size(); ++i) {
        if (forms[i].name != name) continue;
        *position = static_cast<SHORT>(i + 1);
        return &forms[i];
    }
    ADD_FAILURE() << "no standard form of that name";
    return nullptr;
}

void CopyName(WCHAR (&field)[32], const std::u16string& name) {
    std::memset(field, 0, sizeof field);
    name.copy(field, 31);
}

}  // namespace

void PickForm(DriverDevMode& b, const std::u16string& name) {
    SHORT position = 0;
    const standin::FormSetup* form = StandardForm(name, &position);
    if (form == nullptr) return;
    CopyName(b.Public.dmFormName, name);
    CopyName(b.SavedFormName, name);
    b.Public.dmPaperSize = b.SavedPaperSize = position;
    b.Public.dmPaperWidth = b.SavedPaperWidth = static_cast<SHORT>(form->width / 100);
    b.Public.dmPaperLength = b.SavedPaperLength = static_cast<SHORT>(form->length / 100);
}

void PickOutputPaper(DriverDevMode& b, const std::u16string& name) {
    SHORT position = 0;
    const standin::FormSetup* form = StandardForm(name, &position);
    if (form == nullptr) return;
    b.FeatureFlags |= 0x1;
    b.SavedFeatureFlags |= 0x1;
    CopyName(b.OutputPaperName, name);
    CopyName(b.SavedOutputPaperName, name);
    b.OutputPaperSize = b.SavedOutputPaperSize = static_cast<WORD>(position);
    b.OutputPaperWidth = b.SavedOutputPaperWidth = static_cast<SHORT>(form->width / 100);
    b.OutputPaperLength = b.SavedOutputPaperLength = static_cast<SHORT>(form->length / 100);
}

}  // namespace kvuitest
