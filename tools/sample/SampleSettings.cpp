#include "tools/sample/SampleSettings.h"

#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"

namespace kvtest {

std::vector<BYTE> DefaultSettingsBlock(const std::u16string& name) {
    std::vector<BYTE> bytes(sizeof(DriverDevMode), 0);
    InitSettingsLock();
    {
        ScopedPrinter printer(name);
        const ModelDescription* model = printer.handle() != nullptr ? AcquireModelDescription(printer.handle()) : nullptr;
        if (model != nullptr) {
            BuildDefaultDevMode(&SettingsOf(bytes), printer.handle(), nullptr, model);
            ReleaseModelDescription(model);
        } else {
            bytes.clear();
        }
    }
    FreeSettingsLock();
    return bytes;
}

}  // namespace kvtest
