#include "document/doc_factories.h"

#include <type_traits>

#include "document/connection.h"
#include "document/container.h"
#include "document/control.h"
#include "document/drawing_modules.h"
#include "document/panel_objects.h"
#include "document/sequencer_doc.h"
#include "document/simple_modules.h"
#include "extmodule/plugin_doc.h"
#include "hostedvst/vst_plugin_doc.h"

namespace md {

namespace {

// A new object of class T set up from its type: a module gets its title and plugs.
template <class T>
std::unique_ptr<CDocOb> MakeDocObject(Module_Info* type) {
    auto o = std::make_unique<T>();
    if constexpr (std::is_base_of_v<CUG, T>) {
        o->CreateFromType(type);
    } else {
        o->set_type(type);
    }
    return o;
}

struct DocFactoryEntry {
    std::string_view doc_class;
    DocFactory factory;
};

#define MD_DOC(Class) \
    { #Class, &MakeDocObject < Class> }

// One line per document class that module types name.
constexpr DocFactoryEntry kDocFactories[] = {
    MD_DOC(CUG),
    MD_DOC(CUG_with_patches),
    MD_DOC(CContainer),
    MD_DOC(CLine2),
    MD_DOC(CUG_ui),
    MD_DOC(CSwitch),
    MD_DOC(CControlPlugs),
    MD_DOC(CFeedbackDelay),
    MD_DOC(CMidiAutomator),
    MD_DOC(ui_bitmap_frame),
    MD_DOC(ui_bool_splitter),
    MD_DOC(ui_bools_to_enum),
    MD_DOC(ui_enum_to_bools),
    MD_DOC(ui_float_to_bool),
    MD_DOC(ui_incrementor),
    MD_DOC(ui_incrementor2),
    MD_DOC(ui_int_to_list),
    MD_DOC(ui_param_enum_in2),
    MD_DOC(ui_param_enum_in_B),
    MD_DOC(ui_param_float_in2),
    MD_DOC(ui_param_text_in),
    MD_DOC(ui_spring),
    MD_DOC(ui_system_command),
    MD_DOC(ui_text_to_float),
    MD_DOC(CControl),
    MD_DOC(Ctl_Combo),
    MD_DOC(Ctl_PushButton),
    MD_DOC(ui_control2),
    MD_DOC(Ctl_Keyboard),
    MD_DOC(Ctl_Env_Edit),
    MD_DOC(Ctl_GenProg),
    MD_DOC(Ctl_FreqAn),
    MD_DOC(Ctl_FreqResp),
    MD_DOC(Ctl_SelfDrawing),
    MD_DOC(Ctl_Slider),
    MD_DOC(Ctl_PeakMeter),
    MD_DOC(Ctl_LED),
    MD_DOC(Ctl_VoltMeter),
    MD_DOC(ui_param_float_out),
    MD_DOC(Ctl_Text),
    MD_DOC(Ctl_tty),
    MD_DOC(Cosc_sf),
    MD_DOC(Ctl_SamplePlay2),
    MD_DOC(Ctl_Soundfont_base),
    MD_DOC(CUG2),
    MD_DOC(Ctl_SelfDrawing2),
    MD_DOC(Ctl_Keyboard2),
    MD_DOC(Ctl_WaveShape),
    MD_DOC(Ctl_WaveShape2),
    MD_DOC(Ctl_PatchSel),
    MD_DOC(control_ob_base),
    MD_DOC(control_ob),
    MD_DOC(control_ob_bitmap),
    MD_DOC(control_ob_bitmap_joystick),
    MD_DOC(control_ob_bitmap_tinted),
    MD_DOC(control_ob_list),
    MD_DOC(control_ob_text),
    MD_DOC(control_group_ob),
    MD_DOC(CTabBox),
    MD_DOC(CPanelBox2),
    MD_DOC(CPortal),
    MD_DOC(CPattSeq),
    MD_DOC(CStepSeq2),
    MD_DOC(CDrumSeq),
    MD_DOC(CStepSeq),
    MD_DOC(Ctl_VST_Plugin),
    MD_DOC(CPlugin),
    MD_DOC(CPlugin2),
};

#undef MD_DOC

}  // namespace

DocFactory FindDocFactory(std::string_view doc_class) {
    for (const DocFactoryEntry& e : kDocFactories) {
        if (e.doc_class == doc_class) return e.factory;
    }
    return nullptr;
}

}  // namespace md
