// CUG: a module of the patch, with its plugs, title and disabled flag.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/doc_object.h"
#include "document/plug.h"

namespace md {

class ug_base;

// A named GUI-side value a module publishes; each gets a CPlugFeature on the module.
struct FeatureInfo {
    std::string name;
    Direction direction = DR_OUT;
    DataType data_type = PT_FLOAT;
    std::string meta;
};

class CUG : public CDocOb {
    MD_SERIAL_CLASS()

public:
    CUG();
    ~CUG() override;

    // Sets up a module newly created from its type: title from the type's display name, one
    // CPlugGui per entry of a Module_Info2's second list, then one plug per descriptor.
    virtual void CreateFromType(Module_Info* type);

    // ---- plugs ----
    const std::vector<std::unique_ptr<CPlug2>>& plugs() const { return plugs_; }
    // Adds a plug in descriptor-index order (plugs without descriptor at the end, in the order
    // added) and returns it.
    CPlug2* AddPlug(std::unique_ptr<CPlug2> plug);
    // Destroys the plug (which must have no connections).
    void RemovePlug(CPlug2* plug);
    // The plug factory: the right plug class for a descriptor.
    virtual std::unique_ptr<CPlug2> MakePlug(int16_t descriptor_index,
                                             const InterfaceObject& descriptor) const;
    // The first plug whose name is `name`.
    CPlug2* FindPlug(std::string_view name) const;
    // The `index`-th plug (from 0) of this direction and data type, spare copies skipped.
    CPlug2* FindPlug(Direction direction, DataType type, int index) const;
    // Index of `plug` among the visible plugs (spare copies and GUI-side plugs skipped); -1 when
    // it isn't one of them.
    int VisibleIndex(const CPlug2* plug) const;
    // Number of plugs, spare copies skipped.
    int PlugCount() const;
    // A plug gained or lost a connection, or changed its value.
    virtual void OnPlugChanged(CPlug2* /*plug*/) {}

    // ---- settings ----
    const std::string& title() const { return title_; }
    void set_title(std::string title) { title_ = std::move(title); }
    bool disabled_flag() const { return disabled_; }
    void set_disabled_flag(bool disabled);
    // Disabled by its own flag or, when that is clear, by its container.
    virtual bool IsDisabled() const;
    const Rect& structure_rect() const { return structure_rect_; }
    void set_structure_rect(const Rect& r) { structure_rect_ = r; }

    // The DSP object built from this module while a graph exists.
    ug_base* dsp_object() const { return dsp_object_; }
    void set_dsp_object(ug_base* unit) { dsp_object_ = unit; }

    // The GUI-side values this module publishes; none here.
    virtual std::vector<FeatureInfo> Features() const { return {}; }

    // After loading: every plug refreshes; features are synchronised.
    virtual void FinishLoadedPlugs();

    void Serialize(Archive& ar) override;

private:
    // Adds a feature plug for every feature numbered from `first` on.
    void AddFeaturePlugs(size_t first);

    std::vector<std::unique_ptr<CPlug2>> plugs_;
    std::string title_;
    bool disabled_ = false;
    Rect structure_rect_{0, 0, 20, 20};
    ug_base* dsp_object_ = nullptr;
};

// A module that owns patch memory (containers, hosted plug-ins).
class CUG_with_patches : public CUG {
    MD_SERIAL_CLASS()

public:
    static constexpr int kPatchCount = 128;
    virtual int PatchCount() const { return kPatchCount; }
};

}  // namespace md
