#include "document/plug.h"

#include <algorithm>

#include "document/connection.h"
#include "document/container.h"
#include "document/module.h"
#include "document/module_info.h"

namespace md {

MD_DEFINE_SERIAL_CLASS(CPlug2, 2, true, ArchObject);
MD_DEFINE_SERIAL_CLASS(CPlugGui, 1, false, CPlug2);
MD_DEFINE_SERIAL_CLASS(CPlugNameable, 1, false, CPlug2);
MD_DEFINE_SERIAL_CLASS(CPlugIO2, 1, false, CPlugNameable);
MD_DEFINE_SERIAL_CLASS(CPlugControled, 1, false, CPlugNameable);
MD_DEFINE_SERIAL_CLASS(CPlugFeature, 1, false, CPlug2);
MD_DEFINE_SERIAL_CLASS(CPlugFeature2, 1, false, CPlugFeature);
MD_DEFINE_SERIAL_CLASS(CPlugFeature3, 1, false, CPlugFeature);
MD_DEFINE_SERIAL_CLASS(CPlugFeature4, 1, false, CPlugFeature);

CPlug2::~CPlug2() = default;

const InterfaceObject& CPlug2::EmptyDescriptor() {
    static const InterfaceObject empty{nullptr, DR_IN, {}, {}, {}, {}, 0, PT_ENUM, nullptr};
    return empty;
}

const InterfaceObject& CPlug2::Descriptor() const {
    const Module_Info* type = owner_ != nullptr ? owner_->type() : nullptr;
    if (type == nullptr || descriptor_index_ < 0 ||
        static_cast<size_t>(descriptor_index_) >= type->plugs().size()) {
        return EmptyDescriptor();
    }
    return type->plugs()[static_cast<size_t>(descriptor_index_)];
}

const InterfaceObject& CPlugGui::Descriptor() const {
    const auto* type =
        owner() != nullptr ? dynamic_cast<const Module_Info2*>(owner()->type()) : nullptr;
    if (type == nullptr || descriptor_index() < 0 ||
        static_cast<size_t>(descriptor_index()) >= type->plugs2().size()) {
        return EmptyDescriptor();
    }
    return type->plugs2()[static_cast<size_t>(descriptor_index())];
}

bool CPlug2::IsGuiSide() const {
    return (Flags() & plug_flag::kGuiPlug) != 0;
}
Direction CPlug2::GetDirection() const {
    return Descriptor().direction;
}
DataType CPlug2::GetDataType() const {
    return Descriptor().data_type;
}
std::string CPlug2::GetHint() const {
    return Descriptor().hint;
}
std::string CPlug2::GetName() const {
    return Descriptor().name;
}
int32_t CPlug2::Flags() const {
    return Descriptor().flags;
}

std::string CPlug2::GetMetaText() const {
    // An output shows the choices of what it drives.
    if (GetDirection() == DR_OUT && !IsGuiSide()) {
        if (connections_.empty()) return {};
        const CPlug2* other = OtherEnd(*connections_.front());
        return other != nullptr && other != this ? other->GetMetaText() : std::string();
    }
    return Descriptor().meta;
}

std::unique_ptr<CPlug2> CPlug2::MakeCopy() const {
    if (owner_ == nullptr) return nullptr;
    return owner_->MakePlug(descriptor_index_, Descriptor());
}

CPlug2* CPlug2::OtherEnd(const CLine2& line) const {
    return line.from() == this ? line.to() : line.from();
}

bool CPlug2::PairConnected() const {
    if (HasConnections()) return true;
    const CPlug2* partner = Partner();
    return partner != nullptr && partner->HasConnections();
}

bool CPlug2::IsSpareCopy() const {
    if ((Flags() & plug_flag::kSpare) == 0 || PairConnected() || owner_ == nullptr) return false;
    for (const auto& p : owner_->plugs()) {
        const CPlug2& other = *p;
        if (&other != this && &other.Descriptor() == &Descriptor() && other.PairConnected()) {
            return true;
        }
    }
    return false;
}

bool CPlug2::IsVisible() const {
    if (HasConnections()) return true;
    const int32_t flags = Flags();
    if (flags & plug_flag::kHiddenWhenSpareHidden) {
        const auto* container = dynamic_cast<const CContainer*>(owner_);
        return container == nullptr || !container->spare_hidden();
    }
    if (GetDirection() == DR_PARAMETER || hidden_) return false;
    if (flags & (plug_flag::kHidden | plug_flag::kHiddenToo)) return false;
    return true;
}

namespace {

// Another plug of the same descriptor on the module that is free to act as the spare.
bool HasOtherFreeSpare(const CPlug2& plug) {
    if (plug.owner() == nullptr) return false;
    for (const auto& p : plug.owner()->plugs()) {
        const CPlug2& other = *p;
        if (&other != &plug && &other.Descriptor() == &plug.Descriptor() &&
            !other.PairConnected()) {
            return true;
        }
    }
    return false;
}

}  // namespace

void CPlug2::AttachConnection(CLine2* line) {
    connections_.push_back(line);
    if (owner_ != nullptr) owner_->OnPlugChanged(this);
    const int32_t flags = Flags();
    const bool first = connections_.size() == 1;

    if ((flags & plug_flag::kTakesConnectedValue) && first && line->to() != nullptr &&
        line->to() != this) {
        value_ = line->to()->value();
    }

    CPlug2* partner = Partner();
    // A spare that gets its first connection leaves a new spare behind, on both sides of a
    // container boundary. Loading attaches connections to files that already hold their
    // spares, so no copy is made while a free one exists.
    if ((flags & plug_flag::kSpare) && first && owner_ != nullptr &&
        !(partner != nullptr && partner->HasConnections()) && !HasOtherFreeSpare(*this)) {
        CPlug2* partner_copy = nullptr;
        if (partner != nullptr && partner->owner() != nullptr) {
            if (auto copy = partner->MakeCopy()) {
                partner_copy = partner->owner()->AddPlug(std::move(copy));
            }
        }
        if (flags & plug_flag::kRenamable) {
            if (const CPlug2* other = OtherEnd(*line); other != nullptr && other != this) {
                SetName(other->GetName());
            }
        }
        if (auto copy = MakeCopy()) {
            CPlug2* own_copy = owner_->AddPlug(std::move(copy));
            auto* a = dynamic_cast<CPlugIO2*>(own_copy);
            auto* b = dynamic_cast<CPlugIO2*>(partner_copy);
            if (a != nullptr && b != nullptr) {
                a->set_partner(b);
                b->set_partner(a);
            }
        }
    }
    if (IsGuiSide()) Refresh();
}

void CPlug2::DetachConnection(CLine2* line) {
    auto it = std::find(connections_.begin(), connections_.end(), line);
    if (it == connections_.end()) return;
    connections_.erase(it);
    CUG* owner = owner_;
    if (owner != nullptr) owner->OnPlugChanged(this);

    if ((Flags() & plug_flag::kSpare) == 0 || HasConnections() || owner == nullptr) return;
    CPlug2* partner = Partner();
    if (partner != nullptr && partner->HasConnections()) return;
    // Keep one free spare: only a plug with a free sibling goes.
    if (!HasOtherFreeSpare(*this)) return;
    if (auto* io = dynamic_cast<CPlugIO2*>(partner); io != nullptr) {
        io->set_partner(nullptr);
        if (CUG* partner_owner = io->owner(); partner_owner != nullptr && !io->HasConnections()) {
            partner_owner->RemovePlug(io);
            if (CContainer* c = partner_owner->parent()) c->Notify(doc_notify::kPlugsChanged);
        }
    }
    CContainer* container = owner->parent();
    owner->RemovePlug(this);  // destroys this plug: nothing of it is used below
    if (container != nullptr) container->Notify(doc_notify::kPlugsChanged);
}

void CPlug2::Serialize(Archive& ar) {
    ar.Int16(descriptor_index_);
    ar.Text(value_);
    if (ar.v() > 35) {
        // The stored list names connections that attach themselves after the load, so on
        // loading it is read and dropped; each connection then ends up on the plug once.
        std::vector<CLine2*> stored = connections_;
        ar.RefList(stored);
    }
}

void CPlugNameable::Serialize(Archive& ar) {
    CPlug2::Serialize(ar);
    ar.Text(name_);
}

void CPlugIO2::Serialize(Archive& ar) {
    CPlugNameable::Serialize(ar);
    int16_t direction = static_cast<int16_t>(io_direction_);
    ar.Int16(direction);
    ar.Ref(partner_);
    int16_t type = static_cast<int16_t>(io_data_type_);
    const bool has_type = ar.v() >= 94962;
    if (has_type) ar.Int16(type);
    if (ar.IsLoading()) {
        io_direction_ = direction == 1 ? DR_OUT : DR_IN;
        io_from_archive_ =
            has_type && (direction == 0 || direction == 1) && type >= 0 && type <= PT_INT;
        if (io_from_archive_) io_data_type_ = static_cast<DataType>(type);
    }
}

namespace {

bool OnContainer(const CPlugIO2& p) {
    return dynamic_cast<const CContainer*>(p.owner()) != nullptr;
}

}  // namespace

CPlugIO2* CPlugIO2::PairedWith() const {
    if (partner_ == nullptr || partner_->partner_ != this) return nullptr;
    return OnContainer(*this) != OnContainer(*partner_) ? partner_ : nullptr;
}

void CPlugIO2::AttachConnection(CLine2* line) {
    CPlugIO2* partner = PairedWith();
    CPlug2::AttachConnection(line);
    if (DeriveIoFromWiring() && partner != nullptr) partner->set_io(io_direction_, io_data_type_);
}

bool CPlugIO2::DeriveIoFromWiring() {
    // Inside a container the IO module's plug feeds the inner modules for an input; outside,
    // a connection arriving at the container's plug makes it an input.
    auto judge = [this](const CPlugIO2& p, bool inner) -> bool {
        for (const CLine2* line : p.connections()) {
            const CPlug2* other = p.OtherEnd(*line);
            if (other == nullptr) continue;
            const bool p_is_source = line->from() == &p;
            const bool input = inner ? p_is_source : !p_is_source;
            io_direction_ = input ? DR_IN : DR_OUT;
            io_data_type_ = other->GetDataType();
            return true;
        }
        return false;
    };
    // The inner side's wiring first, whichever plug of the pair asks, so that both agree.
    const CPlugIO2* partner = PairedWith();
    const CPlugIO2* inner = OnContainer(*this) ? partner : this;
    const CPlugIO2* outer = OnContainer(*this) ? this : partner;
    if (inner != nullptr && judge(*inner, true)) return true;
    return outer != nullptr && judge(*outer, false);
}

int32_t CPlugControled::Flags() const {
    int32_t flags = CPlug2::Flags();
    if (GetDirection() == DR_OUT) flags |= plug_flag::kTakesConnectedValue;
    return flags;
}

void CPlugControled::Serialize(Archive& ar) {
    CPlugNameable::Serialize(ar);
    ar.Int32(setting1);
    ar.Int32(setting2);
    ar.Text(setting_text);
}

int32_t CPlugFeature::Flags() const {
    int32_t flags = extra_flags_ | plug_flag::kGuiPlug;
    if (data_type_ == PT_TEXT && direction_ == DR_OUT && !value().empty()) {
        flags |= plug_flag::kFileName;
    }
    return flags;
}

std::unique_ptr<CPlug2> CPlugFeature::MakeCopy() const {
    return std::make_unique<CPlugFeature4>(descriptor_index(), value(), direction_, data_type_,
                                           feature_number_, name_, meta_, extra_flags_);
}

void CPlugFeature::Serialize(Archive& ar) {
    CPlug2::Serialize(ar);
    int32_t direction = direction_;
    int32_t type = data_type_;
    ar.Int32(direction);
    ar.Int32(type);
    ar.Int32(feature_number_);
    ar.Text(name_);
    ar.Text(meta_);
    if (ar.v() >= 95162) ar.Int32(extra_flags_);
    if (ar.IsLoading()) {
        direction_ = static_cast<Direction>(direction);
        data_type_ = static_cast<DataType>(type);
    }
}

void CPlugFeature3::Serialize(Archive& ar) {
    CPlugFeature::Serialize(ar);
    ar.Bool8(option);
}

}  // namespace md
