// Where the running code lives, and the files kept beside a plug-in library.
#pragma once

#include <string>
#include <string_view>

namespace md::platform {

// Full path of the dynamic library (or executable) that contains this code: the plug-in's own
// file when the engine runs inside a host. Empty when the system can't tell. Any thread.
std::string OwnModulePath();

// The library's data folder: its folder, then its file name without the extension, then a
// separator of the kind the path uses ("/plugins/Synth.so" -> "/plugins/Synth/",
// "C:\\Plugins\\Synth.dll" -> "C:\\Plugins\\Synth\\"). Empty when the path names no file. Pure.
std::string DataFolderFor(std::string_view library_path);

// The library's path with its extension replaced by `extension`, which includes the dot
// ("/p/Synth.so", ".dat" -> "/p/Synth.dat"). Empty when the path names no file. Pure.
std::string SiblingWithExtension(std::string_view library_path, std::string_view extension);

}  // namespace md::platform
