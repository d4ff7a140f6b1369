// The memory item: one entry per memory size of the model, all with the same text, told apart
// by their value; a choice installs exactly the size the entry stands for, a size below 64 MB
// takes the disk out, and OK writes both as printer data. A model's size whose megabytes do
// not fit the entry's value word is not offered.
#include "platform/StandInUi.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "settings/PrinterData.h"
#include "tests/kvui_device/DeviceFixture.h"
#include "ui/data/PrinterDataValues.h"

namespace kvuidevice {
namespace {

constexpr int kDiskSlot = 17;
constexpr char16_t kDisk[] = u"DEV_HDD";

LPARAM Entry(DWORD megabytes) { return static_cast<LPARAM>(megabytes << 16 | kMemoryEntryIcon); }

class Memory : public DeviceTest {};

TEST_F(Memory, TheSampleModelsSizesAreOfferedAndTheChosenOneIsWritten) {
    ASSERT_TRUE(RunSheet([&] {
        SelectItem(kMemoryTreeItem);
        EXPECT_EQ(EntryData(), (std::vector<LPARAM>{Entry(64), Entry(128), Entry(264), Entry(512)}));
        for (const std::u16string& text : EntryTexts()) EXPECT_EQ(text, kMemoryEntryText);
        EXPECT_EQ(CurrentEntry(), 1);  // the model's default, 131072
        EXPECT_EQ(Text(kItemLabel).substr(Text(kItemLabel).size() - 4), u"(&M)");
        Working().DeviceSlots[kDiskSlot].State |= kDeviceInstalled;
        ChooseEntry(2);
        EXPECT_EQ(Working().InstalledMemory, 270336u);
        EXPECT_EQ(CurrentEntry(), 2);
        ChooseEntry(0);
        EXPECT_EQ(Working().InstalledMemory, 65536u);
        EXPECT_EQ(CurrentEntry(), 0);
        // 64 MB is not below the disk's limit.
        EXPECT_NE(Working().DeviceSlots[kDiskSlot].State & kDeviceInstalled, 0);
        EXPECT_TRUE(ApplyEnabled());
        Ok();
    }));
    EXPECT_EQ(StoredDword(PD_MEMORY), 65536u);
    EXPECT_NE(StoredDword(kDisk) >> 16 & kDeviceInstalled, 0u);
}

TEST_F(Memory, EveryEntryInstallsTheSizeItShowsAndASmallOneTakesTheDiskOut) {
    // 67108864 KB has 65536 MB, which the value word cannot hold: offered, it would install
    // no memory at all. 99999 KB is no whole number of megabytes.
    ASSERT_NO_FATAL_FAILURE(ReplaceModelLines(u"*MemorySize ", {
                                                                   u"*MemorySize 32768 32768 1024 127 1024 4096 512",
                                                                   u"*MemorySize 67108864 65536 2048 255 2048 8192 1024",
                                                                   u"*MemorySize 99999 65536 2048 255 2048 8192 1024",
                                                                   u"*MemorySize 131072 131072 4096 511 4096 16384 2048",
                                                               }));
    struct Step {
        int entry;
        DWORD memory;
        bool diskKept;
    };
    const Step steps[] = {{1, 99999, true}, {2, 131072, true}, {0, 32768, false}};
    ASSERT_TRUE(RunSheet([&] {
        SelectItem(kMemoryTreeItem);
        EXPECT_EQ(EntryData(), (std::vector<LPARAM>{Entry(32), Entry(97), Entry(128)}));
        for (const Step& step : steps) {
            Working().DeviceSlots[kDiskSlot].State |= kDeviceInstalled;
            ChooseEntry(step.entry);
            EXPECT_EQ(Working().InstalledMemory, step.memory) << step.entry;
            EXPECT_EQ(CurrentEntry(), step.entry);
            EXPECT_EQ((Working().DeviceSlots[kDiskSlot].State & kDeviceInstalled) != 0, step.diskKept) << step.entry;
        }
        Ok();
    }));
    EXPECT_EQ(StoredDword(PD_MEMORY), 32768u);
    EXPECT_EQ(StoredDword(kDisk) >> 16 & kDeviceInstalled, 0u);
}

TEST_F(Memory, AModelWithoutSizesShowsAnEmptyList) {
    ASSERT_NO_FATAL_FAILURE(ReplaceModelLines(u"*MemorySize ", {}));
    ASSERT_TRUE(RunSheet([&] {
        SelectItem(kMemoryTreeItem);
        EXPECT_TRUE(EntryData().empty());
        DoubleClickItem(kMemoryTreeItem);
        EXPECT_TRUE(EntryData().empty());
        Ok();
    }));
}

}  // namespace
}  // namespace kvuidevice
