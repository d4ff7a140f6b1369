// Security descriptors as plain records: callers build them to pass to the Create functions,
// which accept any descriptor (the stand-in enforces no access rights).
#include <cstring>

#include "platform/Kernel.h"
#include "platform/Sync.h"

PLATFORM_API BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) {
    if (descriptor == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (revision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_UNKNOWN_REVISION);
        return FALSE;
    }
    std::memset(descriptor, 0, sizeof(SECURITY_DESCRIPTOR));
    static_cast<SECURITY_DESCRIPTOR*>(descriptor)->Revision = static_cast<BYTE>(revision);
    return TRUE;
}

PLATFORM_API BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, PACL dacl,
                                            BOOL daclDefaulted) {
    auto* record = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
    if (record == nullptr || record->Revision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return FALSE;
    }
    record->Control = static_cast<WORD>(record->Control & ~(SE_DACL_PRESENT | SE_DACL_DEFAULTED));
    record->Dacl = nullptr;
    if (daclPresent != FALSE) {
        record->Control |= SE_DACL_PRESENT;
        record->Dacl = dacl;
        if (daclDefaulted != FALSE) record->Control |= SE_DACL_DEFAULTED;
    }
    return TRUE;
}
