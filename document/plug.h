// Document plugs: CPlug2 and the plugs derived from it.
//
// A plug belongs to one module (CUG) and lists the connections (CLine2) that end on it. Its
// direction, data type and flags come from its descriptor in the module type's plug list,
// except for the GUI-side feature plugs, which carry their own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/archive.h"
#include "document/interface_object.h"

namespace md {

class CLine2;
class CUG;

class CPlug2 : public ArchObject {
    MD_SERIAL_CLASS()

public:
    CPlug2() = default;
    CPlug2(int16_t descriptor_index, std::string value)
        : descriptor_index_(descriptor_index), value_(std::move(value)) {}
    ~CPlug2() override;

    CUG* owner() const { return owner_; }
    void set_owner(CUG* owner) { owner_ = owner; }
    int16_t descriptor_index() const { return descriptor_index_; }
    const std::string& value() const { return value_; }
    void set_value(std::string value) { value_ = std::move(value); }
    const std::vector<CLine2*>& connections() const { return connections_; }
    bool HasConnections() const { return !connections_.empty(); }
    bool hidden() const { return hidden_; }
    void set_hidden(bool hidden) { hidden_ = hidden; }

    // ---- operations ----
    // The value changed (GUI-side plugs pass it on); nothing here.
    virtual void Refresh() {}
    virtual bool IsGuiSide() const;
    // A new plug of the same descriptor for the same module (not yet added to it).
    virtual std::unique_ptr<CPlug2> MakeCopy() const;
    // The plug on the other side of a container boundary; null for other plugs.
    virtual CPlug2* Partner() const { return nullptr; }
    virtual Direction GetDirection() const;
    virtual std::string GetMetaText() const;
    virtual DataType GetDataType() const;
    virtual std::string GetHint() const;
    virtual std::string GetName() const;
    // Keeps the connection list, the spare copies and the taken values in order.
    virtual void AttachConnection(CLine2* line);
    // May remove this plug from its module (a spare copy that lost its last connection): the
    // caller must not use the plug afterwards unless it knows the plug stays.
    virtual void DetachConnection(CLine2* line);
    virtual void SetName(std::string /*name*/) {}
    virtual int32_t Flags() const;
    // The owner type's descriptor at the descriptor index; an empty one beyond the list.
    virtual const InterfaceObject& Descriptor() const;

    // The plug at the other end of `line`.
    CPlug2* OtherEnd(const CLine2& line) const;
    // Connected for the purpose of spare plugs: the plug or its partner has connections.
    bool PairConnected() const;
    // A spare plug without connections while another plug of its descriptor is connected.
    bool IsSpareCopy() const;
    // Shown as a pin on its module.
    bool IsVisible() const;

    void Serialize(Archive& ar) override;

    // An empty descriptor: no name, data type 0, direction 0.
    static const InterfaceObject& EmptyDescriptor();

private:
    CUG* owner_ = nullptr;
    int16_t descriptor_index_ = -1;
    std::string value_;
    std::vector<CLine2*> connections_;
    bool hidden_ = false;
};

// A plug of the second plug list of a Module_Info2 type; always GUI-side.
class CPlugGui : public CPlug2 {
    MD_SERIAL_CLASS()

public:
    using CPlug2::CPlug2;
    bool IsGuiSide() const override { return true; }
    std::unique_ptr<CPlug2> MakeCopy() const override {
        return std::make_unique<CPlugGui>(descriptor_index(), Descriptor().default_value);
    }
    const InterfaceObject& Descriptor() const override;
};

// A plug with a user-given name.
class CPlugNameable : public CPlug2 {
    MD_SERIAL_CLASS()

public:
    CPlugNameable() = default;
    CPlugNameable(int16_t descriptor_index, std::string value, std::string name)
        : CPlug2(descriptor_index, std::move(value)), name_(std::move(name)) {}

