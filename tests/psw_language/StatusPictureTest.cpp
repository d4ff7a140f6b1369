// The status picture the window picks for a printer state, read from the library's own
// resources: the window tells four kinds of state apart by its picture (the printer at work or
// needing a hand, toner low, no toner, the printer off or not answering; the status text names
// the state itself), and each of the four pictures differs from the others by more than a
// label would, in both picture sets.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Modules.h"
#include "platform/StatusManager.h"
#include "platform/WinGdi.h"
#include "psw/PswRecord.h"
#include "psw/StatusDisplay.h"
#include "resources/psw/PswIds.h"
#include "tests/support/TestRoot.h"

namespace {

struct PictureState {
    const char* name;
    WORD row;        // the status row the state gives
    DWORD lowWord;   // CurrentStatus StatusWord::Low (toner bits)
};

constexpr PictureState kPictureStates[] = {
    {"ready", 28, 0x1},
    {"toner low", 28, 0x1 | 0x2},
    {"out of toner", 9, 0x4000},
    {"off", 6, 0},
};

// States that share the printer's picture: the status text tells them apart.
constexpr PictureState kPrinterAtWork[] = {
    {"printing", 24, 0x8}, {"paper out", 16, 0x800000}, {"paper jam", 8, 0x10000}, {"cover open", 13, 0x8000},
};

// A 4-bit picture as palette indices, rows as stored; empty when the resource is missing or
// not a 4-bit picture.
struct IndexPicture {
    LONG width = 0;
    LONG height = 0;
    std::vector<BYTE> pixels;
};

IndexPicture ReadPicture(HMODULE module, UINT id) {
    IndexPicture picture;
    HRSRC found = FindResourceExW(module, RT_BITMAP, MAKEINTRESOURCEW(id), 1041);
    if (found == nullptr) return picture;
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const DWORD cb = SizeofResource(module, found);
    BITMAPINFOHEADER header{};
    if (bytes == nullptr || cb < sizeof(header)) return picture;
    std::memcpy(&header, bytes, sizeof(header));
    const DWORD colours = header.biClrUsed != 0 ? header.biClrUsed : 16;
    const size_t stride = ((static_cast<size_t>(header.biWidth) * 4 + 31) / 32) * 4;
    const size_t bits = header.biSize + 4u * colours;
    if (header.biBitCount != 4 || header.biHeight <= 0 || bits + stride * static_cast<size_t>(header.biHeight) > cb) {
        return picture;
    }
    picture.width = header.biWidth;
    picture.height = header.biHeight;
    for (LONG y = 0; y < header.biHeight; ++y) {
        const BYTE* row = bytes + bits + stride * static_cast<size_t>(y);
        for (LONG x = 0; x < header.biWidth; ++x) {
            picture.pixels.push_back(static_cast<BYTE>((row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF));
        }
    }
    return picture;
}

size_t DifferingPixels(const IndexPicture& a, const IndexPicture& b) {
    if (a.width != b.width || a.height != b.height) return a.pixels.size() + b.pixels.size();
    size_t n = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i] ? 1 : 0;
    return n;
}

class StatusPictureTest : public kvtest::StandInTest {
protected:
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
        StandInTest::TearDown();
    }
    // The picture the window shows for a state, as the base dialog's toner line picks it.
    static WORD PictureFor(const PictureState& state) {
        std::vector<PSWVariable> rows(kPswVariableRows);
        SRM_CURRENT_STATUS status{};
        status.dwLow = state.lowWord;
        rows[kVarCurrentStatus].value = &status;
        rows[kVarCurrentStatus].cbValue = sizeof(status);
        PSWDATA record{};
        record.variables = rows.data();
        record.statusRow = state.row;
        return TonerLineOf(&record).picture;
    }
    HMODULE module_ = nullptr;
};

TEST_F(StatusPictureTest, EachKindOfStateHasAPictureOfItsOwn) {
    module_ = LoadLibraryW(u"QW774RES.DLL");
    ASSERT_NE(module_, nullptr);
    // A label or a digit on one drawing changes a few dozen pixels; a picture of another state
    // changes far more.
    constexpr size_t kDistinct = 80;
    for (UINT set : {0u, UINT{kPaletteSetOffset}}) {
        std::vector<IndexPicture> pictures;
        for (const PictureState& state : kPictureStates) {
            const UINT id = PictureFor(state) + set;
            pictures.push_back(ReadPicture(module_, id));
            ASSERT_FALSE(pictures.back().pixels.empty()) << state.name << ": picture " << id;
        }
        for (size_t i = 0; i < pictures.size(); ++i) {
            for (size_t j = i + 1; j < pictures.size(); ++j) {
                EXPECT_GE(DifferingPixels(pictures[i], pictures[j]), kDistinct)
                    << kPictureStates[i].name << " and " << kPictureStates[j].name << " (set +" << set << ")";
            }
        }
    }
}

// The toner pictures replace the printer's picture on every row that checks the toner.
TEST_F(StatusPictureTest, TonerPicturesReplaceThePrintersPicture) {
    const WORD ready = PictureFor(kPictureStates[0]);
    for (const PictureState& state : kPrinterAtWork) {
        EXPECT_EQ(PictureFor(state), ready) << state.name;
        EXPECT_EQ(PictureFor({state.name, state.row, state.lowWord | 0x2}), PictureFor(kPictureStates[1])) << state.name;
        EXPECT_EQ(PictureFor({state.name, state.row, state.lowWord | 0x4000}), PictureFor(kPictureStates[2])) << state.name;
    }
}

}  // namespace
