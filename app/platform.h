// What the desktop program and the page do each their own way, for the code
// they share: the desktop's in app/platform_desktop.cpp, the page's in
// web/page_seam.cpp.
#pragma once

// Fills the screen with the view, or gives the window back as it was.
// Whether it is full screen is the platform's to know: the desktop's record
// of the window, the page's document (which the browser's Escape changes too).
void enterFullScreen();
void leaveFullScreen();
bool isFullScreen();

// Hands on a view's text (app/view_link.h), as a view to start at or as an
// exercise's target: the desktop prints the command that starts with it
// (--view or --target); the page puts it in its address (#view= or #target=)
// and on the clipboard.
void handViewOn(const char* link, bool asTarget);

// The teacher's set of `count` targets as one link: the desktop prints the
// command that opens it (--target TEXT, once a target); the page puts it in
// its address (#target=TEXT&target=TEXT...) and on the clipboard.
void handTargetsOn(const char* const* links, int count);

// A view's text that was not understood: the desktop says why on standard
// error and ends with status 2 before any window opens; the page says in
// one line that its link was not understood, naming `which` of a set, and
// starts as usual. `option`: "--view" or "--target"; `which`: "the view" or
// "target 3 of 5".
void rejectViewLink(const char* option, const char* which, const char* problem);

// Whether the toolkit may hand a click beside its open menu to the menu's
// callback as a choice (freeglut 3.4 on X11 does, nav/menu.cpp).
bool strayMenuChoices();

// The platform's own records as at start, for the tests.
void resetPlatform();

struct ShownText;
// The frame's text (scene/scene.h): the desktop draws it over the view's
// corner (drawTextOverView); the page is handed its lines, with their kinds,
// and shows them beside the view as its own text.
void showViewText(const ShownText& text);
