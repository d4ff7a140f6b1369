#pragma once
// Byte helpers of the SNMP tests: literal byte lists, and the comparison of
// tests/support/ByteCompare.h that shows the first differing offset with both sides in hex.
#include <cstddef>
#include <initializer_list>
#include <vector>

#include "tests/support/ByteCompare.h"

namespace snmptest {

inline std::vector<std::byte> Bytes(std::initializer_list<int> values) {
    std::vector<std::byte> bytes;
    for (const int v : values) {
        bytes.push_back(static_cast<std::byte>(v));
    }
    return bytes;
}

inline std::vector<std::byte> Join(std::initializer_list<std::vector<std::byte>> parts) {
    std::vector<std::byte> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

using kvtest::SameBytes;

}  // namespace snmptest
