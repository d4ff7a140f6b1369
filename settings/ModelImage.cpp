// Checking a whole image before use, and bounded access to its strings and single records.
// A cache file is outside bytes: anything it says about sizes and offsets is checked here
// once, so the readers of a checked image can take its offsets as they are.
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "settings/ModelDescription.h"

namespace {

DWORD ReadDword(const BYTE* image, DWORD offset) {
    DWORD value = 0;
    std::memcpy(&value, image + offset, sizeof(value));
    return value;
}

class ImageChecker {
public:
    ImageChecker(const BYTE* image, DWORD size) : image_(image), size_(size) {}

    // A UTF-16 string inside the image, after the header, with its terminator before the end.
    bool String(DWORD offset) const {
        if (offset < kModelHeaderSize || offset >= size_ || offset % sizeof(WCHAR) != 0) return false;
        for (DWORD at = offset; size_ - at >= sizeof(WCHAR); at += sizeof(WCHAR)) {
            if (image_[at] == 0 && image_[at + 1] == 0) return true;
        }
        return false;
    }

    // count records of recordSize at offset, each inside the image; names gives the byte
    // positions of string offsets inside one record.
    bool List(DWORD count, DWORD capacity, DWORD offset, DWORD recordSize, std::initializer_list<DWORD> names) const {
        if (count > capacity || !Block(offset)) return false;
        if ((size_ - offset) / recordSize < count) return false;
        for (DWORD i = 0; i < count; ++i) {
            for (DWORD name : names) {
                if (!String(ReadDword(image_, offset + i * recordSize + name))) return false;
            }
        }
        return true;
    }

    // A single record lies before the next list: either without room (absent) or with room
    // for the record and, when it has one, the name slot at nameAt inside the record.
    bool Single(DWORD offset, DWORD next) const { return Block(offset) && offset <= next; }
    bool Single(DWORD offset, DWORD next, DWORD recordSize, DWORD nameAt) const {
        if (!Single(offset, next)) return false;
        if (next - offset < recordSize + 4) return true;
        return String(ReadDword(image_, offset + nameAt));
    }

private:
    // Records are read in place, so their offsets must be DWORD-aligned and after the header.
    bool Block(DWORD offset) const { return offset >= kModelHeaderSize && offset <= size_ && offset % 4 == 0; }

    const BYTE* image_;
    DWORD size_;
};

}  // namespace

bool IsModelImageConsistent(const BYTE* image, size_t cbImage) {
    if (image == nullptr || cbImage <= kModelHeaderSize || cbImage > 0xFFFFFFFFu) return false;
    if (reinterpret_cast<uintptr_t>(image) % alignof(ModelDescription) != 0) return false;
    ModelDescription h;
    std::memcpy(&h, image, sizeof(h));
    if (h.TotalSize != cbImage) return false;

    const ImageChecker check(image, h.TotalSize);
    constexpr DWORD kNamed = sizeof(ModelNamedValue);
    constexpr DWORD kForm = sizeof(ModelForm);
    return check.String(h.FriendlyName) && check.String(h.PrinterName) &&
           check.List(h.MemorySizeCount, kModelMaxMemorySize, h.MemorySizeOffset, sizeof(ModelMemory), {}) &&
           check.Single(h.DefaultMemorySize, h.MemorySizeOffset) &&
           check.List(h.SupportFeatureCount, kModelMaxSupportFeature, h.SupportFeatureOffset, kNamed, {0}) &&
           check.List(h.ResolutionCount, kModelMaxResolution, h.ResolutionOffset, sizeof(ModelResolution),
                      {4, 12}) &&
           check.List(h.InputSlotCount, kModelMaxInputSlot, h.InputSlotOffset, kNamed, {0}) &&
           check.Single(h.DefaultInputSlot, h.InputSlotOffset, kNamed, 0) &&
           check.List(h.InputDeviceCount, kModelMaxDevice, h.InputDeviceOffset, kNamed, {0}) &&
           check.List(h.OptionDeviceCount, kModelMaxDevice, h.OptionDeviceOffset, kNamed, {0}) &&
           check.List(h.FormDeviceCount, kModelMaxDevice, h.FormDeviceOffset, kNamed, {0}) &&
           check.List(h.FormPortCount, kModelMaxForm, h.FormPortOffset, kForm, {4}) &&
           check.Single(h.DefaultForm, h.FormPortOffset, kForm, 4) &&
           check.List(h.FormLandCount, kModelMaxForm, h.FormLandOffset, kForm, {4}) &&
           check.List(h.FormPortCompatibleCount, kModelMaxForm, h.FormPortCompatibleOffset, kForm, {4}) &&
           check.List(h.FormLandCompatibleCount, kModelMaxForm, h.FormLandCompatibleOffset, kForm, {4}) &&
           check.List(h.ApplicationCount, kModelMaxApplication, h.ApplicationOffset, kNamed, {0});
}

LPCWSTR ModelString(const ModelDescription* model, DWORD offset) {
    if (model == nullptr || offset == 0 || offset >= model->TotalSize || offset % sizeof(WCHAR) != 0) return u"";
    return reinterpret_cast<LPCWSTR>(reinterpret_cast<const BYTE*>(model) + offset);
}

namespace {

// A single record is present only when the next list leaves room for it (and its name):
// an absent record's offset equals that list's offset.
const BYTE* SingleRecord(const ModelDescription* model, DWORD offset, DWORD next, DWORD cbNeeded) {
    if (model == nullptr || offset < kModelHeaderSize || offset > next || next > model->TotalSize ||
        offset % 4 != 0 || next - offset < cbNeeded) {
        return nullptr;
    }
    return reinterpret_cast<const BYTE*>(model) + offset;
}

}  // namespace

const ModelForm* ModelDefaultForm(const ModelDescription* model) {
    return reinterpret_cast<const ModelForm*>(
        SingleRecord(model, model ? model->DefaultForm : 0, model ? model->FormPortOffset : 0, sizeof(ModelForm) + 4));
}

const ModelNamedValue* ModelDefaultInputSlot(const ModelDescription* model) {
    return reinterpret_cast<const ModelNamedValue*>(SingleRecord(
        model, model ? model->DefaultInputSlot : 0, model ? model->InputSlotOffset : 0, sizeof(ModelNamedValue) + 4));
}

const ModelMemory* ModelDefaultMemory(const ModelDescription* model) {
    return reinterpret_cast<const ModelMemory*>(SingleRecord(
        model, model ? model->DefaultMemorySize : 0, model ? model->MemorySizeOffset : 0, sizeof(ModelMemory)));
}
