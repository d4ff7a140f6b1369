#include "psw/WindowSetRecord.h"

#include "psw/ExtendedWindow.h"
#include "psw/Language.h"
#include "psw/PswLog.h"
#include "psw/PswModule.h"
#include "psw/RegistrySettings.h"
#include "psw/SettingsWatch.h"
#include "psw/StatusFetch.h"
#include "psw/StatusTables.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "resources/psw/PswIds.h"

namespace {

// The status icons in StatusIcon order.
constexpr int kIconIds[kStatusIconLarge] = {kErrorIcon, kCautionIcon, kAllWellIcon};
constexpr int kSmallIconPixels = 16;
constexpr int kLargeIconPixels = 32;

}  // namespace

void LoadStatusIcons(PSWDATA* d) {
    for (int i = 0; i < 2 * kStatusIconLarge; ++i) {
        if (d->statusIcons[i] != nullptr) {
            DestroyIcon(d->statusIcons[i]);
        }
        const int px = i < kStatusIconLarge ? kSmallIconPixels : kLargeIconPixels;
        d->statusIcons[i] = static_cast<HICON>(
            LoadImageW(PswModule(), MAKEINTRESOURCEW(kIconIds[i % kStatusIconLarge]), IMAGE_ICON, px, px, 0));
    }
}

void SaveWindowSetRegData(PSWDATA* d) {
    SetRegMainWndPos(d, d->mainPosition.x, d->mainPosition.y, d->mainSize.cx, d->mainSize.cy);
    if (d->ewsWindow != nullptr) {
        EWS_SetRegWndPosSize(d, d->ewsPosition.x, d->ewsPosition.y, d->ewsSize.cx, d->ewsSize.cy);
    }
    SetRegPslSetting(d);
}

BOOL UpdatePSWRegData(PSWDATA* d, LPCWSTR oldName) {
    if (RemoveRenamedPrinterKey(d, oldName)) {
        SaveWindowSetRegData(d);
    }
    return TRUE;
}

void PswBufferRelease(PSWDATA* d) {
    if (d == nullptr) {
        return;
    }
    StopWatchPslSetting(d);
    ReleaseRefresh(d);
    if (d->htmlHelpModule != nullptr) {
        FreeLibrary(d->htmlHelpModule);
    }
    if (d->baseBoldFont != nullptr) {
        DeleteObject(d->baseBoldFont);
    }
    for (HICON& icon : d->statusIcons) {
        if (icon != nullptr) {
            DestroyIcon(icon);
            icon = nullptr;
        }
    }
    if (d->helpPath != nullptr) {
        GlobalFree(d->helpPath);
    }
    ReleaseResourceDll(d);
    if (d->manager != 0 && d->closeManager != nullptr) {
        if (d->variables != nullptr) {
            DestroyKillNotify(d);
        }
        if (d->closeManager(d->manager) != SRMRES_SUCCESS) {
            LogPrint(kLogError, "SRM/CloseManger() is failed.\n");
        }
    }
    if (d->managerModule != nullptr) {
        FreeLibrary(d->managerModule);
    }
    if (d->variables != nullptr) {
        for (int row = 0; row < kPswVariableRows; ++row) {
            if (d->variables[row].value != nullptr) {
                GlobalFree(d->variables[row].value);
            }
        }
        GlobalFree(d->variables);
    }
    d->signature = 0;
    GlobalFree(d);
}
