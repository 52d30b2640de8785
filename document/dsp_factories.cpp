#include "document/dsp_factories.h"

#include <array>

#include "engine/ug_container.h"

namespace md {

namespace {

struct DspFactoryEntry {
    std::string_view dsp_class;
    DspFactory factory;
};

// One line per unit class, added as the units are written, e.g.
//   {"ug_adsr", &MakeUnit<ug_adsr>},
// A type whose unit is not listed here has no DSP object and an empty plug list.
constexpr DspFactoryEntry kDspFactories[] = {
    {"ug_container", &MakeUnit<ug_container>},
    {"ug_io_mod", &MakeUnit<ug_io_mod>},
};

}  // namespace

DspFactory FindDspFactory(std::string_view dsp_class) {
    for (const DspFactoryEntry& e : kDspFactories) {
        if (e.dsp_class == dsp_class) return e.factory;
    }
    return nullptr;
}

}  // namespace md
