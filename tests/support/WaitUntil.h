#pragma once
// Polling a condition that another thread makes true.
#include <chrono>
#include <functional>
#include <thread>

namespace kvtest {

/// Checks `done` every few milliseconds until it holds (true) or `limitMs` passed (false).
inline bool WaitUntil(const std::function<bool()>& done, int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace kvtest
