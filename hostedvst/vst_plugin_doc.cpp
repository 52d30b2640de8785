#include "hostedvst/vst_plugin_doc.h"

#include <string>

namespace md {

MD_DEFINE_SERIAL_CLASS(Ctl_VST_Plugin, 1, false, CUG_with_patches);

namespace {

[[noreturn]] void Malformed(const char* what) {
    throw ArchiveError(std::string("hosted plug-in: ") + what + " out of range");
}

// A count that must not be negative and whose elements of `min_bytes` each must fit in the
// rest of the archive.
void CheckCount(const Archive& ar, int32_t n, uint64_t min_bytes, const char* what) {
    if (n < 0 || static_cast<uint64_t>(n) * min_bytes > ar.remaining()) Malformed(what);
}

// An int32 size, then that many bytes.
void SerializeChunk(Archive& ar, std::vector<uint8_t>& chunk) {
    int32_t size = static_cast<int32_t>(chunk.size());
    ar.Int32(size);
    if (ar.IsLoading()) CheckCount(ar, size, 1, "chunk size");
    ar.Bytes(chunk, static_cast<uint32_t>(size));
}

}  // namespace

void Ctl_VST_Plugin::Serialize(Archive& ar) {
    const int32_t v = ar.v();
    if (v > 49) CUG_with_patches::Serialize(ar);

    ar.Text(library_name);
    if (ar.IsLoading() && v < 55) {
        const size_t slash = library_name.rfind('\\');
        if (slash != std::string::npos) library_name.erase(0, slash + 1);
    }
    if (v >= 55) ar.Int32(unique_id);
    ar.Int32(chunk_flag);
    ar.Int32(parameter_count);
    int32_t program_count = static_cast<int32_t>(programs.size());
    ar.Int32(program_count);
    ar.Int32(current_program);
    if (ar.IsLoading()) bank_chunk.clear();
    if (v > 38 && uses_chunks()) SerializeChunk(ar, bank_chunk);

    const bool with_values = !uses_chunks();
    const bool with_chunk = uses_chunks() && v < 39;
    if (ar.IsLoading()) {
        if (with_values) CheckCount(ar, parameter_count, 4, "parameter count");
        // Each program holds at least its name's length byte, its values and its chunk size.
        const uint64_t value_bytes = with_values ? 4 * static_cast<uint64_t>(parameter_count) : 0;
        CheckCount(ar, program_count, 1 + value_bytes + (with_chunk ? 4 : 0), "program count");
        programs.assign(static_cast<size_t>(program_count), Program{});
    }
    for (Program& p : programs) {
        ar.Text(p.name);
        if (with_values) {
            if (ar.IsLoading()) p.parameter_bits.assign(static_cast<size_t>(parameter_count), 0);
            // Every program has the stated number of values; missing ones are written as 0.
            for (int32_t i = 0; i < parameter_count; ++i) {
                uint32_t bits = static_cast<size_t>(i) < p.parameter_bits.size()
                                    ? p.parameter_bits[static_cast<size_t>(i)]
                                    : 0;
                ar.UInt32(bits);
                if (ar.IsLoading()) p.parameter_bits[static_cast<size_t>(i)] = bits;
            }
        }
        if (with_chunk) SerializeChunk(ar, p.chunk);
    }

    if (v > 41) {
        int32_t n = static_cast<int32_t>(midi_assignments.size());
        ar.Int32(n);
        if (ar.IsLoading()) {
            CheckCount(ar, n, 4, "MIDI assignment count");
            midi_assignments.assign(static_cast<size_t>(n), 0);
        }
        for (int32_t& x : midi_assignments) ar.Int32(x);
    }
}

}  // namespace md
