// The model description compiler: reads the keyword lines of the data file into a header
// and a work area, then packs them into one GlobalAlloc image.
#include "settings/ModelCompiler.h"

#include <cstring>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "settings/ModelCache.h"

namespace {

enum ModelKeywordId : int {
    kVersion = 1,
    kFriendlyName = 2,
    kPrinterName = 3,
    kPPM = 4,
    kPrivateID = 5,
    kDefaultLocalDay = 6,
    kDefaultLocalTime = 7,
    kFlags = 8,
    kPresetFlags = 9,
    kSupportFeature = 10,
    kDefaultMemorySize = 11,
    kMemorySize = 12,
    kDefaultResolution = 13,
    kResolution = 14,
    kDefaultInputSlot = 15,
    kInputSlot = 16,
    kInputDevice = 17,
    kOptionDevice = 18,
    kFormDevice = 19,
    kMaxForm = 20,
    kMinForm = 21,
    kDefaultForm = 22,
    kFormPort = 23,
    kFormLand = 24,
    kFormPortCompatible = 25,
    kFormLandCompatible = 26,
    kApplication = 27,
    kAdvFuncSwitch = 30,
    kDefaultPatternScale = 31,
    kLinePatternScale1200 = 32,
    kLinePatternScale600 = 33,
    kLinePatternScale400 = 34,
    kLinePatternScale240 = 35,
};

DWORD ReadDecimal(ModelParseContext* context) { return static_cast<DWORD>(ReadModelDecimal(context)); }

template <int Chars>
void ReadText(ModelParseContext* context, ModelWorkText<Chars>* text) {
    // Stored as a byte length with the terminator, as the packer sizes slots in bytes.
    text->cb = static_cast<DWORD>(ReadModelString(context, text->Text, Chars)) * sizeof(WCHAR);
}

void ReadNamed(ModelParseContext* context, ModelWorkNamed* record, bool hexValue) {
    ReadText(context, &record->Name);
    record->Value = hexValue ? ReadModelHex(context) : ReadDecimal(context);
}

void ReadMemory(ModelParseContext* context, ModelMemory* record) {
    for (DWORD& value : record->Values) value = ReadDecimal(context);
}

void ReadResolution(ModelParseContext* context, ModelWorkResolution* record) {
    record->Value1 = ReadDecimal(context);
    ReadText(context, &record->Name1);
    record->Value2 = ReadDecimal(context);
    ReadText(context, &record->Name2);
    record->Value3 = ReadDecimal(context);
}

void ReadForm(ModelParseContext* context, ModelWorkForm* record) {
    ReadText(context, &record->Name);
    for (DWORD& value : record->Values) value = ReadDecimal(context);
}

// The list's next free record, or a scratch record once the list is full: the values of a
// surplus line are still read (so a value continued on later lines is consumed with it) but
// then dropped.
template <typename Record, DWORD Capacity>
Record* NextRecord(ModelWorkList<Record, Capacity>* list, Record* scratch) {
    if (list->Count >= Capacity) {
        *scratch = Record{};
        return scratch;
    }
    return &list->Items[list->Count++];
}

}  // namespace

