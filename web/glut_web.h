// The toolkit's menus for a page (web/glut_web.cpp).
#pragma once

// Every menu as JSON, valid until the next call: {"attached", "menus": [[{"label", "value", "submenu"}]]}.
const char* menusAsJson();
// Runs menu `id`'s callback for the entry of `value`; nothing for no such menu.
void chooseMenuEntry(int id, int value);
