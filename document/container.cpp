#include "document/container.h"

#include <algorithm>
#include <cstdlib>

#include "document/module_registry.h"
#include "parameters/generic_parameter.h"
#include "parameters/patch_manager.h"

namespace md {

MD_DEFINE_SERIAL_CLASS(CContainer, 95, true, CUG_with_patches);

CContainer::CContainer() {
    using P = member_parameter<CContainer>;
    AddParameter(std::make_unique<P>(
        "Skin", *this, [](const CContainer& c) { return c.skin_name(); },
        [](CContainer& c, const std::string& text) {
            c.set_skin_name(text);
            c.Notify(doc_notify::kSkinChanged);
        }));
    AddParameter(std::make_unique<P>(
        "Program", *this,
        [](const CContainer& c) {
            return std::to_string(c.patch_manager() ? c.patch_manager()->current_patch() : 0);
        },
        [](CContainer& c, const std::string& text) {
            const int n = std::atoi(text.c_str());
            if (n >= 0 && n < CPatchManager::kPatchCount) c.EnsurePatchManager().SetCurrentPatch(n);
        }));
    AddParameter(std::make_unique<P>(
        "Program Name", *this,
        [](const CContainer& c) {
            return c.patch_manager() ? c.patch_manager()->GetPatchName(-1) : std::string();
        },
        [](CContainer& c, const std::string& text) {
            c.EnsurePatchManager().SetPatchName(text, -1);
        }));
}
CContainer::~CContainer() = default;

CDocOb* CContainer::AddChild(std::unique_ptr<CDocOb> child) {
    if (!child) return nullptr;
    child->set_parent(this);
    CDocOb* raw = child.get();
    children_.push_back(std::move(child));
    Notify(doc_notify::kChildAdded);
    return raw;
}

void CContainer::DeleteChild(CDocOb* child) {
    auto it = std::find_if(children_.begin(), children_.end(),
                           [child](const auto& c) { return c.get() == child; });
    if (it == children_.end()) return;
    std::unique_ptr<CDocOb> owned = std::move(*it);
    children_.erase(it);
    if (auto* line = dynamic_cast<CLine2*>(owned.get())) {
        line->DetachFromPlugs();
        Notify(doc_notify::kConnectionRemoved);
    } else if (auto* module = dynamic_cast<CUG*>(owned.get())) {
        // Connections ending on the module go first, wherever they lie.
        std::vector<CLine2*> lines;
        for (const auto& p : module->plugs()) {
            lines.insert(lines.end(), p->connections().begin(), p->connections().end());
        }
        std::sort(lines.begin(), lines.end());
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        for (CLine2* line : lines) {
            if (CContainer* c = line->parent()) c->DeleteChild(line);
        }
    }
}

std::vector<CUG*> CContainer::Modules() const {
    std::vector<CUG*> out;
    for (const auto& c : children_) {
        if (auto* m = dynamic_cast<CUG*>(c.get())) out.push_back(m);
    }
    return out;
}

CUG* CContainer::FindIoModule() {
    for (const auto& c : children_) {
        if (auto* m = dynamic_cast<CUG*>(c.get()); m != nullptr && (m->type_flags() & 0x0004)) {
            return m;
        }
    }
    std::unique_ptr<CDocOb> created = Registry().CreateDocObject("IO Mod");
    auto* io = dynamic_cast<CUG*>(created.get());
    if (io == nullptr) return nullptr;
    Rect r = io->structure_rect();
    r.left += 20;
    r.right += 20;
    r.top += 20;
    r.bottom += 20;
    io->set_structure_rect(r);
    AddChild(std::move(created));
    PairIoPlugs(*io);
    return io;
}

void CContainer::PairIoPlugs(CUG& io) {
    // The outer plugs without partner meet the IO module's plugs without partner, in order.
    auto unpaired = [](const CUG& m) {
        std::vector<CPlugIO2*> out;
        for (const auto& p : m.plugs()) {
            auto* x = dynamic_cast<CPlugIO2*>(p.get());
            if (x != nullptr && x->partner() == nullptr) out.push_back(x);
        }
        return out;
    };
    const std::vector<CPlugIO2*> outer = unpaired(*this);
    const std::vector<CPlugIO2*> inner = unpaired(io);
    for (size_t i = 0; i < outer.size() && i < inner.size(); ++i) {
        outer[i]->set_partner(inner[i]);
        inner[i]->set_partner(outer[i]);
    }
}

CUG* CContainer::FirstNoteSource() const {
    for (CUG* m : Modules()) {
        if (m->type_flags() & 0x0020) return m;
    }
    return nullptr;
}

bool CContainer::NoEnabledPolyController() const {
    for (CUG* m : Modules()) {
        if ((m->type_flags() & 0x0040) && !m->IsDisabled()) return false;
    }
    return true;
}

CPatchManager& CContainer::EnsurePatchManager() {
    if (!patch_manager_) {
        patch_manager_ = std::make_unique<CPatchManager>();
        patch_manager_->set_container(this);
    }
    return *patch_manager_;
}

void CContainer::SetSpareHidden(bool hidden) {
    if (hidden == spare_hidden_) return;
    spare_hidden_ = hidden;
    for (const auto& p : plugs()) {
        if (p->Descriptor().name == "Spare") p->set_hidden(hidden);
    }
    Notify(doc_notify::kSpareVisibilityChanged);
}

bool CContainer::IsDisabled() const {
    return CUG_with_patches::IsDisabled();
}

bool CContainer::HoldsPatchSelect() const {
    return std::any_of(children_.begin(), children_.end(), [](const auto& c) {
        return c->type() != nullptr && c->type()->GetId() == "Patch Select";
    });
}

void CContainer::CompleteLoad() {
    FixUpAfterLoad();
    AttachAllConnections();
    DeriveIoPlugs();
}

void CContainer::FixUpAfterLoad() {
    if (!patch_manager_ && (parent() == nullptr || HoldsPatchSelect())) EnsurePatchManager();
    for (CUG* m : Modules()) m->FinishLoadedPlugs();
    FinishLoadedPlugs();
    for (const auto& p : plugs()) {
        if (p->Descriptor().name == "Spare") p->set_hidden(spare_hidden_);
    }
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        if (auto* c = dynamic_cast<CContainer*>(it->get())) c->FixUpAfterLoad();
    }
}

