// Writes the fuzz targets' seeds from the inputs the tests use: settings blocks built for
// the sample printer as the settings tests build them, the model file and the tests' data
// files with their compiled images, the rendering library's job header, SNMP messages made
// with the encoder the test agents use, and the project's resource scripts.
//
//   fuzz_seeds [folder]     (default: tests/fuzz/seeds of the source tree)
//
// Each target's seeds go to <folder>/<target>/, one file per seed, replacing files of the
// same name; other files there (inputs kept from earlier findings) stay.
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "langmon/snmp/SnmpBer.h"
#include "platform/Kernel.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "settings/ModelCompiler.h"
#include "settings/PrinterData.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/settings_defaults/DefaultsFixture.h"
#include "tools/sample/SamplePrinter.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

fs::path g_folder;
bool g_failed = false;

void Write(const char* target, const char* name, const Bytes& bytes) {
    const fs::path folder = g_folder / target;
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "fuzz_seeds: cannot write %s/%s\n", target, name);
        g_failed = true;
    }
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }
Bytes Word(uint16_t value) { return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)}; }
Bytes Dword(uint32_t value) {
    return Join({Word(static_cast<uint16_t>(value)), Word(static_cast<uint16_t>(value >> 16))});
}
Bytes Sized(const Bytes& bytes) { return Join({Word(static_cast<uint16_t>(bytes.size())), bytes}); }

