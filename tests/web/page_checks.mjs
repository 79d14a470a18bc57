// The checks of the page in one browser at 1 device pixel a CSS pixel, each
// named, each a function of a session: the page, the gallery's pictures, the
// menu, keys and the wheel, ending, and a seeded random run.
import fs from 'node:fs';
import path from 'node:path';
import {
  check, choiceValue, config, countDifferences, desktopText, docsPicture, expectPicture, kArrowCodes, keyStep, kMenu,
  kMenuLabels, kMenuRows, kPractice, kTurns, noProblemsIn, practiceLines, readGallery,
} from './harness.mjs';

// The pixels by which each engine's pictures may differ from the desktop's, a
// little above what each differs by on Debian 12 (Chromium's SwiftShader
// rasterises long lines a little differently: 9 to 252 pixels, picture by
// picture; Firefox and WebKit draw with Mesa, as the desktop does: 0, 4 in
// full-axes and 1 in eye-view). A centre line's dash moved or dropped, or a
// post without a ring, differs by more (11 pixels for the last dash of each
// line dropped, which only the eye from outside shows).
const kMesaAllowed = { default: 6, 'full-axes': 8, 'eye-view': 6 };
const kAllowed = {
  chromium: {
    start: 90, orbit: 160, pan: 115, ortho: 20, 'edge-on': 55, 'full-axes': 110, 'hidden-axes': 90, 'eye-view': 320,
    nearer: 90, drag: 85, wheel: 95, 'menu-row-O': 20,
  },
  firefox: kMesaAllowed,
  webkit: kMesaAllowed,
};
export const allowed = (browser, picture) => kAllowed[browser][picture] ?? kAllowed[browser].default;

async function thePage(session) {
  const { d: driver, name } = session;
  // The page as users of a page expect it.
  await session.open();
  const page = await driver.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const icon = document.querySelector('link[rel=icon]');
    return {
      title: document.title,
      icon: icon ? icon.href.slice(0, 22) : '',
      focused: document.activeElement === canvas,
      outline: getComputedStyle(canvas).outlineStyle,
      size: [canvas.width, canvas.height],
      // The context the page made, as the program's window asks (GLUT_DOUBLE | GLUT_RGB).
      context: ((a) => [a.alpha, a.antialias, a.depth, a.stencil].join())(velmora.program.context.getContextAttributes()),
    };
  });
  check(page.title === 'Velmora', `${name}: the title is "${page.title}"`);
  check(page.icon === 'data:image/png;base64,', `${name}: the page has no icon of its own`);
  check(page.focused, `${name}: the canvas has not the focus at load`);
  check(page.outline === 'none', `${name}: the focused canvas has an outline (${page.outline})`);
  check(page.size[0] === 500 && page.size[1] === 500, `${name}: the canvas is ${page.size}`);
  check(page.context === 'false,false,false,false', `${name}: the context's alpha, antialias, depth, stencil are ${page.context}`);
  // A browser without WebGL: the page says so, the program is not fetched (nor run), the console stays quiet.
  const noWebGl = path.join(config.out, 'no-webgl');
  fs.mkdirSync(noWebGl, { recursive: true });
  fs.writeFileSync(path.join(noWebGl, 'index.html'), fs.readFileSync(path.join(config.site, 'index.html'), 'utf8')
    .replace('<head>', '<head><script>HTMLCanvasElement.prototype.getContext = () => null;</script>'));
  await driver.open(`file://${noWebGl}/index.html`);
  const without = await driver.evaluate(() => new Promise((resolve) => {
    const notice = document.getElementById('unsupported');
    const until = performance.now() + 10000;
    const wait = () => (notice.hidden && performance.now() < until ? setTimeout(wait, 10)
      : resolve({ said: !notice.hidden, fetched: document.querySelector('[href$="velmora.js"], [src$="velmora.js"]') !== null }));
    wait();
  }));
  check(without.said && !without.fetched, `${name}: without WebGL the page gave ${JSON.stringify(without)}`);
  await noProblemsIn(name, 'without WebGL', session);
}

