// The one table of commands: what each key and each menu row does, its key,
// its menu row and label, whether it moves the view and the page's name for
// its key. The key callbacks, the menu, the wheel, the exercises' moves, the
// page and the tools all find a command here; the menu, the wheel and the
// exercises run it through runCommand, the key callbacks through the same.
#pragma once

// What running a command does, as Undo and the exercises see it.
enum CommandEffect {
  kMovesView,    // a move of the view, one that Undo takes back
  kShapesMoves,  // changes what the moves do or how they are seen: the arrow keys' mode, the projection
  kShows,        // changes only what is drawn: the gizmo, the displays
  kHandsOver,    // none of the view's: Undo, full screen, links, the exercises, the program's end
};

struct Command;
using CommandRun = void (*)(const Command&);

struct Command {
  const char* keys;  // the characters that run it, "" for none ("Mm": both cases)
  int value;         // what its menu row hands back where it has no key (a kMenu value, nav/nav.h); else 0
  int menu;          // the menu its row is in: kMainMenu, kTurnMenu, kPracticeMenu (nav/nav.h), or -1
  CommandEffect effect;
  CommandRun run;
  // Its row's label, a format given `axis` and `amount` ("About %c, %+g
  // degrees"), and a toggle's while isSet() is 1; the key's hint ("(X)") is added.
  const char* label;
  char axis = 0;      // 'x', 'y' or 'z' for a turn or an arrow key
  double amount = 0;  // a turn's degrees, a step's scene units, the gizmo's form; its sign the direction
  const char* labelWhenSet = nullptr;
  int (*isSet)() = nullptr;
  int specialKey = 0;             // the toolkit's special-key code that runs it, 0 for none
  const char* name = nullptr;     // that key in the moves' words, as X names it ("Right")
  const char* pageKey = nullptr;  // that key as a KeyboardEvent's key value ("ArrowRight")
};

int commandCount();
const Command& commandAt(int index);
// The command character `key` runs: every character without one of its own
// runs the program's end.
const Command& commandOfKey(unsigned char key);
// The command a special key runs; null for a code that runs none (a modifier
// key alone, Num Lock, a keypad key), which is ignored.
const Command* commandOfSpecialKey(int key);
// The command that moves the scene nearer (or farther), whatever its key: the wheel's.
const Command& dollyCommand(bool nearer);
// The command a menu row's value runs; null for none.
const Command* commandOfValue(int value);
// The command of a word of the moves ("Right", "X", "m"); null for none.
const Command* commandNamed(const char* word);
// The value its menu row hands back: its first key's character, or its `value`.
int commandValue(const Command& command);
// Its row's label, the key's hint included, as set or not: "Nearer (P)". Null if it has no row.
const char* commandLabel(const Command& command, bool whenSet);
// The label of its row as set now.
const char* commandLabelNow(const Command& command);

// Runs it on the view as it is; the callers open and close the move's record.
void runCommand(const Command& command);

// The moves' words ("m Left*8 Up*5"): a key's name with an optional *N, 1 to
// 360, repeated. Calls `each` with every command in order, false from it stops
// the walk; false if a word names no command or a count is out of range.
bool forEachMoveWord(const char* moves, bool (*each)(const Command&, void*), void* context);
