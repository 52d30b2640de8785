// The patch archive: an object archive of tagged, typed records.
//
// One Archive object either loads (reads bytes) or stores (writes bytes); every record has one
// Serialize function that does both, so a class's byte layout exists in exactly one place.
// Loading never trusts the bytes: a malformed archive raises ArchiveError, which the loader
// catches, and every object made so far is destroyed with the archive.
//
// Object ownership while loading: an object belongs to the archive from the moment its tag is
// read until a record takes it with Owned() (a container taking a child, a module a plug).
// Ref() only observes. Objects that nobody took stay in the archive and can be handed over with
// TakeLooseObjects(), so that references to them stay valid.
//
// Threading: one archive is used by one thread; the setup/GUI thread in practice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace md {

// The archive version written by this runtime, and the newest one it reads.
inline constexpr int32_t kArchiveVersion = 95540;

class Archive;
class ArchObject;

// A malformed archive: unknown class, schema mismatch, bad reference, bad length, an object
// of the wrong class, premature end, nesting too deep.
class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    int32_t x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// What the archive knows of a serialisable class. Instances are constants, one per class.
struct SerialClass {
    std::string_view name;  // as stored in the archive
    int16_t schema;         // written, and required on reading unless any_schema
    bool any_schema;
    const SerialClass* base;                  // null for the root class
    std::unique_ptr<ArchObject> (*create)();  // null for classes never stored themselves

    bool IsDerivedFrom(const SerialClass& other) const;
};

template <class T>
std::unique_ptr<ArchObject> CreateSerialObject() {
    return std::make_unique<T>();
}

// Declares the serialisable-class constant inside a class body.
#define MD_SERIAL_CLASS()                                       \
public:                                                         \
    static const ::md::SerialClass kClass;                      \
    const ::md::SerialClass& GetRuntimeClass() const override { \
        return kClass;                                          \
    }                                                           \
                                                                \
private:

// Defines it in a source file: name, schema, any_schema, base class.
#define MD_DEFINE_SERIAL_CLASS(Class, Schema, AnySchema, Base)                         \
    const ::md::SerialClass Class::kClass = {#Class, Schema, AnySchema, &Base::kClass, \
                                             &::md::CreateSerialObject<Class>}

// The base of every object that the archive stores.
class ArchObject {
public:
    static const SerialClass kClass;  // "CObject": never stored by name

    virtual ~ArchObject() = default;
    virtual const SerialClass& GetRuntimeClass() const { return kClass; }
    // Reads or writes the object's own record, starting with its base class's record.
    virtual void Serialize(Archive& ar) = 0;

    bool IsKindOf(const SerialClass& c) const { return GetRuntimeClass().IsDerivedFrom(c); }
};

// Every serialisable class by stored name; null when no class bears the name.
const SerialClass* FindSerialClass(std::string_view name);

class Archive {
public:
    enum class Mode { kLoad, kStore };

    // A loading archive over `bytes` (which must outlive it), or a storing one.
    static Archive ForLoading(std::span<const uint8_t> bytes);
    static Archive ForStoring();

    ~Archive();
    Archive(Archive&&) noexcept;
    Archive& operator=(Archive&&) = delete;
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool IsLoading() const { return mode_ == Mode::kLoad; }
    bool IsStoring() const { return mode_ == Mode::kStore; }

    // The load version "v" that records consult; kArchiveVersion while storing.
    int32_t v() const { return version_; }
    void set_v(int32_t version) { version_ = version; }

    // ---- primitives: read into or write from the argument ----
    void Int8(int8_t& x);
    void UInt8(uint8_t& x);
    void Int16(int16_t& x);
    void UInt16(uint16_t& x);
    void Int32(int32_t& x);
    void UInt32(uint32_t& x);
    void Float(float& x);
    void Double(double& x);
    void Bool8(bool& x);   // one byte, non-zero = true; written as 0 or 1
    void Bool32(bool& x);  // int32, non-zero = true
    void RectValue(Rect& r);
    void PointValue(Point& p);
    // A text with its length prefix. 16-bit text is read and converted to 8-bit text.
    void Text(std::string& s);
    // An element count (int16, or 0xFFFF and an int32). On loading the count is refused when
    // the remaining bytes can't hold that many elements of `min_element_size` bytes each.
    void Count(uint32_t& n, size_t min_element_size);
    // `n` raw bytes (the caller stores n separately).
    void Bytes(std::vector<uint8_t>& data, uint32_t n);
    // Bytes that carry nothing: skipped when loading, written as zeros when storing.
    void Padding(size_t n);
    // A count of texts, then the texts.
    void TextArray(std::vector<std::string>& texts);

