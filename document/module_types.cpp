// The built-in module types. Registration order: the legacy table, then the individual types,
// then the ModuleRecord blocks. The registry is ordered by id, so the order only decides which
// of two equal ids would win. Factories are found by class name; a class that is not written
// yet leaves its type without a document or DSP factory.

#include <array>
#include <memory>
#include <span>
#include <string_view>

#include "document/module_record.h"
#include "document/module_registry.h"

namespace md {

namespace {

// Entry index = legacy number ("BI<n>"). Flags are given without the built-in bit, which the
// registration adds. Entry 0 is unused and entry 10 an empty placeholder; neither registers.
constexpr LegacyModuleEntry kLegacyTable[] = {
    {"", "", 0, 0, "", "", 0, ""},
    {"Audio Out", "", 0, 0, "CUG", "ug_wave_out", 0x0108, ""},                    // 1
    {"ADSR", "", 32821, 32820, "CUG", "ug_adsr", 0x0100, ""},                     // 2
    {"Container", "", 0, 0, "CContainer", "ug_container", 0x0103, ""},            // 3
    {"IO Mod", "", 0, 0, "CUG", "ug_io_mod", 0x0106, ""},                         // 4
    {"Slider", "", 0, 0, "Ctl_Slider", "ug_slider", 0x0180, ""},                  // 5
    {"Text Entry", "", 0, 0, "Ctl_Text", "ug_text_entry", 0x0180, ""},            // 6
    {"List Entry", "", 0, 0, "Ctl_Combo", "ug_combobox", 0x0180, ""},             // 7
    {"MIDI Player", "", 0, 0, "CUG", "ug_midi_player", 0x0100, ""},               // 8
    {"Midi to CV", "", 0, 0, "CUG", "ug_midi_to_cv", 0x0160, ""},                 // 9
    {"", "", 0, 0, "", "", 0, ""},                                                // 10: placeholder
    {"Level Adj", "", 0, 0, "CUG", "ug_multiplier", 0x0100, ""},                  // 11
    {"SV Filter", "", 0, 0, "CUG", "ug_filter_sv", 0x0100, ""},                   // 12
    {"VCA", "", 0, 0, "CUG", "ug_vca", 0x0100, ""},                               // 13
    {"Drum Trigger", "", 0, 0, "CUG", "ug_drum_trigger", 0x0160, ""},             // 14
    {"Patch Select", "", 0, 0, "Ctl_PatchSel", "ug_patch_sel", 0x0100, ""},       // 15
    {"MIDI In", "", 0, 0, "CUG", "ug_midi_in", 0x0100, ""},                       // 16
    {"Delay", "", 0, 0, "CUG", "ug_delay", 0x0100, ""},                           // 17
    {"MIDI Adder(obsolete)", "", 0, 0, "CUG", "ug_delay", 0x0008, ""},            // 18
    {"Clipper", "", 0, 0, "CUG", "ug_clipper", 0x0100, ""},                       // 19
    {"Monitor", "", 0, 0, "Ctl_tty", "ug_monitor", 0x0180, ""},                   // 20
    {"Filter2 obsolete", "", 0, 0, "CUG", "ug_filter_biquad", 0x0100, ""},        // 21
    {"Thrasher", "", 0, 0, "CUG", "UThrasher", 0x0100, ""},                       // 22
    {"Switch", "", 0, 0, "CUG", "ug_obs_USwitch_v1", 0x0108, ""},                 // 23
    {"Switch2", "", 0, 0, "CUG", "ug_obs_USwitch2_v1", 0x0108, ""},               // 24
    {"Filter obs", "", 0, 0, "CUG", "ug_filter_biquad", 0x0108, ""},              // 25
    {"Inverter", "", 0, 0, "CUG", "ug_inverter", 0x0100, ""},                     // 26
    {"Sample Player obsolete", "", 0, 0, "CUG", "ug_sample_player", 0x0168, ""},  // 27
    {"Notesource", "", 0, 0, "CUG", "ug_notesource", 0x0008, ""},                 // 28
    {"Audio In", "", 0, 0, "CUG", "ug_wave_in", 0x0108, ""},                      // 29
    {"MIDI Out", "", 0, 0, "CUG", "ug_midi_out", 0x0100, ""},                     // 30
    {"Controllers", "", 0, 0, "CUG", "ug_midi_controllers", 0x0100, ""},          // 31
    {"VoiceMonitor", "", 0, 0, "CUG", "ug_voice_monitor", 0x0108, ""},            // 32
    {"Button", "", 0, 0, "Ctl_PushButton", "ug_obs_UPushButton", 0x0188, ""},     // 33
    {"Z-Filter obsolete", "", 0, 0, "CUG", "ug_switch", 0x0100, ""},              // 34
    {"Panel Group", "", 0, 0, "CPanelBox2", "", 0x0080, ""},                      // 35
    {"X-Mix", "", 0, 0, "CUG", "ug_cross_fade", 0x0100, ""},                      // 36
    {"Pan", "", 0, 0, "CUG", "ug_pan", 0x0100, ""},                               // 37
    {"Switch (1->Many)", "", 0, 0, "CSwitch", "ug_switch", 0x0100, ""},           // 38
    {"Switch (Many->1)", "", 0, 0, "CSwitch", "ug_switch2", 0x0100, ""},          // 39
    {"VST Plugin", "", 0, 0, "Ctl_VST_Plugin", "ug_vst_plugin", 0x0108, ""},      // 40
    {"Peak Follower", "", 0, 0, "CUG", "ug_peak_det", 0x0100, ""},                // 41
    {"Line", "", 0, 0, "CUG", "", 0x0108, ""},                                    // 42
    {"Group", "", 0, 0, "CUG", "", 0x0088, ""},                                   // 43
    {"Step Sequencer", "", 0, 0, "CStepSeq2", "ug_step_sequencer", 0x0180, ""},   // 44
    {"***", "", 0, 0, "", "", 0, ""},                                             // end of table
};

static_assert(std::size(kLegacyTable) == kLegacyModuleCount + 2);
static_assert(std::string_view(kLegacyTable[kLegacyModuleCount + 1].id) == "***");

// Types registered one by one: {id, name number, group number, document class, unit class,
// flags without the built-in bit, legacy number (-1: none)}.
struct BuiltInType {
    const char* id;
    int32_t name_number;
    int32_t group_number;
    const char* doc_class;
    const char* dsp_class;
    int32_t flags;
    int32_t legacy_number;
};

constexpr BuiltInType kBuiltInTypes[] = {
    {"Oscillator", 32819, 32820, "CUG", "ug_oscillator2", 0x0100, 0},
    {"Drum Sequencer", 446, 292, "CDrumSeq", "ug_step_sequencer", 0x0180, 46},
    {"WaveShaper", 447, 303, "Ctl_WaveShape", "ug_wave_shaper", 0x0180, 47},
    {"Moog Filter", 448, 301, "CUG", "ug_filter_biquad", 0x0100, 48},
    {"LED Indicator", 449, 32828, "Ctl_LED", "ug_led", 0x0180, 49},
    {"8 Stage Env", 450, 32829, "CUG", "ug_8_stage", 0x0100, 50},
    {"Rectifier", 451, 303, "CUG", "ug_rectifier", 0x0100, 51},
    {"AND Gate", 452, 325, "CUG", "ug_logic_AND", 0x0100, 52},
    {"OR Gate", 453, 325, "CUG", "ug_logic_OR", 0x0100, 53},
    {"XOR Gate", 454, 325, "CUG", "ug_logic_XOR", 0x0100, 54},
    {"NAND Gate", 455, 325, "CUG", "ug_logic_NAND", 0x0100, 55},
    {"NOT Gate", 456, 325, "CUG", "ug_logic_not", 0x0100, 56},
    {"NOR Gate", 357, 325, "CUG", "ug_logic_NOR", 0x0100, 57},
    {"1 Pole LP", 458, 301, "CUG", "ug_filter_1pole", 0x0100, 58},
    {"Freq Response Test", 459, 32829, "Ctl_FreqResp", "UFreqResp", 0x0100, 59},
    {"Peak Meter", 460, 32828, "Ctl_PeakMeter", "ug_peak_meter", 0x0180, 60},
    {"Ring Modulator", 461, 317, "CUG", "ug_multiplier", 0x0100, 61},
    {"Fixed Values", 462, 32828, "CUG", "ug_fixed_values", 0x0100, 62},
    {"KeyBoard", 464, 32828, "Ctl_Keyboard2", "ug_midi_keyboard", 0x0180, 64},
    {"Sample and Hold", 465, 303, "CUG", "ug_sample_hold", 0x0100, 65},
    {"All Pass", 467, 301, "CUG", "ug_filter_allpass", 0x0100, 67},
    {"Freq Analyser", 468, 32828, "Ctl_FreqAn", "ug_freq_anal", 0x0180, 68},
    {"Float Adder", 474, 32829, "CUG", "ug_adder", 0x0008, 71},
    {"MIDI Adder2", 474, 32829, "CUG", "ug_adder_midi", 0x0008, 74},
    {"WaveShaper2", 476, 303, "Ctl_WaveShape2", "ug_wave_shaper2", 0x0180, 76},
    {"MIDI Monitor", 477, 292, "Ctl_tty", "ug_midi_monitor", 0x0180, 77},
    {"GenProg", 478, 32829, "Ctl_GenProg", "ug_genprog", 0x0100, 78},
    {"GenProg Trigger", 479, 32829, "CUG", "ug_genprog_trigger", 0x0100, 79},
    {"1 KHz Tone", 480, 32829, "CUG", "ug_test_tone", 0x0100, 80},
    {"MIDI Recorder", 481, 32829, "CUG", "ug_midi_recorder", 0x0100, 81},
    {"Binary Counter", 482, 325, "CUG", "ug_logic_Bin_Count", 0x0100, 82},
    {"Decade Counter", 483, 32829, "CUG", "ug_logic_decade", 0x0100, 83},
    {"Shift Register", 485, 325, "CUG", "ug_logic_shift", 0x0100, 85},
    {"Soundfont Player", 486, 292, "Ctl_SamplePlay2", "ug_sample_player2", 0x01e0, 86},
    {"Phase Dist Osc", 32822, 32820, "CUG", "ug_oscillator_pd", 0x0100, 87},
    {"Monostable", 489, 325, "CUG", "ug_monostable", 0x0100, 89},
    {"MIDI Automator", 490, 292, "CMidiAutomator", "ug_midi_automator", 0x0140, 90},
    {"MIDI Automator Output", 491, 32829, "CUG", "ug_midi_automator_out", 0x0008, 91},
    {"MIDI Filter", 492, 292, "CUG", "ug_midi_filter", 0x0100, 92},
    {"Step Counter", 493, 32829, "CUG", "ug_logic_counter", 0x0100, 93},
    {"VST Input", 494, 32829, "CUG", "ug_vst_in", 0x0008, 94},
    {"VST Output", 495, 32829, "CUG", "ug_vst_out", 0x0008, 95},
    {"Multistage Env", 496, 32829, "Ctl_Env_Edit", "ug_envelope_ms", 0x0180, 96},
    {"Comparator", 498, 303, "CUG", "ug_comparator", 0x0100, 98},
    {"Voltage To List", 499, 299, "CUG", "ug_voltage_to_enum", 0x0100, 99},
    {"Volt Meter", 500, 32828, "Ctl_VoltMeter", "ug_volt_meter", 0x0180, 100},
    {"1 Pole HP", 501, 301, "CUG", "ug_filter_1pole_hp", 0x0100, 101},
    {"Sub Panel", 502, 32828, "CPortal", "", 0x0080, 102},
    {"Quantiser", 503, 303, "CUG", "ug_quantiser", 0x0100, 103},
    {"Denormal Cleaner", 504, 324, "CUG", "ug_denormal_stop", 0x0100, 104},
    {"Denormal Detector", 505, 324, "CUG", "ug_denormal_detect", 0x0100, 105},
    {"Multiply", 506, 312, "CUG", "ug_math_mult", 0x0100, 106},
    {"Divide", 507, 312, "CUG", "ug_math_div", 0x0100, 107},
    {"Subtract", 508, 312, "CUG", "ug_math_sub", 0x0100, 108},
    {"Parametric EQ", 509, 32829, "CUG", "ug_filter_eq_parametric", 0x0100, 109},
    {"OS Command", 510, 324, "CUG", "ug_system_command", 0x0100, 110},
    {"Floor", 511, 312, "CUG", "ug_math_floor", 0x0100, 111},
    {"Ceil", 512, 312, "CUG", "ug_math_ceil", 0x0100, 112},
    {"Plugin", 513, 32829, "CUG", "ug_plugin", 0x0100, 113},
    {"Soundfont Oscillator", 514, 32820, "Cosc_sf", "ug_osc_sf", 0x0180, 114},
    {"Sound Out", 515, 323, "CUG", "ug_soundcard_out", 0x0100, 115},
    {"Sound In", 516, 323, "CUG", "ug_soundcard_in", 0x0100, 116},
    {"Delay2", 517, 317, "CUG", "ug_delay2", 0x0100, 117},
    {"Voice Combiner", 518, 324, "CUG", "ug_voice_combiner", 0x0100, 118},
    {"Control Group", 520, 32829, "control_group_ob", "", 0x0088, 120},
    {"Control Plugs", 521, 32829, "CControlPlugs", "ug_control_plugs", 0x0100, 121},
    {"Wave Player", 522, 323, "CUG", "ug_wave_player", 0x0100, 122},
    {"Wave Recorder", 523, 323, "CUG", "ug_wave_recorder", 0x0100, 123},
    {"Feedback Delay", 524, 324, "CFeedbackDelay", "ug_feedback_delay", 0x0100, 124},
    {"Step Counter2", 525, 325, "CUG", "ug_logic_counter2", 0x0100, 125},
    {"Trigger to MIDI", 484, 292, "CUG", "ug_cv_midi", 0x0100, 126},
    {"Image", 32826, 131, "control_ob_bitmap", "", 0x0180, -1},
    {"Joystick Image", 32834, 131, "control_ob_bitmap_joystick", "", 0x0180, -1},
    {"Tinted Image", 32827, 131, "control_ob_bitmap_tinted", "", 0x0180, -1},
    {"List Entry2", 32839, 131, "control_ob_list", "", 0x0180, -1},
    {"Text Entry2", 32838, 131, "control_ob_text", "", 0x0180, -1},
    {"Paged Group", 32840, 32829, "CTabBox", "", 0x0180, -1},
    {"Patch Mem - Text in", 138, 131, "ui_param_text_in", "ug_param_text_in", 0x0100, -1},
    {"Patch Parameter - Level Out", 32833, 131, "ui_param_float_out", "ug_param_float_out", 0x0100,
     -1},
    {"Image to Frame", 136, 131, "ui_bitmap_frame", "", 0x0100, -1},
    {"Bool Splitter", 137, 131, "ui_bool_splitter", "", 0x0100, -1},
    {"Bools to List", 133, 131, "ui_bools_to_enum", "", 0x0100, -1},
    {"List To Bools", 130, 131, "ui_enum_to_bools", "", 0x0100, -1},
    {"Float To Bool", 132, 131, "ui_float_to_bool", "", 0x0100, -1},
    {"Increment", 32837, 32829, "ui_incrementor", "", 0x0100, -1},
    {"Increment2", 191, 131, "ui_incrementor2", "", 0x0100, -1},
    {"Int to List", 135, 131, "ui_int_to_list", "", 0x0100, -1},
    {"Spring", 32835, 131, "ui_spring", "", 0x0100, -1},
    {"System Command2", 134, 131, "ui_system_command", "", 0x0100, -1},
    {"Text To Float", 32841, 131, "ui_text_to_float", "", 0x0100, -1},
};

static_assert(std::size(kBuiltInTypes) == 90);

// The types described as ModuleRecord blocks. Their flags are registered as stored (no
// built-in bit); their plugs come from the PlugRecords. Built on first call.
struct RecordBlocks {
    PlugRecord float_to_volts[3];
    PlugRecord patch_mem_list_in2[3];
    PlugRecord patch_mem_float_in[6];
    PlugRecord patch_mem_list_in_b[3];
    ModuleRecord records[4];
};

PlugRecord Plug(const char16_t* name, Direction direction, DataType type, int32_t flags,
                const char16_t* default_value = nullptr, const char16_t* meta = nullptr) {
    return PlugRecord{PlugString(name),
                      direction,
                      type,
                      default_value != nullptr ? PlugString(default_value) : 0,
                      meta != nullptr ? PlugString(meta) : 0,
                      flags};
}

const RecordBlocks& Records() {
    static const RecordBlocks blocks = [] {
        RecordBlocks b{
            {
                Plug(u"Smoothing", DR_IN, PT_ENUM, 0, u"2", u"None,Fast (4 samp),Smooth (30ms)"),
                Plug(u"Float In", DR_IN, PT_FLOAT, 0),
                Plug(u"Volts Out", DR_OUT, PT_AUDIO, 0),
            },
            {
                Plug(u"Name", DR_IN, PT_TEXT, 0x0400),
                Plug(u"Value", DR_IN, PT_ENUM, 0x8400),
                Plug(u"List Out", DR_OUT, PT_ENUM, 0),
            },
            {
                Plug(u"Name", DR_IN, PT_TEXT, 0x0400),
                Plug(u"Value", DR_IN, PT_FLOAT, 0x8400),
                Plug(u"Animation Position", DR_IN, PT_FLOAT, 0x0400),
                Plug(u"Min Value", DR_IN, PT_FLOAT, 0x0400),
                Plug(u"Max Value", DR_IN, PT_FLOAT, 0x0400),
                Plug(u"Value Out", DR_OUT, PT_FLOAT, 0),
            },
            {
                Plug(u"Name", DR_IN, PT_TEXT, 0x0400),
                Plug(u"Value", DR_IN, PT_ENUM, 0x0400),
                Plug(u"List Out", DR_OUT, PT_ENUM, 0x0400),
            },
            {},
        };
        const auto record = [](const char* id, int32_t name, int32_t group, const char* doc,
                               const char* dsp, std::span<const PlugRecord> plugs) {
            return ModuleRecord{
                id, name, group, FindDocFactory(doc), FindDspFactory(dsp), 0x0100, plugs, doc, dsp};
        };
        b.records[0] =
            record("FloatToVolts", 141, 299, "CUG", "ug_float_to_volts", b.float_to_volts);
        b.records[1] = record("PatchMemListIn2", 139, 131, "ui_param_enum_in2", "ug_param_enum_in2",
                              b.patch_mem_list_in2);
        b.records[2] = record("PatchMemFloatIn", 140, 131, "ui_param_float_in2",
                              "ug_param_float_in2", b.patch_mem_float_in);
        b.records[3] =
            record("PatchMemListIn_B", 196, 131, "ui_param_enum_in_B", "", b.patch_mem_list_in_b);
        return b;
    }();
    return blocks;
}

}  // namespace

std::span<const LegacyModuleEntry> LegacyModuleTable() {
    return std::span<const LegacyModuleEntry>(kLegacyTable, kLegacyModuleCount + 1);
}

void RegisterBuiltInModuleTypes(ModuleRegistry& registry) {
    // Legacy table: walked up to its end marker; entry 0 is skipped, the empty placeholder is
    // refused by RegisterModule.
    for (int32_t n = 1; std::string_view(kLegacyTable[n].id) != "***"; ++n) {
        const LegacyModuleEntry& e = kLegacyTable[n];
        registry.RegisterModule(std::make_unique<Module_Info>(
            e.id, e.extra_text2, e.name_number, e.group_number, FindDocFactory(e.doc_class),
            FindDspFactory(e.dsp_class), e.flags, n, e.doc_class, e.dsp_class));
    }
    for (const BuiltInType& t : kBuiltInTypes) {
        registry.RegisterModule(std::make_unique<Module_Info>(
            t.id, "", t.name_number, t.group_number, FindDocFactory(t.doc_class),
            FindDspFactory(t.dsp_class), t.flags, t.legacy_number, t.doc_class, t.dsp_class));
    }
    for (const ModuleRecord& record : Records().records) RegisterModuleRecord(registry, record);
}

}  // namespace md
