#pragma once
// The usable-forms list, the N-up arrangement rule and the system version tests.
#include "platform/Owners.h"
#include "platform/Spooler.h"
#include "platform/WinTypes.h"

/// Form size window of this printer, thousandths of a millimetre (bounds included).
inline constexpr LONG kUsableMinWidth = 72000;
inline constexpr LONG kUsableMaxWidth = 457200;
inline constexpr LONG kUsableMinLength = 59300;
inline constexpr LONG kUsableMaxLength = 355600;

/// True when the form lies in the window or is named "A3" or "B4 (JIS)".
bool IsUsableForm(const FORM_INFO_1W& form);
/// A form blanked by EnumUsableForms (empty name, 0 x 0). Lookups by name or size skip it.
bool IsBlankedForm(const FORM_INFO_1W& form);

/// The spooler's forms for the printer with the unusable ones blanked in place (positions
/// kept), as one GlobalAlloc block the caller frees; NULL when they cannot be listed.
[[nodiscard]] FORM_INFO_1W* EnumUsableForms(HANDLE printer, DWORD* count);
/// The spooler's forms for the printer as it lists them, none blanked, in the same kind of
/// block; NULL when they cannot be listed.
[[nodiscard]] FORM_INFO_1W* EnumSpoolerForms(HANDLE printer, DWORD* count);
/// 1-based position of the first form (not blanked) whose name equals name exactly, else 0.
[[nodiscard]] DWORD FindFormByName(const FORM_INFO_1W* forms, DWORD count, LPCWSTR name);

/// The printer's usable forms as EnumUsableForms lists them, freed with their owner; none
/// for a NULL printer or when they cannot be listed.
class UsableForms {
public:
    explicit UsableForms(HANDLE printer)
        : forms_(printer != nullptr ? EnumUsableForms(printer, &count_) : nullptr) {}
    UsableForms(const UsableForms&) = delete;
    UsableForms& operator=(const UsableForms&) = delete;

    [[nodiscard]] bool Listed() const { return forms_.Valid(); }
    const FORM_INFO_1W* Get() const { return forms_.As<const FORM_INFO_1W>(); }
    DWORD Count() const { return Listed() ? count_ : 0; }
    /// The form of that exact name, never a blanked one; NULL when there is none.
    const FORM_INFO_1W* Find(LPCWSTR name) const {
        const DWORD position = FindFormByName(Get(), Count(), name);
        return position == 0 ? nullptr : &Get()[position - 1];
    }

private:
    DWORD count_ = 0;
    GlobalBlock forms_;
};

/// 1 when down x across pages fit the paper; width and length in tenths of a millimetre.
int IsNupLayoutAllowed(LPCWSTR formName, int width, int length, BYTE down, BYTE across);

/// 1 for version 5.1 or later.
int IsOsVersion51OrLater();
/// The same test under the user-interface code's name.
int IsOsLaterThan50();
