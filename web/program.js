// The program as the page sees it: every call into it and every hook it calls
// back, in one place; the program's side is web/page_seam.cpp, and the web
// build's test (tests/web_seam.cmake) fails on a name either side lacks. No
// other script calls the program. The page hands on its input in the DOM's
// own terms (a MouseEvent's button, a KeyboardEvent's key, modifier keys as
// true or false); the program translates them as its toolkit would report them.
'use strict';
// `page`: {canvas, startArguments, changed, ended, hooks: {started, link,
// linkRejected, fullScreen}}; changed() is told after every call that may
// change the picture, ended() once when the program ends.
function velmoraProgram(page) {
  let started = false; // main has made the window: the program takes calls
  let ended = false;

  // The program ends by throwing emscripten's ExitStatus out of its callback.
  const isEnd = (e) => e !== null && typeof e === 'object' && e.name === 'ExitStatus';

  // Runs a call into the program and gives back what it returns; its end is
  // taken as the end, not as an error. Before the start, nothing is run.
  function run(call) {
    if (!started || ended) return undefined;
    try {
      return call();
    } catch (e) {
      if (!isEnd(e)) throw e;
      ended = true;
      page.ended();
      return undefined;
    }
  }
  // A call that may change the picture: a frame follows.
  function change(call) {
    const result = run(call);
    page.changed();
    return result;
  }
  const flag = (on) => (on ? 1 : 0);
  const text = (pointer) => Module.UTF8ToString(pointer);

  // emscripten's own notes on its GL emulation, printed at every start (their
  // wording differs between its versions): the page's console stays quiet.
  // Anything else it prints is shown.
  const isEmulationNote = (line) =>
    /^WARNING: using emscripten GL (emulation\. |emulation unsafe opts\. |immediate mode emulation\. )/.test(line);
  const { hooks } = page;
  window.Module = {
    canvas: page.canvas,
    arguments: page.startArguments,
    print: (line) => console.log(line),
    printErr: (line) => {
      if (!isEmulationNote(line)) console.warn(line);
    },
    // The hooks, called from web/page_seam.cpp.
    velmoraStarted() {
      started = true;
      hooks.started();
    },
    velmoraLink: (link) => hooks.link(link),
    velmoraLinkRejected: () => hooks.linkRejected(),
    velmoraFullScreen: (on) => hooks.fullScreen(on),
    postRun: [() => hooks.ran(Boolean(Module.ctx))],
  };

  return {
    ended: () => ended,
    run,
    draw: () => run(() => Module._velmoraDraw()),
    reshape: (width, height) => change(() => Module._velmoraReshape(width, height)),
    // A KeyboardEvent's key: true if it is one of the program's, which then has it.
    key(key, [x, y]) {
      const taken = run(() => Module.ccall('velmoraKey', 'number', ['string', 'number', 'number'], [key, x, y])) === 1;
      if (taken) page.changed();
      return taken;
    },
    // A MouseEvent's button down or up, a move with a button held, `notches` of
    // the wheel (away from the user when positive), at window pixel [x, y];
    // `held`: the event, or anything with its shiftKey, ctrlKey and altKey.
    mouse: (button, down, [x, y], held = {}) =>
      change(() => Module._velmoraMouse(button, flag(down), x, y, flag(held.shiftKey), flag(held.ctrlKey), flag(held.altKey))),
    motion: ([x, y]) => change(() => Module._velmoraMotion(x, y)),
    wheel: (notches, [x, y], held = {}) =>
      change(() => Module._velmoraWheel(notches, x, y, flag(held.shiftKey), flag(held.ctrlKey), flag(held.altKey))),
    // The menus as web/glut_web.cpp keeps them: {attached, menus: [[{label, value, submenu}]]}.
    menus: () => run(() => JSON.parse(text(Module._velmoraMenus()))) ?? null,
    menuStatus: (open, [x, y]) => change(() => Module._velmoraMenuStatus(flag(open), x, y)),
    menuChoice: (id, value) => change(() => Module._velmoraMenuChoice(id, value)),
    fullScreenLeft: () => run(() => Module._velmoraFullScreenLeft()),
    fullScreenButton: () => change(() => Module._velmoraFullScreenButton()),
    viewText: () => run(() => text(Module._velmoraViewText())) ?? '',
    sceneDepth: () => run(() => Module._velmoraSceneDepth()),
    moveStep: () => run(() => Module._velmoraMoveStep()),
  };
}
