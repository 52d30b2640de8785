// CContainer: a sub-patch holding modules, connections and panel objects.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/connection.h"
#include "document/module.h"

namespace md {

class CPatchManager;
class PatchDocument;

class CContainer : public CUG_with_patches {
    MD_SERIAL_CLASS()

public:
    CContainer();
    ~CContainer() override;

    // ---- children ----
    const std::vector<std::unique_ptr<CDocOb>>& children() const { return children_; }
    CDocOb* AddChild(std::unique_ptr<CDocOb> child);
    // Removes and destroys a child; a connection is detached from its plugs first.
    void DeleteChild(CDocOb* child);
    // The modules among the children.
    std::vector<CUG*> Modules() const;
    // The first child whose type is an IO module; one is created when there is none.
    CUG* FindIoModule();
    // The first child whose type has module flag kNoteSource; null when none.
    CUG* FirstNoteSource() const;
    // True when no child is an enabled module with module flag kPolyController.
    bool NoEnabledPolyController() const;

    // ---- settings ----
    CPatchManager* patch_manager() const { return patch_manager_.get(); }
    CPatchManager& EnsurePatchManager();
    const std::string& skin_name() const { return skin_name_; }
    void set_skin_name(std::string name) { skin_name_ = std::move(name); }
    bool spare_hidden() const { return spare_hidden_; }
    void SetSpareHidden(bool hidden);
    int32_t container_flags() const { return flags_; }
    void set_container_flags(int32_t flags) { flags_ = flags; }
    Rect panel_rect;
    Rect panel_view_rect{30, 30, 530, 330};
    Rect structure_view_rect{0, 0, 500, 400};
    Point panel_scroll;
    Point structure_scroll;
    // Names of the container's own parameters.
    static constexpr const char* kParameterNames[3] = {"Skin", "Program", "Program Name"};

    // The document of the root container; null elsewhere.
    PatchDocument* document() const { return document_; }
    void set_document(PatchDocument* doc) { document_ = doc; }

    bool IsDisabled() const override;

    // Completes a loaded tree (called on the root): patch managers, plug fix-ups and spare
    // visibility for every container, then every connection attaches to its plugs, then the
    // container IO plugs learn their direction and data type where the archive lacked them.
    void CompleteLoad();

    void Serialize(Archive& ar) override;

private:
    // Adds a child just read, converting an old connection.
    void AddLoadedChild(Archive& ar, std::unique_ptr<ArchObject> o);
    void FixUpAfterLoad();
    void PairIoPlugs(CUG& io);
    void AttachAllConnections();
    void DeriveIoPlugs();
    bool HoldsPatchSelect() const;

    std::vector<std::unique_ptr<CDocOb>> children_;
    std::unique_ptr<CPatchManager> patch_manager_;
    int32_t flags_ = 0;
    std::string skin_name_ = "default";
    bool spare_hidden_ = false;
    PatchDocument* document_ = nullptr;
};

}  // namespace md
