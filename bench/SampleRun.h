#pragma once
// One stand-in root for a whole benchmark run, below the system's temp folder, with its
// Windows folder (which holds the temporary folder of capture files), the build's output
// folder as module folder and the sample printer installed. Made at the first call of
// UseSampleRun, removed when the program ends.
#include "tools/sample/RunRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace kvbench {

class SampleRun {
public:
    SampleRun() {
        kvtest::UseRunRoot(folder_);
        kvtest::InstallSamplePrinter();
    }

private:
    kvtest::TempFolder folder_;
};

inline void UseSampleRun() { static SampleRun run; }

}  // namespace kvbench
