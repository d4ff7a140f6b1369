#include "tools/sample/MonitorPass.h"

#include <algorithm>

#include "platform/Kernel.h"
#include "platform/StandInMonitor.h"
#include "tools/sample/Utf16.h"

namespace kvtest {
namespace {

MonitorPass Failed(MonitorPass pass, const char* step) {
    pass.ok = false;
    pass.failedStep = step;
    pass.error = GetLastError();
    return pass;
}

// Hands the piece over until the monitor has taken all of it; a monitor that keeps taking
// nothing is given up on.
bool WritePiece(MONITOR2* table, HANDLE port, const BYTE* data, DWORD cb, size_t* writes) {
    DWORD at = 0;
    int stalls = 0;
    while (at < cb) {
        DWORD written = 0;
        ++*writes;
        if (!table->pfnWritePort(port, const_cast<BYTE*>(data + at), cb - at, &written)) return false;
        if (written > cb - at) return false;
        at += written;
        if (written == 0 && ++stalls > 1000) return false;
    }
    return true;
}

}  // namespace

HANDLE OpenFilePort(const MONITOR2* table, HANDLE monitor, const std::u16string& port, const std::u16string& printer) {
    std::u16string portName = port;
    std::u16string printerName = printer;
    HANDLE handle = nullptr;
    if (!table->pfnOpenPortEx(monitor, standin::monitor::FilePortMonitor(), portName.data(), printerName.data(), &handle,
                              standin::monitor::FilePortMonitorTable())) {
        return nullptr;
    }
    return handle;
}

BOOL StartJobDocument(const MONITOR2* table, HANDLE port, const std::u16string& printer, DWORD jobId) {
    std::u16string printerName = printer;
    std::u16string doc = u"Job ";
    doc.append(U16(std::to_string(jobId)));
    DOC_INFO_1W info{doc.data(), nullptr, nullptr};
    return table->pfnStartDocPort(port, printerName.data(), jobId, 1, reinterpret_cast<LPBYTE>(&info));
}

MonitorPass PassThroughMonitor(const MonitorJob& job, const std::vector<BYTE>& bytes) {
    MonitorPass pass;
    standin::monitor::LanguageMonitorHost host;
    if (!host.Load(job.module, u"KV Language Monitor")) return Failed(pass, "InitializePrintMonitor2");
    MONITOR2* table = host.Table();
    std::u16string portName = job.port;
    std::u16string printer = job.printer;
    std::u16string document = job.document;
    HANDLE port = nullptr;
    if (!table->pfnOpenPortEx(host.Monitor(), standin::monitor::FilePortMonitor(), portName.data(), printer.data(),
                              &port, standin::monitor::FilePortMonitorTable())) {
        return Failed(pass, "OpenPortEx");
    }
    DOC_INFO_1W info{document.data(), nullptr, nullptr};
    bool sent = table->pfnStartDocPort(port, printer.data(), job.jobId, 1, reinterpret_cast<LPBYTE>(&info)) != FALSE;
    const char* step = "StartDocPort";
    const size_t piece = std::max<size_t>(job.piece, 1);
    for (size_t at = 0; sent && at < bytes.size(); at += piece) {
        const DWORD cb = static_cast<DWORD>(std::min(piece, bytes.size() - at));
        sent = WritePiece(table, port, bytes.data() + at, cb, &pass.writes);
        step = "WritePort";
    }
    if (sent) {
        sent = table->pfnEndDocPort(port) != FALSE;
        step = "EndDocPort";
    }
    if (!sent) pass = Failed(pass, step);
    if (!table->pfnClosePort(port) && sent) {
        sent = false;
        pass = Failed(pass, "ClosePort");
    }
    host.Unload();
    if (!sent) return pass;
    for (const standin::monitor::PortDocument& doc : standin::monitor::PortDocuments(job.port)) {
        if (doc.jobId != job.jobId) continue;
        pass.received = doc.bytes;
        pass.portFile = doc.path;
        pass.ok = doc.ended;
        if (!doc.ended) pass.failedStep = "the port's document was not ended";
        return pass;
    }
    pass.failedStep = "the port received no document for the job";
    return pass;
}

bool WritePortAll(const MONITOR2* table, HANDLE port, const std::vector<BYTE>& bytes) {
    size_t at = 0;
    int stalls = 0;
    while (at < bytes.size()) {
        DWORD written = 0;
        std::vector<BYTE> rest(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
        if (!table->pfnWritePort(port, rest.data(), static_cast<DWORD>(rest.size()), &written)) return false;
        if (written > rest.size()) return false;
        at += written;
        if (written == 0 && ++stalls > 1000) return false;
    }
    return true;
}

}  // namespace kvtest
