// Property-sheet pages: the records CreatePropertySheetPageW copies, and dialog templates
// written back out after a sheet has turned a page's template into a child's.
#include "platform/src/window/PropSheetState.h"

#include <cstring>
#include <mutex>
#include <set>

#include "platform/Kernel.h"

namespace standin::sheets {
namespace {

constexpr DWORD kPageSignature = 0x50535047;  // "GPSP"

struct Pages {
    std::mutex lock;
    std::set<HPROPSHEETPAGE> live;
};
Pages& ThePages() {
    static Pages* pages = new Pages();  // pages may be released by modules at exit
    return *pages;
}

void Put16(std::vector<BYTE>& out, WORD v) {
    out.push_back(static_cast<BYTE>(v & 0xFF));
    out.push_back(static_cast<BYTE>(v >> 8));
}
void Put32(std::vector<BYTE>& out, DWORD v) {
    Put16(out, static_cast<WORD>(v & 0xFFFF));
    Put16(out, static_cast<WORD>(v >> 16));
}
void PutText(std::vector<BYTE>& out, const std::u16string& text) {
    for (char16_t c : text) Put16(out, c);
    Put16(out, 0);
}
void PutName(std::vector<BYTE>& out, const ui::core::NameOrId& name) {
    if (name.isOrdinal) {
        Put16(out, 0xFFFF);
        Put16(out, name.ordinal);
    } else {
        PutText(out, name.name);
    }
}
void Align4(std::vector<BYTE>& out) {
    while (out.size() % 4 != 0) out.push_back(0);
}

}  // namespace

bool IsLivePage(HPROPSHEETPAGE page) {
    std::lock_guard<std::mutex> guard(ThePages().lock);
    return ThePages().live.count(page) != 0 && page->signature == kPageSignature;
}

std::vector<BYTE> WriteTemplate(const ui::core::DialogTemplate& t) {
    std::vector<BYTE> out;
    Put16(out, 1);
    Put16(out, 0xFFFF);
    Put32(out, t.helpId);
    Put32(out, t.exStyle);
    Put32(out, t.style);
    Put16(out, static_cast<WORD>(t.items.size()));
    for (short v : {t.x, t.y, t.cx, t.cy}) Put16(out, static_cast<WORD>(v));
    PutName(out, t.menu);
    PutName(out, t.cls);
    PutText(out, t.title);
    if (t.style & DS_SETFONT) {
        Put16(out, t.pointSize);
        Put16(out, t.weight);
        out.push_back(t.italic);
        out.push_back(t.charset);
        PutText(out, t.face);
    }
    for (const ui::core::DialogItem& item : t.items) {
        Align4(out);
        Put32(out, item.helpId);
        Put32(out, item.exStyle);
        Put32(out, item.style);
        for (short v : {item.x, item.y, item.cx, item.cy}) Put16(out, static_cast<WORD>(v));
        Put32(out, item.id);
        PutName(out, item.cls);
        PutName(out, item.title);
        Put16(out, static_cast<WORD>(item.creationData.size()));
        out.insert(out.end(), item.creationData.begin(), item.creationData.end());
    }
    Align4(out);
    return out;
}

std::optional<ui::core::DialogTemplate> PageTemplate(HPROPSHEETPAGE page) {
    const PROPSHEETPAGEW& p = page->page;
    std::span<const BYTE> bytes;
    if (p.dwFlags & PSP_DLGINDIRECT) {
        if (p.pResource == nullptr) return std::nullopt;
        bytes = {reinterpret_cast<const BYTE*>(p.pResource), ui::core::kUnsizedTemplateLimit};
    } else {
        HRSRC found = FindResourceW(p.hInstance, p.pszTemplate, RT_DIALOG);
        const void* data = found != nullptr ? LockResource(LoadResource(p.hInstance, found)) : nullptr;
        if (data == nullptr) return std::nullopt;
        bytes = {static_cast<const BYTE*>(data), SizeofResource(p.hInstance, found)};
    }
    return ui::core::ParseDialogTemplate(bytes);
}

void ReleasePage(HPROPSHEETPAGE page) {
    {
        std::lock_guard<std::mutex> guard(ThePages().lock);
        if (ThePages().live.erase(page) == 0) return;
    }
    if ((page->page.dwFlags & PSP_USECALLBACK) && page->page.pfnCallback != nullptr) {
        page->page.pfnCallback(nullptr, PSPCB_RELEASE, &page->page);
    }
    page->signature = 0;
    delete page;
}

}  // namespace standin::sheets

using namespace standin::sheets;

HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW page) {
    if (page == nullptr || page->dwSize < PROPSHEETPAGEW_V1_SIZE || page->dwSize > 4096) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* record = new PSP();
    record->signature = 0x50535047;
    std::memcpy(&record->page, page, std::min<size_t>(page->dwSize, sizeof(PROPSHEETPAGEW)));
    // A shorter record leaves the newer fields empty: no activation context.
    if (page->dwSize < sizeof(PROPSHEETPAGEW)) record->page.hActCtx = nullptr;
    record->page.dwSize = sizeof(PROPSHEETPAGEW);
    {
        std::lock_guard<std::mutex> guard(ThePages().lock);
        ThePages().live.insert(record);
    }
    if ((record->page.dwFlags & PSP_USECALLBACK) && record->page.pfnCallback != nullptr) {
        record->page.pfnCallback(nullptr, PSPCB_ADDREF, &record->page);
    }
    return record;
}

BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page) {
    if (!IsLivePage(page)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ReleasePage(page);
    return TRUE;
}
