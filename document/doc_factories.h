// Document-object factories of the module types, found by document class name.
#pragma once

#include <memory>
#include <string_view>

namespace md {

class CDocOb;
class Module_Info;

// Creates the document-side object of a module type.
using DocFactory = std::unique_ptr<CDocOb> (*)(Module_Info* type);

// The factory for a document class ("CUG", "CContainer", "Ctl_Slider" ...); null when no class
// of that name exists yet. The table is constant-initialised, so this may be called during
// static initialisation. Any thread.
DocFactory FindDocFactory(std::string_view doc_class);

}  // namespace md
