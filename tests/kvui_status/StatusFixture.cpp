#include "tests/kvui_status/StatusFixture.h"

#include <chrono>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/StandInUi.h"
#include "platform/Sync.h"

namespace kvuitest {
namespace {

template <typename F>
void Resolve(HMODULE module, const char* name, F* function) {
    // Through void*: the loader hands every export out as one generic type.
    *function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    ASSERT_NE(*function, nullptr) << name;
}

constexpr DWORD kMonitorHoldMs = 30000;
constexpr DWORD kGenerousWaitMs = 10000;

}  // namespace

TestMonitor::TestMonitor()
    : entered_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      finished_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

TestMonitor::~TestMonitor() {
    for (HANDLE h : {entered_, release_, finished_}) CloseHandle(h);
}

void TestMonitor::Publish(const std::u16string& name, std::vector<BYTE> bytes) {
    std::lock_guard<std::mutex> guard(lock_);
    publish_.push_back(Value{name, std::move(bytes)});
}

void TestMonitor::Reset() {
    std::lock_guard<std::mutex> guard(lock_);
    lists_.clear();
    publish_.clear();
    hold_ = false;
    for (HANDLE h : {entered_, release_, finished_}) ResetEvent(h);
}

void TestMonitor::Hold() {
    std::lock_guard<std::mutex> guard(lock_);
    hold_ = true;
    ResetEvent(release_);
}

void TestMonitor::Release() { SetEvent(release_); }
bool TestMonitor::WaitEntered() { return WaitForSingleObject(entered_, kGenerousWaitMs) == WAIT_OBJECT_0; }
bool TestMonitor::WaitFinished() { return WaitForSingleObject(finished_, kGenerousWaitMs) == WAIT_OBJECT_0; }

std::vector<std::string> TestMonitor::Lists() {
    std::lock_guard<std::mutex> guard(lock_);
    return lists_;
}

DWORD TestMonitor::Answer(LPCWSTR, void* context) {
    auto* monitor = static_cast<TestMonitor*>(context);
    // The list as the monitor reads it: the manager's "RefreshStatus", in ANSI.
    DWORD cbNeeded = 0;
    std::string list;
    if (monitor->get(monitor->manager, "RefreshStatus", nullptr, 0, &cbNeeded) == SRMRES_SIZE_ONLY) {
        list.assign(cbNeeded, '\0');
        monitor->get(monitor->manager, "RefreshStatus", list.data(), cbNeeded, &cbNeeded);
        list = list.c_str();
    }
    bool hold = false;
    std::vector<Value> publish;
    {
        std::lock_guard<std::mutex> guard(monitor->lock_);
        monitor->lists_.push_back(list);
        hold = monitor->hold_;
        publish = monitor->publish_;
    }
    SetEvent(monitor->entered_);
    if (hold) WaitForSingleObject(monitor->release_, kMonitorHoldMs);
    for (const Value& value : publish) {
        monitor->update(monitor->manager, value.name.c_str(), value.bytes.data(), static_cast<DWORD>(value.bytes.size()));
    }
    SetEvent(monitor->finished_);
    return monitor->answer.load();
}

void StatusTest::SetUp() {
    StandInTest::SetUp();
    standin::ui::ResetUi();
    kvtest::InstallSamplePrinter();
    printer_ = std::make_unique<kvtest::ScopedPrinter>();
    ASSERT_NE(Printer(), nullptr);
    srm_ = LoadLibraryW(kSrmLibraryName);
    ASSERT_NE(srm_, nullptr);
    Resolve(srm_, "OpenManagerExW", &open_);
    Resolve(srm_, "CloseManager", &close_);
    Resolve(srm_, "GetPrinterStatusW", &getW_);
    Resolve(srm_, "UpdatePrinterStatusW", &updateW_);
    Resolve(srm_, "ResSetPrinterStatus", &collect_);
    Resolve(srm_, "SrmTestSetRawValue", &setRaw_);
    Resolve(srm_, "SrmTestOpenRequests", &openRequests_);
    Resolve(srm_, "SrmTestSetSettingsRefreshWait", &setSettingsWait_);
    Resolve(srm_, "SrmTestOpenedModes", &openedModes_);
    Resolve(srm_, "SrmTestSetRequestRefusal", &setRequestRefusal_);
    Resolve(srm_, "SrmTestClearRecords", &clearRecords_);
    Resolve(srm_, "SrmStandInSetRefreshHandler", &setRefresher_);
    Resolve(srm_, "GetPrinterStatusA", &monitor_.get);
    monitor_.update = updateW_;
    ASSERT_EQ(open_(kvtest::kSamplePrinterName, u"\\\\.\\kjlmon", kSrmModeMonitor, &publisher_), SRMRES_SUCCESS);
    monitor_.manager = publisher_;
    clearRecords_();
    window_ = CreateWindowExW(0, u"Static", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
}

void StatusTest::TearDown() {
    monitor_.Release();  // a held refresh would keep the listener from stopping
    if (setRefresher_ != nullptr) setRefresher_(nullptr, nullptr);
    if (setSettingsWait_ != nullptr) setSettingsWait_(0);
    if (setRequestRefusal_ != nullptr) setRequestRefusal_(0);
    if (publisher_ != 0) close_(publisher_);
    standin::ui::ResetUi();
    if (srm_ != nullptr) FreeLibrary(srm_);
    printer_.reset();
    StandInTest::TearDown();
}

void StatusTest::Publish(const char16_t* name, const void* value, DWORD cb) {
    ASSERT_EQ(updateW_(publisher_, name, value, cb), SRMRES_SUCCESS);
}

void StatusTest::PublishDword(const char16_t* name, DWORD value) { Publish(name, &value, sizeof(value)); }

void StatusTest::PublishTrays(const std::vector<BinConfigEntry>& trays) {
    const std::vector<BYTE> bytes = TrayBytes(static_cast<DWORD>(trays.size()), trays);
    Publish(u"PrinterBinConfig", bytes.data(), static_cast<DWORD>(bytes.size()));
}

void StatusTest::SetRaw(const char16_t* name, const std::vector<BYTE>& bytes) {
    ASSERT_EQ(setRaw_(kvtest::kSamplePrinterName, name, bytes.data(), static_cast<DWORD>(bytes.size())), SRMRES_SUCCESS);
}

std::vector<BYTE> StatusTest::Stored(const char16_t* name) {
    DWORD cbNeeded = 0;
    if (getW_(publisher_, name, nullptr, 0, &cbNeeded) != SRMRES_SIZE_ONLY) return {};
    std::vector<BYTE> value(cbNeeded);
    EXPECT_EQ(getW_(publisher_, name, value.data(), cbNeeded, &cbNeeded), SRMRES_SUCCESS);
    return value;
}

void StatusTest::StartMonitor() { ASSERT_TRUE(setRefresher_(TestMonitor::Answer, &monitor_)); }

std::vector<DWORD> StatusTest::OpenedModes() {
    std::vector<DWORD> modes(openedModes_(nullptr, 0));
    modes.resize(openedModes_(modes.data(), static_cast<DWORD>(modes.size())));
    return modes;
}

bool StatusTest::TakePosted(UINT message, DWORD waitMs, MSG* msg) {
    MSG taken{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (PeekMessageW(&taken, window_, message, message, PM_REMOVE)) {
            if (msg != nullptr) *msg = taken;
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        Sleep(2);
    }
}

BinConfigEntry Tray(SHORT binId, SHORT value, WORD formIndex, BYTE level) {
    BinConfigEntry entry{};
    entry.BinId = binId;
    entry.Value = value;
    entry.FormIndex = formIndex;
    entry.PaperLevel = level;
    entry.LastWord = 0x03840042;
    return entry;
}

std::vector<BYTE> TrayBytes(DWORD count, const std::vector<BinConfigEntry>& trays) {
    std::vector<BYTE> bytes(sizeof(DWORD) + trays.size() * sizeof(BinConfigEntry));
    std::memcpy(bytes.data(), &count, sizeof(count));
    if (!trays.empty()) std::memcpy(bytes.data() + sizeof(DWORD), trays.data(), trays.size() * sizeof(BinConfigEntry));
    return bytes;
}

}  // namespace kvuitest
