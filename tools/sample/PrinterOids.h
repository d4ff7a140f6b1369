#pragma once
// The printer's SNMP objects as the sample agent serves them (tests, the snmpd pass program's
// tables, the system demo) and as tests look for them in the requests the monitor makes.

namespace kvtest {

inline constexpr char kSysDescrOid[] = "1.3.6.1.2.1.1.1.0";
inline constexpr char kHrDeviceOid[] = "1.3.6.1.2.1.25.3.2.1.5.1";      // hrDeviceStatus
inline constexpr char kHrPrinterOid[] = "1.3.6.1.2.1.25.3.5.1.1.1";     // hrPrinterStatus
inline constexpr char kHrErrorStateOid[] = "1.3.6.1.2.1.25.3.5.1.2.1";  // hrPrinterDetectedErrorState
inline constexpr char kAlertColumnOid[] = "1.3.6.1.2.1.43.18.1.1.8";    // alert descriptions
inline constexpr char kTrayLevelOid[] = "1.3.6.1.2.1.43.8.2.1.10.1.1";  // paper left in tray 1
// The printer's own job table, its JCID map and the cancel object.
inline constexpr char kJobJcidColumnOid[] = "1.3.6.1.4.1.253.8.59.6.1.1.3";
inline constexpr char kJobStateColumnOid[] = "1.3.6.1.4.1.253.8.59.6.1.1.9";
inline constexpr char kJcidMapColumnOid[] = "1.3.6.1.4.1.253.8.59.8.1.1.2";
inline constexpr char kCancelColumnOid[] = "1.3.6.1.4.1.253.8.76.3.2.1.1.1";

}  // namespace kvtest
