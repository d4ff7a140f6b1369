#include "langmon/PortDocument.h"

namespace langmon {

bool OpenStatusDocument(PortContext&) { return false; }
bool WritePortData(PortContext&, const BYTE*, DWORD, DWORD* written, bool, bool) {
    if (written != nullptr) *written = 0;
    return false;
}
void SendUstatusOff(PortContext&) {}
BOOL PMGetPrinterDataFromPort(PortContext&, DWORD, LPWSTR, LPWSTR, DWORD, LPWSTR, DWORD, LPDWORD) { return FALSE; }

}  // namespace langmon
