// Reading and writing one archive record in tests, at a chosen version.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "document/archive.h"

namespace md::test {

using Bytes = std::vector<uint8_t>;
using Loose = std::vector<std::unique_ptr<ArchObject>>;

// The record of `o` as written at version `v`.
inline Bytes Store(ArchObject& o, int32_t v = kArchiveVersion) {
    Archive ar = Archive::ForStoring();
    ar.set_v(v);
    ar.Untagged(o);
    return ar.TakeBytes();
}

// Reads `bytes` as the record of `o` at version `v`, which must use every byte. Objects the
// record refers to but doesn't own go to `loose`.
inline void LoadInto(ArchObject& o, const Bytes& bytes, int32_t v, Loose* loose = nullptr) {
    Archive ar = Archive::ForLoading(bytes);
    ar.set_v(v);
    ar.Untagged(o);
    EXPECT_EQ(ar.remaining(), 0u) << "record not read to its end";
    if (loose != nullptr) *loose = ar.TakeLooseObjects();
}

// `bytes` read as the record of a new T at version `v` are refused.
template <class T>
void ExpectRefused(const Bytes& bytes, int32_t v) {
    Archive ar = Archive::ForLoading(bytes);
    ar.set_v(v);
    T o;
    EXPECT_THROW(ar.Untagged(o), ArchiveError);
}

}  // namespace md::test
