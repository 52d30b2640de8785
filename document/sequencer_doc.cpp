#include "document/sequencer_doc.h"

#include <algorithm>
#include <string>

namespace md {

MD_DEFINE_SERIAL_CLASS(CPattSeq, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(CStepSeq2, 1, false, CPattSeq);
MD_DEFINE_SERIAL_CLASS(CDrumSeq, 1, false, CPattSeq);
MD_DEFINE_SERIAL_CLASS(CStepSeq, 1, false, CUG);

namespace {

// A stored element count: refused when negative or when `n` elements of `min_bytes` each
// can't be in the rest of the archive.
void CheckedCount(Archive& ar, int32_t& n, uint64_t min_bytes, const char* what) {
    ar.Int32(n);
    if (!ar.IsLoading()) return;
    if (n < 0 || static_cast<uint64_t>(n) * min_bytes > ar.remaining()) {
        throw ArchiveError(std::string(what) + " count out of range");
    }
}

void SerializeSong(Archive& ar, std::vector<int32_t>& song) {
    int32_t n = static_cast<int32_t>(song.size());
    CheckedCount(ar, n, 4, "song");
    if (ar.IsLoading()) song.assign(static_cast<size_t>(n), 0);
    for (int32_t& x : song) ar.Int32(x);
}

// A step count and the steps; a pattern longer than 32 steps keeps its first 32.
template <class Step, class Each>
void SerializeSteps(Archive& ar, std::vector<Step>& steps, uint64_t step_bytes, Each each) {
    int32_t m = static_cast<int32_t>(steps.size());
    CheckedCount(ar, m, step_bytes, "step");
    if (ar.IsStoring()) {
        for (Step& s : steps) each(s);
        return;
    }
    steps.assign(static_cast<size_t>(std::min(m, kSequencerSteps)), Step{});
    for (int32_t i = 0; i < m; ++i) {
        Step s{};
        each(s);
        if (i < kSequencerSteps) steps[static_cast<size_t>(i)] = s;
    }
}

void SerializeNoteStep(Archive& ar, SequencerStep& s, bool with_slide) {
    ar.Int32(s.note);
    ar.Int32(s.velocity);
    ar.Int32(s.modulation);
    ar.Int32(s.spare);
    if (with_slide) ar.Bool32(s.slide);
    if (ar.v() == 14) ar.Int32(s.unused);
}

uint64_t NoteStepBytes(int32_t v, bool with_slide) {
    return 16 + (with_slide ? 4 : 0) + (v == 14 ? 4 : 0);
}

}  // namespace

void CPattSeq::Serialize(Archive& ar) {
    const int32_t v = ar.v();
    CControl::Serialize(ar);
    if (v < 18) ar.Padding(16);
    ar.Int32(unused_setting);
    ar.Float(tempo);
    ar.Bool32(song_mode);
    SerializeSong(ar, song);
    if (v >= 25) ar.Int32(current_pattern);
}

void CStepSeq2::Serialize(Archive& ar) {
    CPattSeq::Serialize(ar);
    const bool with_slide = ar.v() >= 23;
    for (auto& steps : patterns) {
        SerializeSteps(ar, steps, NoteStepBytes(ar.v(), with_slide),
                       [&](SequencerStep& s) { SerializeNoteStep(ar, s, with_slide); });
    }
}

void CDrumSeq::Serialize(Archive& ar) {
    CPattSeq::Serialize(ar);
    for (auto& steps : patterns) {
        SerializeSteps(ar, steps, 4, [&](int32_t& mask) { ar.Int32(mask); });
    }
}

void CStepSeq::Serialize(Archive& ar) {
    CUG::Serialize(ar);
    ar.Bytes(display_settings, 16);
    int32_t n = static_cast<int32_t>(patterns.size());
    CheckedCount(ar, n, 4, "pattern");
    ar.Float(tempo);
    const uint64_t step_bytes = NoteStepBytes(ar.v(), false);
    if (ar.IsStoring()) {
        for (auto& steps : patterns) {
            SerializeSteps(ar, steps, step_bytes,
                           [&](SequencerStep& s) { SerializeNoteStep(ar, s, false); });
        }
    } else {
        patterns.clear();
        for (int32_t i = 0; i < n; ++i) {
            std::vector<SequencerStep> steps;
            SerializeSteps(ar, steps, step_bytes,
                           [&](SequencerStep& s) { SerializeNoteStep(ar, s, false); });
            if (i < kSequencerPatterns) patterns.push_back(std::move(steps));
        }
    }
    ar.Bool32(song_mode);
    SerializeSong(ar, song);
}

}  // namespace md
