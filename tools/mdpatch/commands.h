// The commands of mdpatch, one source file each.
#pragma once

#include <span>

namespace mdpatch {

using Args = std::span<const char* const>;  // the arguments after the command name

// Each returns the process exit status: 0 on success, 1 for bad input (after one line on
// stderr naming the file and the problem), 2 for wrong usage.
int RunTypes(Args args);
int RunDump(Args args);
int RunBuild(Args args);
int RunPack(Args args);

}  // namespace mdpatch
