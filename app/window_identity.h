// What a desktop shows of the window beyond its title: its class and its icon.
#pragma once

constexpr const char* kWindowInstance = "velmora";  // WM_CLASS: the program's instance name
constexpr const char* kWindowClass = "Velmora";     // and its class, as the desktop entry's StartupWMClass

// Gives the current GL window the class above and the 32 x 32 icon as
// _NET_WM_ICON, through the display and window of the current GL context.
// Built only where the toolkit draws through X11 (VELMORA_X11).
void setWindowIdentity();
