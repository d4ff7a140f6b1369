// A real port monitor for the stand-in spooler: each document a port receives goes to a file
// below the root. A test can make a port take part of each write, fail writes (once or over
// and over), OpenPort or StartDocPort with a chosen error, give data to ReadPort and answer
// control requests.
// The document's file stays open from StartDocPort to EndDocPort and every write goes
// straight to it with write(2), so a write costs what writing the file costs. Each port keeps
// the record of its newest calls only (kMaxCallRecords), so a long run stays within bounds.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

#include "platform/Kernel.h"
#include "platform/Monitor.h"
#include "platform/StandIn.h"
#include "platform/StandInMonitor.h"

namespace standin::monitor {
namespace {

constexpr DWORD kPortSignature = 0x50464B56u;  // "VKFP"

/// The newest calls of a port; the older ones are forgotten.
class CallRecords {
public:
    void push_back(std::string call) {
        if (calls_.size() == kMaxCallRecords) calls_.pop_front();
        calls_.push_back(std::move(call));
    }
    std::vector<std::string> Copy() const { return {calls_.begin(), calls_.end()}; }

private:
    std::deque<std::string> calls_;
};

struct PortState {
    PortBehaviour behaviour;
    std::vector<PortDocument> documents;
    CallRecords calls;
    std::vector<ControlCall> controls;
    unsigned writes = 0;
    unsigned opened = 0;
    unsigned fileCount = 0;
};

/// The open file of a document; closed when the document ends or the port goes.
class DocumentFile {
public:
    DocumentFile() = default;
    ~DocumentFile() { Close(); }
    DocumentFile(const DocumentFile&) = delete;
    DocumentFile& operator=(const DocumentFile&) = delete;
    bool Open(const std::string& path) {
        Close();
        fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        return fd_ >= 0;
    }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }
    /// Bytes written before the first failure (all of them when none failed).
    DWORD Write(const BYTE* data, DWORD cb, bool* failed) {
        DWORD done = 0;
        *failed = fd_ < 0;
        while (!*failed && done < cb) {
            const ssize_t n = write(fd_, data + done, cb - done);
            if (n > 0) {
                done += static_cast<DWORD>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                *failed = true;
            }
        }
        return done;
    }

private:
    int fd_ = -1;
};

struct OpenPortRecord {
    DWORD signature = kPortSignature;
    std::u16string name;
    PortState* state = nullptr;  // the port's entry in the monitor's map (nodes do not move)
    int document = -1;  // index into the port's documents while one is open
    DocumentFile file;  // open while `document` is
};

struct FileMonitor {
    std::mutex lock;
    std::map<std::u16string, PortState> ports;
    std::vector<std::unique_ptr<OpenPortRecord>> open;
};

FileMonitor& State() {
    static FileMonitor* state = new FileMonitor;
    return *state;
}

std::u16string Upper(std::u16string text) {
    for (auto& c : text) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
    return text;
}

std::string FolderName(const std::u16string& port) {
    std::string out;
    for (char16_t c : port) {
        const bool plain = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        out += plain ? static_cast<char>(c) : '_';
    }
    return out.empty() ? "_" : out;
}

std::u16string Text(LPCWSTR s) { return s != nullptr ? std::u16string(s) : std::u16string(); }

// The live record behind a handle, looked up so a stale handle is never dereferenced.
OpenPortRecord* Find(FileMonitor& m, HANDLE handle) {
    for (auto& record : m.open) {
        if (record.get() == handle) return record.get();
    }
    return nullptr;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

BOOL OpenPort(HANDLE, LPWSTR name, HANDLE* handle) {
    if (name == nullptr || handle == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    FileMonitor& m = State();
    std::lock_guard guard(m.lock);
    PortState& port = m.ports[Upper(name)];
    port.calls.push_back("OpenPort");
    if (port.behaviour.openError != 0) return Fail(port.behaviour.openError);
    auto record = std::make_unique<OpenPortRecord>();
    record->name = Upper(name);
    record->state = &port;
    *handle = record.get();
    m.open.push_back(std::move(record));
    ++port.opened;
    return TRUE;
}

BOOL StartDocPort(HANDLE handle, LPWSTR printer, DWORD jobId, DWORD level, LPBYTE docInfo) {
    FileMonitor& m = State();
    std::lock_guard guard(m.lock);
    OpenPortRecord* record = Find(m, handle);
    if (record == nullptr) return Fail(ERROR_INVALID_HANDLE);
    PortState& port = m.ports[record->name];
    port.calls.push_back("StartDocPort " + std::to_string(static_cast<long>(static_cast<LONG>(jobId))));
    if (port.behaviour.startDocError != 0) return Fail(port.behaviour.startDocError);
    if (record->document >= 0) return Fail(ERROR_BUSY);
    PortDocument doc;
    doc.printer = Text(printer);
    doc.jobId = jobId;
    doc.level = level;
    if (docInfo != nullptr) doc.docName = Text(reinterpret_cast<const DOC_INFO_1W*>(docInfo)->pDocName);
    const std::filesystem::path folder = std::filesystem::path(Root()) / ".ports" / FolderName(record->name);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    doc.path = (folder / (std::to_string(++port.fileCount) + ".prn")).string();
    if (!record->file.Open(doc.path)) return Fail(ERROR_PATH_NOT_FOUND);
    port.documents.push_back(doc);
    record->document = static_cast<int>(port.documents.size() - 1);
    return TRUE;
}

// "WritePort <asked>/<taken>" without the allocations of a string built piece by piece.
std::string WriteCall(DWORD asked, DWORD taken) {
    char text[40];
    const int n = std::snprintf(text, sizeof text, "WritePort %lu/%lu", static_cast<unsigned long>(asked),
                                static_cast<unsigned long>(taken));
    return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

BOOL WritePort(HANDLE handle, LPBYTE buffer, DWORD cb, LPDWORD written) {
    FileMonitor& m = State();
    std::lock_guard guard(m.lock);
    OpenPortRecord* record = Find(m, handle);
    if (record == nullptr || written == nullptr) return Fail(ERROR_INVALID_HANDLE);
    *written = 0;
    PortState& port = *record->state;
    const PortBehaviour& b = port.behaviour;
    const unsigned index = b.failEvery != 0 ? port.writes++ % b.failEvery : port.writes++;
    const bool fails = b.failWrites != 0 && index >= b.skipWrites && index < b.skipWrites + b.failWrites;
    DWORD take = cb;
    if (b.maxTakePerWrite != 0 && take > b.maxTakePerWrite) take = b.maxTakePerWrite;
    if (fails && take > b.writeFailTake) take = b.writeFailTake;
    if (record->document < 0 || (take != 0 && buffer == nullptr)) {
        port.calls.push_back(WriteCall(cb, 0));
        return Fail(record->document < 0 ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    }
    // What reached the file is what the port took, even when the file refused the rest.
    bool fileFailed = false;
    take = record->file.Write(buffer, take, &fileFailed);
    *written = take;
    port.calls.push_back(WriteCall(cb, take));
    if (fileFailed) return Fail(ERROR_WRITE_FAULT);
    if (fails) return Fail(b.writeError);
    return TRUE;
}

BOOL ReadPort(HANDLE handle, LPBYTE buffer, DWORD cb, LPDWORD read) {
    FileMonitor& m = State();
    std::lock_guard guard(m.lock);
    OpenPortRecord* record = Find(m, handle);
    if (record == nullptr || read == nullptr) return Fail(ERROR_INVALID_HANDLE);
    PortState& port = m.ports[record->name];
    port.calls.push_back("ReadPort");
    *read = 0;
    if (port.behaviour.readData.empty()) {
        return port.behaviour.readError != 0 ? Fail(port.behaviour.readError) : TRUE;
    }
    const DWORD n = cb < port.behaviour.readData.size() ? cb : static_cast<DWORD>(port.behaviour.readData.size());
    std::copy_n(port.behaviour.readData.begin(), n, buffer);
    port.behaviour.readData.erase(port.behaviour.readData.begin(), port.behaviour.readData.begin() + n);
    *read = n;
    return TRUE;
}

BOOL EndDocPort(HANDLE handle) {
    FileMonitor& m = State();
    std::lock_guard guard(m.lock);
    OpenPortRecord* record = Find(m, handle);
    if (record == nullptr) return Fail(ERROR_INVALID_HANDLE);
    PortState& port = m.ports[record->name];
    port.calls.push_back("EndDocPort");
    if (record->document < 0) return Fail(ERROR_INVALID_PARAMETER);
    port.documents[static_cast<size_t>(record->document)].ended = true;
    record->document = -1;
    record->file.Close();
    return TRUE;
}

BOOL ClosePort(HANDLE handle) {
    FileMonitor& m = State();
    std::lock_guard guard(m.lock);
    for (auto it = m.open.begin(); it != m.open.end(); ++it) {
        if (it->get() != handle) continue;
        PortState& port = m.ports[(*it)->name];
        port.calls.push_back("ClosePort");
        if ((*it)->document >= 0) port.documents[static_cast<size_t>((*it)->document)].ended = true;
        --port.opened;
        m.open.erase(it);
        return TRUE;
    }
    return Fail(ERROR_INVALID_HANDLE);
}

BOOL GetPrinterDataFromPort(HANDLE handle, DWORD control, LPWSTR, LPWSTR in, DWORD cbIn, LPWSTR out, DWORD cbOut,
                            LPDWORD returned) {
    FileMonitor& m = State();
    std::lock_guard guard(m.lock);
    OpenPortRecord* record = Find(m, handle);
    if (record == nullptr || returned == nullptr) return Fail(ERROR_INVALID_HANDLE);
    PortState& port = m.ports[record->name];
    port.calls.push_back("Control " + std::to_string(control));
    ControlCall call;
    call.control = control;
    if (in != nullptr) call.input.assign(reinterpret_cast<const BYTE*>(in), reinterpret_cast<const BYTE*>(in) + cbIn);
    call.cbOut = cbOut;
    port.controls.push_back(std::move(call));
    *returned = 0;
    auto it = port.behaviour.controlAnswers.find(control);
    if (it == port.behaviour.controlAnswers.end()) return Fail(ERROR_NOT_SUPPORTED);
    auto claim = port.behaviour.controlClaims.find(control);
    if (claim != port.behaviour.controlClaims.end()) {
        const size_t n = std::min<size_t>(cbOut, it->second.size());
        if (n != 0) std::copy_n(it->second.begin(), n, reinterpret_cast<BYTE*>(out));
        *returned = claim->second;
        return TRUE;
    }
    if (cbOut < it->second.size()) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::copy(it->second.begin(), it->second.end(), reinterpret_cast<BYTE*>(out));
    *returned = static_cast<DWORD>(it->second.size());
    return TRUE;
}

BOOL SetPortTimeOuts(HANDLE handle, LPCOMMTIMEOUTS t, DWORD) {
    FileMonitor& m = State();
    std::lock_guard guard(m.lock);
    OpenPortRecord* record = Find(m, handle);
    if (record == nullptr || t == nullptr) return Fail(ERROR_INVALID_HANDLE);
    m.ports[record->name].calls.push_back(
        "SetPortTimeOuts " + std::to_string(t->ReadIntervalTimeout) + " " + std::to_string(t->ReadTotalTimeoutMultiplier) +
        " " + std::to_string(t->ReadTotalTimeoutConstant) + " " + std::to_string(t->WriteTotalTimeoutMultiplier) + " " +
        std::to_string(t->WriteTotalTimeoutConstant));
    return TRUE;
}

MONITOR2 g_table = {
    .cbSize = sizeof(MONITOR2),
    .pfnEnumPorts = nullptr,
    .pfnOpenPort = OpenPort,
    .pfnOpenPortEx = nullptr,  // a port monitor, not a language monitor
    .pfnStartDocPort = StartDocPort,
    .pfnWritePort = WritePort,
    .pfnReadPort = ReadPort,
    .pfnEndDocPort = EndDocPort,
    .pfnClosePort = ClosePort,
    .pfnAddPort = nullptr,
    .pfnAddPortEx = nullptr,
    .pfnConfigurePort = nullptr,
    .pfnDeletePort = nullptr,
    .pfnGetPrinterDataFromPort = GetPrinterDataFromPort,
    .pfnSetPortTimeOuts = SetPortTimeOuts,
    .pfnXcvOpenPort = nullptr,
    .pfnXcvDataPort = nullptr,
    .pfnXcvClosePort = nullptr,
    .pfnShutdown = nullptr,
};

}  // namespace

HANDLE FilePortMonitor() {
    static int monitor;
    return &monitor;
}

MONITOR2* FilePortMonitorTable() { return &g_table; }

void SetPortBehaviour(const std::u16string& port, const PortBehaviour& behaviour) {
    std::lock_guard guard(State().lock);
    PortState& state = State().ports[Upper(port)];
    state.behaviour = behaviour;
    state.writes = 0;
}

std::vector<PortDocument> PortDocuments(const std::u16string& port) {
    std::vector<PortDocument> docs;
    {
        std::lock_guard guard(State().lock);
        auto it = State().ports.find(Upper(port));
        if (it == State().ports.end()) return {};
        docs = it->second.documents;
    }
    for (auto& doc : docs) {
        std::ifstream in(doc.path, std::ios::binary);
        doc.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return docs;
}

std::vector<std::string> PortCalls(const std::u16string& port) {
    std::lock_guard guard(State().lock);
    auto it = State().ports.find(Upper(port));
    return it != State().ports.end() ? it->second.calls.Copy() : std::vector<std::string>{};
}

std::vector<ControlCall> ControlCalls(const std::u16string& port) {
    std::lock_guard guard(State().lock);
    auto it = State().ports.find(Upper(port));
    return it != State().ports.end() ? it->second.controls : std::vector<ControlCall>{};
}

unsigned OpenPortCount() {
    std::lock_guard guard(State().lock);
    return static_cast<unsigned>(State().open.size());
}

void ResetFilePortMonitor() {
    std::lock_guard guard(State().lock);
    State().ports.clear();
    State().open.clear();
}

}  // namespace standin::monitor
