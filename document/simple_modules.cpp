#include "document/simple_modules.h"

namespace md {

MD_DEFINE_SERIAL_CLASS(CUG_ui, 1, false, CUG);
MD_DEFINE_SERIAL_CLASS(CSwitch, 1, false, CUG);
MD_DEFINE_SERIAL_CLASS(CControlPlugs, 1, false, CUG);
MD_DEFINE_SERIAL_CLASS(CFeedbackDelay, 1, false, CUG);
MD_DEFINE_SERIAL_CLASS(CMidiAutomator, 1, false, CUG);
MD_DEFINE_SERIAL_CLASS(ui_bitmap_frame, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_bool_splitter, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_bools_to_enum, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_enum_to_bools, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_float_to_bool, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_incrementor, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_incrementor2, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_int_to_list, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_param_enum_in2, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_param_enum_in_B, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_param_float_in2, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_param_text_in, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_spring, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_system_command, 1, false, CUG_ui);
MD_DEFINE_SERIAL_CLASS(ui_text_to_float, 1, false, CUG_ui);

}  // namespace md