async function theGallery(session) {
  const { d: driver, name } = session;
  await session.open();
  // Every picture of the gallery from the same input, each on a page of its own.
  const start = await session.picture();
  expectPicture(name, 'start', docsPicture('start'), start, allowed(name, 'start'));
  for (const row of readGallery()) {
    if (row.name === 'start' || row.menuAt) continue; // the open menu is the page's own HTML
    await session.open();
    await session.give(row);
    // With the matrices or an exercise's words, which the page shows as its own text: that text.
    if (row.choices.some((choice) => choice[2] === kMenuRows.matrices || kPractice.includes(choiceValue(choice)))) {
      const events = row.choices.map((choice) => `menu ${choiceValue(choice)}`);
      for (const step of session.steps(row.keys)) {
        const arrow = kArrowCodes[step.key];
        events.push(arrow ? `special ${arrow}` : `key ${step.key.charCodeAt(0)}`);
      }
      const [text, matrices] = [await session.shownText(), events.includes(`menu ${kMenu[kMenuRows.matrices]}`)];
      const desktop = matrices ? desktopText(events) : practiceLines(desktopText(events));
      check(text === desktop, `${name} ${row.name}: the page shows\n${text}the desktop\n${desktop}`);
      continue;
    }
    expectPicture(name, row.name, docsPicture(row.name), await session.picture(), allowed(name, row.name));
  }
  await noProblemsIn(name, 'gallery', session);
}

async function theMenu(session) {
  const { d: driver, name } = session;
  // The menu: rows do what their keys do, labels follow the state, Escape
  // and a click beside close it only, Reset view, the displays.
  await session.open();
  const atStart = await session.picture();
  const rows = await driver.evaluate(async () => {
    const canvas = document.getElementById('canvas');
    const box = canvas.getBoundingClientRect();
    canvas.dispatchEvent(new MouseEvent('contextmenu', { bubbles: true, clientX: box.left + 150, clientY: box.top + 100 }));
    const menu = document.getElementById('menu');
    const items = Array.from(menu.querySelectorAll('[role=menuitem]')).map((row) => row.textContent);
    return { role: menu.getAttribute('role'), items, open: !menu.hidden };
  });
  check(rows.open && rows.role === 'menu' && rows.items.length === kMenu.length,
    `${name} menu: ${rows.items.length} menuitems in a ${rows.role}, open ${rows.open}`);
  // In perspective the projection's row says what choosing it will do.
  const projection = kMenuLabels[kMenuRows.projection];
  check(rows.items[kMenuRows.projection] === projection.labelWhenSet,
    `${name} menu: the projection's row says "${rows.items[kMenuRows.projection]}"`);
  await driver.input([{ key: 'Escape' }]);
  await session.waitMenu('menu', false);
  await session.settle();
  check(!(await session.ended()), `${name}: Escape with the menu open ended the program`);
  expectPicture(name, 'escape-closes-the-menu-only', atStart, await session.picture(), 0);

  await session.openMenu();
  await driver.input([{ move: session.at(450, 450) }, { down: 0 }, { up: 0 }]);
  await session.waitMenu('menu', false);
  await session.settle();
  expectPicture(name, 'a-click-beside-closes-the-menu-only', atStart, await session.picture(), 0);

  await session.choose(kMenuRows.projection);
  const byMenu = await session.picture();
  expectPicture(name, 'menu-row-O', docsPicture('ortho'), byMenu, allowed(name, 'menu-row-O'));
  await driver.input([keyStep('o'), keyStep('O')]);
  await session.settle();
  expectPicture(name, 'menu-row-O-as-key', byMenu, await session.picture(), 0);
  await session.openMenu();
  const label = await driver.evaluate((row) => document.querySelectorAll('#menu [role=menuitem]')[row].textContent,
    kMenuRows.projection);
  check(label === projection.label, `${name} menu: after O the projection's row says "${label}"`);
  await driver.input([{ key: 'Escape' }]);
  await session.waitMenu('menu', false);
  await driver.input([keyStep('o')]);

  await session.choose(kMenuRows.turns, 0);
  const turned = await session.picture();
  await driver.input([keyStep('x'), keyStep('X')]);
  await session.settle();
  expectPicture(name, 'submenu-row-X-as-key', turned, await session.picture(), 0);

  await driver.input(session.steps('Right*5 Up*3 m Left*4 m P*2 X*3'));
  await session.choose(kMenuRows.resetView);
  expectPicture(name, 'reset-view', atStart, await session.picture(), 0);

  await session.choose(kMenuRows.matrices);
  const shown = await driver.evaluate(() => ({
    visible: !document.getElementById('matrices').hidden,
    selectable: getComputedStyle(document.getElementById('matrices')).userSelect,
  }));
  shown.text = await session.shownText();
  const expected = desktopText(['special 102', 'key 120', 'key 88', 'menu 256', 'menu 257']);
  check(shown.visible && shown.text === expected, `${name}: the matrices show\n${shown.text}not\n${expected}`);
  check(shown.selectable !== 'none', `${name}: the matrices cannot be selected`);
  await session.choose(kMenuRows.matrices);
  await session.choose(kMenuRows.eyeView);
  const inset = await session.picture();
  const insetDiffers = countDifferences(atStart, inset, `${name}-eye-view`);
  check(insetDiffers > 2000, `${name}: the eye from outside changed ${insetDiffers} pixels`);
  await session.choose(kMenuRows.eyeView);
  expectPicture(name, 'eye-view-off', atStart, await session.picture(), 0);
  await noProblemsIn(name, 'menu', session);
}