template <typename T>
Bytes BytesOf(const T& value) {
    Bytes bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

Bytes Utf16File(const std::u16string& text) {
    const std::vector<BYTE> bytes = kvtest::Utf16LeBytes(text, true);
    return Bytes(bytes.begin(), bytes.end());
}

Bytes ImageOf(const Bytes& dataFile) {
    ModelDescription* image = CompileModelDescriptionFromView(dataFile.data(), static_cast<DWORD>(dataFile.size()));
    if (image == nullptr) {
        std::fprintf(stderr, "fuzz_seeds: a model file does not compile\n");
        g_failed = true;
        return {};
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(image);
    Bytes copy(bytes, bytes + image->TotalSize);
    GlobalFree(image);
    return copy;
}

// --- DEVMODE: a flags byte, two status words, the DEVMODE.
void DevModeSeeds(const DriverDevMode& defaults) {
    const Bytes noStatus = Join({{0}, Dword(0), Dword(0)});
    Write("fuzz_devmode", "default-block", Join({noStatus, BytesOf(defaults)}));
    // Known status, the job service running; the block is also the printer's own.
    Write("fuzz_devmode", "default-block-with-status",
          Join({{3}, Dword(kExtStatusKnown), Dword(1), BytesOf(defaults)}));
    Bytes filled = BytesOf(defaults);
    for (const kvtest::StringField& field : kvtest::kStringFields) {
        std::memset(filled.data() + field.offset, 0x41, field.unitBytes * field.units);
    }
    Write("fuzz_devmode", "strings-filled", Join({noStatus, filled}));
    const std::vector<BYTE> publicOnly = kvtest::PublicDevMode(u"A4", 9);
    Write("fuzz_devmode", "public-only", Join({noStatus, Bytes(publicOnly.begin(), publicOnly.end())}));
    Bytes older(publicOnly.begin(), publicOnly.begin() + 188);
    older[offsetof(DEVMODEW, dmSize)] = 188;
    Write("fuzz_devmode", "public-188-bytes", Join({noStatus, older}));
}

// --- Model: a mode byte (0 data file, 1 cache image), the file.
void ModelSeeds() {
    const Bytes sample = kvfuzz::ReadSourceFile("resources/model/KV-TD520.dat");
    const Bytes defaultsTest = Utf16File(kvtest::kTestModelText);
    // The small file of the compiler's malformed-input tests.
    const Bytes small = Utf16File(
        u"*FriendlyName \"KV\"\r\n*PPM 35\r\n*Resolution 600 \"600dpi\" 600 \"Fine\" 1\r\n"
        u"*DefaultInputSlot \"AUTO\" 7\r\n*InputSlot \"AUTO\" 7\r\n"
        u"*DefaultForm \"A4\" 210000 297000 4230 4230 205770 292770\r\n*FormPort \"A3\" 1 2 3 4 5 6\r\n");
    Write("fuzz_model", "data-sample", Join({{0}, sample}));
    Write("fuzz_model", "data-defaults-test", Join({{0}, defaultsTest}));
    Write("fuzz_model", "data-small", Join({{0}, small}));
    Write("fuzz_model", "cache-sample", Join({{1}, ImageOf(sample)}));
    Write("fuzz_model", "cache-small", Join({{1}, ImageOf(small)}));
}

// --- Render: u16-sized DEVMODE, then operations (see FuzzRender.cpp).
void RenderSeeds(const DriverDevMode& defaults) {
    DriverDevMode graphics = defaults;
    graphics.FeatureFlags |= kFeatureGraphicsOnly;
    const Bytes block = BytesOf(graphics);
    const std::vector<BYTE> publicA4 = kvtest::PublicDevMode(u"A4", 9);
    const Bytes publicOnly(publicA4.begin(), publicA4.end());
    const Bytes startDoc{0}, startPage{1}, endPage{2}, endDoc{3}, abortDoc{4};
    const Bytes copies = Join({{5, 1, 4}, Sized(Dword(3))});                   // SETCOPYCOUNT 3
    const Bytes passThrough = Join({{5, 2, 0}, Sized(Join({Word(3), Text("abc")}))});
    const Bytes technology = Join({{5, 3, 12}, Word(0)});                       // GETTECHNOLOGY
    const Bytes support = Join({{5, 0, 0}, Sized(Dword(9999))});                // QUERYESCSUPPORT
    const Bytes rect = Join({{8}, Word(300), Word(300), Word(1500), Word(420), {1}});
    const Bytes line = Join({{9}, Word(300), Word(2500), Word(2700), Word(3600), {5}});
    const Bytes text = Join({{10}, Word(400), Word(4200), Word(60), {6}, Word('K'), Word('V'), Word('-'), Word('T'),
                             Word('D'), Word('5')});
    const Bytes fourUp = Join({{6}, Word(offsetof(DriverDevMode, PagesPerSheet)), {2}, Word(4)});

    Write("fuzz_render", "graphics-only-page",
          Join({Sized(block), startDoc, copies, passThrough, startPage, rect, line, text, endPage, endDoc}));
    Write("fuzz_render", "settings-escape-and-reset",
          Join({Sized(block), startDoc, fourUp, {7}, Sized(publicOnly), startPage, rect, endPage, endDoc}));
    Write("fuzz_render", "public-devmode-aborted", Join({Sized(publicOnly), startDoc, support, startPage, abortDoc}));
    Write("fuzz_render", "no-devmode", Join({Word(0), technology, startDoc, passThrough, endDoc}));
}

// --- Job header: a port byte, u16 first write, the job's bytes (as JobHeaderTest's).
void JobHeaderSeeds() {
    const std::string uel = "\x1B%-12345X";
    const std::string jcid = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678";
    const std::string job = uel + "@PJL JOB NAME=\"KVHOST-0305-090703-00001\" @JCID=\"" + jcid +
                            "\" DNAME=\"doc\" UNAME=\"u\"\r\n@PJL ENTER LANGUAGE=VRTL\r\n";
    const auto seed = [](uint8_t port, const Bytes& saved, const std::string& data, size_t first) {
        return Join({{port}, saved, Word(static_cast<uint16_t>(first)), Text(data)});
    };
    Write("fuzz_jobheader", "renderer-header-tcp", seed(0, {}, job, job.size()));
    Write("fuzz_jobheader", "renderer-header-local-split", seed(2, {}, job, 40));
    Write("fuzz_jobheader", "resent-after-power-off", seed(8, Join({{45}, Text(jcid)}), job, job.size()));
    Write("fuzz_jobheader", "postscript", seed(1, {}, "%!PS-Adobe-3.0\nsome more text", 30));
}

// --- SNMP: a flags byte (1: requests accepted), the datagram.
Bytes Encode(snmp::BerTag pdu, int32_t requestId, std::initializer_list<snmp::BindingOut> bindings) {
    snmp::MessageOut message;
    message.community = "vantel";
    message.pdu = pdu;
    message.requestId = requestId;
    message.bindings = {bindings.begin(), bindings.size()};
    std::vector<std::byte> out(2048);
    const size_t size = snmp::EncodeMessage(message, out);
    if (size == 0) {
        std::fprintf(stderr, "fuzz_seeds: an SNMP message does not encode\n");
        g_failed = true;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(out.data());
    return Bytes(bytes, bytes + size);
}

snmp::SnmpValue Value(snmp::BerTag type, int64_t number = 0, std::span<const std::byte> bytes = {}) {
    snmp::SnmpValue value;
    value.type = type;
    value.number = number;
    value.bytes = bytes;
    return value;
}

void SnmpSeeds() {
    using snmp::BerTag;
    snmp::Oid sysDescr, jobRow, status, prid;
    if (!snmp::ParseOid("1.3.6.1.2.1.1.1.0", sysDescr) ||
        !snmp::ParseOid("1.3.6.1.4.1.253.8.76.3.2.1.1.1.1.7", jobRow) ||
        !snmp::ParseOid("1.3.6.1.2.1.43.8.2.1.10.1", status) || !snmp::ParseOid("1.3.6.1.4.1.253.8.59.8.1.1.2", prid)) {
        g_failed = true;
        return;
    }
    const std::string text = "ZEV KV-TD520";
    const auto textBytes = std::as_bytes(std::span(text.data(), text.size()));
    const std::byte address[4] = {std::byte{127}, std::byte{0}, std::byte{0}, std::byte{1}};
    snmp::SnmpValue oidValue = Value(BerTag::ObjectId);
    oidValue.oid = prid;

    Write("fuzz_snmp", "sysdescr-answer",
          Join({{0}, Encode(BerTag::GetResponse, 1, {{&sysDescr, Value(BerTag::OctetString, 0, textBytes)}})}));
    Write("fuzz_snmp", "answer-of-every-type",
          Join({{0}, Encode(BerTag::GetResponse, 0x1234,
                            {{&status, Value(BerTag::Integer, -129)},
                             {&status, Value(BerTag::Counter, 0xFFFFFFFF)},
                             {&status, Value(BerTag::Gauge, 7)},
                             {&status, Value(BerTag::TimeTicks, 0x80000000)},
                             {&status, Value(BerTag::IpAddress, 0, address)},
                             {&status, oidValue},
                             {&status, Value(BerTag::Null)},
                             {&status, Value(BerTag::NoSuchInstance)}})}));
    Write("fuzz_snmp", "set-request-cancel",
          Join({{1}, Encode(BerTag::SetRequest, 1, {{&jobRow, Value(BerTag::Integer, 1414)}})}));
    Write("fuzz_snmp", "getnext-request",
          Join({{1}, Encode(BerTag::GetNextRequest, 0x1234, {{&status, Value(BerTag::Integer)}})}));
    // The trap of the decoder's tests, with its empty binding list.
    Write("fuzz_snmp", "trap",
          {0, 0x30, 0x26, 0x02, 0x01, 0x00, 0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l', 0xA4, 0x19, 0x06, 0x05, 0x2B,
           0x06, 0x01, 0x04, 0x01, 0x40, 0x04, 192, 168, 0, 9, 0x02, 0x01, 0x06, 0x02, 0x01, 0x03, 0x43, 0x02, 0x10,
           0x00, 0x30, 0x00});
}

// --- Resource scripts: the project's own, the compiler tests' script of every width, and a
// version resource with every fixed field, nested blocks, text and binary values.
constexpr const char* kVersionSeed =
    "1 VERSIONINFO\n"
    "FILEVERSION 1,0,0,0\nPRODUCTVERSION 1,0\nFILEFLAGSMASK VS_FFI_FILEFLAGSMASK\nFILEFLAGS 0\n"
    "FILEOS VOS_NT_WINDOWS32\nFILETYPE VFT_DRV\nFILESUBTYPE VFT2_DRV_PRINTER\n"
    "BEGIN\n"
    "    BLOCK \"StringFileInfo\"\n    BEGIN\n"
    "        BLOCK \"040904B0\" { VALUE \"FileVersion\", \"1.00\" VALUE \"Comments\", L\"\xC3\xA9\" }\n"
    "    END\n"
    "    BLOCK \"VarFileInfo\" { VALUE \"Translation\", 0x409, 1200, 7L }\n"
    "END\n";

void RescompSeeds() {
    const struct {
        const char* name;
        const char* path;
    } scripts[] = {
        {"test-module.rc", "tests/platform_modules/module/TestModule.rc"},
        {"ui-menus.rc", "tests/platform_menus/resources/UiMenus.rc"},
        {"ui-samples.rc", "tests/platform_controls/resources/Samples.rc"},
        {"render.rc", "resources/render/KVRender.rc"},
        {"driver-ja.rc", "resources/lang/KVDriverJA.rc"},
    };
    for (const auto& script : scripts) {
        const Bytes bytes = kvfuzz::ReadSourceFile(script.path);
        if (bytes.empty()) {
            std::fprintf(stderr, "fuzz_seeds: cannot read %s\n", script.path);
            g_failed = true;
        }
        Write("fuzz_rescomp", script.name, bytes);
    }
    Write("fuzz_rescomp", "strings-and-data.rc",
          Text("// Two languages, strings in two blocks, escapes, data of every width.\n"
               "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n"
               "STRINGTABLE\nBEGIN\n    17 \"A\\tB\"\"C\\\\\"\n    1, \"\xC3\xA9\xF0\x9F\x98\x80\"\nEND\n"
               "LANGUAGE 9, 1\n5 RCDATA { 1, 0x20L, \"ab\", L\"\xC3\xA9\", -2 }\n"
               "STRINGTABLE LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL { 0 \"x\" }\n"));
    Write("fuzz_rescomp", "version.rc", Text(kVersionSeed));
}

}  // namespace

int main(int argc, char** argv) {
    g_folder = argc > 1 ? fs::path(argv[1]) : fs::path(KV_SOURCE_DIR) / "tests" / "fuzz" / "seeds";
    kvfuzz::UseFuzzRoot();
    kvtest::InstallSamplePrinter();
    InitSettingsLock();
    DriverDevMode defaults{};
    {
        kvtest::ScopedPrinter printer;
        const ModelDescription* model = AcquireModelDescription(printer.handle());
        if (model == nullptr) {
            std::fprintf(stderr, "fuzz_seeds: the sample model does not compile\n");
            return 1;
        }
        BuildDefaultDevMode(&defaults, printer.handle(), nullptr, model);
        ReleaseModelDescription(model);
    }
    FreeSettingsLock();

    DevModeSeeds(defaults);
    ModelSeeds();
    RenderSeeds(defaults);
    JobHeaderSeeds();
    SnmpSeeds();
    RescompSeeds();
    std::printf("seeds written below %s\n", g_folder.string().c_str());
    return g_failed ? 1 : 0;
}
