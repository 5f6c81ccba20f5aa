#pragma once

// Writes what an X window shows (children included) as a PNG file, on a
// connection of its own to $DISPLAY. For screenshots of the editor in tests
// and documentation; relies on nothing covering the window, as on Xvfb.
// False when the window is gone, unmapped or not wholly on the screen.
bool captureWindowPng(unsigned long window, const char* path);