// Keys and the wheel where no other check gives them: [what, input, events].
// A row a key too many or too few away chooses another row.
// The menu button says whether its menu is open.
const kButton = { focus: 'menu-button' };
const kOpen = { expanded: 'true' };
const kClosed = { expanded: 'false' };
const R = kMenuRows;
const kKeyCases = [
  ['the menu button: Enter opens it on its first row',
    [kButton, kClosed, 'Return', kOpen, `Down*${R.projection}`, 'Return', kClosed], [`menu ${kMenu[R.projection]}`]],
  ['Down opens it on the first row', [kButton, 'Down', kOpen, `Down*${R.nearer}`, 'Return'], [`menu ${kMenu[R.nearer]}`]],
  ['Up opens it on the last row', [kButton, 'Up', `Up*${R.last - R.farther}`, 'Return'], [`menu ${kMenu[R.farther]}`]],
  ['End, then Up; Home, then Down', [kButton, 'Return', 'End', `Up*${R.last - R.projection}`, 'Home', `Down*${R.nearer}`,
    'Return'], [`menu ${kMenu[R.nearer]}`]],
  ['Space opens it; Right opens the turns', [kButton, 'space', `Down*${R.turns}`, 'Right', 'Return'],
    [`menu ${kTurns[0]}`]],
  ['Escape gives the focus back to the button',
    [kButton, 'Return', 'Escape', 'Return', `Down*${R.projection}`, 'Return'], [`menu ${kMenu[R.projection]}`]],
  ['the context-menu key opens it on its first row', [{ contextMenuKey: true }, `Down*${R.projection}`, 'Return'],
    [`menu ${kMenu[R.projection]}`]],
  ['the wheel over the matrices', [{ wheel: -100, at: [40, 40] }], ['wheel 3 40 40']],
  ['a touchpad\'s small steps add up to a notch', [20, 20, 20].map((dy) => ({ wheel: dy, at: [250, 250] })), ['wheel 4 250 250']],
];

