#pragma once
// The link to the outside job-processing service: its gate at StartDocPort and its notice at
// EndDocPort. The service owns the list mutex and the shared list; the monitor only opens them.
#include "langmon/PortContext.h"

namespace langmon {

enum class GateAnswer {
    Print,        // listed, or let through after an offer
    Refused,      // the service said no: the caller deletes the job
    Unreachable,  // no answer could be had: the job stays in the spooler for a later try
};

inline constexpr UINT kJobServiceRestart = 0x8004;
inline constexpr UINT kJobServiceEndDoc = 0x8002;

/// Whether the service is there (its list mutex exists); kept in port.ServiceInstalled.
bool IsJobServiceInstalled(PortContext& port);
/// Listed jobs print at once; others are offered and the answer awaited, bounded by the
/// port's ServiceAnswerMs. Runs with the port mutex held.
GateAnswer RNStartDoc(PortContext& port, DWORD jobId);
void RNEndDoc(PortContext& port, DWORD jobId);

/// Posts one message to the service's window; false when it cannot. Replaceable so a host
/// without windows can carry the messages another way.
using JobServicePoster = bool (*)(UINT message, WPARAM wParam, LPARAM lParam);
void SetJobServicePoster(JobServicePoster poster);

}  // namespace langmon
