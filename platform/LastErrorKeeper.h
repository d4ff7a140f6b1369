#pragma once
// Keeps the calling thread's last error across work of one's own (logging, clean-up) whose
// calls would otherwise replace it.
#include "platform/Kernel.h"

class LastErrorKeeper {
public:
    LastErrorKeeper() : saved_(GetLastError()) {}
    ~LastErrorKeeper() { SetLastError(saved_); }
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

private:
    DWORD saved_;
};
