#include "tools/sample/Problems.h"

#include <atomic>
#include <cstdio>

namespace kvtest {
namespace {

std::atomic<ProblemSink> sink{nullptr};

}  // namespace

void SetProblemSink(ProblemSink newSink) { sink.store(newSink); }

void ReportProblem(const char* file, int line, const std::string& what) {
    if (const ProblemSink current = sink.load(); current != nullptr) {
        current(file, line, what);
        return;
    }
    std::fprintf(stderr, "%s:%d: %s\n", file, line, what.c_str());
}

}  // namespace kvtest
