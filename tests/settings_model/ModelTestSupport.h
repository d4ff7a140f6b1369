#pragma once
// Helpers of the model description tests: compiling text held in memory, and reading the
// image's lists and strings as std types.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "settings/ModelCompiler.h"
#include "settings/ModelDescription.h"
#include "tests/support/TestRoot.h"

/// Named ways to break a compiled image (ModelPackTests.cpp): each must be refused by the
/// whole-image check and, as a cache file, be recompiled.
std::vector<std::pair<std::string, std::function<void(std::vector<BYTE>&)>>> ImageCorruptions();

namespace modeltest {

struct GlobalDeleter {
    void operator()(const void* block) const { GlobalFree(const_cast<void*>(block)); }
};
using ImagePtr = std::unique_ptr<ModelDescription, GlobalDeleter>;

/// Compiles bytes from a heap block of exactly their size, so a read past the end is caught
/// by the sanitizers.
inline ImagePtr CompileBytes(const std::vector<BYTE>& bytes) {
    std::unique_ptr<BYTE[]> exact(new BYTE[bytes.size() + (bytes.empty() ? 1 : 0)]);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    return ImagePtr(CompileModelDescriptionFromView(exact.get(), static_cast<DWORD>(bytes.size())));
}

/// Compiles UTF-8 source text as a UTF-16LE data file.
inline ImagePtr CompileText(const std::string& utf8, bool withBom = true) {
    return CompileBytes(kvtest::Utf16LeBytes(kvtest::U16(utf8), withBom));
}

inline std::string Str(const ModelDescription* model, DWORD offset) {
    return kvtest::U8(ModelString(model, offset));
}

inline std::vector<BYTE> ImageBytes(const ModelDescription* model) {
    const auto* bytes = reinterpret_cast<const BYTE*>(model);
    return std::vector<BYTE>(bytes, bytes + model->TotalSize);
}

inline bool Consistent(const ModelDescription* model) {
    return IsModelImageConsistent(reinterpret_cast<const BYTE*>(model), model->TotalSize);
}

/// "name=value" for each {name, value} record of a list, to compare lists in one line.
inline std::vector<std::string> NamedList(const ModelDescription* model, DWORD offset, DWORD count) {
    std::vector<std::string> out;
    const ModelNamedValue* records = ModelList<ModelNamedValue>(model, offset, count);
    for (DWORD i = 0; records != nullptr && i < count; ++i) {
        out.push_back(Str(model, records[i].NameOffset) + "=" + std::to_string(records[i].Value));
    }
    return out;
}

}  // namespace modeltest
