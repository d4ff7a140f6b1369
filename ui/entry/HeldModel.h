#pragma once
// The printer's model description held for one call or until a context takes it over.
#include "settings/ModelCache.h"
#include "settings/ModelDescription.h"

class HeldModel {
public:
    explicit HeldModel(HANDLE printer) : model_(AcquireModelDescription(printer)) {}
    ~HeldModel() { ReleaseModelDescription(model_); }
    HeldModel(const HeldModel&) = delete;
    HeldModel& operator=(const HeldModel&) = delete;
    const ModelDescription* Get() const { return model_; }
    /// Hands the description over to a holder that releases it later.
    const ModelDescription* Release() {
        const ModelDescription* model = model_;
        model_ = nullptr;
        return model;
    }

private:
    const ModelDescription* model_;
};
