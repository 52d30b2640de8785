// ug_container: the DSP object of a document container, and ug_io_mod, the constant source of
// a container's inner side. So far they declare their plugs (which the registry lists as the
// types' descriptors); graph building gives them their work.
#pragma once

#include <cstdint>

#include "engine/ug_base.h"

namespace md {

class ug_container : public ug_base {
public:
    enum { pn_spare, pn_polyphony, pn_midi_automation, pn_show_controls };

    std::unique_ptr<ug_base> CreateInstance() const override;
    void ListInterface(InterfaceList& list) override;

    float* spare = nullptr;
    int16_t polyphony = 6;
    bool midi_automation = false;  // document-side settings, bound to scratch values here
    int16_t show_controls = 0;
};

class ug_io_mod : public ug_base {
public:
    enum { pn_spare };

    std::unique_ptr<ug_base> CreateInstance() const override;
    void ListInterface(InterfaceList& list) override;

    float* spare = nullptr;
};

}  // namespace md
