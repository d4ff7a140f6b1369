#pragma once
// A stand-in root folder of its own for a run: made below the system's temp folder and removed
// with everything in it afterwards.
#include <string>

namespace kvtest {

/// Made in the constructor below the system's temp folder (throws std::runtime_error when it
/// cannot be made), removed with everything in it in the destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

/// The folder as the stand-in's root for a whole run outside a test (a benchmark), with its
/// system folder, and the build's output folder as module folder.
void UseRunRoot(const TempFolder& folder);

}  // namespace kvtest
