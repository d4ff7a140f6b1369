#pragma once
// The test printer's objects as the monitor reads them, kept once and handed to either agent:
// written as the pass program's objects file for snmpd, or loaded into the SnmpAgent fixture.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/sample/PrinterOids.h"
#include "tools/sample/SnmpAgent.h"

namespace kvtest {

inline constexpr int32_t kCancelValue = 1414;

/// Printer job states as the printer reports them.
inline constexpr int32_t kJobProcessing = 7;
inline constexpr int32_t kJobCompleted = 17;
inline constexpr int32_t kReasonSuccessful = 0x10;

class PrinterObjects {
public:
    struct Object {
        snmp::BerTag type = snmp::BerTag::Integer;
        int64_t number = 0;
        std::string bytes;
        bool writable = false;
    };

    void SetString(const std::string& name, const std::string& bytes, bool writable = false);
    void SetInteger(const std::string& name, int64_t value, snmp::BerTag type = snmp::BerTag::Integer,
                    bool writable = false);
    void Remove(const std::string& name);
    /// Removes every object below `prefix`.
    void RemoveUnder(const std::string& prefix);

    /// The printer of the SnmpAgent fixture's LoadPrinter: sysDescr "ZEV KV-TD520", running and
    /// idle, no errors, two interpreters, one input tray.
    void LoadPrinter();
    /// Rows 1..n of the alert description column.
    void SetAlerts(const std::vector<std::string>& texts);
    /// A job under the printer's job index `prid` ("1.7"): its JCID, state, reasons and pages,
    /// the JCID map row, and a cancel object that takes a set when `cancellable`.
    void AddJob(const std::string& jcid, const std::string& prid, int32_t state, int32_t reasons, int32_t pages,
                bool cancellable);

    /// Writes the pass program's objects file whole (a new file renamed over the old one).
    [[nodiscard]] bool Write(const std::string& path) const;
    /// Gives the fixture agent the same objects (it has no read-only marks: all take sets).
    void LoadInto(SnmpAgent& agent) const;

    const std::map<std::string, Object>& Objects() const { return objects_; }

private:
    std::map<std::string, Object> objects_;
};

}  // namespace kvtest
