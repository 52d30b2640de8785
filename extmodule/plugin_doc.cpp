#include "extmodule/plugin_doc.h"

#include "document/module_registry.h"
#include "platform/message_box.h"

namespace md {

MD_DEFINE_SERIAL_CLASS(CPlugin, 1, false, CUG);
MD_DEFINE_SERIAL_CLASS(CPlugin2, 1, false, CPlugin);

void CPlugin::Serialize(Archive& ar) {
    CUG::Serialize(ar);
    ar.Text(plugin_id_);
    if (!ar.IsLoading()) return;
    if (Module_Info* type = Registry().FindModule(plugin_id_)) {
        set_type(type);
        return;
    }
    SetTypeFromId("Plugin");
    platform::ShowMessage("Can't load Module. '" + plugin_id_ + "'");
}

void CPlugin2::Serialize(Archive& ar) {
    CPlugin::Serialize(ar);
    ar.RectValue(panel_rect);
}

}  // namespace md
