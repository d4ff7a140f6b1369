#pragma once
// Owners of the platform's handles and blocks for the libraries: move-only, each closes what
// it holds once, in its destructor or when given another. Every kind has one rule for holding
// nothing, written in its traits.
#include <utility>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/Spooler.h"

template <typename Traits>
class Owner {
public:
    using Handle = typename Traits::Handle;

    Owner() = default;
    explicit Owner(Handle handle) : handle_(handle) {}
    ~Owner() { Reset(); }
    Owner(Owner&& other) noexcept : handle_(other.Release()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    [[nodiscard]] bool Valid() const { return Traits::Valid(handle_); }
    Handle Get() const { return handle_; }
    /// For a call that returns the handle through a pointer; whatever was held is closed first.
    Handle* Out() {
        Reset();
        return &handle_;
    }
    /// Gives the handle up without closing it.
    [[nodiscard]] Handle Release() { return std::exchange(handle_, Traits::None()); }
    /// Closes what is held and holds `handle` instead.
    void Reset(Handle handle = Traits::None()) {
        if (Valid()) Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::None();
};

/// A file, mapping, event, mutex or thread handle: neither NULL nor INVALID_HANDLE_VALUE.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
using FileHandle = Owner<KernelHandleTraits>;

/// A block of GlobalAlloc.
struct GlobalBlockTraits {
    using Handle = HGLOBAL;
    static Handle None() { return nullptr; }
    static bool Valid(Handle block) { return block != nullptr; }
    static void Close(Handle block) { GlobalFree(block); }
};
class GlobalBlock : public Owner<GlobalBlockTraits> {
public:
    using Owner::Owner;
    /// A zero-filled block of cb bytes (holds nothing when the allocation fails).
    static GlobalBlock Zeroed(SIZE_T cb) { return GlobalBlock(GlobalAlloc(GPTR, cb)); }
    template <typename T>
    T* As() const {
        return static_cast<T*>(Get());
    }
};

/// A printer handle of the spooler.
struct PrinterHandleTraits {
    using Handle = HANDLE;
    static Handle None() { return nullptr; }
    static bool Valid(Handle printer) { return printer != nullptr; }
    static void Close(Handle printer) { ClosePrinter(printer); }
};
using PrinterHandle = Owner<PrinterHandleTraits>;

/// An opened registry key (never one of the predefined roots).
struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle None() { return nullptr; }
    static bool Valid(Handle key) { return key != nullptr; }
    static void Close(Handle key) { RegCloseKey(key); }
};
using RegistryKey = Owner<RegistryKeyTraits>;

/// A handle of the service control manager: the manager's database or one service.
struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle None() { return nullptr; }
    static bool Valid(Handle service) { return service != nullptr; }
    static void Close(Handle service) { CloseServiceHandle(service); }
};
using ServiceHandle = Owner<ServiceHandleTraits>;

/// A view of a file mapping (MapViewOfFile), unmapped with its owner.
struct MappedViewTraits {
    using Handle = LPVOID;
    static Handle None() { return nullptr; }
    static bool Valid(Handle view) { return view != nullptr; }
    static void Close(Handle view) { UnmapViewOfFile(view); }
};
using MappedView = Owner<MappedViewTraits>;
