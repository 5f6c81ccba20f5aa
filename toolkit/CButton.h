#pragma once

// Mouse button and modifier flags as the controls' mouse handlers see
// them. Off the Mac, the Ctrl key plays the "Command" role (kControl),
// Alt the "Option" role (kAlt), and the Super key the Mac's Control key
// (kApple). Caps Lock, Num Lock and AltGr never show up here.
enum CButton {
    kLButton = 1 << 1,
    kMButton = 1 << 2,
    kRButton = 1 << 3,
    kShift = 1 << 4,
    kControl = 1 << 5,
    kAlt = 1 << 6,
    kApple = 1 << 7
};
