#pragma once

// The Windows test host's window side (EditorHost.cpp says what it reads
// and prints).

#include <string>

namespace editorhost {

// The editor in a window of the host's own, driven by commands on standard
// input; a scale above 0 is sent as the host's display scale request first.
int edit(const std::string& plugin, float scale);
// Audio, automation and editor threads on one instance for `seconds`.
int stress(const std::string& plugin, double seconds);

} // namespace editorhost
