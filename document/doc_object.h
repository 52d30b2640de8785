// CDocOb: any object of the patch document (module, container, connection, panel object).
//
// Document objects live on the thread that loaded the patch (the host's user-interface thread)
// and are never touched by the audio thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/archive.h"
#include "parameters/generic_parameter.h"

namespace md {

class CContainer;
class CDocOb;
class Module_Info;

// Notification codes a document object sends to its listeners.
namespace doc_notify {
inline constexpr int kPlugsChanged = 14;
inline constexpr int kConnectionRemoved = 16;
inline constexpr int kChildAdded = 17;
inline constexpr int kDisabledChanged = 19;
inline constexpr int kSkinChanged = 20;
inline constexpr int kPanelRectChanged = 35;
inline constexpr int kSpareVisibilityChanged = 44;
}  // namespace doc_notify

// A listener of document objects (views, tests).
class Notifiable {
public:
    virtual ~Notifiable() = default;
    virtual void OnNotify(CDocOb& from, int code) = 0;
};

class CDocOb : public ArchObject {
    MD_SERIAL_CLASS()

public:
    CDocOb() = default;
    ~CDocOb() override;

    // The module type; null when the archive named a type that isn't registered.
    Module_Info* type() const { return type_; }
    void set_type(Module_Info* type);
    // The id the object was stored with (kept for unregistered types, so they are written back
    // unchanged).
    const std::string& type_id() const { return type_id_; }
    int32_t type_flags() const;

    CContainer* parent() const { return parent_; }
    void set_parent(CContainer* parent) { parent_ = parent; }

    void AddListener(Notifiable* listener);
    void RemoveListener(Notifiable* listener);
    void Notify(int code);

    // The object's named parameters ("Title" of a module, "Skin" of a container ...).
    const std::vector<std::unique_ptr<generic_parameter>>& parameters() const {
        return parameters_;
    }
    generic_parameter* FindParameter(std::string_view name) const;

    void Serialize(Archive& ar) override;

protected:
    // Sets the type from a stored id (FindModule; unknown ids leave the type null).
    void SetTypeFromId(std::string id);
    void AddParameter(std::unique_ptr<generic_parameter> p);

private:
    std::vector<std::unique_ptr<generic_parameter>> parameters_;
    Module_Info* type_ = nullptr;
    std::string type_id_;
    CContainer* parent_ = nullptr;
    std::vector<Notifiable*> listeners_;
};

}  // namespace md
