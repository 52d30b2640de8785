#include "document/module_info.h"

#include <utility>

#include "document/string_table.h"
#include "engine/ug_base.h"

namespace md {

namespace {

DocFactory OrPlainCug(DocFactory factory) {
    return factory != nullptr ? factory : FindDocFactory("CUG");
}

}  // namespace

Module_Info::Module_Info(std::string id, std::string extra_text2, int32_t name_number,
                         int32_t group_number, DocFactory doc_factory, DspFactory dsp_factory,
                         int32_t flags, int32_t legacy_number, std::string doc_class,
                         std::string dsp_class)
    : doc_factory_(OrPlainCug(doc_factory)),
      dsp_factory_(dsp_factory),
      id_(std::move(id)),
      extra_text2_(std::move(extra_text2)),
      name_number_(name_number),
      group_number_(group_number),
      flags_(flags | module_flag::kBuiltIn),
      legacy_number_(legacy_number),
      doc_class_(doc_class.empty() ? std::string("CUG") : std::move(doc_class)),
      dsp_class_(std::move(dsp_class)) {
    // Built-in units list their own plugs; the registry keeps that list for the document.
    // Qualified call: a derived class is not constructed yet.
    if (std::unique_ptr<ug_base> unit = Module_Info::CreateDspObject()) ListPlugsOf(*unit);
}

Module_Info::Module_Info(ModuleInfoFields fields)
    : doc_factory_(OrPlainCug(fields.doc_factory)),
      dsp_factory_(fields.dsp_factory),
      id_(std::move(fields.id)),
      extra_text1_(std::move(fields.extra_text1)),
      extra_text2_(std::move(fields.extra_text2)),
      plugs_(std::move(fields.plugs)),
      name_number_(fields.name_number),
      group_number_(fields.group_number),
      flags_(fields.flags),
      legacy_number_(fields.legacy_number),
      doc_class_(std::move(fields.doc_class)),
      dsp_class_(std::move(fields.dsp_class)) {}

Module_Info::~Module_Info() = default;

std::string Module_Info::GetId() const {
    return id_;
}

std::unique_ptr<ug_base> Module_Info::CreateDspObject() {
    if (dsp_factory_ == nullptr) return nullptr;
    return dsp_factory_(this);
}

VisualObPtr Module_Info::CreateVisual() {
    return VisualObPtr(nullptr, nullptr);
}

std::string Module_Info::GetDisplayName() const {
    if (name_number_ == 0) return GetId();
    const std::string_view text = LookupString(static_cast<uint32_t>(name_number_));
    return std::string(text.substr(0, kDisplayNameBuffer - 1));
}

void Module_Info::ListPlugsOf(ug_base& unit) {
    const size_t first = plugs_.size();
    unit.ListInterface(plugs_);
    for (size_t i = first; i < plugs_.size(); ++i) {
        plugs_[i].variable = nullptr;
        plugs_[i].parameter_variable = nullptr;
    }
}

Module_Info2::Module_Info2(std::string id, std::string extra_text2, int32_t name_number,
                           int32_t group_number, DocFactory doc_factory, DspFactory dsp_factory,
                           VisualFactory visual_factory, int32_t flags, int32_t legacy_number,
                           std::string doc_class, std::string dsp_class)
    : Module_Info(std::move(id), std::move(extra_text2), name_number, group_number, doc_factory,
                  dsp_factory, flags, legacy_number, std::move(doc_class), std::move(dsp_class)),
      visual_factory_(visual_factory) {}

VisualObPtr Module_Info2::CreateVisual() {
    if (visual_factory_ == nullptr) return VisualObPtr(nullptr, nullptr);
    return visual_factory_(this);
}

}  // namespace md
