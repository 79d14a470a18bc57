// The page around the web build: puts together the program (web/program.js,
// its one way in), the view's frames (web/frames.js), the menu
// (web/menu.js), the link and full screen (web/link_and_full_screen.js) and
// input (web/input.js, web/touch.js), and says when the program has ended,
// which a page cannot do by closing itself. Its scripting interface,
// window.velmora, is in the README.
'use strict';
(function () {
  const element = (id) => document.getElementById(id);
  const canvas = element('canvas');
  const matrices = element('matrices');
  const parts = {}; // the parts the program's hooks reach, made below

  const program = velmoraProgram({
    canvas,
    startArguments: velmoraStartArguments(),
    changed: () => parts.frames.ask(),
    ended() {
      parts.menu.close(false);
      element('ended').hidden = false;
      element('restart').focus();
    },
    hooks: {
      started: () => parts.frames.start(),
      link: (text, asTarget, count) => parts.shown.link(text, asTarget, count),
      linkRejected: (which) => parts.shown.linkRejected(which),
      fullScreen: (on) => parts.shown.fullScreen(on),
      isFullScreen: () => parts.shown.isFullScreen(),
      unsupported: () => (element('unsupported').hidden = false),
    },
  });
  element('restart').addEventListener('click', () => location.reload());

  const page = { canvas, matrices, element, program, view: element('view'), menu: element('menu') };
  const frames = (parts.frames = velmoraFrames(page));
  page.toBuffer = frames.toBuffer;
  const menu = (parts.menu = velmoraMenu({
    ...page, menuButton: element('menu-button'), cancelTouch: () => touch.cancel(),
  }));
  const shown = (parts.shown = velmoraLinkAndFullScreen(page));
  velmoraInput({ ...page, menu, fullScreen: shown.isFullScreen });
  const touch = velmoraTouch({ ...page, frames, menu });

  // For scripts and tests: frames drawn, a wait for the frame after what has
  // happened so far, the picture, drawn again and read back, and the program's calls.
  window.velmora = { frames: frames.frames, nextFrame: frames.nextFrame, picture: frames.picture, program };
  canvas.focus({ preventScroll: true });
})();
