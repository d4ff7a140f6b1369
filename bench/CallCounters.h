#pragma once
// Per-iteration averages of the stand-in's call counts over a benchmark's loop: file opens,
// writes and mappings, memory blocks and library loads.
#include <benchmark/benchmark.h>

#include "platform/StandIn.h"

namespace kvbench {

class CallCounters {
public:
    CallCounters() { standin::ClearFaults(); }
    void Report(benchmark::State& state) const {
        const double n = static_cast<double>(state.iterations());
        state.counters["opens"] = standin::CallCount(standin::Fault::FileCreate) / n;
        state.counters["writes"] = standin::CallCount(standin::Fault::FileWrite) / n;
        state.counters["maps"] = standin::CallCount(standin::Fault::FileMapping) / n;
        state.counters["allocs"] = standin::CallCount(standin::Fault::GlobalAlloc) / n;
        state.counters["loads"] = standin::CallCount(standin::Fault::LoadLibrary) / n;
    }
};

}  // namespace kvbench
