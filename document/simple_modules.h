// Modules whose archive record is the plain module record. Their own document logic (switch
// plugs, feedback, MIDI automation, the GUI-side modules' behaviour) belongs to the module
// families that use them.
#pragma once

#include "document/module.h"

namespace md {

#define MD_PLAIN_MODULE(Class, Base) \
    class Class : public Base {      \
        MD_SERIAL_CLASS()            \
    };

MD_PLAIN_MODULE(CUG_ui, CUG)
MD_PLAIN_MODULE(CSwitch, CUG)
MD_PLAIN_MODULE(CControlPlugs, CUG)
MD_PLAIN_MODULE(CFeedbackDelay, CUG)
MD_PLAIN_MODULE(CMidiAutomator, CUG)
MD_PLAIN_MODULE(ui_bitmap_frame, CUG_ui)
MD_PLAIN_MODULE(ui_bool_splitter, CUG_ui)
MD_PLAIN_MODULE(ui_bools_to_enum, CUG_ui)
MD_PLAIN_MODULE(ui_enum_to_bools, CUG_ui)
MD_PLAIN_MODULE(ui_float_to_bool, CUG_ui)
MD_PLAIN_MODULE(ui_incrementor, CUG_ui)
MD_PLAIN_MODULE(ui_incrementor2, CUG_ui)
MD_PLAIN_MODULE(ui_int_to_list, CUG_ui)
MD_PLAIN_MODULE(ui_param_enum_in2, CUG_ui)
MD_PLAIN_MODULE(ui_param_enum_in_B, CUG_ui)
MD_PLAIN_MODULE(ui_param_float_in2, CUG_ui)
MD_PLAIN_MODULE(ui_param_text_in, CUG_ui)
MD_PLAIN_MODULE(ui_spring, CUG_ui)
MD_PLAIN_MODULE(ui_system_command, CUG_ui)
MD_PLAIN_MODULE(ui_text_to_float, CUG_ui)

#undef MD_PLAIN_MODULE

}  // namespace md