    // ---- tagged objects ----
    // A tagged object that the caller owns (may be null). On loading: a new object, or a
    // reference to one read earlier that nobody owns yet and whose record is complete.
    template <class T>
    void Owned(std::unique_ptr<T>& p) {
        if (IsLoading()) {
            std::unique_ptr<ArchObject> o = LoadOwned(T::kClass);
            p.reset(static_cast<T*>(o.release()));
        } else {
            StoreObject(p.get());
        }
    }
    // A tagged object that the caller only observes (may be null).
    template <class T>
    void Ref(T*& p) {
        if (IsLoading()) {
            p = static_cast<T*>(LoadRef(T::kClass));
        } else {
            StoreObject(p);
        }
    }
    // Loading only: the next tagged object, owned by the caller. For the many-class lists
    // whose element class decides what to do with it.
    std::unique_ptr<ArchObject> LoadOwned(const SerialClass& expected);
    ArchObject* LoadRef(const SerialClass& expected);
    // Storing only.
    void StoreObject(const ArchObject* o);
    // An object stored without tag (its own record only), counted as nesting.
    void Untagged(ArchObject& o);

    // A count, then that many tagged objects owned by the list.
    template <class T>
    void OwnedList(std::vector<std::unique_ptr<T>>& list) {
        uint32_t n = static_cast<uint32_t>(list.size());
        Count(n, 2);
        if (IsLoading()) {
            list.clear();
            list.reserve(n);
            for (uint32_t i = 0; i < n; ++i) {
                std::unique_ptr<T> p;
                Owned(p);
                list.push_back(std::move(p));
            }
        } else {
            for (auto& p : list) StoreObject(p.get());
        }
    }
    // A count, then that many tagged references.
    template <class T>
    void RefList(std::vector<T*>& list) {
        uint32_t n = static_cast<uint32_t>(list.size());
        Count(n, 2);
        if (IsLoading()) {
            list.clear();
            list.reserve(n);
            for (uint32_t i = 0; i < n; ++i) list.push_back(static_cast<T*>(LoadRef(T::kClass)));
        } else {
            for (T* p : list) StoreObject(p);
        }
    }

    // ---- results ----
    // Storing: the bytes written so far.
    std::vector<uint8_t> TakeBytes();
    const std::vector<uint8_t>& bytes() const { return out_; }
    // Loading: bytes not read yet.
    size_t remaining() const { return in_.size() - pos_; }
    // Loading: the objects read that no record took, handed to the caller.
    std::vector<std::unique_ptr<ArchObject>> TakeLooseObjects();
    // Loading: takes back an object that a record took and doesn't keep, so that references to
    // it read later stay valid; it is handed over with the loose objects.
    void Keep(std::unique_ptr<ArchObject> o);

    // Deepest nesting of object records accepted on loading, by default: what a small stack
    // bears. A caller that reads on a stack of its own sizes the limit to it.
    static constexpr int kMaxDepth = 256;
    void set_max_depth(int depth) { max_depth_ = depth; }

    // Containers nested in containers, counted while loading: their tree is walked (and
    // destroyed) recursively on whatever stack the document later lives on, so their depth
    // is bounded on its own. Hold a ContainerLevel while reading a container's record.
    static constexpr int kMaxContainerDepth = 100;
    class ContainerLevel {
    public:
        explicit ContainerLevel(Archive& ar);
        ~ContainerLevel();
        ContainerLevel(const ContainerLevel&) = delete;
        ContainerLevel& operator=(const ContainerLevel&) = delete;

    private:
        Archive& ar_;
    };

private:
    explicit Archive(Mode mode);

    struct LoadEntry {
        const SerialClass* cls = nullptr;   // set for class entries
        ArchObject* object = nullptr;       // set for object entries
        std::unique_ptr<ArchObject> owned;  // while the archive owns the object
        bool complete = false;              // its record has been read
    };

    [[noreturn]] void Fail(const char* what) const;
    const uint8_t* Take(size_t n);
    void Put(const void* data, size_t n);
    // Reads a tag and, for a new object, its record; returns the entry index (0 = null).
    uint32_t LoadTagged(const SerialClass& expected);
    uint32_t NewObject(const SerialClass& cls);
    const SerialClass& ClassAt(uint32_t index) const;
    void WriteTag(uint16_t small, uint32_t big_index, bool is_class);

    Mode mode_;
    int32_t version_ = kArchiveVersion;
    int depth_ = 0;
    int max_depth_ = kMaxDepth;
    int container_depth_ = 0;
    // loading
    std::span<const uint8_t> in_;
    size_t pos_ = 0;
    std::vector<LoadEntry> entries_;  // index 0 unused (null)
    std::vector<std::unique_ptr<ArchObject>> kept_;
    // storing
    std::vector<uint8_t> out_;
    std::unordered_map<const ArchObject*, uint32_t> stored_objects_;
    std::unordered_map<const SerialClass*, uint32_t> stored_classes_;
    uint32_t next_index_ = 1;
};

}  // namespace md
