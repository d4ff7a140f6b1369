#include "platform/src/core/Handles.h"

#include <mutex>
#include <unordered_map>

#include "platform/Files.h"
#include "platform/Kernel.h"

namespace standin::handles {
namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<UINT_PTR, std::shared_ptr<Object>> objects;
    UINT_PTR next = 0x1000;
};

Table& Global() {
    static Table* table = new Table();  // never destroyed: handles may be closed at exit
    return *table;
}

}  // namespace

HANDLE Insert(std::shared_ptr<Object> object) {
    Table& t = Global();
    std::lock_guard<std::mutex> guard(t.lock);
    UINT_PTR value = t.next;
    t.next += 4;  // handle values are multiples of four, as on the platform
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<Object> Lookup(HANDLE handle) {
    Table& t = Global();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.objects.find(reinterpret_cast<UINT_PTR>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

bool Remove(HANDLE handle) {
    std::shared_ptr<Object> doomed;  // destroyed outside the lock
    Table& t = Global();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.objects.find(reinterpret_cast<UINT_PTR>(handle));
    if (it == t.objects.end()) return false;
    doomed = std::move(it->second);
    t.objects.erase(it);
    return true;
}

}  // namespace standin::handles

PLATFORM_API BOOL CloseHandle(HANDLE handle) {
    if (!standin::handles::Remove(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
