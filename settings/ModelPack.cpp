// Packing the parsed work area into the image. Measuring and packing are one walk, so the
// size at +0 and the bytes written cannot disagree.
#include <cstring>

#include "settings/ModelCompiler.h"

namespace {

DWORD RoundUp4(DWORD value) { return (value + 3u) & ~3u; }

// Walks the image in packing order. Without an image it only advances the running size.
class ImageWriter {
public:
    explicit ImageWriter(BYTE* image) : image_(image) {}

    DWORD Size() const { return size_; }

    // A string slot: the text's bytes rounded up to 4, at least minSlot bytes, zero-padded.
    DWORD PutString(const WCHAR* text, DWORD cb, DWORD minSlot = 0) {
        const DWORD offset = size_;
        const DWORD slot = RoundUp4(cb > minSlot ? cb : minSlot);
        if (image_ != nullptr) {
            std::memcpy(image_ + offset, text, cb);
            std::memset(image_ + offset + cb, 0, slot - cb);
        }
        size_ += slot;
        return offset;
    }
    template <int Chars>
    DWORD PutText(const ModelWorkText<Chars>& text, DWORD minSlot = 0) {
        return PutString(text.Text, text.cb, minSlot);
    }

    // Room for cb bytes of records at a 4-byte boundary; filled later with Write.
    DWORD Reserve(DWORD cb) {
        size_ = RoundUp4(size_);
        const DWORD offset = size_;
        size_ += RoundUp4(cb);
        return offset;
    }

