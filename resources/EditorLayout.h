#pragma once

// Geometry shared by the bitmaps and the editor window that shows them:
// resource numbers, bitmap sizes and where the controls sit on the
// background (window pixels, origin top-left, right and bottom exclusive).
namespace EditorLayout {

constexpr int kBackgroundBitmap = 131;
// The same background for the plug-in whose outputs are in ACN order with
// SN3D weights: only its footer names the other convention.
constexpr int kAmbiXBackgroundBitmap = 132;
constexpr int kSwitchBitmap = 135;
constexpr int kPadBitmap = 137;
constexpr int kHandleBitmap = 138;

constexpr int kWindowWidth = 330;
constexpr int kWindowHeight = 272;

constexpr int kPadLeft = 85;
constexpr int kPadTop = 77;
constexpr int kPadSize = 173;
constexpr int kPadRight = kPadLeft + kPadSize;
constexpr int kPadBottom = kPadTop + kPadSize;
constexpr int kHandleSize = 15;

constexpr int kSwitchLeft = 50;
constexpr int kSwitchTop = 77;
constexpr int kSwitchWidth = 24;
constexpr int kSwitchImageHeight = 96;
constexpr int kSwitchPositions = 79;
constexpr int kSwitchRight = kSwitchLeft + kSwitchWidth;
constexpr int kSwitchBottom = kSwitchTop + kSwitchImageHeight;

} // namespace EditorLayout
