#include "document/interface_object.h"

#include <utility>

namespace md {

InterfaceObject InterfaceObject::Make(void* variable, Direction direction, DataType type,
                                      std::string name, std::string default_value, std::string meta,
                                      int32_t flags, std::string hint, void* parameter_variable) {
    InterfaceObject io;
    io.variable = variable;
    io.direction = direction;
    io.hint = std::move(hint);
    io.name = std::move(name);
    io.default_value = std::move(default_value);
    io.meta = std::move(meta);
    io.flags = DescriptorFlags(direction, type, flags);
    io.data_type = type;
    io.parameter_variable = parameter_variable;
    return io;
}

}  // namespace md
