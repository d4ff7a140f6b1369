#pragma once
// A manager stand-in inside the test: a map of variable values that the record's entry points
// read, and a log of the requests the window sends. One at a time (tests run serially).
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "psw/StatusTables.h"
#include "platform/Kernel.h"

namespace psw_test {

struct FakeManager {
    std::map<std::u16string, std::vector<BYTE>> values;
    std::vector<std::u16string> requests;  // lists of RefreshStatus requests
    DWORD requestResult = SRMRES_SUCCESS;
    DWORD answer = SRMRES_SUCCESS;         // what ResSetPrinterStatus reports
    int sizeQueries = 0;

    static FakeManager*& Current() {
        static FakeManager* current = nullptr;
        return current;
    }
    static DWORD Get(DWORD, LPCWSTR name, LPVOID buffer, DWORD cb, LPDWORD needed) {
        auto it = Current()->values.find(name);
        if (it == Current()->values.end()) {
            return SRMRES_NOT_FOUND;
        }
        *needed = static_cast<DWORD>(it->second.size());
        if (buffer == nullptr) {
            ++Current()->sizeQueries;
            return SRMRES_SIZE_ONLY;
        }
        if (cb < it->second.size()) {
            std::memcpy(buffer, it->second.data(), cb);
            return SRMRES_MORE_DATA;
        }
        std::memcpy(buffer, it->second.data(), it->second.size());
        return SRMRES_SUCCESS;
    }
    static DWORD Req(DWORD, LPCWSTR, LPCVOID list, DWORD cb, HWND, UINT, LPDWORD id) {
        Current()->requests.emplace_back(static_cast<const char16_t*>(list), cb / 2 - 1);
        *id = 7;
        return Current()->requestResult;
    }
    static DWORD Res(DWORD, DWORD, LPDWORD result) {
        *result = 0;
        return Current()->answer;
    }

    /// A record bound to this manager, with the variable table copied from the template.
    PSWDATA* MakeRecord() {
        Current() = this;
        auto* d = static_cast<PSWDATA*>(GlobalAlloc(GPTR, sizeof(PSWDATA)));
        d->signature = kPswSignature;
        d->variables = static_cast<PSWVariable*>(GlobalAlloc(GPTR, sizeof(PSWVariable) * kPswVariableRows));
        std::memcpy(d->variables, PswVariableTemplate(), sizeof(PSWVariable) * kPswVariableRows);
        d->manager = 1;
        d->getPrinterStatusW = &Get;
        d->setReqPrinterStatusMsgW = &Req;
        d->resSetPrinterStatus = &Res;
        return d;
    }

    template <typename T>
    void Set(const std::u16string& name, const T& value) {
        std::vector<BYTE> bytes(sizeof(T));
        std::memcpy(bytes.data(), &value, sizeof(T));
        values[name] = bytes;
    }
    void SetBytes(const std::u16string& name, std::vector<BYTE> bytes) { values[name] = std::move(bytes); }
};

/// Frees a record made by MakeRecord (not through PswBufferRelease: no module, no window).
inline void FreeRecord(PSWDATA* d) {
    for (int row = 0; row < kPswVariableRows; ++row) {
        if (d->variables[row].value != nullptr) {
            GlobalFree(d->variables[row].value);
        }
    }
    GlobalFree(d->variables);
    GlobalFree(d);
}

}  // namespace psw_test
