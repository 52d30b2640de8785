// The runtime's string table: display names and group names of module types, by number.
#pragma once

#include <cstdint>
#include <string_view>

namespace md {

// Text of string number `number`; empty when the table has no text for it. Any thread.
std::string_view LookupString(uint32_t number);

}  // namespace md
