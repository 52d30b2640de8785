// DSP-object factories of the module types, found by unit class name.
#pragma once

#include <memory>
#include <string_view>

namespace md {

class Module_Info;
class ug_base;

// Creates the DSP object (unit) of a module type.
using DspFactory = std::unique_ptr<ug_base> (*)(Module_Info* type);

// The factory for a unit class ("ug_adsr", "ug_oscillator2" ...); null when no unit of that
// name exists yet. The table is constant-initialised, so this may be called during static
// initialisation. Any thread.
DspFactory FindDspFactory(std::string_view dsp_class);

// The usual factory: a default-constructed unit of class `Unit`.
template <class Unit>
std::unique_ptr<ug_base> MakeUnit(Module_Info* /*type*/) {
    return std::make_unique<Unit>();
}

}  // namespace md
