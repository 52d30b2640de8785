#include "document/archive.h"

#include <cstring>

namespace md {

namespace {

// Tag values of object references.
constexpr uint16_t kNullTag = 0x0000;
constexpr uint16_t kBigObjectTag = 0x7FFF;  // an int32 follows
constexpr uint16_t kClassTag = 0x8000;      // with a class index in the low bits
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint32_t kBigClassFlag = 0x80000000u;
constexpr uint16_t kMaxClassNameLength = 64;

// A text can't be longer than this (the archive stores lengths as int32 at most).
constexpr uint64_t kMaxTextLength = 0x7FFFFFFFu;

}  // namespace

const SerialClass ArchObject::kClass = {"CObject", 1, false, nullptr, nullptr};

bool SerialClass::IsDerivedFrom(const SerialClass& other) const {
    for (const SerialClass* c = this; c != nullptr; c = c->base) {
        if (c == &other) return true;
    }
    return false;
}

Archive::Archive(Mode mode) : mode_(mode) {
    if (mode_ == Mode::kLoad) entries_.resize(1);
}
Archive::~Archive() = default;
Archive::Archive(Archive&&) noexcept = default;

Archive Archive::ForLoading(std::span<const uint8_t> bytes) {
    Archive ar(Mode::kLoad);
    ar.in_ = bytes;
    return ar;
}

Archive Archive::ForStoring() {
    return Archive(Mode::kStore);
}

void Archive::Fail(const char* what) const {
    throw ArchiveError(std::string(what) + " at byte " + std::to_string(pos_));
}

const uint8_t* Archive::Take(size_t n) {
    if (n > in_.size() - pos_) Fail("premature end");
    const uint8_t* p = in_.data() + pos_;
    pos_ += n;
    return p;
}

void Archive::Put(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + n);
}

