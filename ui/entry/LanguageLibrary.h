#pragma once
// The driver's language library held for the length of one call.
#include "platform/WinTypes.h"
#include "settings/SpoolerQueries.h"

/// The driver's language library of a printer (LoadLanguageDll), freed once.
class LanguageLibrary {
public:
    explicit LanguageLibrary(HANDLE printer) : module_(LoadLanguageDll(printer)) {}
    ~LanguageLibrary() {
        if (module_ != nullptr) FreeLanguageDll(module_);
    }
    LanguageLibrary(const LanguageLibrary&) = delete;
    LanguageLibrary& operator=(const LanguageLibrary&) = delete;
    [[nodiscard]] HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};
