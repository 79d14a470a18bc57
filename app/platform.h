// What the desktop program and the page do each their own way, for the code
// they share: the desktop's in app/platform_desktop.cpp, the page's in
// web/page_seam.cpp.
#pragma once

// Fills the screen with the view, or gives the window back as it was.
void enterFullScreen();
void leaveFullScreen();

// Hands on a view's text (app/view_link.h), as a view to start at or as an
// exercise's target: the desktop prints the command that starts with it
// (--view or --target); the page puts it in its address (#view= or #target=)
// and on the clipboard.
void handViewOn(const char* link, bool asTarget);

// A view's text that was not understood: the desktop says why on standard
// error and ends with status 2 before any window opens; the page says in
// one line that its link was not understood, and starts as usual.
// `option`: "--view" or "--target".
void rejectViewLink(const char* option, const char* problem);