void CContainer::AttachAllConnections() {
    // Attaching may add spare plugs but never children, so the list stays put.
    for (const auto& c : children_) {
        if (auto* line = dynamic_cast<CLine2*>(c.get())) line->AttachToPlugs();
    }
    for (const auto& c : children_) {
        if (auto* sub = dynamic_cast<CContainer*>(c.get())) sub->AttachAllConnections();
    }
}

void CContainer::DeriveIoPlugs() {
    auto derive = [](CUG& m) {
        for (const auto& p : m.plugs()) {
            auto* io = dynamic_cast<CPlugIO2*>(p.get());
            if (io != nullptr && !io->io_from_archive()) io->DeriveIoFromWiring();
        }
    };
    derive(*this);
    for (const auto& c : children_) {
        if (auto* sub = dynamic_cast<CContainer*>(c.get())) {
            sub->DeriveIoPlugs();
        } else if (auto* m = dynamic_cast<CUG*>(c.get());
                   m != nullptr && (m->type_flags() & 0x0004)) {
            derive(*m);
        }
    }
}

void CContainer::AddLoadedChild(Archive& ar, std::unique_ptr<ArchObject> o) {
    std::unique_ptr<CDocOb> child(static_cast<CDocOb*>(o.release()));
    // Files before version 45 store old connections; each becomes a CLine2 of the same plugs.
    // The old object stays with the archive, since later records may refer to it.
    if (ar.v() < 45) {
        if (auto* old = dynamic_cast<CLine*>(child.get())) {
            auto line = std::make_unique<CLine2>(old->from(), old->to());
            ar.Keep(std::move(child));
            child = std::move(line);
        }
    }
    AddChild(std::move(child));
}

void CContainer::Serialize(Archive& ar) {
    const Archive::ContainerLevel level(ar);
    CUG_with_patches::Serialize(ar);
    const int32_t v = ar.v();
    if (v < 10) {
        // Old drawing objects, counted: connections become CLine2, the rest are kept.
        uint32_t n = static_cast<uint32_t>(children_.size());
        ar.Count(n, 2);
        if (ar.IsLoading()) {
            for (uint32_t i = 0; i < n; ++i) {
                std::unique_ptr<ArchObject> o = ar.LoadOwned(CDocOb::kClass);
                if (o) AddLoadedChild(ar, std::move(o));
            }
        } else {
            for (const auto& c : children_) ar.StoreObject(c.get());
        }
    } else {
        if (v > 95269) {
            ar.Owned(patch_manager_);
            if (patch_manager_) patch_manager_->set_container(this);
        }
        const bool counted = v < 95321;
        int32_t count = static_cast<int32_t>(children_.size());
        if (counted) ar.Int32(count);
        if (ar.IsLoading()) {
            if (count < 0) throw ArchiveError("negative child count");
            for (int32_t i = 0; !counted || i < count; ++i) {
                std::unique_ptr<ArchObject> o = ar.LoadOwned(CDocOb::kClass);
                if (!o) break;
                AddLoadedChild(ar, std::move(o));
            }
        } else {
            for (const auto& c : children_) ar.StoreObject(c.get());
            if (!counted) ar.StoreObject(nullptr);
        }
    }
    if (v > 94950) ar.RectValue(panel_rect);
    ar.RectValue(panel_view_rect);
    ar.RectValue(structure_view_rect);
    if (v > 27) {
        ar.PointValue(panel_scroll);
        ar.PointValue(structure_scroll);
    }
    if (v > 8) ar.Int32(flags_);
    if (v > 47) ar.Text(skin_name_);
    if (v > 49 && v < 95270) {
        std::vector<std::string> names;
        int32_t current = 0;
        if (ar.IsStoring() && patch_manager_) {
            for (int i = 0; i < CPatchManager::kPatchCount; ++i) {
                names.push_back(patch_manager_->GetPatchName(i));
            }
            current = patch_manager_->current_patch();
        }
        ar.TextArray(names);
        ar.Int32(current);
        if (ar.IsLoading()) {
            CPatchManager& pm = EnsurePatchManager();
            for (size_t i = 0; i < names.size() && i < CPatchManager::kPatchCount; ++i) {
                pm.SetPatchName(names[i], static_cast<int32_t>(i));
            }
            if (current >= 0 && current < CPatchManager::kPatchCount) pm.SetCurrentPatch(current);
        }
    }
    if (v > 94950) ar.Bool8(spare_hidden_);
    if (ar.IsLoading() && v < 94811) SetTypeFromId("Container");
}

}  // namespace md
