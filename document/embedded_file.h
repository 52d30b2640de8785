// A data file carried inside the patch: its stored name (may hold a folder, either separator)
// and its bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace md {

struct EmbeddedFile {
    std::string name;
    std::vector<uint8_t> data;
};

}  // namespace md