    std::string GetName() const override { return name_; }
    void SetName(std::string name) override { name_ = std::move(name); }
    void Serialize(Archive& ar) override;

private:
    std::string name_;
};

// A container IO plug: the outer plug on a container or the inner one on its "IO Mod", linked
// to its partner on the other side of the boundary.
class CPlugIO2 : public CPlugNameable {
    MD_SERIAL_CLASS()

public:
    using CPlugNameable::CPlugNameable;

    CPlug2* Partner() const override { return PairedWith(); }
    CPlugIO2* partner() const { return partner_; }
    // The partner when the link is mutual and crosses a container boundary (one plug on a
    // container, the other not); null for a link a damaged file made one-sided or same-sided.
    CPlugIO2* PairedWith() const;
    void set_partner(CPlugIO2* partner) { partner_ = partner; }

    // Direction of the connection through the boundary, seen from outside the container
    // (DR_IN or DR_OUT), and the data type it carries. Stored in the archive; derived from the
    // wiring where the archive doesn't hold them.
    Direction io_direction() const { return io_direction_; }
    DataType io_data_type() const { return io_data_type_; }
    void set_io(Direction direction, DataType type) {
        io_direction_ = direction;
        io_data_type_ = type;
    }
    bool io_from_archive() const { return io_from_archive_; }
    // Derives direction and data type from the connections of this plug and its partner;
    // false (nothing changed) when neither is connected.
    bool DeriveIoFromWiring();

    // Attaching also settles the direction and data type of the pair.
    void AttachConnection(CLine2* line) override;
    void Serialize(Archive& ar) override;

private:
    CPlugIO2* partner_ = nullptr;
    Direction io_direction_ = DR_IN;
    DataType io_data_type_ = PT_AUDIO;
    bool io_from_archive_ = false;
};

// A plug with control settings; an output takes the value of the plug it drives.
class CPlugControled : public CPlugNameable {
    MD_SERIAL_CLASS()

public:
    using CPlugNameable::CPlugNameable;
    int32_t Flags() const override;
    void Serialize(Archive& ar) override;

    int32_t setting1 = 0;
    int32_t setting2 = 0;
    std::string setting_text;
};

// A GUI-side plug with its own direction, data type, name and meta text.
class CPlugFeature : public CPlug2 {
    MD_SERIAL_CLASS()

public:
    CPlugFeature() = default;
    CPlugFeature(int16_t descriptor_index, std::string value, Direction direction,
                 DataType data_type, int32_t feature_number, std::string name, std::string meta,
                 int32_t extra_flags)
        : CPlug2(descriptor_index, std::move(value)),
          direction_(direction),
          data_type_(data_type),
          feature_number_(feature_number),
          name_(std::move(name)),
          meta_(std::move(meta)),
          extra_flags_(extra_flags) {}

    bool IsGuiSide() const override { return true; }
    Direction GetDirection() const override { return direction_; }
    DataType GetDataType() const override { return data_type_; }
    std::string GetName() const override { return name_; }
    void SetName(std::string name) override { name_ = std::move(name); }
    std::string GetMetaText() const override { return meta_; }
    int32_t Flags() const override;
    std::unique_ptr<CPlug2> MakeCopy() const override;
    int32_t feature_number() const { return feature_number_; }
    int32_t extra_flags() const { return extra_flags_; }
    void Serialize(Archive& ar) override;

private:
    Direction direction_ = DR_IN;
    DataType data_type_ = PT_FLOAT;
    int32_t feature_number_ = 0;
    std::string name_;
    std::string meta_;
    int32_t extra_flags_ = 0;
};

class CPlugFeature2 : public CPlugFeature {
    MD_SERIAL_CLASS()

public:
    using CPlugFeature::CPlugFeature;
};

class CPlugFeature3 : public CPlugFeature {
    MD_SERIAL_CLASS()

public:
    using CPlugFeature::CPlugFeature;
    void Serialize(Archive& ar) override;
    bool option = false;
};

class CPlugFeature4 : public CPlugFeature {
    MD_SERIAL_CLASS()

public:
    using CPlugFeature::CPlugFeature;
};

}  // namespace md
