// Panel objects: the drawn parts of a front panel (bitmaps, lists, texts, groups, pages) and
// the panel boxes of older files.
//
// Document side; user-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "document/doc_object.h"
#include "document/module.h"

namespace md {

// A panel object showing a document object (usually a module) in a panel rectangle.
class control_ob_base : public CUG {
    MD_SERIAL_CLASS()

public:
    CDocOb* linked_object = nullptr;  // may be null
    Rect panel_rect;

    void Serialize(Archive& ar) override;
};

// A panel object with a list of three-number entries.
class control_ob : public control_ob_base {
    MD_SERIAL_CLASS()

public:
    // The list ends with -1 in the archive, so no entry may start with -1.
    std::vector<std::array<int32_t, 3>> entries;

    void Serialize(Archive& ar) override;
};

class control_ob_bitmap : public control_ob {
    MD_SERIAL_CLASS()
};

class control_ob_bitmap_joystick : public control_ob {
    MD_SERIAL_CLASS()
};

class control_ob_bitmap_tinted : public control_ob {
    MD_SERIAL_CLASS()
};

class control_ob_list : public control_ob {
    MD_SERIAL_CLASS()
};

class control_ob_text : public control_ob {
    MD_SERIAL_CLASS()
};

// A group of panel objects, moved together. The group only refers to its members.
class control_group_ob : public control_ob_base {
    MD_SERIAL_CLASS()

public:
    const std::vector<control_ob_base*>& members() const { return members_; }
    // False (nothing added) for the group itself, null, or a member already present.
    bool AddMember(control_ob_base* member);

    void Serialize(Archive& ar) override;

private:
    std::vector<control_ob_base*> members_;
};

// "Paged Group": document objects shown on numbered pages.
class CTabBox : public control_ob_base {
    MD_SERIAL_CLASS()

public:
    struct PageEntry {
        ArchObject* object = nullptr;
        int32_t page = 0;
    };
    struct Member {
        CDocOb* object = nullptr;
        int32_t page = 0;
    };

    Rect page_rect;

    // Every pair as stored, written back unchanged.
    const std::vector<PageEntry>& entries() const { return entries_; }
    // The document objects among the entries, each once, with the page of its first entry.
    const std::vector<Member>& members() const { return members_; }
    void AddEntry(ArchObject* object, int32_t page);

    void Serialize(Archive& ar) override;

private:
    std::vector<PageEntry> entries_;
    std::vector<Member> members_;
};

// "Panel Group": a titled frame on the panel.
class CPanelBox2 : public CDocOb {
    MD_SERIAL_CLASS()

public:
    std::string title;
    Rect panel_rect;

    void Serialize(Archive& ar) override;
};

// The panel group of older files; same record.
class CPanelBox : public CPanelBox2 {
    MD_SERIAL_CLASS()
};

// "Sub Panel": shows the panel of a container inside another panel.
class CPortal : public CDocOb {
    MD_SERIAL_CLASS()

public:
    std::string text;
    Rect panel_rect;
    int32_t setting = 3;

    void Serialize(Archive& ar) override;
};

// A drawing object of older files; only its document-object record is stored.
class CGraphicObject : public CDocOb {
    MD_SERIAL_CLASS()
};

}  // namespace md
