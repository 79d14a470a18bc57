// The page around the web build: starts it, puts together the view's frames
// (web/frames.js), the menu (web/menu.js), the link and full screen
// (web/link_and_full_screen.js), input (web/input.js, web/touch.js), and says
// when the program has ended, which a page cannot do by closing itself.
// Its scripting interface, window.velmora, is in the README.
'use strict';
(function () {
  const element = (id) => document.getElementById(id);
  const canvas = element('canvas');
  const matrices = element('matrices');
  let ended = false;

  // The program ends by throwing emscripten's ExitStatus out of its callback.
  const isEnd = (e) => e !== null && typeof e === 'object' && e.name === 'ExitStatus';

  function end() {
    if (ended) return;
    ended = true;
    menu.close(false);
    element('ended').hidden = false;
    element('restart').focus();
  }
  element('restart').addEventListener('click', () => location.reload());

  // Runs a call into the program and gives back what it returns; its end is
  // taken as the end, not as an error.
  function run(call) {
    if (ended) return undefined;
    try {
      return call();
    } catch (e) {
      if (!isEnd(e)) throw e;
      end();
      return undefined;
    }
  }

  const page = {
    canvas, matrices, element, view: element('view'), menu: element('menu'), menuButton: element('menu-button'),
  };
  Object.assign(page, { run, ended: () => ended });
  const frames = velmoraFrames(page);
  // A call into the program that may change the picture: a frame follows.
  const call = (what) => {
    const result = run(what);
    frames.ask();
    return result;
  };
  Object.assign(page, { call, ask: frames.ask, toBuffer: frames.toBuffer, cancelTouch: () => touch.cancel() });
  const menu = velmoraMenu(page);
  const shown = velmoraLinkAndFullScreen(page);
  const input = velmoraInput({ ...page, menu, fullScreen: shown.isFullScreen });
  const touch = velmoraTouch({
    ...page,
    ...input,
    openMenu: (clientX, clientY) => menu.open(clientX, clientY),
    closeMenu: () => menu.close(true),
    menuOpen: menu.isOpen,
    isMenuControl: menu.isControl,
    look: (take) => {
      if (!frames.beforeDraw.includes(take)) frames.beforeDraw.push(take);
      frames.ask(false);
    },
  });

  // For scripts and tests: frames drawn, a wait for the frame after what has
  // happened so far, and the picture, drawn again and read back.
  window.velmora = { frames: frames.frames, nextFrame: frames.nextFrame, picture: frames.picture };

  // emscripten's own notes on its GL emulation, printed at every start (their
  // wording differs between its versions): the page's console stays quiet.
  // Anything else it prints is shown.
  const isEmulationNote = (text) =>
    /^WARNING: using emscripten GL (emulation\. |emulation unsafe opts\. |immediate mode emulation\. )/.test(text);
  window.Module = {
    canvas,
    arguments: shown.startArguments(),
    print: (text) => console.log(text),
    printErr: (text) => {
      if (!isEmulationNote(text)) console.warn(text);
    },
    velmoraMenus: menu.setModel,
    velmoraStarted: frames.start,
    velmoraFrame: frames.onFrame,
    velmoraLink: shown.link,
    velmoraLinkRejected: shown.linkRejected,
    velmoraFullScreen: shown.fullScreen,
    postRun: [
      () => {
        if (!Module.ctx) element('unsupported').hidden = false;
      },
    ],
  };
  canvas.focus({ preventScroll: true });
})();
