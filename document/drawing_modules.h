// Modules with a panel area of their own that are not value controls, and the patch selector.
//
// Document side; user-interface thread only.
#pragma once

#include <memory>

#include "document/control.h"
#include "document/module.h"

namespace md {

// A module drawing itself in a panel rectangle.
class CUG2 : public CUG {
    MD_SERIAL_CLASS()

public:
    Rect panel_rect;

    void Serialize(Archive& ar) override;
};

class Ctl_SelfDrawing2 : public CUG2 {
    MD_SERIAL_CLASS()
};

class Ctl_Keyboard2 : public CUG2 {
    MD_SERIAL_CLASS()
};

// Files before 95271 store the wave shaper as a plain module, without panel rectangle.
class Ctl_WaveShape : public Ctl_SelfDrawing2 {
    MD_SERIAL_CLASS()

public:
    void Serialize(Archive& ar) override;
};

class Ctl_WaveShape2 : public Ctl_WaveShape {
    MD_SERIAL_CLASS()
};

// "Patch Select". Files before version 50 store it as a one-value control: that record is
// read into legacy_control(), whose title and disabled flag the selector takes over.
class Ctl_PatchSel : public CUG {
    MD_SERIAL_CLASS()

public:
    Ctl_PatchSel();
    ~Ctl_PatchSel() override;

    // Null unless read from a file before version 50.
    const CControl* legacy_control() const { return legacy_control_.get(); }

    void Serialize(Archive& ar) override;

private:
    std::unique_ptr<CControl> legacy_control_;
};

}  // namespace md
