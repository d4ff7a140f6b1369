#pragma once
// The link to the outside job-processing service: its gate at StartDocPort and its notice at
// EndDocPort. The service owns the list mutex and the shared list; the monitor only opens
// them, and makes the two answer events of each job it offers.
#include "langmon/PortContext.h"

namespace langmon {

enum class GateAnswer {
    Print,        // listed, let through after an offer, or the service reports it runs clean
    Refused,      // the service said no, did not answer in time, or could not be offered
                  // the job: the caller deletes it
    Unreachable,  // neither the list nor the service's run status could be read: the job
                  // stays in the spooler for a later try
};

inline constexpr UINT kJobServiceRestart = 0x8004;
inline constexpr UINT kJobServiceEndDoc = 0x8002;

/// Whether the service "RnPJMService" is installed (the service control manager knows it);
/// kept in port.ServiceInstalled.
[[nodiscard]] bool IsJobServiceInstalled(PortContext& port);
/// Listed jobs print at once; others are offered and the answer awaited, bounded by the
/// port's ServiceAnswerMs. Runs with the port mutex held.
[[nodiscard]] GateAnswer RNStartDoc(PortContext& port, DWORD jobId);
void RNEndDoc(PortContext& port, DWORD jobId);

/// Posts one message to the first top-level window of the service's class; false (and a
/// line in the service-link log) when there is none or the post fails.
bool PostToJobService(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace langmon
