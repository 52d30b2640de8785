// Everything the platform layer offers; the rest of the system reaches the operating system
// only through these headers.
#pragma once

#include "platform/files.h"           // file system access, random-access reads, path text
#include "platform/message_box.h"     // user-facing messages through a replaceable sink
#include "platform/module_path.h"     // the running module's own path, its data folder
#include "platform/resources.h"       // resource table appended to a library file
#include "platform/shared_library.h"  // loading dynamic libraries and finding their symbols
#include "platform/threads.h"         // sleeping, the current thread's id