// The keyboard's context-menu key: a contextmenu event with no pointer
// position (WebDriver has no such key). The menu opens at the view's middle.
async function contextMenuKey(name, session) {
  const [menu, middle] = await session.d.evaluate(() => {
    const canvas = document.getElementById('canvas');
    canvas.dispatchEvent(new MouseEvent('contextmenu', { bubbles: true, cancelable: true }));
    const box = canvas.getBoundingClientRect();
    const open = document.getElementById('menu').getBoundingClientRect();
    return [[open.left, open.top], [box.left + box.width / 2, box.top + box.height / 2]];
  });
  check(Math.abs(menu[0] - middle[0]) <= 1 && Math.abs(menu[1] - middle[1]) <= 1,
    `${name}: the context-menu key opened the menu at ${menu}, not the view's middle ${middle}`);
}

async function keysAndTheWheel(session) {
  const { d: driver, name } = session;
  const expectExpanded = async (what, want) => {
    const expanded = await driver.evaluate(() => document.getElementById('menu-button').getAttribute('aria-expanded'));
    check(expanded === want, `${what}: the menu button's aria-expanded is ${expanded}`);
  };
  // Keys and the wheel on the menu and the matrices, a case a row: what is
  // given, in turn from one page, and the desktop's events it must make.
  await session.open();
  await session.choose(kMenuRows.matrices);
  const given = [`menu ${kMenu[kMenuRows.matrices]}`];
  for (const [what, input, events] of kKeyCases) {
    for (const step of input) {
      if (step.focus) await driver.evaluate((id) => document.getElementById(id).focus(), step.focus);
      else if (step.expanded) await expectExpanded(`${name}, ${what}`, step.expanded);
      else if (step.contextMenuKey) await contextMenuKey(name, session);
      else if (step.wheel) await driver.input([{ wheel: step.wheel, at: session.at(...step.at) }]);
      else await driver.input(session.steps(step));
    }
    await session.settle();
    given.push(...events);
    const text = await session.shownText();
    check(text === desktopText(given), `${name}, ${what}: the page shows\n${text}the desktop\n${desktopText(given)}`);
  }
  await noProblemsIn(name, 'keys and the wheel', session);
}

// Keys that end the program as they end the desktop's: a letter without a
// binding, keys that are characters (Backspace, Tab, Delete, a Latin-1
// letter) and a special key without one. The last one ends the page that
// "Start again" starts again.
const kEndingKeys = ['BackSpace', 'Tab', 'Delete', 'eacute', 'Insert', 'q'];

async function endingAndStartingAgain(session) {
  const { d: driver, name } = session;
  for (const key of kEndingKeys) {
    // WebKitGTK's driver types a letter the X server's keymap has no key for
    // as "Unidentified", which is no character.
    if (key === 'eacute' && name === 'webkit') continue;
    await session.open();
    if (key === 'q') {
      // Keys with Ctrl, Alt or Meta are the browser's.
      await driver.input([{ hold: 'Control' }, { key: 'q' }, { release: 'Control' }]);
      await session.settle();
      check(!(await session.ended()), `${name}: Ctrl+q ended the program`);
    }
    await driver.input(session.steps(key));
    const ended = await driver.evaluate(() => new Promise((resolve) => {
      const notice = document.getElementById('ended');
      const until = performance.now() + 10000;
      const wait = () => {
        if (notice.hidden && performance.now() > until) return resolve({ text: 'nothing', drawn: 0 });
        if (notice.hidden) return setTimeout(wait, 5);
        const frames = window.velmora.frames();
        // Drawing has stopped: no frame in the time of many.
        setTimeout(() => resolve({ text: notice.textContent, drawn: window.velmora.frames() - frames }), 200);
      };
      wait();
    }));
    check(ended.text.includes('Velmora has ended') && ended.drawn === 0,
      `${name}: after ${key} the page says "${ended.text}" and drew ${ended.drawn} frames`);
  }
  await noProblemsIn(name, 'ending', session);
  const button = await driver.evaluate(() => {
    const box = document.getElementById('restart').getBoundingClientRect();
    return [Math.round(box.left + box.width / 2), Math.round(box.top + box.height / 2)];
  });
  await driver.evaluate(() => (window.endedPage = true));
  await driver.input([{ move: button }, { down: 0 }, { up: 0 }]);
  let restarted = true;
  await driver.waitUntilDrawing().catch(() => (restarted = false));
  restarted &&= !(await driver.evaluate(() => window.endedPage === true));
  check(restarted, `${name}: "Start again" did not start it again`);
}

