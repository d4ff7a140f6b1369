#pragma once
// What the sample set-up finds wrong with what it was asked to do (a bad object name for the
// SNMP agent's table, a socket it cannot open). A test binary makes each problem a failure of
// the running test; any other program gets it on stderr and goes on.
#include <string>

namespace kvtest {

/// Told of each problem with the source line that found it; may be called from any thread.
using ProblemSink = void (*)(const char* file, int line, const std::string& what);

/// Replaces the sink (NULL: stderr again). Set it before the first problem can come, from the
/// program's main.
void SetProblemSink(ProblemSink sink);

void ReportProblem(const char* file, int line, const std::string& what);

}  // namespace kvtest

/// Reports `what` (made only then) when `condition` is false.
#define KV_SAMPLE_EXPECT(condition, what)                                       \
    do {                                                                        \
        if (!(condition)) ::kvtest::ReportProblem(__FILE__, __LINE__, (what)); \
    } while (false)
