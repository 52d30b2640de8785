#include "document/doc_factories.h"

#include <array>

namespace md {

namespace {

struct DocFactoryEntry {
    std::string_view doc_class;
    DocFactory factory;
};

// One line per document class, added as the classes are written. Until "CUG" is here,
// every module type's CreateDocObject gives null.
constexpr std::array<DocFactoryEntry, 0> kDocFactories{};

}  // namespace

DocFactory FindDocFactory(std::string_view doc_class) {
    for (const DocFactoryEntry& e : kDocFactories) {
        if (e.doc_class == doc_class) return e.factory;
    }
    return nullptr;
}

}  // namespace md
