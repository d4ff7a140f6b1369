#pragma once
// How long tests (and the sample SNMP agent's clients) wait on other threads and processes.
#include <cstdint>

namespace kvtest {

/// A wait for an answer that should come (an agent's reply, a thread's work). It ends as soon
/// as the answer comes, so it costs nothing when all is well and lets a loaded two-core machine,
/// a sanitizer build or an emulator take its time.
inline constexpr uint32_t kAnswerWaitMs = 10000;

/// A wait that must run out: long enough to show that nothing came, short enough to run often.
inline constexpr uint32_t kSilenceWaitMs = 50;

}  // namespace kvtest
