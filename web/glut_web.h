// The toolkit's menus and bitmap text for a page (web/glut_web.cpp), as the
// seam with the page (web/page_seam.cpp) hands them on.
#pragma once

// Every menu as JSON, with the one the right button opens:
// {"attached": id, "menus": [[{"label", "value", "submenu"}, ...], ...]}.
// Valid until the next call.
const char* menusAsJson();

// Runs the callback of menu `id` for the entry of `value`; nothing for a menu that does not exist.
void chooseMenuEntry(int id, int value);

// The frame is whole: its text becomes frameText().
void keepFrameText();

// The characters the last whole frame drew, a line per raster position, each
// ended by a newline: the matrices, or nothing while they are not shown.
const char* frameText();
