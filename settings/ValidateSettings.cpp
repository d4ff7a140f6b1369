// ValidateDevMode: the order of the checks, and the forms list and language library they share.
#include "settings/ValidateSettings.h"

#include "platform/Kernel.h"
#include "settings/Forms.h"
#include "settings/SpoolerQueries.h"
#include "settings/ValidateInternal.h"

namespace {

// FeatureFlags bit 5 never outlives a check: the status rule can only clear it again.
constexpr DWORD kFeatureBit5 = 1u << 5;


class LanguageLibrary {
public:
    explicit LanguageLibrary(HANDLE printer) : module_(printer != nullptr ? LoadLanguageDll(printer) : nullptr) {}
    ~LanguageLibrary() {
        if (module_ != nullptr) FreeLanguageDll(module_);
    }
    LanguageLibrary(const LanguageLibrary&) = delete;
    LanguageLibrary& operator=(const LanguageLibrary&) = delete;
    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

// What needs neither the forms nor the language library, so that a block from outside is
// checked even when validation cannot resolve its paper.
void ValidateWithoutForms(DriverDevMode* block, HANDLE printer) {
    validation::ApplyByteRules(block);
    validation::ForceFixedValues(block);
    validation::ApplyPagesPerSheetRules(block);
    validation::ApplyOutputFeatureRules(block);
    validation::ApplyRawOnlyCheck(block, printer);
}

}  // namespace

void ValidateDevMode(DriverDevMode* block, const PrinterStatusSnapshot* status, HANDLE printer,
                     HANDLE secondPrinter, const ModelDescription* model) {
    if (block == nullptr) return;
    validation::ClampUntrustedFields(block);
    block->FeatureFlags &= ~kFeatureBit5;
    block->OutputDestination = 0;

    if (model == nullptr) {
        ValidateWithoutForms(block, printer);
        return;
    }
    const UsableForms forms(printer);
    if (!forms.Listed()) {
        ValidateWithoutForms(block, printer);
        return;
    }
    const LanguageLibrary language(secondPrinter != nullptr ? secondPrinter : printer);
    if (language.Get() == nullptr) {
        ValidateWithoutForms(block, printer);
        return;
    }

    validation::Context context{block, status, printer, model, forms.Get(), forms.Count(), language.Get(),
                                nullptr, nullptr};
    validation::ResolvePaper(context);
    validation::RepairNupArrangement(block);
    validation::SetNupMargins(block);
    validation::SetLayoutFeatureBits(block);
    validation::ApplyOutputPaperRules(context);
    validation::TidyNameFields(block);
    validation::ChoosePaperSource(context);
    validation::ApplySourceMediaValue(context);
    validation::ApplyByteRules(block);
    validation::ForceFixedValues(block);
    validation::ComputeLayoutScale(context);
    validation::ApplyPagesPerSheetRules(block);
    validation::ApplyPaperFeatureRules(context);
    validation::ApplyOutputFeatureRules(block);
    validation::ApplyRawOnlyCheck(block, printer);
}
