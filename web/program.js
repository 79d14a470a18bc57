// The program as the page sees it: every call into it and every hook it calls
// back, in one place; web/page_seam.cpp is the other side, and the web seam
// test fails on a name either side lacks. No other script calls the program.
// Input goes in the DOM's own terms (a MouseEvent's button, a KeyboardEvent's
// key, modifier keys as true or false), which the program translates.
'use strict';
// `page`: {canvas, startArguments, changed, ended, hooks: {started, link,
// linkRejected, fullScreen, isFullScreen, unsupported}}: changed() follows
// every call that may change the picture, ended() the program's end.
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
  // The start's steps as performance marks, for whoever measures the start:
  // velmora-page (this script runs), -context (it has made the WebGL
  // context), -painted (it has painted and runs the program's script), -script
  // (the program's script has run up to its module's compile), -module (the
  // module compiled and instantiated), -main (main begins), -window (main has
  // made the window and set up GL), -set-up (the page has sized the view);
  // web/frames.js marks the first frame's animation frame and its end.
  const mark = (step) => performance.mark(`velmora-${step}`);
  mark('page');

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
      mark('window');
      started = true;
      hooks.started();
      mark('set-up');
    },
    velmoraLink: (link, asTarget, count) => hooks.link(link, asTarget, count),
    velmoraLinkRejected: (which) => hooks.linkRejected(which),
    velmoraFullScreen: (on) => hooks.fullScreen(on),
    velmoraIsFullScreen: () => hooks.isFullScreen(),
    // Called as the module's compile is begun (1) and done (0).
    monitorRunDependencies: (left) => left > 0 && mark('script'),
    preRun: [() => mark('module')],
    onRuntimeInitialized: () => mark('main'),
  };

  // The page makes the WebGL context as its script runs, before its first
  // paint, while the GPU is idle (made just after the paint, it waits for the
  // page's text to be rasterised: some 60 ms against 15 in Chromium here).
  // It has what the program's window asks for (GLUT_DOUBLE | GLUT_RGB, as
  // emscripten's GLUT reads it): no alpha, depth or stencil buffer, no
  // multisampling. The page then has the program's script fetched, and runs
  // it once it has painted; a hidden page paints nothing and runs it at once.
  // Where WebGL is missing the program is neither fetched nor run (a script
  // fetched and not run is a warning in Chromium's console), and the page
  // says so.
  const context = page.canvas.getContext('webgl', { alpha: false, antialias: false, depth: false, stencil: false });
  mark('context');
  if (context) {
    Module.preinitializedWebGLContext = context;
    const kScript = 'velmora.js';
    document.head.appendChild(Object.assign(document.createElement('link'), { rel: 'preload', as: 'script', href: kScript }));
    const runScript = () => {
      mark('painted');
      document.body.appendChild(Object.assign(document.createElement('script'), { src: kScript }));
    };
    if (document.hidden) setTimeout(runScript);
    else requestAnimationFrame(() => setTimeout(runScript));
  } else {
    queueMicrotask(hooks.unsupported);
  }

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
    // Fingers `scale` times as far apart as when the two-finger drag began.
    pinch: (scale) => change(() => Module._velmoraPinch(scale)),
    fullScreenChanged: () => run(() => Module._velmoraFullScreenChanged()),
    // The last frame's text: {columns, lines: [{kind, text}]}, as web/page_seam.cpp hands it.
    viewText: () => run(() => JSON.parse(text(Module._velmoraViewText()))) ?? { columns: 0, lines: [] },
    // The WebGL context the page made and the program draws with.
    context,
  };
}
