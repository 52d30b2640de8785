#include "parameters/patch_parameter.h"

#include "document/plug.h"

namespace md {

PatchParameter_base::~PatchParameter_base() = default;

std::unique_ptr<PatchParameter_base> PatchParameter_base::Create(int32_t type_id) {
    switch (type_id) {
        case 0:
            return std::make_unique<PatchParameter_list>();
        case 1:
            return std::make_unique<PatchParameter_text>();
        case 5:
            return std::make_unique<PatchParameter_float>();
        default:
            return nullptr;
    }
}

void PatchParameter_base::Serialize(Archive& ar) {
    const int32_t v = ar.v();
    ar.Int32(handle_);
    if (v > 95310) ar.Ref(plug);
    if (v > 95390) ar.Text(name);
    if (v > 95400) {
        ar.Bool8(ignore_program_change);
        ar.Int32(midi_controller);
    }
    int32_t data_type = PlugDataType();  // the kind decides; the stored one is not used
    ar.Int32(data_type);
    int32_t n = kPatchCount;
    ar.Int32(n);
    if (ar.IsLoading() && (n < 0 || static_cast<uint64_t>(n) * MinValueBytes() > ar.remaining())) {
        throw ArchiveError("patch parameter value count out of range");
    }
    SerializeValues(ar, n);
}

void SerializePatchValue(Archive& ar, int16_t& value) {
    ar.Int16(value);
}
void SerializePatchValue(Archive& ar, std::string& value) {
    ar.Text(value);
}
void SerializePatchValue(Archive& ar, float& value) {
    ar.Float(value);
}

}  // namespace md
