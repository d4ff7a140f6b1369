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
using CallsFn = std::vector<Call> (*)();

}  // namespace htui