namespace {

template <class T>
T LoadLittleEndian(const uint8_t* p) {
    using U = std::make_unsigned_t<T>;
    U u = 0;
    for (size_t i = 0; i < sizeof(T); ++i) u = static_cast<U>(u | (U(p[i]) << (8 * i)));
    return static_cast<T>(u);
}

template <class T>
void StoreLittleEndian(T value, uint8_t* p) {
    using U = std::make_unsigned_t<T>;
    const U u = static_cast<U>(value);
    for (size_t i = 0; i < sizeof(T); ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

}  // namespace

#define MD_ARCHIVE_INTEGER(Name, Type)                      \
    void Archive::Name(Type& x) {                           \
        if (IsLoading()) {                                  \
            x = LoadLittleEndian<Type>(Take(sizeof(Type))); \
        } else {                                            \
            uint8_t b[sizeof(Type)];                        \
            StoreLittleEndian<Type>(x, b);                  \
            Put(b, sizeof b);                               \
        }                                                   \
    }
MD_ARCHIVE_INTEGER(Int8, int8_t)
MD_ARCHIVE_INTEGER(UInt8, uint8_t)
MD_ARCHIVE_INTEGER(Int16, int16_t)
MD_ARCHIVE_INTEGER(UInt16, uint16_t)
MD_ARCHIVE_INTEGER(Int32, int32_t)
MD_ARCHIVE_INTEGER(UInt32, uint32_t)
#undef MD_ARCHIVE_INTEGER

void Archive::Float(float& x) {
    uint32_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    UInt32(bits);
    std::memcpy(&x, &bits, sizeof bits);
}

void Archive::Double(double& x) {
    uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    if (IsLoading()) {
        bits = LoadLittleEndian<uint64_t>(Take(8));
        std::memcpy(&x, &bits, sizeof bits);
    } else {
        uint8_t b[8];
        StoreLittleEndian<uint64_t>(bits, b);
        Put(b, sizeof b);
    }
}

void Archive::Bool8(bool& x) {
    uint8_t b = x ? 1 : 0;
    UInt8(b);
    x = b != 0;
}

void Archive::Bool32(bool& x) {
    int32_t b = x ? 1 : 0;
    Int32(b);
    x = b != 0;
}

void Archive::RectValue(Rect& r) {
    Int32(r.left);
    Int32(r.top);
    Int32(r.right);
    Int32(r.bottom);
}

void Archive::PointValue(Point& p) {
    Int32(p.x);
    Int32(p.y);
}

void Archive::Text(std::string& s) {
    if (IsStoring()) {
        const size_t n = s.size();
        if (n < 0xFF) {
            uint8_t b = static_cast<uint8_t>(n);
            UInt8(b);
        } else {
            uint8_t ff = 0xFF;
            UInt8(ff);
            if (n < 0xFFFE) {
                uint16_t w = static_cast<uint16_t>(n);
                UInt16(w);
            } else {
                uint16_t w = 0xFFFF;
                UInt16(w);
                uint32_t d = static_cast<uint32_t>(n);
                UInt32(d);
            }
        }
        Put(s.data(), n);
        return;
    }
    bool wide = false;
    uint64_t length = 0;
    for (int round = 0;; ++round) {
        uint8_t b = 0;
        UInt8(b);
        if (b != 0xFF) {
            length = b;
            break;
        }
        uint16_t w = 0;
        UInt16(w);
        if (w == 0xFFFE && round == 0) {  // 16-bit characters follow; the prefix starts again
            wide = true;
            continue;
        }
        if (w != 0xFFFF) {
            length = w;
            break;
        }
        uint32_t d = 0;
        UInt32(d);
        if (d != 0xFFFFFFFFu) {
            length = d;
            break;
        }
        int32_t lo = 0, hi = 0;
        Int32(lo);
        Int32(hi);
        const int64_t q = (int64_t{hi} << 32) | static_cast<uint32_t>(lo);
        if (q < 0 || static_cast<uint64_t>(q) > kMaxTextLength) Fail("text length out of range");
        length = static_cast<uint64_t>(q);
        break;
    }
    const uint64_t bytes = wide ? length * 2 : length;
    if (bytes > remaining()) Fail("text longer than the archive");
    const uint8_t* p = Take(static_cast<size_t>(bytes));
    if (!wide) {
        s.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(length));
        return;
    }
    // 8-bit text keeps the characters up to 0xFF.
    s.resize(static_cast<size_t>(length));
    for (size_t i = 0; i < length; ++i) {
        const uint16_t c = static_cast<uint16_t>(p[2 * i] | (p[2 * i + 1] << 8));
        s[i] = c <= 0xFF ? static_cast<char>(c) : '?';
    }
}

void Archive::Count(uint32_t& n, size_t min_element_size) {
    if (IsStoring()) {
        if (n < 0xFFFF) {
            uint16_t w = static_cast<uint16_t>(n);
            UInt16(w);
        } else {
            uint16_t w = 0xFFFF;
            UInt16(w);
            UInt32(n);
        }
        return;
    }
    uint16_t w = 0;
    UInt16(w);
    if (w != 0xFFFF) {
        n = w;
    } else {
        UInt32(n);
    }
    if (min_element_size > 0 && n > remaining() / min_element_size) Fail("count out of range");
}

void Archive::Bytes(std::vector<uint8_t>& data, uint32_t n) {
    if (IsStoring()) {
        Put(data.data(), std::min<size_t>(n, data.size()));
        for (size_t i = data.size(); i < n; ++i) out_.push_back(0);
        return;
    }
    if (n > remaining()) Fail("byte block longer than the archive");
    const uint8_t* p = Take(n);
    data.assign(p, p + n);
}

void Archive::Padding(size_t n) {
    if (IsLoading()) {
        Take(n);
    } else {
        out_.insert(out_.end(), n, 0);
    }
}

void Archive::TextArray(std::vector<std::string>& texts) {
    uint32_t n = static_cast<uint32_t>(texts.size());
    Count(n, 1);
    if (IsLoading()) texts.assign(n, std::string());
    for (std::string& t : texts) Text(t);
}

// ---- tagged objects, loading ----

const SerialClass& Archive::ClassAt(uint32_t index) const {
    if (index == 0 || index >= entries_.size() || entries_[index].cls == nullptr) {
        Fail("reference to a class not read");
    }
    return *entries_[index].cls;
}

uint32_t Archive::NewObject(const SerialClass& cls) {
    if (cls.create == nullptr) Fail("class can't be stored");
    if (depth_ >= max_depth_) Fail("objects nested too deep");
    const uint32_t index = static_cast<uint32_t>(entries_.size());
    LoadEntry entry;
    entry.owned = cls.create();
    entry.object = entry.owned.get();
    entries_.push_back(std::move(entry));
    // Registered before its record is read, so that the record may refer to it.
    ++depth_;
    entries_[index].object->Serialize(*this);
    --depth_;
    entries_[index].complete = true;
    return index;
}

uint32_t Archive::LoadTagged(const SerialClass& expected) {
    uint16_t tag = 0;
    UInt16(tag);
    if (tag == kNullTag) return 0;

    uint32_t object_index = 0;
    const SerialClass* cls = nullptr;
    if (tag == kNewClassTag) {
        int16_t schema = 0;
        UInt16(reinterpret_cast<uint16_t&>(schema));
        uint16_t name_length = 0;
        UInt16(name_length);
        if (name_length >= kMaxClassNameLength) Fail("class name too long");
        const uint8_t* p = Take(name_length);
        const std::string_view name(reinterpret_cast<const char*>(p), name_length);
        cls = FindSerialClass(name);
        if (cls == nullptr) Fail(("unknown class '" + std::string(name) + "'").c_str());
        if (!cls->any_schema && schema != cls->schema) Fail("schema mismatch");
        LoadEntry entry;
        entry.cls = cls;
        entries_.push_back(std::move(entry));
    } else if (tag & kClassTag) {
        cls = &ClassAt(tag & 0x7FFF);
    } else if (tag == kBigObjectTag) {
        uint32_t big = 0;
        UInt32(big);
        if (big & kBigClassFlag) {
            cls = &ClassAt(big & ~kBigClassFlag);
        } else {
            object_index = big;
        }
    } else {
        object_index = tag;
    }

    if (cls != nullptr) {
        if (!cls->IsDerivedFrom(expected)) Fail("object of the wrong class");
        return NewObject(*cls);
    }
    if (object_index == 0 || object_index >= entries_.size() ||
        entries_[object_index].object == nullptr) {
        Fail("reference to an object not read");
    }
    if (!entries_[object_index].object->IsKindOf(expected)) Fail("object of the wrong class");
    return object_index;
}

std::unique_ptr<ArchObject> Archive::LoadOwned(const SerialClass& expected) {
    const uint32_t index = LoadTagged(expected);
    if (index == 0) return nullptr;
    LoadEntry& e = entries_[index];
    // An object whose record is still being read is an ancestor of this one: taking it would
    // make a cycle of ownership.
    if (!e.complete) Fail("object owned by itself");
    if (!e.owned) Fail("object owned twice");
    return std::move(e.owned);
}

ArchObject* Archive::LoadRef(const SerialClass& expected) {
    const uint32_t index = LoadTagged(expected);
    return index == 0 ? nullptr : entries_[index].object;
}

void Archive::Untagged(ArchObject& o) {
    if (IsLoading() && depth_ >= max_depth_) Fail("objects nested too deep");
    ++depth_;
    o.Serialize(*this);
    --depth_;
}

Archive::ContainerLevel::ContainerLevel(Archive& ar) : ar_(ar) {
    if (ar_.IsLoading() && ar_.container_depth_ >= kMaxContainerDepth) {
        ar_.Fail("containers nested too deep");
    }
    ++ar_.container_depth_;
}

Archive::ContainerLevel::~ContainerLevel() {
    --ar_.container_depth_;
}

std::vector<std::unique_ptr<ArchObject>> Archive::TakeLooseObjects() {
    std::vector<std::unique_ptr<ArchObject>> loose;
    for (LoadEntry& e : entries_) {
        if (e.owned) loose.push_back(std::move(e.owned));
    }
    for (auto& o : kept_) loose.push_back(std::move(o));
    kept_.clear();
    return loose;
}

void Archive::Keep(std::unique_ptr<ArchObject> o) {
    if (o) kept_.push_back(std::move(o));
}

// ---- tagged objects, storing ----

void Archive::WriteTag(uint16_t small, uint32_t big_index, bool is_class) {
    if (big_index < kBigObjectTag) {
        UInt16(small);
        return;
    }
    uint16_t t = kBigObjectTag;
    UInt16(t);
    uint32_t d = is_class ? (big_index | kBigClassFlag) : big_index;
    UInt32(d);
}

void Archive::StoreObject(const ArchObject* o) {
    if (o == nullptr) {
        uint16_t t = kNullTag;
        UInt16(t);
        return;
    }
    if (auto it = stored_objects_.find(o); it != stored_objects_.end()) {
        WriteTag(static_cast<uint16_t>(it->second), it->second, false);
        return;
    }
    const SerialClass& cls = o->GetRuntimeClass();
    if (auto it = stored_classes_.find(&cls); it != stored_classes_.end()) {
        WriteTag(static_cast<uint16_t>(kClassTag | it->second), it->second, true);
    } else {
        uint16_t t = kNewClassTag;
        UInt16(t);
        int16_t schema = cls.schema;
        Int16(schema);
        uint16_t n = static_cast<uint16_t>(cls.name.size());
        UInt16(n);
        Put(cls.name.data(), cls.name.size());
        stored_classes_[&cls] = next_index_++;
    }
    stored_objects_[o] = next_index_++;
    // Serialize doesn't change an object while storing.
    const_cast<ArchObject*>(o)->Serialize(*this);
}

std::vector<uint8_t> Archive::TakeBytes() {
    return std::move(out_);
}

}  // namespace md
