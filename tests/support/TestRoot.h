#pragma once
// Test support: a fresh stand-in root folder per test, with the stand-in's controls reset,
// and small helpers for files below it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/StandIn.h"
#include "platform/WinTypes.h"

namespace kvtest {

/// Made in the constructor below the system's temp folder, removed with everything in it in
/// the destructor.
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

/// Base fixture: its own root, code page 932, a fixed clock (2024-03-05 09:07:03), the
/// build's output folder as module folder, no faults, an empty spooler.
class StandInTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Writes bytes to a Windows path below the root, making folders as needed.
    void WriteFile(const std::u16string& windowsPath, const std::vector<BYTE>& bytes);
    void WriteFile(const std::u16string& windowsPath, const std::string& bytes);
    std::vector<BYTE> ReadFile(const std::u16string& windowsPath);
    bool FileExists(const std::u16string& windowsPath);
    /// Copies a built module (e.g. "KV416SE") to a Windows path.
    void InstallModule(const std::string& builtName, const std::u16string& windowsPath);

    TempFolder root_;
};

std::vector<BYTE> Utf16LeBytes(const std::u16string& text, bool withBom);
std::u16string U16(const std::string& utf8);
std::string U8(const std::u16string& utf16);

}  // namespace kvtest
