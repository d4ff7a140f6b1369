// The spooler's job calls: a document started on a printer handle, its pages, and the bytes
// written to it, kept in a spool file below the stand-in's root so that tests and hosts can
// read the job back as the port would receive it.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>

#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "platform/src/core/PathMap.h"
#include "platform/src/spooler/SpoolerDatabase.h"
#include "platform/src/core/StandInState.h"

namespace standin::spooler {

/// What the spooler keeps of a job after its handle is gone. Guarded by Database::lock except
/// `state`, which the handle's release also sets (outside the lock).
struct JobRecord {
    DWORD id = 0;
    std::u16string document;
    std::string path;
    std::vector<DWORD> writeSizes;
    DWORD pages = 0;
    std::atomic<JobState> state{JobState::Spooling};
};

/// The document a handle has started: its record and the open sink.
struct OpenJob {
    std::shared_ptr<JobRecord> record;
    int fd = -1;

    OpenJob() = default;
    OpenJob(const OpenJob&) = delete;
    OpenJob& operator=(const OpenJob&) = delete;
    ~OpenJob() {
        if (fd >= 0) ::close(fd);
    }
};

// A handle closed (or reset away) with its document open ends the job as EndDocPrinter would.
void OpenJobDeleter::operator()(OpenJob* job) const {
    JobState spooling = JobState::Spooling;
    job->record->state.compare_exchange_strong(spooling, JobState::Complete);
    delete job;
}

namespace {

constexpr size_t kMaxDocumentChars = 1024;
constexpr size_t kMaxPathChars = 32767;

// A printer name as one folder name: no separators, and never "." or "..".
std::string FolderName(const std::u16string& printer) {
    std::string name = paths::ToUtf8(printer);
    for (char& c : name)
        if (c == '/' || c == '\\') c = '_';
    if (name.empty() || name[0] == '.') name.insert(name.begin(), '_');
    return name;
}

PrinterHandle* FindPrinterHandle(Database& db, HANDLE handle) {
    PrinterHandle* h = FindHandle(db, handle);
    return h != nullptr && h->printer != nullptr ? h : nullptr;
}

DWORD OpenSink(const std::string& path, int* fd) {
    *fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return *fd < 0 ? paths::ErrorFromErrno(errno) : ERROR_SUCCESS;
}

DWORD SinkPath(const Database& db, const Printer& printer, LPCWSTR outputFile, std::string* path) {
    if (outputFile != nullptr) {
        std::u16string_view name;
        if (!ReadName(outputFile, kMaxPathChars, &name)) return ERROR_INVALID_PARAMETER;
        paths::Resolved resolved = paths::Resolve(name);
        if (resolved.error != ERROR_SUCCESS) return resolved.error;
        if (!resolved.parentExists) return ERROR_PATH_NOT_FOUND;
        *path = resolved.linuxPath;
        return ERROR_SUCCESS;
    }
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(Root()) / ".spool" / FolderName(printer.setup.name);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return paths::ErrorFromErrno(error.value());
    *path = (folder / (std::to_string(db.lastJobId + 1) + ".job")).string();
    return ERROR_SUCCESS;
}

DWORD StartDoc(HANDLE handle, DWORD level, const BYTE* info, DWORD* jobId) {
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    PrinterHandle* h = FindPrinterHandle(db, handle);
    if (h == nullptr) return ERROR_INVALID_HANDLE;
    if (level != 1) return ERROR_INVALID_LEVEL;
    if (info == nullptr) return ERROR_INVALID_PARAMETER;
    if (h->job != nullptr) return ERROR_INVALID_PRINTER_STATE;
    DOC_INFO_1W doc;
    std::memcpy(&doc, info, sizeof(doc));
    std::u16string_view document;
    if (doc.pDocName != nullptr && !ReadName(doc.pDocName, kMaxDocumentChars, &document))
        return ERROR_INVALID_PARAMETER;
    if (doc.pDatatype != nullptr) {
        // The stand-in has no print processor: only raw data reaches the port unchanged.
        std::u16string_view datatype;
        if (!ReadName(doc.pDatatype, kMaxDocumentChars, &datatype)) return ERROR_INVALID_PARAMETER;
        if (!EqualNoCase(datatype, u"RAW")) return ERROR_INVALID_DATATYPE;
    }

    auto record = std::make_shared<JobRecord>();
    if (DWORD status = SinkPath(db, *h->printer, doc.pOutputFile, &record->path); status != ERROR_SUCCESS)
        return status;
    auto job = std::unique_ptr<OpenJob, OpenJobDeleter>(new OpenJob());
    job->record = record;
    if (DWORD status = OpenSink(record->path, &job->fd); status != ERROR_SUCCESS) return status;
    record->id = ++db.lastJobId;
    record->document = document;
    h->printer->jobs.push_back(record);
    h->job = std::move(job);
    *jobId = record->id;
    return ERROR_SUCCESS;
}

OpenJob* StartedJob(Database& db, HANDLE handle, DWORD* status) {
    PrinterHandle* h = FindPrinterHandle(db, handle);
    *status = h == nullptr ? ERROR_INVALID_HANDLE : h->job == nullptr ? ERROR_SPL_NO_STARTDOC : ERROR_SUCCESS;
    return *status == ERROR_SUCCESS ? h->job.get() : nullptr;
}

DWORD StartPage(HANDLE handle) {
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    DWORD status;
    OpenJob* job = StartedJob(db, handle, &status);
    if (job != nullptr) ++job->record->pages;
    return status;
}

DWORD EndPage(HANDLE handle) {
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    DWORD status;
    StartedJob(db, handle, &status);
    return status;
}

DWORD WriteAll(int fd, const BYTE* bytes, size_t cb) {
    while (cb > 0) {
        const ssize_t done = ::write(fd, bytes, cb);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return done < 0 ? paths::ErrorFromErrno(errno) : ERROR_WRITE_FAULT;
        bytes += done;
        cb -= static_cast<size_t>(done);
    }
    return ERROR_SUCCESS;
}

DWORD Write(HANDLE handle, const void* buffer, DWORD cbBuffer, DWORD* cbWritten) {
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    DWORD status;
    OpenJob* job = StartedJob(db, handle, &status);
    if (job == nullptr) return status;
    if (cbBuffer > 0 && buffer == nullptr) return ERROR_INVALID_PARAMETER;
    DWORD injected = ERROR_SUCCESS;
    if (state::ShouldFail(Fault::PrinterWrite, &injected)) return injected;
    DWORD cb = cbBuffer;
    if (state::ShouldFail(Fault::PrinterShortWrite, nullptr)) cb /= 2;
    if (DWORD error = WriteAll(job->fd, static_cast<const BYTE*>(buffer), cb); error != ERROR_SUCCESS)
        return error;
    job->record->writeSizes.push_back(cb);
    *cbWritten = cb;
    return ERROR_SUCCESS;
}

DWORD EndDoc(HANDLE handle, JobState end) {
    std::unique_ptr<OpenJob, OpenJobDeleter> ended;  // closed outside the lock
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    DWORD status;
    if (StartedJob(db, handle, &status) == nullptr) return status;
    ended = std::move(FindHandle(db, handle)->job);
    ended->record->state = end;
    // Aborted data never reaches the port.
    if (end == JobState::Aborted) {
        ::close(ended->fd);
        ended->fd = -1;
        ::unlink(ended->record->path.c_str());
    }
    return ERROR_SUCCESS;
}

std::shared_ptr<JobRecord> FindJob(Database& db, const std::u16string& printer, DWORD jobId) {
    std::shared_ptr<Printer> p = FindPrinter(db, printer);
    if (p == nullptr) return nullptr;
    for (const auto& job : p->jobs)
        if (job->id == jobId) return job;
    return nullptr;
}

}  // namespace
}  // namespace standin::spooler

