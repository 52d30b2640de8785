#include "document/drawing_modules.h"

namespace md {

MD_DEFINE_SERIAL_CLASS(CUG2, 1, false, CUG);
MD_DEFINE_SERIAL_CLASS(Ctl_SelfDrawing2, 1, false, CUG2);
MD_DEFINE_SERIAL_CLASS(Ctl_Keyboard2, 1, false, CUG2);
MD_DEFINE_SERIAL_CLASS(Ctl_WaveShape, 1, false, Ctl_SelfDrawing2);
MD_DEFINE_SERIAL_CLASS(Ctl_WaveShape2, 1, false, Ctl_WaveShape);
MD_DEFINE_SERIAL_CLASS(Ctl_PatchSel, 1, false, CUG);

void CUG2::Serialize(Archive& ar) {
    CUG::Serialize(ar);
    ar.RectValue(panel_rect);
}

void Ctl_WaveShape::Serialize(Archive& ar) {
    if (ar.v() < 95271) {
        CUG::Serialize(ar);
    } else {
        Ctl_SelfDrawing2::Serialize(ar);
    }
}

Ctl_PatchSel::Ctl_PatchSel() = default;
Ctl_PatchSel::~Ctl_PatchSel() = default;

void Ctl_PatchSel::Serialize(Archive& ar) {
    if (ar.v() >= 50) {
        CUG::Serialize(ar);
        return;
    }
    if (!legacy_control_) legacy_control_ = std::make_unique<CControl>();
    ar.Untagged(*legacy_control_);
    if (ar.IsLoading()) {
        SetTypeFromId("Patch Select");
        set_title(legacy_control_->title());
        set_disabled_flag(legacy_control_->disabled_flag());
    }
}

}  // namespace md
