#pragma once
// The stand-in's table of kernel handles (files, mappings, find handles, and later events,
// mutexes and threads). CloseHandle removes a handle from the table; the object itself is
// destroyed when the last reference to it goes (a mapping view may keep its object alive).
#include <memory>

#include "platform/WinTypes.h"

namespace standin::handles {

class Object {
public:
    virtual ~Object() = default;
};

/// A new handle value for the object (never NULL or INVALID_HANDLE_VALUE).
HANDLE Insert(std::shared_ptr<Object> object);
/// The object behind a handle, or nullptr for an unknown or closed handle.
std::shared_ptr<Object> Lookup(HANDLE handle);
/// The object as type T, or nullptr when the handle is unknown or of another kind.
template <typename T>
std::shared_ptr<T> LookupAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(Lookup(handle));
}
/// Removes the handle; false when it was not in the table.
bool Remove(HANDLE handle);

}  // namespace standin::handles
