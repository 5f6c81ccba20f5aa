#pragma once

// What the test host asks a plug-in when no window is needed, each the same
// on Windows and Linux so that the outputs can be compared line by line
// and sample by sample. Each command prints to standard output and answers
// a process exit status.

#include <string>

namespace probe {

// The effect record and every identity answer, one fact a line.
int record(const std::string& plugin);
// Every parameter's value and text after each of a sweep of settings, then
// every program's values, texts and name.
int texts(const std::string& plugin);
// Writes the scene's render (raw 32-bit floats, channel after channel) to
// `out`; `scene` is one of sceneNames().
int render(const std::string& plugin, const std::string& scene, const std::string& out);
std::string sceneNames();
// Two instances of one file, unloaded and loaded again twice, and a host
// thread that used an instance outliving the file's unloading; prints
// "lifecycle ok" when all of it returned.
int lifecycle(const std::string& plugin);
// A hash of the Windows build's sine, cosine and arc tangent over a million
// arguments: equal on both systems when the code gives the same bits.
int trig();
// Nanoseconds per frame of processReplacing in the benchmark's cases.
int bench(const std::string& plugin, double secondsPerCase);

} // namespace probe