    template <typename Record>
    void Write(DWORD offset, const Record& record) {
        if (image_ != nullptr) std::memcpy(image_ + offset, &record, sizeof(Record));
    }
    void WriteHeader(DWORD ModelDescription::*field, DWORD value) {
        if (image_ == nullptr) return;
        auto* header = reinterpret_cast<ModelDescription*>(image_);
        header->*field = value;
    }

private:
    BYTE* image_;
    DWORD size_ = kModelHeaderSize;
};

ModelForm FormRecord(const ModelWorkForm& form, DWORD nameOffset) {
    return ModelForm{0, nameOffset, form.Values[0], form.Values[1], form.Values[2],
                     form.Values[3], form.Values[4], form.Values[5]};
}

// {name, value} records, then their names.
template <DWORD Capacity>
void PutNamedList(ImageWriter& writer, const ModelWorkList<ModelWorkNamed, Capacity>& list,
                  DWORD ModelDescription::*count, DWORD ModelDescription::*offset) {
    const DWORD records = writer.Reserve(list.Count * sizeof(ModelNamedValue));
    for (DWORD i = 0; i < list.Count; ++i) {
        const DWORD name = writer.PutText(list.Items[i].Name);
        writer.Write(records + i * sizeof(ModelNamedValue), ModelNamedValue{name, list.Items[i].Value});
    }
    writer.WriteHeader(count, list.Count);
    writer.WriteHeader(offset, records);
}

template <DWORD Capacity>
void PutFormList(ImageWriter& writer, const ModelWorkList<ModelWorkForm, Capacity>& list,
                 DWORD ModelDescription::*count, DWORD ModelDescription::*offset) {
    const DWORD records = writer.Reserve(list.Count * sizeof(ModelForm));
    for (DWORD i = 0; i < list.Count; ++i) {
        const DWORD name = writer.PutText(list.Items[i].Name);
        writer.Write(records + i * sizeof(ModelForm), FormRecord(list.Items[i], name));
    }
    writer.WriteHeader(count, list.Count);
    writer.WriteHeader(offset, records);
}

DWORD LayOutModelImage(const ModelWorkArea* work, BYTE* image) {
    ImageWriter writer(image);
    using MD = ModelDescription;

    // The two names always get a slot: an absent one is an empty string whose terminator
    // the offsets at +8 and +12 must still address.
    writer.WriteHeader(&MD::FriendlyName, writer.PutText(work->FriendlyName, sizeof(WCHAR)));
    writer.WriteHeader(&MD::PrinterName, writer.PutText(work->PrinterName, sizeof(WCHAR)));

    // An absent single record takes no room; its offset still says where it would be.
    const DWORD defaultMemory = writer.Reserve(work->HasDefaultMemory ? sizeof(ModelMemory) : 0);
    if (work->HasDefaultMemory) writer.Write(defaultMemory, work->DefaultMemory);
    writer.WriteHeader(&MD::DefaultMemorySize, defaultMemory);

    const DWORD memory = writer.Reserve(work->Memory.Count * sizeof(ModelMemory));
    for (DWORD i = 0; i < work->Memory.Count; ++i) {
        writer.Write(memory + i * sizeof(ModelMemory), work->Memory.Items[i]);
    }
    writer.WriteHeader(&MD::MemorySizeCount, work->Memory.Count);
    writer.WriteHeader(&MD::MemorySizeOffset, memory);

    PutNamedList(writer, work->SupportFeature, &MD::SupportFeatureCount, &MD::SupportFeatureOffset);

    const DWORD resolutions = writer.Reserve(work->Resolution.Count * sizeof(ModelResolution));
    for (DWORD i = 0; i < work->Resolution.Count; ++i) {
        const ModelWorkResolution& r = work->Resolution.Items[i];
        const DWORD name1 = writer.PutText(r.Name1);
        const DWORD name2 = writer.PutText(r.Name2);
        writer.Write(resolutions + i * sizeof(ModelResolution),
                     ModelResolution{r.Value1, name1, r.Value2, name2, r.Value3});
    }
    writer.WriteHeader(&MD::ResolutionCount, work->Resolution.Count);
    writer.WriteHeader(&MD::ResolutionOffset, resolutions);

    const DWORD defaultSlot = writer.Reserve(work->HasDefaultInputSlot ? sizeof(ModelNamedValue) : 0);
    if (work->HasDefaultInputSlot) {
        const DWORD name = writer.PutText(work->DefaultInputSlot.Name);
        writer.Write(defaultSlot, ModelNamedValue{name, work->DefaultInputSlot.Value});
    }
    writer.WriteHeader(&MD::DefaultInputSlot, defaultSlot);

    PutNamedList(writer, work->InputSlot, &MD::InputSlotCount, &MD::InputSlotOffset);
    PutNamedList(writer, work->InputDevice, &MD::InputDeviceCount, &MD::InputDeviceOffset);
    PutNamedList(writer, work->OptionDevice, &MD::OptionDeviceCount, &MD::OptionDeviceOffset);
    PutNamedList(writer, work->FormDevice, &MD::FormDeviceCount, &MD::FormDeviceOffset);

    const DWORD defaultForm = writer.Reserve(work->HasDefaultForm ? sizeof(ModelForm) : 0);
    if (work->HasDefaultForm) {
        const DWORD name = writer.PutText(work->DefaultForm.Name);
        writer.Write(defaultForm, FormRecord(work->DefaultForm, name));
    }
    writer.WriteHeader(&MD::DefaultForm, defaultForm);

    PutFormList(writer, work->FormPort, &MD::FormPortCount, &MD::FormPortOffset);
    PutFormList(writer, work->FormLand, &MD::FormLandCount, &MD::FormLandOffset);
    PutFormList(writer, work->FormPortCompatible, &MD::FormPortCompatibleCount, &MD::FormPortCompatibleOffset);
    PutFormList(writer, work->FormLandCompatible, &MD::FormLandCompatibleCount, &MD::FormLandCompatibleOffset);
    PutNamedList(writer, work->Application, &MD::ApplicationCount, &MD::ApplicationOffset);

    writer.WriteHeader(&MD::Reserved40, 0);
    writer.WriteHeader(&MD::TotalSize, writer.Size());
    return writer.Size();
}

}  // namespace

DWORD ComputeModelImageSize(const ModelDescription* /*header*/, const ModelWorkArea* work) {
    return LayOutModelImage(work, nullptr);
}

void PackModelDescription(BYTE* image, const ModelWorkArea* work) { LayOutModelImage(work, image); }
