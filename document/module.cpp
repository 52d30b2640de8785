#include "document/module.h"

#include <algorithm>

#include "document/container.h"
#include "document/module_info.h"
#include "parameters/generic_parameter.h"

namespace md {

MD_DEFINE_SERIAL_CLASS(CUG, 1, false, CDocOb);
MD_DEFINE_SERIAL_CLASS(CUG_with_patches, 1, false, CUG);

CUG::CUG() {
    AddParameter(std::make_unique<member_parameter<CUG>>(
        "Title", *this, [](const CUG& m) { return m.title(); },
        [](CUG& m, const std::string& text) { m.set_title(text); }));
}

CUG::~CUG() = default;

void CUG::AddFeaturePlugs(size_t first) {
    const std::vector<FeatureInfo> features = Features();
    for (size_t i = first; i < features.size(); ++i) {
        const FeatureInfo& f = features[i];
        AddPlug(std::make_unique<CPlugFeature>(int16_t{-1}, "0", f.direction, f.data_type,
                                               static_cast<int32_t>(i), f.name, f.meta, 0));
    }
}

void CUG::CreateFromType(Module_Info* type) {
    set_type(type);
    if (type == nullptr) return;
    title_ = type->GetDisplayName();
    if (auto* type2 = dynamic_cast<Module_Info2*>(type)) {
        const InterfaceList& gui = type2->plugs2();
        for (size_t i = 0; i < gui.size(); ++i) {
            AddPlug(std::make_unique<CPlugGui>(static_cast<int16_t>(i), gui[i].default_value));
        }
    }
    const InterfaceList& list = type->plugs();
    for (size_t i = 0; i < list.size(); ++i) {
        AddPlug(MakePlug(static_cast<int16_t>(i), list[i]));
    }
    AddFeaturePlugs(0);
}

std::unique_ptr<CPlug2> CUG::MakePlug(int16_t index, const InterfaceObject& d) const {
    if (d.direction == DR_CONTAINER_IO) {
        return std::make_unique<CPlugIO2>(index, d.default_value, std::string());
    }
    if (d.flags & plug_flag::kGuiPlug) {
        return std::make_unique<CPlugFeature4>(index, d.default_value, d.direction, d.data_type, 0,
                                               d.name, d.meta, d.flags);
    }
    if (d.flags & plug_flag::kRenamable) {
        return std::make_unique<CPlugNameable>(index, d.default_value, d.name);
    }
    return std::make_unique<CPlug2>(index, d.default_value);
}

CPlug2* CUG::AddPlug(std::unique_ptr<CPlug2> plug) {
    if (!plug) return nullptr;
    plug->set_owner(this);
    const int16_t index = plug->descriptor_index();
    // After the last plug of a lower or equal descriptor index; descriptor-less plugs last.
    auto pos = plugs_.end();
    if (index >= 0) {
        pos = std::find_if(plugs_.begin(), plugs_.end(), [index](const auto& p) {
            return p->descriptor_index() < 0 || p->descriptor_index() > index;
        });
    }
    CPlug2* raw = plug.get();
    plugs_.insert(pos, std::move(plug));
    Notify(doc_notify::kPlugsChanged);
    return raw;
}

void CUG::RemovePlug(CPlug2* plug) {
    auto it = std::find_if(plugs_.begin(), plugs_.end(),
                           [plug](const auto& p) { return p.get() == plug; });
    if (it == plugs_.end()) return;
    plugs_.erase(it);
    Notify(doc_notify::kPlugsChanged);
}

CPlug2* CUG::FindPlug(std::string_view name) const {
    for (const auto& p : plugs_) {
        if (p->GetName() == name) return p.get();
    }
    return nullptr;
}

CPlug2* CUG::FindPlug(Direction direction, DataType type, int index) const {
    for (const auto& p : plugs_) {
        if (p->GetDirection() != direction || p->GetDataType() != type || p->IsSpareCopy()) {
            continue;
        }
        if (index-- == 0) return p.get();
    }
    return nullptr;
}

int CUG::VisibleIndex(const CPlug2* plug) const {
    int i = 0;
    for (const auto& p : plugs_) {
        const bool skipped = p->IsSpareCopy() || p->IsGuiSide();
        if (p.get() == plug) return skipped ? -1 : i;
        if (!skipped) ++i;
    }
    return -1;
}

int CUG::PlugCount() const {
    return static_cast<int>(std::count_if(plugs_.begin(), plugs_.end(),
                                          [](const auto& p) { return !p->IsSpareCopy(); }));
}

void CUG::set_disabled_flag(bool disabled) {
    if (disabled == disabled_) return;
    disabled_ = disabled;
    Notify(doc_notify::kDisabledChanged);
}

bool CUG::IsDisabled() const {
    if (disabled_) return true;
    return parent() != nullptr && parent()->IsDisabled();
}

void CUG::FinishLoadedPlugs() {
    for (const auto& p : plugs_) p->Refresh();
    // Features published since the file was written get their plugs now.
    size_t loaded = 0;
    for (const auto& p : plugs_) {
        if (auto* f = dynamic_cast<const CPlugFeature*>(p.get());
            f != nullptr && f->descriptor_index() < 0) {
            loaded = std::max(loaded, static_cast<size_t>(f->feature_number()) + 1);
        }
    }
    AddFeaturePlugs(loaded);
}

void CUG::Serialize(Archive& ar) {
    const int32_t v = ar.v();
    if (v > 36) CDocOb::Serialize(ar);
    ar.OwnedList(plugs_);
    if (ar.IsLoading()) {
        for (const auto& p : plugs_) {
            if (!p) throw ArchiveError("null plug in a module's plug list");
            p->set_owner(this);
        }
    }
    ar.Text(title_);
    if (v <= 7) {
        int32_t legacy = type() != nullptr ? type()->legacy_number() : -1;
        ar.Int32(legacy);
        if (ar.IsLoading()) SetTypeFromId("BI" + std::to_string(legacy));
    }
    int16_t disabled = disabled_ ? 1 : 0;
    ar.Int16(disabled);
    disabled_ = disabled != 0;
    if (v > 36) ar.RectValue(structure_rect_);
}

}  // namespace md
