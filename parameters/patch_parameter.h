// Patch parameters: values a container's patch memory keeps for every patch (128 of them),
// each tied to a plug. Three kinds: list (16-bit choice), text and 32-bit float.
//
// They are stored inside the patch manager's record with a type id before each record, not as
// tagged objects. A record holds the values of all patches; a record with fewer values leaves
// the other patches at the kind's zero value (0, empty text, 0.0), and values past the 128th
// are read and dropped.
//
// Document side; user-interface thread only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "document/archive.h"
#include "document/plug_types.h"

namespace md {

class CPlug2;

class PatchParameter_base {
public:
    static constexpr int kPatchCount = 128;

    PatchParameter_base() = default;
    virtual ~PatchParameter_base();
    PatchParameter_base(const PatchParameter_base&) = delete;
    PatchParameter_base& operator=(const PatchParameter_base&) = delete;

    // A new parameter of the kind that `type_id` names in the archive; null for other ids.
    static std::unique_ptr<PatchParameter_base> Create(int32_t type_id);

    // The id written before the record.
    virtual int32_t TypeId() const = 0;
    // The data type of the plugs this kind serves, written in the record.
    virtual DataType PlugDataType() const = 0;

    // Unique within its patch manager, which gives it on adding; -1 before.
    int32_t handle() const { return handle_; }
    void set_handle(int32_t handle) { handle_ = handle; }

    CPlug2* plug = nullptr;
    std::string name;
    bool ignore_program_change = false;
    int32_t midi_controller = -1;  // -1: none

    void Serialize(Archive& ar);

protected:
    // Reads `n` values or writes all 128 (`n` is 128 then).
    virtual void SerializeValues(Archive& ar, int32_t n) = 0;
    // The fewest bytes one stored value takes.
    virtual size_t MinValueBytes() const = 0;

private:
    int32_t handle_ = -1;
};

void SerializePatchValue(Archive& ar, int16_t& value);
void SerializePatchValue(Archive& ar, std::string& value);
void SerializePatchValue(Archive& ar, float& value);

// A parameter kind: its value type, archive type id, plug data type and stored value size.
template <class T, int32_t kTypeId, DataType kDataType, size_t kMinBytes>
class PatchParameterOf : public PatchParameter_base {
public:
    int32_t TypeId() const override { return kTypeId; }
    DataType PlugDataType() const override { return kDataType; }

    // Patches outside 0..127 read the zero value and ignore writes.
    const T& value(int patch) const {
        static const T zero{};
        return InRange(patch) ? values_[static_cast<size_t>(patch)] : zero;
    }
    void set_value(int patch, T value) {
        if (InRange(patch)) values_[static_cast<size_t>(patch)] = std::move(value);
    }

protected:
    void SerializeValues(Archive& ar, int32_t n) override {
        if (ar.IsStoring()) {
            for (T& x : values_) SerializePatchValue(ar, x);
            return;
        }
        values_.fill(T{});
        for (int32_t i = 0; i < n; ++i) {
            T x{};
            SerializePatchValue(ar, x);
            if (i < kPatchCount) values_[static_cast<size_t>(i)] = std::move(x);
        }
    }
    size_t MinValueBytes() const override { return kMinBytes; }

private:
    static bool InRange(int patch) { return patch >= 0 && patch < kPatchCount; }

    std::array<T, kPatchCount> values_{};
};

class PatchParameter_list : public PatchParameterOf<int16_t, 0, PT_ENUM, 2> {};
class PatchParameter_text : public PatchParameterOf<std::string, 1, PT_TEXT, 1> {};
class PatchParameter_float : public PatchParameterOf<float, 5, PT_FLOAT, 4> {};

}  // namespace md
