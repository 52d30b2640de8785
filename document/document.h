// The patch document: module types, plug descriptors, the patch archive and the document
// objects.
#pragma once

#include "document/archive.h"           // the object archive: primitives, tagged objects
#include "document/connect.h"           // CanConnect / Connect and their messages
#include "document/connection.h"        // CLine2, a connection
#include "document/container.h"         // CContainer, a sub-patch
#include "document/data_file.h"         // opening data files by name
#include "document/doc_factories.h"     // document-object factories by class name
#include "document/doc_object.h"        // CDocOb, any document object; notification codes
#include "document/dsp_factories.h"     // DSP-object factories by unit class name
#include "document/embedded_file.h"     // a file carried in the patch
#include "document/interface_object.h"  // plug descriptor InterfaceObject and InterfaceList
#include "document/it_enum_list.h"      // choices of list plugs read from meta texts
#include "document/module.h"            // CUG, a module
#include "document/module_info.h"       // module type descriptors Module_Info, Module_Info2
#include "document/module_record.h"     // ModuleRecord / PlugRecord static type blocks
#include "document/module_registry.h"   // the registry of module types, Registry()
#include "document/patch_document.h"    // loading and writing the patch
#include "document/plug.h"              // CPlug2 and the derived plugs
#include "document/plug_types.h"        // plug directions, data types and flags
#include "document/scramble.h"          // the byte scrambling of the embedded patch
#include "document/string_table.h"      // display and group names by string number
