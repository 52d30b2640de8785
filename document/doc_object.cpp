#include "document/doc_object.h"

#include <algorithm>

#include "document/container.h"
#include "document/module_registry.h"
#include "parameters/generic_parameter.h"

namespace md {

MD_DEFINE_SERIAL_CLASS(CDocOb, 1, false, ArchObject);

CDocOb::~CDocOb() = default;

void CDocOb::set_type(Module_Info* type) {
    type_ = type;
    type_id_ = type != nullptr ? type->GetId() : std::string();
}

int32_t CDocOb::type_flags() const {
    return type_ != nullptr ? type_->flags() : 0;
}

void CDocOb::SetTypeFromId(std::string id) {
    type_ = Registry().FindModule(id);
    type_id_ = type_ != nullptr ? type_->GetId() : std::move(id);
}

void CDocOb::AddParameter(std::unique_ptr<generic_parameter> p) {
    parameters_.push_back(std::move(p));
}

generic_parameter* CDocOb::FindParameter(std::string_view name) const {
    for (const auto& p : parameters_) {
        if (p->GetName() == name) return p.get();
    }
    return nullptr;
}

void CDocOb::AddListener(Notifiable* listener) {
    listeners_.push_back(listener);
}

void CDocOb::RemoveListener(Notifiable* listener) {
    std::erase(listeners_, listener);
}

void CDocOb::Notify(int code) {
    // A copy, so that a listener may remove itself while being told.
    const std::vector<Notifiable*> listeners = listeners_;
    for (Notifiable* l : listeners) {
        if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end()) {
            l->OnNotify(*this, code);
        }
    }
}

void CDocOb::Serialize(Archive& ar) {
    const int32_t v = ar.v();
    if (v > 7 && v < 79) {
        int32_t legacy = -1;
        if (ar.IsStoring()) legacy = type_ != nullptr ? type_->legacy_number() : -1;
        ar.Int32(legacy);
        if (ar.IsLoading() && legacy >= 0) SetTypeFromId("BI" + std::to_string(legacy));
    }
    if (v >= 79) {
        std::string id = type_id_;
        ar.Text(id);
        if (ar.IsLoading()) SetTypeFromId(std::move(id));
    }
    if (v < 59) {
        CContainer* owner = parent_;
        ar.Ref(owner);  // not used
    }
}

}  // namespace md
