// CPlugin: a module whose type lives in an external module library, named in the patch by the
// library's type identifier. CPlugin2 also has a panel area.
//
// Document side; user-interface thread only.
#pragma once

#include <string>

#include "document/module.h"

namespace md {

class CPlugin : public CUG {
    MD_SERIAL_CLASS()

public:
    // The identifier the patch names; kept when no library offers it, so that it is written
    // back unchanged.
    const std::string& plugin_id() const { return plugin_id_; }

    // Loading: the type registered under the identifier; when none is, the built-in "Plugin"
    // type, and the user is told "Can't load Module. '<identifier>'".
    void Serialize(Archive& ar) override;

private:
    std::string plugin_id_;
};

class CPlugin2 : public CPlugin {
    MD_SERIAL_CLASS()

public:
    Rect panel_rect;

    void Serialize(Archive& ar) override;
};

}  // namespace md
