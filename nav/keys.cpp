// The character-key callback: each character runs its command of the table
// (nav/commands.cpp); every character without one ends the program.
#include "nav/commands.h"
#include "nav/last_move.h"
#include "nav/nav.h"

void onKey(unsigned char key, int /*x*/, int /*y*/) {
  beginMove("key %c", key);
  runCommand(commandOfKey(key));
  endMove();
  refreshMenu();
}
