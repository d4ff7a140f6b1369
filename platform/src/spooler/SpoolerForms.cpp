// The spooler's form database: one list for the whole machine, listed by every printer.
#include <cstring>
#include <new>

#include "platform/Spooler.h"
#include "platform/src/spooler/SpoolerDatabase.h"

namespace standin::spooler {
namespace {

constexpr size_t kMaxFormNameChars = MAX_PATH - 1;
constexpr DWORD kServerAccessAdminister = 0x00000001u;  // the print server's own admin right

// Forms belong to the machine: a printer handle needs its admin right, the server handle the
// server's.
bool MayChangeForms(const PrinterHandle& h) {
    return (h.access & (h.printer != nullptr ? PRINTER_ACCESS_ADMINISTER : kServerAccessAdminister)) != 0;
}

void FillForms(Packer& p, const std::vector<Form>& forms) {
    auto* records = static_cast<FORM_INFO_1W*>(p.Place(sizeof(FORM_INFO_1W) * forms.size(), alignof(FORM_INFO_1W)));
    for (size_t i = 0; i < forms.size(); ++i) {
        LPWSTR name = p.String(forms[i].name);
        if (records != nullptr) records[i] = FORM_INFO_1W{forms[i].flags, name, forms[i].size, forms[i].imageable};
    }
}

std::vector<Form>::iterator FindForm(std::vector<Form>& forms, std::u16string_view name) {
    for (auto it = forms.begin(); it != forms.end(); ++it)
        if (EqualNoCase(it->name, name)) return it;
    return forms.end();
}

DWORD EnumForms(HANDLE handle, DWORD level, LPBYTE buffer, DWORD cbBuffer, LPDWORD cbNeeded, LPDWORD returned) {
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    if (FindHandle(db, handle) == nullptr) return ERROR_INVALID_HANDLE;
    if (cbNeeded == nullptr || returned == nullptr) return ERROR_INVALID_PARAMETER;
    if (level != 1) return ERROR_INVALID_LEVEL;
    *returned = 0;
    const DWORD status = PackTwoCall(buffer, cbBuffer, cbNeeded, [&](Packer& p) { FillForms(p, db.forms); });
    if (status == ERROR_SUCCESS) *returned = static_cast<DWORD>(db.forms.size());
    return status;
}

DWORD AddForm(HANDLE handle, DWORD level, LPBYTE info) {
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    PrinterHandle* h = FindHandle(db, handle);
    if (h == nullptr) return ERROR_INVALID_HANDLE;
    if (level != 1) return ERROR_INVALID_LEVEL;
    if (info == nullptr) return ERROR_INVALID_PARAMETER;
    if (!MayChangeForms(*h)) return ERROR_ACCESS_DENIED;
    FORM_INFO_1W record;
    std::memcpy(&record, info, sizeof(record));
    std::u16string_view name;
    if (!ReadName(record.pName, kMaxFormNameChars, &name) || name.empty()) return ERROR_INVALID_FORM_NAME;
    // Only users and drivers add forms; the built-in ones come with the system.
    if (record.Flags != FORM_USER && record.Flags != FORM_PRINTER) return ERROR_INVALID_PARAMETER;
    const RECTL& area = record.ImageableArea;
    if (record.Size.cx <= 0 || record.Size.cy <= 0 || area.left < 0 || area.top < 0 || area.left > area.right ||
        area.top > area.bottom || area.right > record.Size.cx || area.bottom > record.Size.cy)
        return ERROR_INVALID_FORM_SIZE;
    if (FindForm(db.forms, name) != db.forms.end()) return ERROR_FILE_EXISTS;
    db.forms.push_back(Form{std::u16string(name), record.Size, area, record.Flags});
    return ERROR_SUCCESS;
}

DWORD DeleteForm(HANDLE handle, LPWSTR formName) {
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    PrinterHandle* h = FindHandle(db, handle);
    if (h == nullptr) return ERROR_INVALID_HANDLE;
    std::u16string_view name;
    if (!ReadName(formName, kMaxFormNameChars, &name)) return ERROR_INVALID_FORM_NAME;
    if (!MayChangeForms(*h)) return ERROR_ACCESS_DENIED;
    auto it = FindForm(db.forms, name);
    if (it == db.forms.end()) return ERROR_INVALID_FORM_NAME;
    if (it->flags == FORM_BUILTIN) return ERROR_INVALID_PARAMETER;
    db.forms.erase(it);
    return ERROR_SUCCESS;
}

}  // namespace
}  // namespace standin::spooler

void standin::SetForms(const std::vector<FormSetup>& forms) {
    std::vector<spooler::Form> replacement;
    replacement.reserve(forms.size());
    for (const FormSetup& f : forms) replacement.push_back(spooler::Form{f.name, SIZEL{f.width, f.length}, f.imageable, f.flags});
    spooler::Database& db = spooler::Global();
    std::lock_guard<std::mutex> guard(db.lock);
    db.forms.swap(replacement);
}

using namespace standin::spooler;

PLATFORM_API BOOL EnumFormsW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD cbBuffer, LPDWORD cbNeeded,
                             LPDWORD returned) {
    try {
        return Finish(EnumForms(printer, level, buffer, cbBuffer, cbNeeded, returned));
    } catch (const std::bad_alloc&) {
        return Finish(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL AddFormW(HANDLE printer, DWORD level, LPBYTE form) {
    try {
        return Finish(AddForm(printer, level, form));
    } catch (const std::bad_alloc&) {
        return Finish(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL DeleteFormW(HANDLE printer, LPWSTR formName) { return Finish(DeleteForm(printer, formName)); }
