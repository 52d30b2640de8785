// The archive record of one embedded file: stored name, size, content.
#pragma once

#include "document/archive.h"
#include "document/embedded_file.h"

namespace md {

class imbedded_file : public ArchObject {
    MD_SERIAL_CLASS()

public:
    imbedded_file() = default;
    explicit imbedded_file(EmbeddedFile f) : file(std::move(f)) {}
    void Serialize(Archive& ar) override;

    EmbeddedFile file;
};

}  // namespace md
