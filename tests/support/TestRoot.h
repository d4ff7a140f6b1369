#pragma once
// Test support: a fresh stand-in root folder per test, with the stand-in's controls reset,
// and small helpers for files below it. The text conversions (U16, U8) come with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/StandIn.h"
#include "platform/WinTypes.h"
#include "tools/sample/RunRoot.h"
#include "tools/sample/Utf16.h"

namespace kvtest {

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

}  // namespace kvtest
