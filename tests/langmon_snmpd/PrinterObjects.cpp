#include "tests/langmon_snmpd/PrinterObjects.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace kvtest {
namespace {

const char* TypeWord(snmp::BerTag type) {
    switch (type) {
    case snmp::BerTag::Counter: return "counter";
    case snmp::BerTag::Gauge: return "gauge";
    case snmp::BerTag::TimeTicks: return "timeticks";
    default: return "integer";
    }
}

bool Printable(const std::string& bytes) {
    for (const char c : bytes) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

// The pass program's "octet" form: hexadecimal bytes separated by spaces.
std::string Hex(const std::string& bytes) {
    std::string text;
    char pair[4];
    for (const char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(c));
        if (!text.empty()) text += ' ';
        text += pair;
    }
    return text;
}

}  // namespace

void PrinterObjects::SetString(const std::string& name, const std::string& bytes, bool writable) {
    objects_[name] = Object{snmp::BerTag::OctetString, 0, bytes, writable};
}

void PrinterObjects::SetInteger(const std::string& name, int64_t value, snmp::BerTag type, bool writable) {
    objects_[name] = Object{type, value, {}, writable};
}

void PrinterObjects::Remove(const std::string& name) { objects_.erase(name); }

void PrinterObjects::RemoveUnder(const std::string& prefix) {
    std::erase_if(objects_, [&prefix](const auto& row) { return row.first.rfind(prefix + ".", 0) == 0; });
}

void PrinterObjects::LoadPrinter() {
    SetString(kSysDescrOid, "ZEV KV-TD520");
    SetInteger(kHrDeviceOid, 2);   // running
    SetInteger(kHrPrinterOid, 3);  // idle
    SetString(kHrErrorStateOid, std::string(1, '\0'));
    SetString("1.3.6.1.2.1.43.15.1.1.5.1.1", "VRTL Level2.ZK3PT");
    SetString("1.3.6.1.2.1.43.15.1.1.5.1.2", "ESC/P");
    SetInteger("1.3.6.1.2.1.43.8.2.1.4.1.1", 2970);  // tray length
    SetInteger("1.3.6.1.2.1.43.8.2.1.5.1.1", 2100);  // tray width
    SetInteger(kTrayLevelOid, -3);                      // some paper
}

void PrinterObjects::SetAlerts(const std::vector<std::string>& texts) {
    RemoveUnder(std::string(kAlertColumnOid) + ".1");
    for (size_t i = 0; i < texts.size(); ++i) {
        SetString(std::string(kAlertColumnOid) + ".1." + std::to_string(i + 1), texts[i]);
    }
}

void PrinterObjects::AddJob(const std::string& jcid, const std::string& prid, int32_t state, int32_t reasons,
                            int32_t pages, bool cancellable) {
    SetString(std::string(kJobJcidColumnOid) + ".1." + prid, jcid);
    SetInteger(std::string(kJobStateColumnOid) + ".1." + prid, state);
    SetInteger("1.3.6.1.4.1.253.8.59.6.1.1.10.1." + prid, reasons);
    SetInteger("1.3.6.1.4.1.253.8.59.16.1.1.5.1." + prid, pages);
    SetString(std::string(kJcidMapColumnOid) + "." + JcidIndex(jcid) + "." + prid, jcid);
    SetInteger(std::string(kCancelColumnOid) + "." + prid, 0, snmp::BerTag::Integer, cancellable);
}

bool PrinterObjects::Write(const std::string& path) const {
    std::ostringstream text;
    for (const auto& [name, object] : objects_) {
        text << '.' << name << (object.writable ? " rw " : " ro ");
        if (object.type == snmp::BerTag::OctetString) {
            // Text the agent carries as it is; anything else (a NUL, CP932 bytes) as hex.
            if (Printable(object.bytes)) {
                text << "string " << object.bytes;
            } else {
                text << "octet " << Hex(object.bytes);
            }
        } else {
            text << TypeWord(object.type) << ' ' << object.number;
        }
        text << '\n';
    }
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text.str();
        if (!out.flush()) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

void PrinterObjects::LoadInto(SnmpAgent& agent) const {
    agent.Clear();
    for (const auto& [name, object] : objects_) {
        if (object.type == snmp::BerTag::OctetString) {
            agent.SetString(name, object.bytes);
        } else {
            agent.SetInteger(name, object.number, object.type);
        }
    }
}

}  // namespace kvtest
