#include "tests/langmon_load/LoadJob.h"

#include <cstdio>
#include <cstring>

namespace kvtest {
namespace {

constexpr char kRecordMark[] = "<KV J";
constexpr size_t kRecordMarkBytes = 5;
constexpr size_t kCheckedBytes = 20;  // "<KV J00042S0003/0012": what the checksum covers
constexpr char kHeaderMark[] = "\x1B%-12345X@PJL JOB NAME=\"LOAD-J";
constexpr size_t kHeaderMarkBytes = sizeof kHeaderMark - 1;
constexpr char kHeaderEnd[] = "@PJL ENTER LANGUAGE=KVLOAD\r\n";

uint32_t Checksum(const char* text, size_t n) {
    uint32_t hash = 2166136261u;  // FNV-1a
    for (size_t i = 0; i < n; ++i) {
        hash ^= static_cast<unsigned char>(text[i]);
        hash *= 16777619u;
    }
    return hash;
}

std::string JobName(DWORD id) {
    char name[32];
    std::snprintf(name, sizeof name, "LOAD-J%05lu", static_cast<unsigned long>(id));
    std::string text = name;
    text.resize(24, '.');
    return text;
}

bool StartsWith(const std::vector<BYTE>& bytes, size_t at, const char* text, size_t n) {
    return at + n <= bytes.size() && std::memcmp(bytes.data() + at, text, n) == 0;
}

// The record at `at`: its job, sequence number and count; false when the bytes are not one.
bool ReadRecord(const std::vector<BYTE>& bytes, size_t at, unsigned* job, unsigned* seq, unsigned* count) {
    if (at + kLoadRecordBytes > bytes.size() || !StartsWith(bytes, at, kRecordMark, kRecordMarkBytes)) return false;
    const std::string text(reinterpret_cast<const char*>(bytes.data() + at), kLoadRecordBytes);
    unsigned sum = 0;
    if (std::sscanf(text.c_str(), "<KV J%5uS%4u/%4uC%8x>", job, seq, count, &sum) != 4) return false;
    return sum == Checksum(text.data(), kCheckedBytes) && text.compare(29, 3, ">\r\n") == 0;
}

// The header at `at`: its job and length; false when the bytes are not one.
bool ReadHeader(const std::vector<BYTE>& bytes, size_t at, unsigned* job, size_t* length) {
    if (!StartsWith(bytes, at, kHeaderMark, kHeaderMarkBytes)) return false;
    if (at + kHeaderMarkBytes + 5 > bytes.size()) return false;
    const std::string digits(reinterpret_cast<const char*>(bytes.data() + at + kHeaderMarkBytes), 5);
    if (std::sscanf(digits.c_str(), "%5u", job) != 1) return false;
    const std::vector<BYTE> whole = LoadJobBytes(LoadJob{*job, 0, true});
    if (!StartsWith(bytes, at, reinterpret_cast<const char*>(whole.data()), whole.size())) return false;
    *length = whole.size();
    return true;
}

}  // namespace

std::string LoadJcid(DWORD id) {
    const std::string digits = std::to_string(id);
    return "KVLOAD" + std::string(39 - digits.size(), '0') + digits;
}

std::vector<BYTE> LoadJobBytes(const LoadJob& job) {
    std::string text;
    if (job.tracked) {
        text = "\x1B%-12345X@PJL JOB NAME=\"" + JobName(job.id) + "\" @JCID=\"" + LoadJcid(job.id) + "\"\r\n" + kHeaderEnd;
    }
    for (size_t seq = 0; seq < job.records; ++seq) {
        // Ids below 100,000 and counts below 10,000 keep every field at its width.
        char record[64];
        std::snprintf(record, sizeof record, "<KV J%05luS%04zu/%04zu", static_cast<unsigned long>(job.id), seq, job.records);
        std::snprintf(record + kCheckedBytes, sizeof record - kCheckedBytes, "C%08X>\r\n",
                      static_cast<unsigned>(Checksum(record, kCheckedBytes)));
        text.append(record, kLoadRecordBytes);
    }
    return std::vector<BYTE>(text.begin(), text.end());
}

std::string DescribeDocument(const std::vector<BYTE>& bytes) {
    std::string out;
    auto add = [&out](const std::string& part) { out += (out.empty() ? "" : ", ") + part; };
    // The open run of records: one job, consecutive sequence numbers.
    unsigned runJob = 0, runFirst = 0, runLast = 0, runCount = 0;
    bool inRun = false;
    auto closeRun = [&] {
        if (!inRun) return;
        add("J" + std::to_string(runJob) + " S" + std::to_string(runFirst) + "-S" + std::to_string(runLast) + "/" +
            std::to_string(runCount));
        inRun = false;
    };
    size_t stray = 0, strayAt = 0;
    auto closeStray = [&] {
        if (stray != 0) add(std::to_string(stray) + " stray bytes at " + std::to_string(strayAt));
        stray = 0;
    };
    for (size_t at = 0; at < bytes.size();) {
        unsigned job = 0, seq = 0, count = 0;
        size_t length = 0;
        if (ReadRecord(bytes, at, &job, &seq, &count)) {
            closeStray();
            if (!inRun || job != runJob || seq != runLast + 1 || count != runCount) {
                closeRun();
                runJob = job;
                runFirst = seq;
                runCount = count;
                inRun = true;
            }
            runLast = seq;
            at += kLoadRecordBytes;
        } else if (ReadHeader(bytes, at, &job, &length)) {
            closeStray();
            closeRun();
            add("header J" + std::to_string(job));
            at += length;
        } else {
            closeRun();
            if (stray == 0) strayAt = at;
            ++stray;
            ++at;
        }
    }
    closeRun();
    closeStray();
    return out.empty() ? "nothing" : out;
}

bool HoldsJobBytes(const std::vector<BYTE>& bytes) {
    const std::string text(bytes.begin(), bytes.end());
    return text.find(kRecordMark) != std::string::npos || text.find(kHeaderMark) != std::string::npos;
}

}  // namespace kvtest
