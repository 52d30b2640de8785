#include <cstdio>

#include "document/module_registry.h"
#include "tools/mdpatch/commands.h"

namespace mdpatch {

int RunTypes(Args /*args*/) {
    for (const auto& [id, info] : md::Registry().modules()) {
        std::printf("%s\n", md::DescribeModuleType(*info).c_str());
    }
    return 0;
}

}  // namespace mdpatch
