#pragma once
// Owners of what the user interface takes from the settings library for the length of one
// call: the model description and the language library.
#include <utility>

#include "platform/WinTypes.h"
#include "settings/ModelCache.h"
#include "settings/ModelDescription.h"
#include "settings/SpoolerQueries.h"

/// A model description from AcquireModelDescription, given back once.
class HeldModel {
public:
    explicit HeldModel(HANDLE printer) : model_(AcquireModelDescription(printer)) {}
    ~HeldModel() { ReleaseModelDescription(model_); }
    HeldModel(const HeldModel&) = delete;
    HeldModel& operator=(const HeldModel&) = delete;
    [[nodiscard]] const ModelDescription* Get() const { return model_; }

private:
    const ModelDescription* model_;
};

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
