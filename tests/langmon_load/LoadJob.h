#pragma once
// The jobs of the load tests. Every byte of a job tells whose it is and where it belongs: a
// tracked job opens with a PJL header that carries its job id in the name and the JCID, and
// every job's body is a run of fixed-size records "<KV J00042S0003/0012C1A2B3C4D>\r\n" (job,
// sequence number, record count, checksum of the rest). What reached a port can so be read
// back and told apart record by record: another job's bytes, a record sent twice, a gap.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace kvtest {

inline constexpr size_t kLoadRecordBytes = 32;

struct LoadJob {
    DWORD id = 0;
    size_t records = 1;
    bool tracked = false;  // carries a JCID that the printer's job table reports
};

/// The 45-character JCID of a tracked job (digits and capitals, as the printer indexes them).
std::string LoadJcid(DWORD id);
/// All of the job's bytes, header first.
std::vector<BYTE> LoadJobBytes(const LoadJob& job);

/// What a document holds, as runs of records: "J42 S0-S11/12, J43 S0-S2/5, 7 stray bytes at
/// 416", headers shown as "header J42". For failure messages.
std::string DescribeDocument(const std::vector<BYTE>& bytes);
/// True when the bytes hold the start of any job's record or header.
bool HoldsJobBytes(const std::vector<BYTE>& bytes);

}  // namespace kvtest
