// Global atoms (reference counts, case, integer atoms, names cut to the buffer) and the
// service control manager's stand-in (names, databases, access and handles).
#include <gtest/gtest.h>

#include <string>

#include "platform/Kernel.h"
#include "platform/StandInServices.h"
#include "platform/User.h"

namespace {

std::u16string AtomName(ATOM atom, int cch = 64) {
    WCHAR buffer[64] = {};
    const UINT n = GlobalGetAtomNameW(atom, buffer, cch);
    return std::u16string(buffer, n);
}

TEST(GlobalAtoms, CountedAndFoundWithoutRegardToCase) {
    const ATOM a = GlobalAddAtomW(u"KV Printer");
    ASSERT_GE(a, MAXINTATOM);
    EXPECT_EQ(GlobalAddAtomW(u"kv PRINTER"), a);
    EXPECT_EQ(GlobalFindAtomW(u"KV PRINTER"), a);
    EXPECT_EQ(AtomName(a), u"KV Printer");  // the first spelling is kept
    EXPECT_EQ(GlobalDeleteAtom(a), 0);
    EXPECT_EQ(GlobalFindAtomW(u"KV Printer"), a);  // one reference left
    EXPECT_EQ(GlobalDeleteAtom(a), 0);
    EXPECT_EQ(GlobalFindAtomW(u"KV Printer"), 0);
    EXPECT_EQ(AtomName(a), u"");
    EXPECT_EQ(GlobalDeleteAtom(a), a);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(GlobalAtoms, IntegerAtomsAndCutNames) {
    struct Case {
        const char16_t* text;
        ATOM atom;
    } cases[] = {
        {u"#1", 1}, {u"#49151", 49151}, {u"#49152", 0}, {u"#0", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(GlobalAddAtomW(c.text), c.atom) << c.atom;
    EXPECT_EQ(AtomName(1234), u"#1234");
    EXPECT_EQ(GlobalAddAtomW(u""), 0);
    const ATOM a = GlobalAddAtomW(u"RnPJMService printer");
    EXPECT_EQ(AtomName(a, 6), u"RnPJM");
    EXPECT_EQ(AtomName(1234, 3), u"#1");
    GlobalDeleteAtom(a);
}

TEST(ServiceManager, OpensInstalledServicesOnly) {
    standin::services::Reset();
    standin::services::Install(u"RnPJMService", SERVICE_RUNNING);
    struct Case {
        const char16_t* machine;
        const char16_t* database;
        const char16_t* service;
        DWORD access;
        DWORD error;  // 0: opens
        DWORD state;
    } cases[] = {
        {nullptr, nullptr, u"RnPJMService", SERVICE_QUERY_STATUS, 0, SERVICE_RUNNING},
        {u"", SERVICES_ACTIVE_DATABASEW, u"rnpjmservice", SERVICE_QUERY_STATUS, 0, SERVICE_RUNNING},
        {nullptr, SERVICES_ACTIVE_DATABASEW, u"Other", SERVICE_QUERY_STATUS, ERROR_SERVICE_DOES_NOT_EXIST, 0},
        {nullptr, u"ServicesFailed", u"RnPJMService", SERVICE_QUERY_STATUS, ERROR_DATABASE_DOES_NOT_EXIST, 0},
        {u"\\\\server", nullptr, u"RnPJMService", SERVICE_QUERY_STATUS, ERROR_INVALID_NAME, 0},
        {nullptr, nullptr, u"RnPJMService", SERVICE_QUERY_CONFIG, ERROR_ACCESS_DENIED, 0},
    };
    for (const Case& c : cases) {
        SC_HANDLE manager = OpenSCManagerW(c.machine, c.database, SC_MANAGER_CONNECT);
        SC_HANDLE service = manager != nullptr ? OpenServiceW(manager, c.service, c.access) : nullptr;
        SERVICE_STATUS status{};
        const bool queried = service != nullptr && QueryServiceStatus(service, &status) != FALSE;
        EXPECT_EQ(queried ? 0u : GetLastError(), c.error) << static_cast<int>(&c - cases);
        if (queried) {
            EXPECT_EQ(status.dwCurrentState, c.state);
        }
        if (service != nullptr) {
            EXPECT_TRUE(CloseServiceHandle(service));
        }
        if (manager != nullptr) {
            EXPECT_TRUE(CloseServiceHandle(manager));
        }
    }
    EXPECT_EQ(standin::services::OpenHandles(), 0u);
    EXPECT_FALSE(CloseServiceHandle(nullptr));
    standin::services::Reset();
}

TEST(ServiceManager, RemovedServiceReadsAsStopped) {
    standin::services::Reset();
    standin::services::Install(u"RnPJMService", SERVICE_RUNNING);
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceW(manager, u"RnPJMService", SERVICE_QUERY_STATUS);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(OpenServiceW(service, u"RnPJMService", SERVICE_QUERY_STATUS), nullptr);  // not a manager
    standin::services::Remove(u"RnPJMService");
    SERVICE_STATUS status{};
    ASSERT_TRUE(QueryServiceStatus(service, &status));
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(OpenServiceW(manager, u"RnPJMService", SERVICE_QUERY_STATUS), nullptr);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    EXPECT_EQ(standin::services::OpenHandles(), 0u);
}

}  // namespace
