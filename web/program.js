// The program as the page sees it: every call into it and every hook it calls
// back, in one place; web/page_seam.cpp is the other side, and the web seam
// test fails on a name either side lacks. No other script calls the program.
// Input goes in the DOM's own terms (a MouseEvent's button, a KeyboardEvent's
// key, modifier keys as true or false), which the program translates.
'use strict';
// `page`: {canvas, startArguments, changed, ended, hooks: {started, link,
// linkRejected, fullScreen, ran}}: changed() follows every call that may
// change the picture, ended() the program's end.
function velmoraProgram(page) {
  const { hooks } = page;
  let started = false; // main has made the window: the program takes calls
  let ended = false;

  // Runs a call into the program and gives back what it returns, or nothing
  // before the start. The program's end, emscripten's ExitStatus thrown out
  // of the call, is taken as the end, not as an error.
  function run(call) {
    if (!started || ended) return undefined;
    try {
      return call();
    } catch (e) {
      if (e === null || typeof e !== 'object' || e.name !== 'ExitStatus') throw e;
      ended = true;
      page.ended();
      return undefined;
    }
  }
  function change(call) {
    const result = run(call);
    page.changed();
    return result;
  }
  const flag = (on) => (on ? 1 : 0);
  const text = (pointer) => Module.UTF8ToString(pointer);

  // emscripten's notes on its GL emulation, printed at every start in the
  // wording of its version, are kept out of the quiet console; anything else shows.
  const isEmulationNote = (line) =>
    /^WARNING: using emscripten GL (emulation\. |emulation unsafe opts\. |immediate mode emulation\. )/.test(line);
  window.Module = {
    canvas: page.canvas,
    arguments: page.startArguments,
    print: (line) => console.log(line),
    printErr: (line) => isEmulationNote(line) || console.warn(line),
    // The hooks, called from web/page_seam.cpp.
    velmoraStarted() {
      started = true;
      hooks.started();
    },
    velmoraLink: (link, asTarget) => hooks.link(link, asTarget),
    velmoraLinkRejected: () => hooks.linkRejected(),
    velmoraFullScreen: (on) => hooks.fullScreen(on),
    postRun: [() => hooks.ran(Boolean(Module.ctx))],
  };

  // `at`: a window pixel [x, y]; `held`: an event, or anything with its shiftKey, ctrlKey and altKey.
  const modifiers = (held) => [flag(held.shiftKey), flag(held.ctrlKey), flag(held.altKey)];
  return {
    ended: () => ended,
    draw: () => run(() => Module._velmoraDraw()),
    reshape: (width, height) => change(() => Module._velmoraReshape(width, height)),
    // A KeyboardEvent's key: true if it is one of the program's, which then has it.
    key(key, [x, y]) {
      const taken = run(() => Module.ccall('velmoraKey', 'number', ['string', 'number', 'number'], [key, x, y])) === 1;
      if (taken) page.changed();
      return taken;
    },
    mouse: (button, down, [x, y], held = {}) =>
      change(() => Module._velmoraMouse(button, flag(down), x, y, ...modifiers(held))),
    motion: ([x, y]) => change(() => Module._velmoraMotion(x, y)),
    // `notches` of the wheel, away from the user when positive.
    wheel: (notches, [x, y], held = {}) => change(() => Module._velmoraWheel(notches, x, y, ...modifiers(held))),
    // {attached, menus: [[{label, value, submenu}]]}, as web/glut_web.cpp keeps them.
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
