// The job header read from a job's first bytes, and the job identifiers.
#include "langmon/job/JobHeader.h"

#include <cstdio>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/Process.h"

namespace langmon {
namespace {

constexpr char kUel[] = "\x1B%-12345X";
constexpr size_t kUelBytes = 9;
constexpr char kPostScript[] = "%!PS-Adobe";
constexpr size_t kPostScriptBytes = 10;
constexpr size_t kMinHeaderBytes = 20;

// Offsets in a "@PJL JOB" line, as the rendering library writes it:
// @PJL JOB NAME="<24 name bytes>" @JCID="<45 JCID bytes>"
constexpr size_t kNameFieldAt = 8;      // ' NAME="'
constexpr size_t kNameAt = 15;
constexpr size_t kJcidFieldAfterName = 41;  // '@JCID="' after the name, its quote and a blank
constexpr size_t kFieldBytes = 7;

/// A line of the header: the bytes from its start to the data's end.
using Line = std::span<const std::byte>;

bool HasAt(Line line, size_t at, const char* text, size_t n) {
    return at <= line.size() && line.size() - at >= n && std::memcmp(line.data() + at, text, n) == 0;
}

void CopyText(char* out, size_t cbOut, Line line, size_t at, size_t n) {
    std::memcpy(out, line.data() + at, n);
    out[n < cbOut ? n : cbOut - 1] = 0;
}

void OnPjlJob(Line line, PortContext& port) {
    port.JobType = kJobTypeOther;
    port.Jcid[0] = 0;
    size_t position = 0;
    if ((port.PortKind & port_kind::Snmp) != 0) {
        const size_t at = HasAt(line, kNameFieldAt, " NAME=\"", kFieldBytes) ? kJcidFieldAfterName : kNameFieldAt;
        position = at;
        if (HasAt(line, at, "@JCID=\"", kFieldBytes) && line.size() - at - kFieldBytes >= kHeaderJcidChars) {
            CopyText(port.Jcid, sizeof port.Jcid, line, at + kFieldBytes, kHeaderJcidChars);
            position = at + kFieldBytes + kHeaderJcidChars;
        }
    } else if (HasAt(line, kNameFieldAt, " NAME=\"", kFieldBytes) && line.size() - kNameAt >= kHeaderNameChars) {
        CopyText(port.Jcid, sizeof port.Jcid, line, kNameAt, kHeaderNameChars);
        position = kNameAt + kHeaderNameChars;
    }
    std::memcpy(port.JobName, port.Jcid, sizeof port.JobName);
    if (port.Jcid[0] != 0 && position < line.size() && line[position] == std::byte{'"'}) port.JobType = kJobTypePjl;
    if (port.Jcid[0] != 0) port.State &= ~port_state::PjlBlockPending;
    // A resend after power-off is recognised by the job tracking; here the saved JCID ends.
    if ((port.SysFlag & (sys_flag::PowerOffJcidSaved | sys_flag::PowerOffJcidSavedAlt)) != 0) {
        if (port.PowerOffJcid[0] != 0 && std::strcmp(port.PowerOffJcid, port.Jcid) == 0) {
            port.SysFlag |= sys_flag::ResentJob;
        }
        port.PowerOffJcid[0] = 0;
        port.SysFlag &= ~(sys_flag::PowerOffJcidSaved | sys_flag::PowerOffJcidSavedAlt);
    }
}

void OnPjlEnter(Line, PortContext& port) { port.Enter = 1; }

struct PjlCommand {
    const char* prefix;
    size_t cbPrefix;
    void (*handler)(Line, PortContext&);
};
constexpr PjlCommand kPjlCommands[] = {
    {"@PJL JOB", 8, OnPjlJob},
    {"@PJL ENTER", 10, OnPjlEnter},
};

}  // namespace

void ResetJobHeader(PortContext& port) {
    port.JobType = kJobTypeUnparsed;
    port.JobName[0] = 0;
    port.BeganWithUel = 0;
    port.PostScript = 0;
    port.Enter = 0;
}

void ParseJobHeader(PortContext& port, std::span<const std::byte> data) {
    if (port.JobType == kJobTypePostScript || port.JobType == kJobTypePjl) return;
    if (data.size() < kMinHeaderBytes) {
        port.JobType = kJobTypeOther;
        return;
    }
    if (std::memcmp(data.data(), kUel, kUelBytes) == 0) {
        port.BeganWithUel = 1;
        port.Enter = 0;
        size_t at = kUelBytes;
        while (at < data.size() && port.Enter == 0) {
            const Line line = data.subspan(at);
            for (const PjlCommand& command : kPjlCommands) {
                if (HasAt(line, 0, command.prefix, command.cbPrefix)) {
                    command.handler(line, port);
                    break;
                }
            }
            const void* feed = std::memchr(line.data(), '\n', line.size());
            if (feed == nullptr) break;
            at += static_cast<size_t>(static_cast<const std::byte*>(feed) - line.data()) + 1;
        }
        if (port.JobType == kJobTypeUnparsed) port.JobType = kJobTypeOther;
        return;
    }
    if (std::memcmp(data.data(), kPostScript, kPostScriptBytes) == 0) {
        port.JobType = kJobTypePostScript;
        port.PostScript = 1;
        std::memcpy(port.JobName, port.Jcid, sizeof port.JobName);
        return;
    }
    port.JobType = kJobTypeOther;
}

bool EncodeJcidIndex(const char* jcid, char* out, size_t cbOut) {
    const size_t length = std::strlen(jcid);
    int n = std::snprintf(out, cbOut, "%zu", length);
    if (n < 0 || static_cast<size_t>(n) >= cbOut) return false;
    size_t used = static_cast<size_t>(n);
    for (size_t i = 0; i < length; ++i) {
        const char c = jcid[i];
        const bool digit = c >= '0' && c <= '9';
        const bool upper = c >= 'A' && c <= 'Z';
        if (!digit && !upper) return false;
        if (cbOut - used < 4) return false;
        std::snprintf(out + used, cbOut - used, ".%02d", static_cast<int>(c));
        used += 3;
    }
    return used <= 255;
}

WORD Crc16Arc(std::span<const std::byte> data) {
    WORD crc = 0;
    for (std::byte b : data) {
        crc ^= static_cast<WORD>(b);
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? static_cast<WORD>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

void MakeJobUID(char* out) {
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD cch = sizeof computer;
    if (!GetComputerNameA(computer, &cch)) computer[0] = 0;
    const size_t length = std::strlen(computer);
    int used = std::snprintf(out, 25, "03");
    for (size_t i = 0; i < 5; ++i) {
        const unsigned byte = i < length ? static_cast<unsigned char>(computer[i]) : 0;
        used += std::snprintf(out + used, 25 - static_cast<size_t>(used), "%02X", byte);
    }
    const char* crcOf = length != 0 ? computer : "********";
    const WORD crc = Crc16Arc(std::as_bytes(std::span(crcOf, std::strlen(crcOf))));
    used += std::snprintf(out + used, 25 - static_cast<size_t>(used), "%04X", crc);
    std::snprintf(out + used, 25 - static_cast<size_t>(used), "%08lX", static_cast<unsigned long>(GetTickCount()));
}

bool MakeGuidJCID(char* out) {
    GUID guid{};
    if (CoCreateGuid(&guid) != 0) return false;
    std::snprintf(out, 33, "%08lX%04X%04X%X%X%X%X%X%X%X%X", static_cast<unsigned long>(guid.Data1), guid.Data2,
                  guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                  guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return true;
}

}  // namespace langmon
