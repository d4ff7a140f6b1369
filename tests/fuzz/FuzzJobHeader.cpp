// The monitor's read of a job's first bytes (its PJL header), as its write path makes it:
// the header parse of the job's first write, a later write that must not change what was
// taken, then the SNMP index made from the JCID.
//
// Input: a port byte (bits 0-2: the port's kind; bit 3: a JCID was saved at a power-off and
// is given by u8 n bytes that follow), u16 the first write's size, then the job's bytes.
// Each write is a heap block of exactly its size.
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "langmon/job/JobHeader.h"
#include "langmon/PortContext.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using kvfuzz::Check;

using namespace langmon;

constexpr DWORD kPortKinds[] = {port_kind::StandardTcpPort, port_kind::DpuTcpPort, port_kind::LocalPort,
                                port_kind::SharePort,       port_kind::ComPort,    port_kind::OtherPort,
                                port_kind::StandardTcpPort | port_kind::Bound, port_kind::Base};

bool Terminated(const char* text, size_t cb) { return std::memchr(text, 0, cb) != nullptr; }

void Parse(PortContext& port, const std::vector<uint8_t>& bytes) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.empty() ? 1 : bytes.size()]);
    if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
    ParseJobHeader(port, std::as_bytes(std::span(exact.get(), bytes.size())));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kvfuzz::InputReader input(data, size);
    const uint8_t kind = input.Byte();
    auto port = std::make_unique<PortContext>();
    port->PortKind = kPortKinds[kind & 7];
    if ((kind & 8) != 0) {
        const std::vector<uint8_t> saved = input.Take(input.Byte() % (kJcidChars + 1));
        if (!saved.empty()) std::memcpy(port->PowerOffJcid, saved.data(), saved.size());
        port->SysFlag |= sys_flag::PowerOffJcidSaved;
    }
    const std::vector<uint8_t> first = input.Take(input.Word());
    const std::vector<uint8_t> second = input.Rest();

    ResetJobHeader(*port);
    Parse(*port, first);
    Check(port->JobType != kJobTypeUnparsed, "the first write left the job unparsed");
    Check(Terminated(port->Jcid, sizeof port->Jcid) && Terminated(port->JobName, sizeof port->JobName),
          "the JCID or job name runs past its field");
    Check(port->JobType != kJobTypePjl || port->Jcid[0] != 0, "a PJL job without its JCID");

    // A job found to be PJL or PostScript is not parsed again. (The write path parses only
    // while the job is unparsed; the parse itself refuses only these two types.)
    const bool typed = port->JobType == kJobTypePjl || port->JobType == kJobTypePostScript;
    std::vector<uint8_t> before(sizeof(PortContext));
    std::memcpy(before.data(), port.get(), sizeof(PortContext));
    Parse(*port, second);
    if (typed) {
        Check(std::memcmp(before.data(), port.get(), sizeof(PortContext)) == 0, "a later write changed a parsed job");
    }

    char index[256];
    if (EncodeJcidIndex(port->Jcid, index, sizeof index)) {
        Check(Terminated(index, sizeof index), "the JCID index runs past its buffer");
    }
    return 0;
}
