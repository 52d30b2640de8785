#include "document/panel_objects.h"

#include <algorithm>

namespace md {

MD_DEFINE_SERIAL_CLASS(control_ob_base, 1, false, CUG);
MD_DEFINE_SERIAL_CLASS(control_ob, 1, false, control_ob_base);
MD_DEFINE_SERIAL_CLASS(control_ob_bitmap, 1, false, control_ob);
MD_DEFINE_SERIAL_CLASS(control_ob_bitmap_joystick, 1, false, control_ob);
MD_DEFINE_SERIAL_CLASS(control_ob_bitmap_tinted, 1, false, control_ob);
MD_DEFINE_SERIAL_CLASS(control_ob_list, 1, false, control_ob);
MD_DEFINE_SERIAL_CLASS(control_ob_text, 1, false, control_ob);
MD_DEFINE_SERIAL_CLASS(control_group_ob, 1, false, control_ob_base);
MD_DEFINE_SERIAL_CLASS(CTabBox, 1, false, control_ob_base);
MD_DEFINE_SERIAL_CLASS(CPanelBox2, 1, false, CDocOb);
MD_DEFINE_SERIAL_CLASS(CPanelBox, 1, false, CPanelBox2);
MD_DEFINE_SERIAL_CLASS(CPortal, 1, false, CDocOb);
MD_DEFINE_SERIAL_CLASS(CGraphicObject, 1, false, CDocOb);

namespace {

constexpr int32_t kEndOfEntries = -1;

}  // namespace

void control_ob_base::Serialize(Archive& ar) {
    CUG::Serialize(ar);
    ar.Ref(linked_object);
    ar.RectValue(panel_rect);
}

void control_ob::Serialize(Archive& ar) {
    control_ob_base::Serialize(ar);
    if (ar.IsStoring()) {
        for (auto& e : entries) {
            for (int32_t& x : e) ar.Int32(x);
        }
        int32_t end = kEndOfEntries;
        ar.Int32(end);
        return;
    }
    entries.clear();
    for (;;) {
        std::array<int32_t, 3> e{};
        ar.Int32(e[0]);
        if (e[0] == kEndOfEntries) break;
        ar.Int32(e[1]);
        ar.Int32(e[2]);
        entries.push_back(e);
    }
}

bool control_group_ob::AddMember(control_ob_base* member) {
    if (member == nullptr || member == this) return false;
    if (std::find(members_.begin(), members_.end(), member) != members_.end()) return false;
    members_.push_back(member);
    return true;
}

void control_group_ob::Serialize(Archive& ar) {
    control_ob_base::Serialize(ar);
    if (ar.IsStoring()) {
        for (control_ob_base* m : members_) ar.StoreObject(m);
        ar.StoreObject(nullptr);
        return;
    }
    members_.clear();
    while (ArchObject* o = ar.LoadRef(control_ob_base::kClass)) {
        if (o == this) throw ArchiveError("panel group is a member of itself");
        AddMember(static_cast<control_ob_base*>(o));
    }
}

void CTabBox::AddEntry(ArchObject* object, int32_t page) {
    if (object == nullptr) return;
    entries_.push_back({object, page});
    auto* doc = dynamic_cast<CDocOb*>(object);
    if (doc == nullptr || doc == this) return;
    const bool known = std::any_of(members_.begin(), members_.end(),
                                   [doc](const Member& m) { return m.object == doc; });
    if (!known) members_.push_back({doc, page});
}

void CTabBox::Serialize(Archive& ar) {
    control_ob_base::Serialize(ar);
    ar.RectValue(page_rect);
    if (ar.IsStoring()) {
        for (PageEntry& e : entries_) {
            ar.StoreObject(e.object);
            ar.Int32(e.page);
        }
        ar.StoreObject(nullptr);
        return;
    }
    entries_.clear();
    members_.clear();
    while (ArchObject* o = ar.LoadRef(ArchObject::kClass)) {
        int32_t page = 0;
        ar.Int32(page);
        AddEntry(o, page);
    }
}

void CPanelBox2::Serialize(Archive& ar) {
    if (ar.v() > 40) {
        CDocOb::Serialize(ar);
    } else if (ar.IsLoading()) {
        SetTypeFromId("Panel Group");
    }
    ar.Text(title);
    ar.RectValue(panel_rect);
}

void CPortal::Serialize(Archive& ar) {
    CDocOb::Serialize(ar);
    ar.Text(text);
    ar.RectValue(panel_rect);
    if (ar.IsLoading()) setting = 3;
    if (ar.v() >= 68) ar.Int32(setting);
}

}  // namespace md