namespace standin {

std::string JobOutputPath(const std::u16string& printer, DWORD jobId) {
    spooler::Database& db = spooler::Global();
    std::lock_guard<std::mutex> guard(db.lock);
    std::shared_ptr<spooler::JobRecord> job = spooler::FindJob(db, printer, jobId);
    return job == nullptr ? std::string() : job->path;
}

DWORD LastJobId(const std::u16string& printer) {
    spooler::Database& db = spooler::Global();
    std::lock_guard<std::mutex> guard(db.lock);
    std::shared_ptr<spooler::Printer> p = spooler::FindPrinter(db, printer);
    return p == nullptr || p->jobs.empty() ? 0 : p->jobs.back()->id;
}

std::vector<BYTE> JobBytes(const std::u16string& printer, DWORD jobId) {
    std::string path;
    {
        spooler::Database& db = spooler::Global();
        std::lock_guard<std::mutex> guard(db.lock);
        std::shared_ptr<spooler::JobRecord> job = spooler::FindJob(db, printer, jobId);
        if (job == nullptr || job->state == JobState::Aborted) return {};
        path = job->path;
    }
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<DWORD> JobWriteSizes(const std::u16string& printer, DWORD jobId) {
    spooler::Database& db = spooler::Global();
    std::lock_guard<std::mutex> guard(db.lock);
    std::shared_ptr<spooler::JobRecord> job = spooler::FindJob(db, printer, jobId);
    return job == nullptr ? std::vector<DWORD>() : job->writeSizes;
}

JobSummary DescribeJob(const std::u16string& printer, DWORD jobId) {
    spooler::Database& db = spooler::Global();
    std::lock_guard<std::mutex> guard(db.lock);
    std::shared_ptr<spooler::JobRecord> job = spooler::FindJob(db, printer, jobId);
    if (job == nullptr) return {};
    return JobSummary{job->state.load(), job->document, job->pages};
}

}  // namespace standin

using namespace standin::spooler;

PLATFORM_API DWORD StartDocPrinterW(HANDLE printer, DWORD level, LPBYTE docInfo) {
    DWORD jobId = 0;
    DWORD status;
    try {
        status = StartDoc(printer, level, docInfo, &jobId);
    } catch (const std::bad_alloc&) {
        status = ERROR_NOT_ENOUGH_MEMORY;
    }
    return Finish(status) ? jobId : 0;
}

PLATFORM_API BOOL StartPagePrinter(HANDLE printer) { return Finish(StartPage(printer)); }

PLATFORM_API BOOL EndPagePrinter(HANDLE printer) { return Finish(EndPage(printer)); }

PLATFORM_API BOOL WritePrinter(HANDLE printer, LPVOID buffer, DWORD cbBuffer, LPDWORD cbWritten) {
    if (cbWritten == nullptr) return Finish(ERROR_INVALID_PARAMETER);
    *cbWritten = 0;
    try {
        return Finish(Write(printer, buffer, cbBuffer, cbWritten));
    } catch (const std::bad_alloc&) {
        return Finish(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL EndDocPrinter(HANDLE printer) { return Finish(EndDoc(printer, standin::JobState::Complete)); }

PLATFORM_API BOOL AbortPrinter(HANDLE printer) { return Finish(EndDoc(printer, standin::JobState::Aborted)); }
