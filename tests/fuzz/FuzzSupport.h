#pragma once
// What the fuzz targets share: the stand-in's root (one folder for the whole run, set up once
// the way the tests' fixture sets up theirs, and put back after every input so that no input
// sees the files another one left), a reader of the input's fields and the check that ends a
// run when a property of the code under test does not hold.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace kvfuzz {

/// Once per process (LLVMFuzzerInitialize): a temporary root with its system folder, code
/// page 932, a fixed clock, tick count and computer name, the build's output folder as module
/// folder, no faults and an empty spooler. The folder is removed when the process ends.
void UseFuzzRoot();

/// UseFuzzRoot with the sample printer installed in it and its language libraries pinned
/// (PinLanguageLibraries); ends the run when any of it fails.
void UseSamplePrinterRoot();

/// Loads the sample printer's language libraries (installed in its driver folder) once more
/// and never frees them. libFuzzer keeps the coverage counters of every instrumented module it
/// has seen and cannot follow one that is unloaded; the driver loads and frees them per call.
/// False when one does not load.
bool PinLanguageLibraries();

/// Notes every file and folder below the root as it is now; RestoreRoot removes whatever
/// appeared below it since, and puts back the clock, tick count and next GUID.
void KeepRoot();
void RestoreRoot();

/// Writes bytes to a Windows path below the root (folders made as needed); false when it
/// cannot.
bool WriteRootFile(const std::u16string& windowsPath, const uint8_t* data, size_t size);
/// A file of the source tree, whole (empty when it cannot be read).
std::vector<uint8_t> ReadSourceFile(const std::string& relativePath);

/// Ends the run (libFuzzer keeps the input) when ok is false, saying what did not hold.
inline void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

/// Input bytes read front to back; past the end every read gives zeros and empty spans.
class InputReader {
public:
    InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
    uint32_t Dword() { return Word() | (static_cast<uint32_t>(Word()) << 16); }
    /// Up to n bytes (fewer at the end).
    std::vector<uint8_t> Take(size_t n) {
        const size_t count = n < Left() ? n : Left();
        std::vector<uint8_t> out(data_ + at_, data_ + at_ + count);
        at_ += count;
        return out;
    }
    std::vector<uint8_t> Rest() { return Take(Left()); }
    size_t Left() const { return size_ - at_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace kvfuzz
