// The form-overlay file: its mapping, its header words and the custom papers it may name.
#include "settings/FormFile.h"

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "settings/ModelCache.h"

const OverlayCustomPaper kOverlayCustomPapers[kOverlayCustomPaperCount] = {
    {u"9.5x11inch", 132},  {u"10x11inch", 133},   {u"15x11inch", 134},   {u"16x11inch", 135},
    {u"17x11inch", 136},   {u"18x11inch", 137},   {u"15x7inch", 138},    {u"15x7.5inch", 139},
    {u"15x8inch", 140},    {u"15x8.5inch", 141},  {u"15x9inch", 142},    {u"15x9.5inch", 143},
    {u"15x10inch", 144},   {u"15x10.5inch", 145}, {u"15x11.5inch", 146}, {u"15x12inch", 147},
    {u"15x12.5inch", 148}, {u"15x13inch", 149},   {u"15x13.5inch", 150}, {u"15x14inch", 151},
    {u"18x12inch", 159},   {u"18x14inch", 160},
};

DWORD FormHeaderDword(const BYTE* header, size_t offset) {
    return static_cast<DWORD>(header[offset]) | static_cast<DWORD>(header[offset + 1]) << 8 |
           static_cast<DWORD>(header[offset + 2]) << 16 | static_cast<DWORD>(header[offset + 3]) << 24;
}

FormFileView::FormFileView(LPCSTR path) {
    WCHAR widePath[MAX_PATH];
    if (path == nullptr || path[0] == '\0') return;
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) <= 0) return;
    const BYTE* cursor = nullptr;
    DWORD size = 0;
    if (MapWholeFile(widePath, &view_, &cursor, &size)) size_ = size;
    else view_ = nullptr;
}

void FormFileView::Release() {
    if (view_ != nullptr) UnmapViewOfFile(view_);
    view_ = nullptr;
    size_ = 0;
}

const OverlayCustomPaper* FindOverlayCustomPaper(const ModelDescription* model, long long width, long long length) {
    const ModelForm* forms = model != nullptr ? ModelList<ModelForm>(model, model->FormPortOffset, model->FormPortCount)
                                              : nullptr;
    if (forms == nullptr) return nullptr;
    for (DWORD i = 0; i < model->FormPortCount; ++i) {
        if (forms[i].Width != width || forms[i].Length != length) continue;
        const LPCWSTR name = ModelString(model, forms[i].NameOffset);
        for (const OverlayCustomPaper& paper : kOverlayCustomPapers) {
            if (lstrcmpW(name, paper.Name) == 0) return &paper;
        }
    }
    return nullptr;
}