void ParseModelKeywords(ModelDescription* header, ModelWorkArea* work, ModelParseContext* context) {
    ModelWorkNamed scratchNamed{};
    ModelMemory scratchMemory{};
    ModelWorkResolution scratchResolution{};
    ModelWorkForm scratchForm{};

    for (;;) {
        // Each keyword starts a line; whatever its values left on the line is discarded.
        context->LinePos = context->LineLength;
        const int id = ReadModelKeyword(context);
        if (id < 0) return;
        switch (id) {
        case kVersion: header->Version = ReadDecimal(context); break;
        case kFriendlyName: ReadText(context, &work->FriendlyName); break;
        case kPrinterName: ReadText(context, &work->PrinterName); break;
        case kPPM: header->PPM = ReadDecimal(context); break;
        case kPrivateID: header->PrivateID = ReadModelHex(context); break;
        case kDefaultLocalDay: header->DefaultLocalDay = ReadDecimal(context); break;
        case kDefaultLocalTime: header->DefaultLocalTime = ReadDecimal(context); break;
        case kFlags: header->Flags = ReadModelHex(context); break;
        case kPresetFlags: header->PresetFlags = ReadModelHex(context); break;
        case kSupportFeature: ReadNamed(context, NextRecord(&work->SupportFeature, &scratchNamed), true); break;
        case kDefaultMemorySize:
            work->HasDefaultMemory = TRUE;
            ReadMemory(context, &work->DefaultMemory);
            break;
        case kMemorySize: ReadMemory(context, NextRecord(&work->Memory, &scratchMemory)); break;
        case kDefaultResolution: header->DefaultResolution = ReadDecimal(context); break;
        case kResolution: ReadResolution(context, NextRecord(&work->Resolution, &scratchResolution)); break;
        case kDefaultInputSlot:
            work->HasDefaultInputSlot = TRUE;
            ReadNamed(context, &work->DefaultInputSlot, false);
            break;
        case kInputSlot: ReadNamed(context, NextRecord(&work->InputSlot, &scratchNamed), false); break;
        case kInputDevice: ReadNamed(context, NextRecord(&work->InputDevice, &scratchNamed), true); break;
        case kOptionDevice: ReadNamed(context, NextRecord(&work->OptionDevice, &scratchNamed), true); break;
        case kFormDevice: ReadNamed(context, NextRecord(&work->FormDevice, &scratchNamed), true); break;
        case kMaxForm:
            header->MaxFormWidth = ReadDecimal(context);
            header->MaxFormLength = ReadDecimal(context);
            break;
        case kMinForm:
            header->MinFormWidth = ReadDecimal(context);
            header->MinFormLength = ReadDecimal(context);
            break;
        case kDefaultForm:
            work->HasDefaultForm = TRUE;
            ReadForm(context, &work->DefaultForm);
            break;
        case kFormPort: ReadForm(context, NextRecord(&work->FormPort, &scratchForm)); break;
        case kFormLand: ReadForm(context, NextRecord(&work->FormLand, &scratchForm)); break;
        case kFormPortCompatible: ReadForm(context, NextRecord(&work->FormPortCompatible, &scratchForm)); break;
        case kFormLandCompatible: ReadForm(context, NextRecord(&work->FormLandCompatible, &scratchForm)); break;
        case kApplication: ReadNamed(context, NextRecord(&work->Application, &scratchNamed), true); break;
        case kAdvFuncSwitch: header->AdvFuncSwitch = ReadModelHex(context); break;
        case kDefaultPatternScale: header->DefaultPatternScale = ReadDecimal(context); break;
        case kLinePatternScale1200: header->LinePatternScale1200 = ReadDecimal(context); break;
        case kLinePatternScale600: header->LinePatternScale600 = ReadDecimal(context); break;
        case kLinePatternScale400: header->LinePatternScale400 = ReadDecimal(context); break;
        case kLinePatternScale240: header->LinePatternScale240 = ReadDecimal(context); break;
        default: break;  // an unknown word: the line is ignored
        }
    }
}

ModelDescription* CompileModelDescriptionFromView(const BYTE* view, DWORD cbView) {
    if (view == nullptr) return nullptr;
    auto* context = static_cast<ModelParseContext*>(GlobalAlloc(GPTR, sizeof(ModelParseContext)));
    auto* header = static_cast<ModelDescription*>(GlobalAlloc(GPTR, sizeof(ModelDescription)));
    auto* work = static_cast<ModelWorkArea*>(GlobalAlloc(GPTR, sizeof(ModelWorkArea)));
    ModelDescription* image = nullptr;
    if (context != nullptr && header != nullptr && work != nullptr) {
        context->View = view;
        context->Cursor = view;
        context->BytesLeft = cbView;
        if (cbView >= 2 && view[0] == 0xFF && view[1] == 0xFE) {
            context->Cursor += 2;
            context->BytesLeft -= 2;
        }
        header->TotalSize = kModelHeaderSize;
        ParseModelKeywords(header, work, context);

        const DWORD size = ComputeModelImageSize(header, work);
        image = static_cast<ModelDescription*>(GlobalAlloc(GPTR, size));
        if (image != nullptr) {
            std::memcpy(image, header, sizeof(ModelDescription));
            PackModelDescription(reinterpret_cast<BYTE*>(image), work);
        }
    }
    if (work != nullptr) GlobalFree(work);
    if (header != nullptr) GlobalFree(header);
    if (context != nullptr) GlobalFree(context);
    return image;
}

ModelDescription* CompileModelDescription(LPCWSTR dataFilePath) {
    const BYTE* view = nullptr;
    const BYTE* cursor = nullptr;
    DWORD cbFile = 0;
    if (dataFilePath == nullptr || !MapWholeFile(dataFilePath, &view, &cursor, &cbFile)) return nullptr;
    ModelDescription* image = CompileModelDescriptionFromView(view, cbFile);
    UnmapViewOfFile(view);
    return image;
}
