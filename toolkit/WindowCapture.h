#pragma once

// Writes what an X window shows (children included) as a PNG file, on a
// connection of its own to $DISPLAY. For screenshots of the editor in tests
// and documentation; relies on nothing covering the window, as on Xvfb.
bool captureWindowPng(unsigned long window, const char* path);
