// The popup conditions as a table: counters, status row and settings in, decision out.
#include <gtest/gtest.h>

#include "FakeManager.h"
#include "psw/PopupConditions.h"

namespace {

struct PopupCase {
    const char* what;
    DWORD cond, condEx;
    WORD row;
    PSWCounter myPrinting, mySpooling, otherPrinting, otherSpooling, printerQueue, spoolerQueue;
    DWORD popped;
    bool lmStatus;
    bool show, icon;
};

// Row 7 is an error with kind bit 0 set; row 30 is not an error; row 25 has kind bit 0 clear.
const PopupCase kCases[] = {
    {"defaults: my new printing job shows", 1, 8, 30, {1, 0}, {}, {}, {}, {1, 0}, {}, 0, false, true, false},
    {"defaults: closed by hand stays closed", 1, 8, 30, {1, 0}, {}, {}, {}, {1, 0}, {}, 1, false, false, false},
    {"defaults: other users never show", 1, 8, 7, {}, {}, {1, 0}, {}, {1, 0}, {}, 0, false, false, false},
    {"defaults: my spooling job needs an error", 1, 8, 30, {}, {1, 0}, {}, {}, {}, {1, 0}, 0, false, false, false},
    {"my spooling job on an error with polling", 1, 8, 7, {}, {1, 0}, {}, {}, {}, {1, 0}, 0, true, true, false},
    {"0x10002: printing without error shows minimised", 0x10002, 8, 30, {1, 1}, {}, {}, {}, {1, 1}, {}, 0, false,
     true, true},
    {"0x10002: printing on an error shows restored", 0x10002, 8, 7, {1, 1}, {}, {}, {}, {1, 1}, {}, 0, false, true,
     false},
    {"0x2: a new job shows as an icon", 2, 8, 30, {1, 0}, {}, {}, {}, {1, 0}, {}, 0, false, true, true},
    {"0x4: printing without error stays hidden", 4, 8, 30, {1, 0}, {}, {}, {}, {1, 0}, {}, 0, false, false, false},
    {"Ex 4: spooler only, kind set, no polling: hidden", 1, 4, 7, {}, {}, {}, {1, 1}, {}, {1, 1}, 0, false, false,
     false},
    {"Ex 4: printer queue on an error shows", 1, 4, 7, {}, {}, {1, 1}, {}, {1, 1}, {}, 0, false, true, false},
    {"Ex 4: only when I have no jobs", 1, 4, 7, {1, 1}, {}, {1, 1}, {}, {2, 2}, {}, 1, false, false, false},
    {"Ex 1: a new other job shows", 8, 1, 30, {}, {}, {1, 0}, {}, {1, 0}, {}, 0, false, true, false},
    {"Ex 1: other side already popped", 8, 1, 30, {}, {}, {1, 0}, {}, {1, 0}, {}, 2, false, false, false},
    {"Ex 0x10002 on an error keeps the icon my side asked", 2, 0x10002, 7, {1, 0}, {}, {1, 0}, {}, {2, 0}, {}, 0,
     false, true, true},
};

TEST(PopupConditions, DisplayDecisions) {
    psw_test::FakeManager fake;
    for (const PopupCase& c : kCases) {
        PSWDATA* d = fake.MakeRecord();
        d->popUpCondition = c.cond;
        d->popUpConditionEx = c.condEx;
        d->statusRow = c.row;
        d->myPrintingJobs = c.myPrinting;
        d->mySpoolingJobs = c.mySpooling;
        d->otherPrintingJobs = c.otherPrinting;
        d->otherSpoolingJobs = c.otherSpooling;
        d->printerQueueJobs = c.printerQueue;
        d->spoolerQueueJobs = c.spoolerQueue;
        d->poppedUp = c.popped;
        if (c.lmStatus) {
            PSWVariable& lm = d->variables[kVarLMStatus];
            lm.value = GlobalAlloc(GPTR, 4);
            lm.cbValue = 4;
            *static_cast<DWORD*>(lm.value) = 1;
        }
        const PopupDisplay got = DecideDisplay(d);
        EXPECT_EQ(got.show, c.show) << c.what;
        EXPECT_EQ(got.asIcon, c.icon) << c.what;
        psw_test::FreeRecord(d);
    }
}

TEST(PopupConditions, VisibleWindowResizesAndCloses) {
    psw_test::FakeManager fake;
    PSWDATA* d = fake.MakeRecord();
    d->popUpCondition = 0x10002;
    d->popUpConditionEx = 8;
    d->myPrintingJobs = {1, 1};
    d->statusRow = 30;
    EXPECT_TRUE(DecideChangeSize(d).minimise);
    d->statusRow = 7;  // an error follows: restore wins
    EXPECT_TRUE(DecideChangeSize(d).restore);
    EXPECT_FALSE(DecideChangeSize(d).minimise);
    EXPECT_FALSE(DecideClose(d));
    d->myPrintingJobs = {0, 1};
    EXPECT_TRUE(DecideClose(d));
    // My spooling job stays only while an error is shown.
    d->mySpoolingJobs = {1, 1};
    EXPECT_FALSE(DecideClose(d));
    d->statusRow = 30;
    EXPECT_TRUE(DecideClose(d));
    psw_test::FreeRecord(d);
}

}  // namespace
