// The page's own ways (app/platform.h): full screen, a view handed on and a
// link not understood are the page's to show (web/link_and_full_screen.js).
#include <emscripten.h>

#include "app/platform.h"
#include "nav/nav.h"

namespace {

EM_JS(void, tellPageFullScreen, (int on), {
  if (Module.velmoraFullScreen) Module.velmoraFullScreen(Boolean(on));
});
EM_JS(void, tellPageLink, (const char* link), {
  if (Module.velmoraLink) Module.velmoraLink(UTF8ToString(link));
});
EM_JS(void, tellPageLinkRejected, (), {
  if (Module.velmoraLinkRejected) Module.velmoraLinkRejected();
});

}  // namespace

void enterFullScreen() { tellPageFullScreen(1); }
void leaveFullScreen() { tellPageFullScreen(0); }
void handViewOn(const char* link) { tellPageLink(link); }
// The page starts at the usual view and says so; why is not shown.
void rejectViewLink(const char*) { tellPageLinkRejected(); }

extern "C" {

// From the page: the view left full screen by the browser's own way out.
EMSCRIPTEN_KEEPALIVE void velmoraFullScreenLeft() { onFullScreenLeft(); }

// From the page: its Full screen button, which does what the menu's row does.
EMSCRIPTEN_KEEPALIVE void velmoraFullScreenButton() { onMenu(kMenuFullScreen); }

}  // extern "C"
