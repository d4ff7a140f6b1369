#pragma once
// The test side of the "htui" stand-in: what its two adjustment calls were given, and the
// script that plays the user's edits. Tests take "HtuiSetScript" and "HtuiCalls" from the
// loaded module with GetProcAddress.
#include <string>
#include <vector>

#include "platform/PropSheet.h"

namespace htui {

struct Call {
    std::string function;  // "HTUI_ColorAdjustmentW" or "HTUI_DeviceColorAdjustmentW"
    std::u16string title;  // the caller title or the device name
    BOOL showMonochromeOnly = FALSE;
    BOOL updatePermission = FALSE;
    DEVHTADJDATA device{};  // the record as given (pointers included)
    DEVHTINFO defaults{};   // what its two records held when the call came
    DEVHTINFO adjusted{};
};

/// What the next calls do: each writes its record when one is set, then answers `answer`.
struct Script {
    bool editColor = false;
    COLORADJUSTMENT color{};
    bool editDevice = false;
    DEVHTINFO device{};
    LONG answer = 0;
    /// The device adjustment fails inside the library (an exception) instead of answering.
    bool raise = false;
};

using SetScriptFn = void (*)(const Script* script);  // NULL: no edits, answer 0
/// Copies the calls made since the last script into *out (the export has C linkage: the list
/// comes back through the caller's vector, not as a return value).
using CallsFn = void (*)(std::vector<Call>* out);

/// The calls made since the last script, through the module's "HtuiCalls".
inline std::vector<Call> CallsOf(CallsFn calls) {
    std::vector<Call> out;
    if (calls != nullptr) calls(&out);
    return out;
}

}  // namespace htui
