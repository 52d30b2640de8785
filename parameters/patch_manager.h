// CPatchManager: the patch memory of a container (128 patches: names and patch parameters).
//
// Document side; user-interface thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "document/archive.h"

namespace md {

class CContainer;
class CPlug2;
class PatchParameter_base;

class CPatchManager : public ArchObject {
    MD_SERIAL_CLASS()

public:
    static constexpr int kPatchCount = 128;

    CPatchManager();
    ~CPatchManager() override;

    CContainer* container() const { return container_; }
    void set_container(CContainer* c) { container_ = c; }

    int32_t current_patch() const { return current_patch_; }
    // Selects patch n (0..127); when it differs from the current one every parameter loads it.
    void SetCurrentPatch(int32_t n);
    // n = -1: the current patch. Unnamed patches are "Patch %3d" with n + 1.
    std::string GetPatchName(int32_t n) const;
    void SetPatchName(std::string name, int32_t n);
    const std::map<int32_t, std::string>& patch_names() const { return names_; }

    // Parameters by handle.
    const std::map<int32_t, std::unique_ptr<PatchParameter_base>>& parameters() const {
        return parameters_;
    }
    // Keeps a non-negative handle not in use, else gives the smallest free one. Returns it.
    PatchParameter_base* AddParameter(std::unique_ptr<PatchParameter_base> p);

    void Serialize(Archive& ar) override;

private:
    CContainer* container_ = nullptr;
    int32_t current_patch_ = 0;
    std::map<int32_t, std::string> names_;
    std::map<int32_t, std::unique_ptr<PatchParameter_base>> parameters_;
};

}  // namespace md
