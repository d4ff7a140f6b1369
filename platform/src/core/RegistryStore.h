#pragma once
// The registry's trees and their file below the stand-in's root ("<root>/.registry"), which
// every process of the stand-in shares: a reader reloads the file when it changed, and a
// writer changes it under an exclusive flock and replaces it whole.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace standin::registry {

struct Value {
    std::u16string name;
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct Key {
    std::u16string name;
    FILETIME lastWrite{};
    std::vector<Value> values;                 // in the order they were first set
    std::vector<std::unique_ptr<Key>> subKeys;  // sorted by folded name, as the platform lists them

    Key* FindSubKey(std::u16string_view name) const;
    /// The sub-key of that name, made (in sorted place) when missing; *created tells which.
    Key* AddSubKey(std::u16string_view name, const FILETIME& now, bool* created);
    Value* FindValue(std::u16string_view name);
};

enum Hive : int { kClassesRoot, kCurrentUser, kLocalMachine, kUsers, kHiveCount };

struct Tree {
    Key hives[kHiveCount];
    /// The key at that path below a hive, or nullptr.
    Key* Find(Hive hive, const std::vector<std::u16string>& path);
};

/// Runs `read` on the up-to-date tree under the process's registry lock.
LONG Read(const std::function<LONG(Tree&)>& read);
/// Runs `change` under the process's lock and the lock of all processes on the up-to-date
/// tree; when it returns ERROR_SUCCESS with *changed set, the file is rewritten.
LONG Change(const std::function<LONG(Tree&, bool* changed)>& change);

}  // namespace standin::registry
