// The trace log as the monitor's code reaches it: through the port context.
#include <cstdio>
#include <new>

#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortHolds.h"
#include "langmon/PortContext.h"
#include "langmon/log/TraceLog.h"
#include "platform/Sync.h"

TraceSettings* NewTraceSettings(HANDLE heap) {
    void* block = HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(TraceSettings));
    if (block == nullptr) return nullptr;
    auto* settings = new (block) TraceSettings{};
    LoadTraceSettings(*settings);
    return settings;
}

void FreeTraceSettings(HANDLE heap, TraceSettings* settings) {
    if (settings == nullptr) return;
    settings->~TraceSettings();
    HeapFree(heap, 0, settings);
}

// The port's threads share the trace file (its name, its rotation) and the printer name in
// it: a line is written holding PortLock, re-entrant for callers that hold it already.
void WriteTraceLine(langmon::PortContext* port, DWORD flag, LPCSTR format, ...) {
    if (port == nullptr || port->Trace == nullptr || !TraceWanted(*port->Trace, flag)) return;
    va_list args;
    va_start(args, format);
    {
        langmon::PortLockHold lock(*port);
        TraceV(*port->Trace, port->PrinterName, flag, format, args);
    }
    va_end(args);
}

void WriteTraceText(langmon::PortContext* port, DWORD flag, LPCSTR format, ...) {
    if (port == nullptr || port->Trace == nullptr || !TraceWanted(*port->Trace, flag)) return;
    CHAR text[kTraceTextMax + 1];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0) return;
    langmon::PortLockHold lock(*port);
    TraceText(*port->Trace, port->PrinterName, text);
}
