// The toolkit's menus and bitmap text for a page (web/glut_web.cpp).
#pragma once

// Every menu as JSON, valid until the next call: {"attached", "menus": [[{"label", "value", "submenu"}]]}.
const char* menusAsJson();
// Runs menu `id`'s callback for the entry of `value`; nothing for no such menu.
void chooseMenuEntry(int id, int value);
// The frame is whole: its text (the matrices, or nothing), a line per raster position, becomes frameText().
void keepFrameText();
const char* frameText();