// Seeded random input that never ends the program: keys, drags, wheel notches
// and menu choices, as browser steps and as the replay's events.
function randomRun(count, session) {
  let s = config.seed >>> 0;
  const random = () => {
    s = (s + 0x6d2b79f5) >>> 0;
    let t = s;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  const pick = (list) => list[Math.floor(random() * list.length)];
  const letters = 'mMPpXxYyZzOoEe12';
  const batches = []; // {steps} or {menu: [row, subRow]}
  const events = [];
  let keys = [];
  const flush = () => {
    if (keys.length > 0) batches.push({ steps: keys });
    keys = [];
  };
  const point = () => [20 + Math.floor(random() * 460), 20 + Math.floor(random() * 460)];
  let matricesShown = false;
  for (let i = 0; i < count; ++i) {
    const kind = random();
    if (kind < 0.86) {
      if (random() < 0.5) {
        const key = pick(Object.keys(kArrowCodes));
        keys.push({ key });
        events.push(`special ${kArrowCodes[key]}`);
      } else {
        const key = pick(letters);
        keys.push(keyStep(key));
        events.push(`key ${key.charCodeAt(0)}`);
      }
      if (keys.length >= 100) flush();
    } else if (kind < 0.92) {
      flush();
      let [x0, y0] = point();
      // A left drag from the matrices' text selects it rather than orbit.
      if (matricesShown) while (x0 < 300 && y0 < 200) [x0, y0] = point();
      const [x1, y1] = point();
      // WebKitGTK's driver releases the middle button as the left one (and
      // then holds it for ever): there, pans are Shift + left drags.
      const button = random() < 0.7 || session.name === 'webkit' ? 0 : 1;
      const shift = button === 0 && random() < 0.3;
      const steps = [{ move: session.at(x0, y0) }];
      if (shift) steps.push({ hold: 'Shift' });
      steps.push({ down: button }, { move: session.at(x1, y1) }, { up: button });
      if (shift) steps.push({ release: 'Shift' });
      batches.push({ steps });
      events.push(`drag ${button} ${x0} ${y0} ${x1} ${y1} ${shift ? 1 : 0}`);
    } else if (kind < 0.96) {
      flush();
      // Where the notch is changes nothing; WebKitGTK's driver gives no wheel
      // event from the lower part of its window (about 450 pixels down).
      const [x, y] = [250, 250];
      const away = random() < 0.5;
      batches.push({ steps: [{ wheel: away ? -100 : 100, at: session.at(x, y) }] });
      events.push(`wheel ${away ? 3 : 4} ${x} ${y}`);
    } else {
      flush();
      // Not Quit, nor full screen or the link, which the replay does not give, nor the exercises.
      const skipped = [kMenuRows.quit, kMenuRows.fullScreen, kMenuRows.link, kMenuRows.practice];
      const row = pick(kMenu.map((value, at) => at).filter((at) => !skipped.includes(at)));
      const subRow = row === kMenuRows.turns ? Math.floor(random() * kTurns.length) : -1;
      if (row === kMenuRows.matrices) matricesShown = !matricesShown;
      batches.push({ menu: [row, subRow] });
      events.push(`menu ${subRow >= 0 ? kTurns[subRow] : kMenu[row]}`);
    }
  }
  flush();
  return { batches, events };
}

async function aRandomRun(session) {
  const { d: driver, name } = session;
  if (config.randomEvents === 0) return;
  // The page keeps drawing, with the desktop's matrices.
  await session.open();
  const run = randomRun(config.randomEvents, session);
  for (const batch of run.batches) {
    if (batch.menu) await session.choose(batch.menu[0], batch.menu[1]);
    else await driver.input(batch.steps);
  }
  await session.settle();
  if ((await session.shownText()) === '') {
    await session.choose(kMenuRows.matrices);
    run.events.push(`menu ${kMenu[kMenuRows.matrices]}`);
  }
  const text = await session.shownText();
  const desktop = desktopText(run.events);
  check(!(await session.ended()), `${name} random run: the program ended`);
  check(text === desktop, `${name} random run of ${config.randomEvents} events: the page shows\n${text}the desktop\n${desktop}`);
  await noProblemsIn(name, 'random run', session);
}

// The page's frames after each kind of event, from one page: at least one
// frame after it (the picture is never left stale), then none at rest; and in
// a drag no more frames than animation frames.
async function framesFollowThePicture(session) {
  const { d: driver, name } = session;
  await session.open();
  const frames = () => driver.evaluate(() => window.velmora.frames());
  // The page's frames over three animation frames of the page's own.
  const atRest = () => driver.evaluate(() => new Promise((resolve) => {
    const from = window.velmora.frames();
    const after = (n) => (n === 0 ? resolve(window.velmora.frames() - from) : requestAnimationFrame(() => after(n - 1)));
    after(3);
  }));
  const resize = (px) => driver.evaluate((width) => new Promise((resolve) => {
    const canvas = document.getElementById('canvas');
    document.getElementById('view').style.width = `${width}px`;
    const wait = () => (canvas.width === Math.round(width * devicePixelRatio) ? resolve() : requestAnimationFrame(wait));
    wait();
  }), px);
  const cases = [
    ['a key', () => driver.input(session.steps('x'))],
    ['an arrow key', () => driver.input(session.steps('Right'))],
    ['a drag', () => driver.input(session.steps('drag:200,200,240,260'))],
    ['a wheel notch', () => driver.input(session.steps('wheel:away'))],
    ['the menu opened', () => session.openMenu()],
    ['the menu closed', async () => {
      await driver.input([{ key: 'Escape' }]);
      await session.waitMenu('menu', false);
    }],
    ['a menu row chosen', () => session.choose(kMenuRows.projection)],
    ['a new size', () => resize(400)],
  ];
  for (const [what, give] of cases) {
    const before = await frames();
    await give();
    await session.settle();
    const drawn = (await frames()) - before;
    check(drawn >= 1, `${name}: no frame drawn after ${what}`);
    const still = await atRest();
    check(still === 0, `${name}: ${still} frames drawn at rest after ${what}`);
  }
  await driver.evaluate(() => {
    window.testCount = { frames: window.velmora.frames(), animation: 0 };
    const count = () => {
      ++window.testCount.animation;
      requestAnimationFrame(count);
    };
    requestAnimationFrame(count);
  });
  const moves = Array.from({ length: 40 }, (_, i) => ({ move: session.at(100 + 5 * i, 300 - 3 * i) }));
  await driver.input([moves[0], { down: 0 }, ...moves.slice(1), { up: 0 }]);
  await session.settle();
  const drag = await driver.evaluate(() => ({
    frames: window.velmora.frames() - window.testCount.frames, animation: window.testCount.animation,
  }));
  check(drag.frames >= 1 && drag.frames <= drag.animation + 1,
    `${name}: a drag of 40 moves drew ${drag.frames} frames in ${drag.animation} animation frames`);
  await noProblemsIn(name, 'frames', session);
}

// Links to views that are not views: the page starts as usual and says so in
// one line, never showing or running what the link holds.
// The Practise submenu's rows the checks choose, by what they run (nav/nav.h's kMenu values).
const [kMenuNext, kMenuAddToSet, kMenuLinkSet] = [262, 265, 266];
const kBadLinks = ['', '1,1,1,0', 'nan', '%E0%A4%A', encodeURIComponent('<img src=x onerror="window.ran=1">'),
  '1,1,1,0,0,0,0,2,0,0,0,0,1,0,0,0,0,1,0,0,0,-6,1,0,0,-6', '1,1,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,-1e300,1,0,0,-6'];

// Undo from the menu, a link to the view round trip (a fresh page at it, and
// the desktop started with --view at it) and, in Chromium, full screen.
async function teaching(session) {
  const { d: driver, name } = session;
  await session.open();
  await session.choose(kMenuRows.matrices);
  const events = [`menu ${kMenu[kMenuRows.matrices]}`];
  await driver.input(session.steps('Right*3 Up X*2 m Left P*2 o E drag:300,350,340,380'));
  events.push('special 102', 'special 102', 'special 102', 'special 101', 'key 88', 'key 88', 'key 109', 'special 100',
    'key 80', 'key 80', 'key 111', 'key 69', 'drag 0 300 350 340 380 0');
  for (let i = 0; i < 3; ++i) await session.choose(kMenuRows.undo);
  events.push('menu 259', 'menu 259', 'menu 259');
  await session.settle();
  const text = await session.shownText();
  check(text === desktopText(events), `${name} undo: the page shows\n${text}the desktop\n${desktopText(events)}`);
  await session.choose(kMenuRows.matrices); // hidden: the backing drawn for them follows the last move's lines
  const picture = await session.picture();
  await session.choose(kMenuRows.link);
  const link = await driver.evaluate(() => location.hash);
  check(link.startsWith('#view='), `${name}: the link row left the address at ${link}`);
  const linkedUrl = `${config.url}?linked${link}`; // a page of its own, not a move within this one
  await driver.open(linkedUrl);
  await driver.waitUntilDrawing(linkedUrl);
  expectPicture(name, 'linked-view', picture, await session.picture(), 0);
  await session.choose(kMenuRows.matrices);
  const linked = await session.shownText();
  const noMove = (t) => t.split('Last move:')[0];
  check(noMove(linked) === noMove(text), `${name}: the linked page shows\n${linked}not\n${text}`);
  const desktop = desktopText([`menu ${kMenu[kMenuRows.matrices]}`], ['--view', decodeURIComponent(link.slice(6))]);
  check(linked === desktop, `${name}: the linked page shows\n${linked}the desktop with --view\n${desktop}`);
  // The link pasted into the address of a page already open: it starts again at the view.
  await session.open();
  await driver.evaluate((hash) => (window.oldPage = true) && (location.hash = hash), link);
  await driver.waitUntilDrawing();
  expectPicture(name, 'pasted-link', picture, await session.picture(), 0);
  // A teacher's set: the views after Right*3 and Right*6 added and handed on
  // as one link, which a fresh page starts at the start with; three Right
  // reach the first, Next goes to the second, six more reach it. Its words
  // are the desktop's, beside the view.
  await session.open();
  for (let i = 0; i < 2; ++i) {
    await driver.input(session.steps('Right*3'));
    await session.choose(kMenuRows.practice, kPractice.indexOf(kMenuAddToSet));
  }
  await session.choose(kMenuRows.practice, kPractice.indexOf(kMenuLinkSet));
  const target = await driver.evaluate(() => location.hash);
  const targets = target.slice('#target='.length).split('&target=').flatMap((text) => ['--target', decodeURIComponent(text)]);
  check(targets.length === 4, `${name}: the set's link is ${target}`);
  await driver.open(`${config.url}?exercise${target}`);
  await driver.waitUntilDrawing(`${config.url}?exercise${target}`);
  const played = [];
  for (const [keys, events, said] of [['', [], 'Exercise 1 of 2'], ['Right*3', Array(3).fill('special 102'), 'Reached in 3 moves'],
    ['next', [`menu ${kMenuNext}`], 'Exercise 2 of 2'], ['Right*6', Array(6).fill('special 102'), 'Reached in 6 moves']]) {
    if (keys === 'next') await session.choose(kMenuRows.practice, kPractice.indexOf(kMenuNext));
    else if (keys) await driver.input(session.steps(keys));
    played.push(...events);
    await session.settle();
    const [page, desktop] = [await session.shownText(), practiceLines(desktopText(played, targets))];
    check(page === desktop && desktop.includes(said), `${name} exercise: the page shows\n${page}the desktop\n${desktop}`);
  }
  // Never over the view: beside it on a page wide enough (Chromium's, 1200 CSS px), else under it.
  for (const wide of name === 'chromium' ? [false, true] : [false]) {
    if (wide) await driver.setViewport(1200, 900, 1);
    const [view, text] = await driver.evaluate(() => new Promise((resolve) => requestAnimationFrame(resolve)).then(() =>
      ['canvas', 'matrices'].map((id) => ((b) => [b.left, b.top, b.right, b.bottom])(document.getElementById(id).getBoundingClientRect()))));
    check(wide ? text[0] >= view[2] : text[0] >= view[2] || text[1] >= view[3],
      `${name}: the exercise's words at ${text} are ${wide ? 'not beside' : 'over'} the view at ${view}`);
  }
  for (const [i, bad] of kBadLinks.entries()) {
    const badUrl = `${config.url}?bad=${i}#${i % 2 ? 'target' : 'view'}=${bad}`; // an exercise's target is a view too
    await driver.open(badUrl);
    await driver.waitUntilDrawing(badUrl);
    const seen = await driver.evaluate(() => ({
      said: !document.getElementById('bad-link').hidden, ran: window.ran === 1, text: document.body.innerText,
    }));
    check(seen.said && !seen.ran && !seen.text.includes('onerror'), `${name}: the bad link ${bad} gave ${JSON.stringify(seen.said)}`);
    expectPicture(name, 'bad-link', docsPicture('start'), await session.picture(), allowed(name, 'start'));
  }
  // A set with a bad target starts none of it and says which.
  const badSet = `${config.url}?bad=set${target}&target=${kBadLinks[1]}`;
  await driver.open(badSet);
  await driver.waitUntilDrawing(badSet);
  const said = await driver.evaluate(() => document.getElementById('bad-link').hidden ? '' : document.getElementById('bad-link').textContent);
  check(said.includes('target 3 of 3 was not understood') && (await session.shownText()) === '', `${name}: the bad set said "${said}"`);
  if (name === 'chromium') {
    // A screen of 900 x 700 CSS px at 2 device pixels to one, the page its whole window.
    await driver.setViewport(900, 700, 2);
    await session.open();
    await session.choose(kMenuRows.fullScreen);
    // The buffer once it has the size `want` gives it ([] the screen's), and what fills the screen.
    const bufferAt = (want) => driver.evaluate((size) => {
      const canvas = document.getElementById('canvas');
      const [w, h] = size.length ? size : [screen.width * devicePixelRatio, screen.height * devicePixelRatio];
      return new Promise((resolve) => {
        const wait = () => (canvas.width === Math.round(w) && canvas.height === Math.round(h) ? resolve() : requestAnimationFrame(wait));
        wait();
      }).then(() => [canvas.width, canvas.height, document.fullscreenElement && document.fullscreenElement.id,  // the page's root: ''
        document.getElementById('full-screen-button').textContent]);
    }, want);
    const full = await bufferAt([]);
    check(full[2] === '', `${name}: full screen gave a buffer ${full}`);
    await session.choose(kMenuRows.fullScreen); // now "Leave full screen"
    const back = await bufferAt([1000, 1000]);
    check(back[2] === null, `${name}: leaving full screen gave a buffer ${back}`);
    // The page's Full screen button says what it will do, as the menu's row does.
    check(`${full[3]}, ${back[3]}` === 'Leave full screen, Full screen', `${name}: the Full screen button said ${full[3]}, ${back[3]}`);
    await driver.setViewport(900, 900, 1);
  }
  await noProblemsIn(name, 'teaching', session);
}

export const kPageChecks = [
  ['frames follow the picture', framesFollowThePicture],
  ['the page', thePage],
  ['the gallery', theGallery],
  ['the menu', theMenu],
  ['keys and the wheel', keysAndTheWheel],
  ['ending and starting again', endingAndStartingAgain],
  ['a random run', aRandomRun],
  ['undo, a link to the view, full screen', teaching],
];
