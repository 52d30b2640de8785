#include "document/connection.h"

#include "document/module_registry.h"
#include "document/plug.h"

namespace md {

MD_DEFINE_SERIAL_CLASS(CLine2, 1, false, CDocOb);
MD_DEFINE_SERIAL_CLASS(CLine, 1, false, CLine2);

void CLine2::AttachToPlugs() {
    if (from_ != nullptr) from_->AttachConnection(this);
    if (to_ != nullptr && to_ != from_) to_->AttachConnection(this);
}

void CLine2::DetachFromPlugs() {
    // Detaching may destroy a spare plug; the other end is taken first.
    CPlug2* from = from_;
    CPlug2* to = to_;
    from_ = nullptr;
    to_ = nullptr;
    if (from != nullptr) from->DetachConnection(this);
    if (to != nullptr && to != from) to->DetachConnection(this);
}

void CLine2::Serialize(Archive& ar) {
    if (ar.v() > 36) {
        CDocOb::Serialize(ar);
        if (ar.IsLoading() && ar.v() < 94811 && type_id().empty()) SetTypeFromId("Line");
    }
    ar.Ref(from_);
    ar.Ref(to_);
}

}  // namespace md
