#pragma once
// Byte helpers of the SNMP tests: literal byte lists and a comparison that shows the first
// differing offset with both sides in hex.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

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

inline std::string Hex(std::span<const std::byte> bytes) {
    std::string text;
    char piece[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(piece, sizeof piece, "%02X", static_cast<unsigned>(bytes[i]));
        text += (i % 16 == 0 ? (i == 0 ? "" : "\n") : " ") + std::string(piece);
    }
    return text;
}

inline ::testing::AssertionResult SameBytes(std::span<const std::byte> actual, std::span<const std::byte> expected) {
    size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) {
        ++i;
    }
    if (i == actual.size() && i == expected.size()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "first difference at offset " << i << " (sizes " << actual.size()
                                         << " and " << expected.size() << ")\nactual:\n"
                                         << Hex(actual) << "\nexpected:\n"
                                         << Hex(expected);
}

}  // namespace snmptest
