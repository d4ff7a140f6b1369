#pragma once
// The resource table that each module carries, written by tools/rescomp at build time and
// read by the module functions of the stand-in. All integers little-endian.
//
//   offset 0  u32 magic 'KRS1' (0x3153524B)
//   offset 4  u32 entry count
//   offset 8  entries of 20 bytes (ResourceEntry), sorted by (type, id, language): type id,
//             resource id, language, reserved, data offset from the table's start, data size
//
// Data blocks follow the entries, each at a 4-byte boundary. Resource data is laid out as the
// platform lays it out (string tables in blocks of 16 counted strings, dialog templates in
// the platform's binary form, ...).
#include "platform/WinTypes.h"

struct ResourceTableHeader {
    DWORD Magic;
    DWORD Count;
};

struct ResourceEntry {
    DWORD Type;
    DWORD Id;
    WORD Language;
    WORD Reserved;
    DWORD Offset;
    DWORD Size;
};
static_assert(sizeof(ResourceTableHeader) == 8);
static_assert(sizeof(ResourceEntry) == 20);

inline constexpr DWORD kResourceTableMagic = 0x3153524Bu;

/// Exported by every module that has resources; returns the table and its size in bytes.
using StandInResourcesProc = const BYTE* (*)(DWORD* cbTable);
#define STANDIN_RESOURCES_EXPORT "StandInResources"
