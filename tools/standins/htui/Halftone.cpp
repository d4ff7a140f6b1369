// "htui.dll": the halftone and colour adjustment dialogs, answered from the test's script.
#include "tools/standins/htui/Halftone.h"

#include <mutex>
#include <stdexcept>

namespace {

struct Record {
    std::mutex lock;
    htui::Script script;
    std::vector<htui::Call> calls;
};
// The module's whole state: the product loads and frees the module around each call, while
// a test holds a reference so that the script survives.
Record& TheRecord() {
    static Record record;
    return record;
}

std::u16string Text(LPCWSTR text) { return text != nullptr ? text : u""; }

}  // namespace

DLL_EXPORT LONG HTUI_ColorAdjustmentW(LPWSTR callerTitle, HANDLE, LPWSTR, COLORADJUSTMENT* adjustment,
                                      BOOL showMonochromeOnly, BOOL updatePermission) {
    std::lock_guard<std::mutex> guard(TheRecord().lock);
    htui::Call call;
    call.function = "HTUI_ColorAdjustmentW";
    call.title = Text(callerTitle);
    call.showMonochromeOnly = showMonochromeOnly;
    call.updatePermission = updatePermission;
    TheRecord().calls.push_back(call);
    if (adjustment == nullptr) return -1;
    const htui::Script& script = TheRecord().script;
    // Without permission the dialog only shows the values.
    if (script.editColor && updatePermission) *adjustment = script.color;
    return script.answer;
}

DLL_EXPORT LONG HTUI_DeviceColorAdjustmentW(LPWSTR deviceName, PDEVHTADJDATA data) {
    std::lock_guard<std::mutex> guard(TheRecord().lock);
    htui::Call call;
    call.function = "HTUI_DeviceColorAdjustmentW";
    call.title = Text(deviceName);
    if (data != nullptr) {
        call.device = *data;
        if (data->pDefHTInfo != nullptr) call.defaults = *data->pDefHTInfo;
        if (data->pAdjHTInfo != nullptr) call.adjusted = *data->pAdjHTInfo;
    }
    TheRecord().calls.push_back(call);
    if (data == nullptr || data->pAdjHTInfo == nullptr) return -1;
    const htui::Script& script = TheRecord().script;
    if (script.editDevice) *data->pAdjHTInfo = script.device;
    if (script.raise) throw std::runtime_error("device adjustment failed");
    return script.answer;
}

DLL_EXPORT void HtuiSetScript(const htui::Script* script) {
    std::lock_guard<std::mutex> guard(TheRecord().lock);
    TheRecord().script = script != nullptr ? *script : htui::Script{};
    TheRecord().calls.clear();
}

DLL_EXPORT void HtuiCalls(std::vector<htui::Call>* out) {
    if (out == nullptr) return;
    std::lock_guard<std::mutex> guard(TheRecord().lock);
    *out = TheRecord().calls;
}
