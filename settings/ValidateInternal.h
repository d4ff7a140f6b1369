#pragma once
// Pieces of ValidateDevMode shared by its source files (ValidateSettings.cpp runs them in
// order). Not part of the settings library's interface.
#include "platform/Spooler.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"
#include "settings/PrinterData.h"

namespace validation {

/// Everything one validation works with. Forms and Language are owned by ValidateDevMode;
/// the FormPort notes point into the model image.
struct Context {
    DriverDevMode* Block;
    const PrinterStatusSnapshot* Status;  // NULL when the caller has none
    HANDLE Printer;
    const ModelDescription* Model;
    const FORM_INFO_1W* Forms;
    DWORD FormCount;
    HMODULE Language;
    const ModelForm* PaperPort;   // *FormPort record named by dmFormName, or NULL
    const ModelForm* OutputPort;  // *FormPort record named by OutputPaperName, or NULL
};

/// Position given to a paper that is wanted but missing from the usable-forms list.
inline constexpr SHORT kUnlistedPaperSize = 46;

// --- Name sets and model lookups (ValidatePaper.cpp) ---
bool IsStandardPaper(LPCWSTR name) noexcept;
bool IsNupPaper(LPCWSTR name) noexcept;
bool IsNupPaperWithoutLetter(LPCWSTR name) noexcept;
[[nodiscard]] const ModelForm* FindFormPort(const ModelDescription* model, LPCWSTR name) noexcept;
/// The effective paper: the output paper when one is named, else the form.
LPCWSTR EffectivePaperName(const DriverDevMode* block) noexcept;
[[nodiscard]] const ModelForm* EffectivePaperPort(const Context& context) noexcept;

/// 1-based position of the first pair's output form in the table, 0 when no pair fits.
/// No character at or past cchValue is read. Names longer than 31 characters never match.
[[nodiscard]] DWORD FindOutPaperInTable(const WCHAR* table, size_t cchValue, LPCWSTR paperName,
                                        const FORM_INFO_1W* forms, DWORD formCount) noexcept;

// --- Paper checks (ValidatePaper.cpp) ---
void ResolvePaper(Context& context) noexcept;         // form, output paper, FormPort note
void ApplyOutputPaperRules(Context& context) noexcept;  // rule, table, N-up, FormPort note
void TidyNameFields(DriverDevMode* block) noexcept;

// --- Layout checks (ValidateLayout.cpp) ---
/// Brings every field that the renderer indexes or divides by into its range.
void ClampUntrustedFields(DriverDevMode* block) noexcept;
bool IsNupInUse(const DriverDevMode* block) noexcept;
void RepairNupArrangement(DriverDevMode* block) noexcept;
void SetNupMargins(DriverDevMode* block) noexcept;
void SetLayoutFeatureBits(DriverDevMode* block) noexcept;
void ComputeLayoutScale(const Context& context) noexcept;
void ApplyPagesPerSheetRules(DriverDevMode* block) noexcept;

// --- Source, fixed values and feature bits (ValidateFeatures.cpp) ---
void ChoosePaperSource(const Context& context) noexcept;
void ApplySourceMediaValue(const Context& context) noexcept;
void ApplyByteRules(DriverDevMode* block) noexcept;
void ForceFixedValues(DriverDevMode* block) noexcept;
void ApplyPaperFeatureRules(const Context& context) noexcept;  // FeatureFlags 3 to 7, OptionFlags 16
void ApplyOutputFeatureRules(DriverDevMode* block) noexcept;   // FeatureFlags 9 to 27, overlay bit 3
void ApplyRawOnlyCheck(DriverDevMode* block, HANDLE printer) noexcept;

}  // namespace validation
