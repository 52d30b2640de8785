// The serialisable classes by the names the archive stores.
#include <array>

#include "document/archive.h"
#include "document/connection.h"
#include "document/container.h"
#include "document/embedded_file_record.h"
#include "document/module.h"
#include "document/plug.h"
#include "document/simple_modules.h"
// ---- records written elsewhere: includes ----
#include "document/control.h"
#include "document/drawing_modules.h"
#include "document/panel_objects.h"
#include "document/sequencer_doc.h"
#include "extmodule/plugin_doc.h"
#include "gui/skin_records.h"
#include "hostedvst/vst_plugin_doc.h"
#include "parameters/patch_manager.h"
// ---- end of includes ----

namespace md {

namespace {

const SerialClass* const kSerialClasses[] = {
    &CDocOb::kClass, &CUG::kClass, &CUG_with_patches::kClass, &CContainer::kClass, &CLine::kClass,
    &CLine2::kClass, &CPlug2::kClass, &CPlugGui::kClass, &CPlugNameable::kClass, &CPlugIO2::kClass,
    &CPlugControled::kClass, &CPlugFeature::kClass, &CPlugFeature2::kClass, &CPlugFeature3::kClass,
    &CPlugFeature4::kClass, &imbedded_file::kClass, &CUG_ui::kClass, &CSwitch::kClass,
    &CControlPlugs::kClass, &CFeedbackDelay::kClass, &CMidiAutomator::kClass,
    &ui_bitmap_frame::kClass, &ui_bool_splitter::kClass, &ui_bools_to_enum::kClass,
    &ui_enum_to_bools::kClass, &ui_float_to_bool::kClass, &ui_incrementor::kClass,
    &ui_incrementor2::kClass, &ui_int_to_list::kClass, &ui_param_enum_in2::kClass,
    &ui_param_enum_in_B::kClass, &ui_param_float_in2::kClass, &ui_param_text_in::kClass,
    &ui_spring::kClass, &ui_system_command::kClass, &ui_text_to_float::kClass,
    // ---- records written elsewhere ----
    &CControl::kClass, &Ctl_Combo::kClass, &Ctl_Slider::kClass, &Ctl_Text::kClass,
    &Ctl_PushButton::kClass, &Ctl_LED::kClass, &Ctl_PeakMeter::kClass, &Ctl_VoltMeter::kClass,
    &Ctl_SelfDrawing::kClass, &Ctl_FreqAn::kClass, &Ctl_FreqResp::kClass, &Ctl_GenProg::kClass,
    &Ctl_Keyboard::kClass, &Ctl_tty::kClass, &Ctl_Env_Edit::kClass, &Cosc_sf::kClass,
    &Ctl_SamplePlay2::kClass, &Ctl_Soundfont_base::kClass, &ui_control2::kClass,
    &ui_param_float_out::kClass, &Ctl_PatchSel::kClass, &CUG2::kClass, &Ctl_SelfDrawing2::kClass,
    &Ctl_Keyboard2::kClass, &Ctl_WaveShape::kClass, &Ctl_WaveShape2::kClass,
    &control_ob_base::kClass, &control_ob::kClass, &control_ob_bitmap::kClass,
    &control_ob_bitmap_joystick::kClass, &control_ob_bitmap_tinted::kClass,
    &control_ob_list::kClass, &control_ob_text::kClass, &control_group_ob::kClass,
    &CPanelBox2::kClass, &CPanelBox::kClass, &CPortal::kClass, &CTabBox::kClass,
    &CGraphicObject::kClass, &CPattSeq::kClass, &CStepSeq2::kClass, &CDrumSeq::kClass,
    &CStepSeq::kClass, &Ctl_VST_Plugin::kClass, &CPlugin::kClass, &CPlugin2::kClass,
    &SkinInfo::kClass, &SkinFontInfo::kClass, &CSkinBitmap::kClass, &CAnimBitmap::kClass,
    &CPatchManager::kClass,
    // ---- end of records written elsewhere ----
};

}  // namespace

const SerialClass* FindSerialClass(std::string_view name) {
    for (const SerialClass* c : kSerialClasses) {
        if (c->name == name) return c;
    }
    return nullptr;
}

}  // namespace md
