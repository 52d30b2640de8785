// CLine2: a connection between two plugs, held by the container it lies in.
#pragma once

#include "document/doc_object.h"

namespace md {

class CPlug2;

class CLine2 : public CDocOb {
    MD_SERIAL_CLASS()

public:
    CLine2() = default;
    CLine2(CPlug2* from, CPlug2* to) : from_(from), to_(to) {}

    CPlug2* from() const { return from_; }
    CPlug2* to() const { return to_; }

    // Attaches the connection to both plugs: from plug, then to plug.
    void AttachToPlugs();
    // Detaches it from both plugs (spare copies may go with it).
    void DetachFromPlugs();

    void Serialize(Archive& ar) override;

private:
    CPlug2* from_ = nullptr;
    CPlug2* to_ = nullptr;
};

// The connection of very old files, replaced by a CLine2 when read into a container.
class CLine : public CLine2 {
    MD_SERIAL_CLASS()

public:
    using CLine2::CLine2;
};

}  // namespace md
