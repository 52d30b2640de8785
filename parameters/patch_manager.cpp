#include "parameters/patch_manager.h"

#include <cstdio>
#include <string>

#include "parameters/patch_parameter.h"

namespace md {

MD_DEFINE_SERIAL_CLASS(CPatchManager, 1, false, ArchObject);

namespace {

// Ends the parameter list from version 95321 on.
constexpr int32_t kEndOfParameters = -1;

bool IsPatch(int32_t n) {
    return n >= 0 && n < CPatchManager::kPatchCount;
}

}  // namespace

CPatchManager::CPatchManager() = default;
CPatchManager::~CPatchManager() = default;

void CPatchManager::SetCurrentPatch(int32_t n) {
    if (!IsPatch(n) || n == current_patch_) return;
    current_patch_ = n;
}

std::string CPatchManager::GetPatchName(int32_t n) const {
    if (n == -1) n = current_patch_;
    if (auto it = names_.find(n); it != names_.end()) return it->second;
    char name[32];
    std::snprintf(name, sizeof name, "Patch %3d", static_cast<int>(n) + 1);
    return name;
}

void CPatchManager::SetPatchName(std::string name, int32_t n) {
    if (n == -1) n = current_patch_;
    if (IsPatch(n)) names_[n] = std::move(name);
}

PatchParameter_base* CPatchManager::AddParameter(std::unique_ptr<PatchParameter_base> p) {
    if (!p) return nullptr;
    int32_t handle = p->handle();
    if (handle < 0 || parameters_.contains(handle)) {
        handle = 0;
        for (const auto& [used, parameter] : parameters_) {
            if (used < handle) continue;
            if (used > handle) break;
            ++handle;
        }
    }
    p->set_handle(handle);
    PatchParameter_base* raw = p.get();
    parameters_.emplace(handle, std::move(p));
    return raw;
}

void CPatchManager::Serialize(Archive& ar) {
    const int32_t v = ar.v();
    ar.Int32(current_patch_);
    // An out-of-range current patch would index past the patch memory.
    if (ar.IsLoading() && !IsPatch(current_patch_)) current_patch_ = 0;

    int32_t name_count = static_cast<int32_t>(names_.size());
    ar.Int32(name_count);
    if (ar.IsStoring()) {
        for (auto& [patch, name] : names_) {
            int32_t n = patch;
            ar.Int32(n);
            ar.Text(name);
        }
    } else {
        // An entry takes at least its patch number and its text's length byte.
        if (name_count < 0 || static_cast<uint64_t>(name_count) * 5 > ar.remaining()) {
            throw ArchiveError("patch name count out of range");
        }
        names_.clear();
        for (int32_t i = 0; i < name_count; ++i) {
            int32_t patch = 0;
            std::string name;
            ar.Int32(patch);
            ar.Text(name);
            // Names of patches that don't exist are dropped.
            if (IsPatch(patch)) names_[patch] = std::move(name);
        }
    }

    if (v < 95311) return;
    const bool counted = v < 95321;
    int32_t count = static_cast<int32_t>(parameters_.size());
    if (counted) ar.Int32(count);
    if (ar.IsStoring()) {
        for (auto& [handle, p] : parameters_) {
            int32_t type_id = p->TypeId();
            ar.Int32(type_id);
            p->Serialize(ar);
        }
        if (!counted) {
            int32_t end = kEndOfParameters;
            ar.Int32(end);
        }
        return;
    }
    // Each parameter takes at least its type id.
    if (counted && (count < 0 || static_cast<uint64_t>(count) * 4 > ar.remaining())) {
        throw ArchiveError("patch parameter count out of range");
    }
    parameters_.clear();
    for (int32_t i = 0; !counted || i < count; ++i) {
        int32_t type_id = 0;
        ar.Int32(type_id);
        if (type_id < 0) break;
        std::unique_ptr<PatchParameter_base> p = PatchParameter_base::Create(type_id);
        if (!p) throw ArchiveError("unknown patch parameter type " + std::to_string(type_id));
        p->Serialize(ar);
        AddParameter(std::move(p));
    }
}

}  // namespace md
