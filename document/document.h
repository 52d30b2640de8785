// The patch document: module types, plug descriptors and the document objects.
#pragma once

#include "document/doc_factories.h"     // document-object factories by class name
#include "document/dsp_factories.h"     // DSP-object factories by unit class name
#include "document/interface_object.h"  // plug descriptor InterfaceObject and InterfaceList
#include "document/it_enum_list.h"      // choices of list plugs read from meta texts
#include "document/module_info.h"       // module type descriptors Module_Info, Module_Info2
#include "document/module_record.h"     // ModuleRecord / PlugRecord static type blocks
#include "document/module_registry.h"   // the registry of module types, Registry()
#include "document/plug_types.h"        // plug directions, data types and flags
#include "document/string_table.h"      // display and group names by string number
