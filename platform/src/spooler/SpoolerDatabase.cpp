#include "platform/src/spooler/SpoolerDatabase.h"

#include <cstdio>
#include <cstring>


namespace standin {
namespace spooler {
namespace {

char16_t Fold(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return static_cast<char16_t>(c + 0x20);
    if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 0x20);  // full-width A-Z
    return c;
}

size_t AlignUp(size_t value, size_t align) { return (value + align - 1) / align * align; }

}  // namespace

Database& Global() {
    static Database* db = new Database();
    return *db;
}

PrinterHandle* FindHandle(Database& db, HANDLE handle) {
    auto it = db.handles.find(handle);
    if (it == db.handles.end() || it->second->signature != kHandleSignature) return nullptr;
    return it->second.get();
}

std::shared_ptr<Printer> FindPrinter(Database& db, std::u16string_view name) {
    for (const auto& printer : db.printers)
        if (EqualNoCase(printer->setup.name, name)) return printer;
    return nullptr;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

bool ReadName(LPCWSTR text, size_t maxChars, std::u16string_view* out) {
    if (text == nullptr) return false;
    for (size_t n = 0; n <= maxChars; ++n) {
        if (text[n] == u'\0') {
            *out = std::u16string_view(text, n);
            return true;
        }
    }
    return false;
}

void* Packer::Place(size_t cb, size_t align) {
    const size_t at = AlignUp(used_, align);
    used_ = at + cb;
    if (buffer_ == nullptr || used_ > cbBuffer_) return nullptr;
    return buffer_ + at;
}

LPWSTR Packer::String(std::u16string_view text, bool doubleTerminated) {
    const size_t cch = text.size() + (doubleTerminated ? 2 : 1);
    auto* at = static_cast<WCHAR*>(Place(cch * sizeof(WCHAR), alignof(WCHAR)));
    if (at == nullptr) return nullptr;
    if (!text.empty()) std::memcpy(at, text.data(), text.size() * sizeof(WCHAR));
    for (size_t i = text.size(); i < cch; ++i) at[i] = u'\0';
    return at;
}

void* Packer::Bytes(const std::vector<BYTE>& bytes, size_t align) {
    void* at = Place(bytes.size(), align);
    if (at != nullptr && !bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
    return at;
}

}  // namespace spooler

namespace {

// Setup mistakes in a test are reported, not fatal: the calls under test then fail visibly.
void ReportUnknownPrinter(const char* control, const std::u16string& name) {
    std::string shown;
    for (char16_t c : name) shown.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    std::fprintf(stderr, "standin: %s: no printer named \"%s\"\n", control, shown.c_str());
}

}  // namespace

void ResetSpooler() {
    spooler::Database& db = spooler::Global();
    std::unordered_map<const void*, std::unique_ptr<spooler::PrinterHandle>> doomed;
    std::lock_guard<std::mutex> guard(db.lock);
    // Handles left open by a test become invalid rather than leaking into the next one.
    for (auto& entry : db.handles) entry.second->signature = spooler::kFreedSignature;
    doomed.swap(db.handles);
    db.printers.clear();
    db.forms.clear();
    db.lastJobId = 0;
}

void AddPrinter(const PrinterSetup& setup) {
    spooler::Database& db = spooler::Global();
    std::lock_guard<std::mutex> guard(db.lock);
    // A printer added again under its name starts afresh; handles open on it see the new one.
    if (std::shared_ptr<spooler::Printer> existing = spooler::FindPrinter(db, setup.name)) {
        *existing = spooler::Printer{};
        existing->setup = setup;
        return;
    }
    auto printer = std::make_shared<spooler::Printer>();
    printer->setup = setup;
    db.printers.push_back(std::move(printer));
}

void RemovePrinter(const std::u16string& name) {
    spooler::Database& db = spooler::Global();
    std::shared_ptr<spooler::Printer> removed;  // handles open on it keep their reference
    std::lock_guard<std::mutex> guard(db.lock);
    removed = spooler::FindPrinter(db, name);
    if (removed == nullptr) return ReportUnknownPrinter("RemovePrinter", name);
    std::erase(db.printers, removed);
}

void SetPrinterDevMode(const std::u16string& name, const std::vector<BYTE>& devMode) {
    spooler::Database& db = spooler::Global();
    std::lock_guard<std::mutex> guard(db.lock);
    std::shared_ptr<spooler::Printer> printer = spooler::FindPrinter(db, name);
    if (printer == nullptr) return ReportUnknownPrinter("SetPrinterDevMode", name);
    printer->setup.devMode = devMode;
}

void SetPrinterAttributes(const std::u16string& name, DWORD attributes) {
    spooler::Database& db = spooler::Global();
    std::lock_guard<std::mutex> guard(db.lock);
    std::shared_ptr<spooler::Printer> printer = spooler::FindPrinter(db, name);
    if (printer == nullptr) return ReportUnknownPrinter("SetPrinterAttributes", name);
    printer->setup.attributes = attributes;
}

void SetPrinterDataReadOnly(const std::u16string& name, bool readOnly) {
    spooler::Database& db = spooler::Global();
    std::lock_guard<std::mutex> guard(db.lock);
    std::shared_ptr<spooler::Printer> printer = spooler::FindPrinter(db, name);
    if (printer == nullptr) return ReportUnknownPrinter("SetPrinterDataReadOnly", name);
    printer->dataReadOnly = readOnly;
}

unsigned OpenPrinterHandleCount() {
    spooler::Database& db = spooler::Global();
    std::lock_guard<std::mutex> guard(db.lock);
    return static_cast<unsigned>(db.handles.size());
}

}  // namespace standin
