// The web build, opened from the disk in Chromium, Firefox ESR and WebKitGTK,
// given input as a user gives it, against the desktop program: its pictures
// (the gallery, docs/*.png, made by the desktop build from the same input)
// and its matrices (velmora-replay, the desktop's code fed the same events).
//   node browser_test.mjs --site DIR --docs DIR --replay PROGRAM --drive PROGRAM --viewer PROGRAM
//                         --out DIR [--browsers chromium,firefox,webkit] [--events N] [--seed N]
// The desktop's pictures at other sizes than the gallery's come from the
// viewer itself (--viewer), resized by velmora-drive (--drive).
// Ends with "N passed, M failed"; the exit status is 1 if any check failed.
import fs from 'node:fs';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { makeDriver } from './drivers.mjs';
import { readPng, writePng } from './png.mjs';

const option = (name, fallback) => {
  const at = process.argv.indexOf(`--${name}`);
  return at > 0 ? process.argv[at + 1] : fallback;
};
const site = path.resolve(option('site', 'build-web/site'));
const docs = path.resolve(option('docs', 'docs'));
const replay = option('replay', 'build-test/tools/velmora-replay');
const drive = option('drive', 'build-test/tools/velmora-drive');
const viewer = option('viewer', 'build-test/velmora');
const out = path.resolve(option('out', '.'));
const browsers = option('browsers', 'chromium,firefox,webkit').split(',');
const randomEvents = Number(option('events', '2000'));
const seed = Number(option('seed', '20261208'));
const url = `file://${site}/index.html`;

const kStartTolerance = 100; // pixels: long lines rasterised a little differently
const kInputTolerance = 800; // one wrong arrow key changes thousands
// At 2 or 3 device pixels a CSS pixel, against the desktop's picture at the
// buffer's size: a little above what each engine differs by today. Firefox
// and WebKit draw with Mesa, as the desktop does; a centre line's dashes
// shifted by one step, or a post without one ring, differs by more.
const kSharpTolerance = { chromium: 800, firefox: 20, webkit: 20 };

let passed = 0;
let failed = 0;
function check(ok, what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    console.log(`FAIL ${what}`);
  }
  return ok;
}

// --- Pictures ---
const readPicture = readPng;

// The picture itself, or with `difference` every pixel that differs from it
// magenta over `difference` at a quarter of its brightness.
function writePicture(picture, file, difference) {
  if (!difference) return writePng(file, picture);
  const marked = Buffer.alloc(picture.rgb.length);
  for (let i = 0; i < picture.rgb.length; i += 3) {
    const same = picture.rgb.compare(difference.rgb, i, i + 3, i, i + 3) === 0;
    if (same) for (let c = 0; c < 3; ++c) marked[i + c] = difference.rgb[i + c] >> 2;
    else marked.set([255, 0, 255], i);
  }
  return writePng(file, { width: picture.width, height: picture.height, rgb: marked });
}

function countDifferences(a, b) {
  if (a.width !== b.width || a.height !== b.height) return a.width * a.height + b.width * b.height;
  let n = 0;
  for (let i = 0; i < a.rgb.length; i += 3) if (a.rgb.compare(b.rgb, i, i + 3, i, i + 3) !== 0) ++n;
  return n;
}

// Holds a picture to the expected one; on failure writes both beside the build.
function expectPicture(browser, name, expected, observed, tolerance) {
  const differ = countDifferences(expected, observed);
  console.log(`  ${browser} ${name}: ${differ} px differ (${tolerance} allowed)`);
  if (!check(differ <= tolerance, `${browser} ${name}: ${differ} pixels differ, ${tolerance} allowed`)) {
    const base = path.join(out, `web-${browser}-${name}`);
    writePicture(observed, `${base}.png`);
    writePicture(observed, `${base}-difference.png`, expected);
    console.log(`  observed ${base}.png, differences ${base}-difference.png`);
  }
  return differ;
}

// --- The gallery's input, as browser input ---
const keysyms = {
  Right: 'ArrowRight', Left: 'ArrowLeft', Up: 'ArrowUp', Down: 'ArrowDown', Escape: 'Escape', Return: 'Enter',
  space: ' ', Home: 'Home', End: 'End', Insert: 'Insert', F1: 'F1', F12: 'F12',
};
const keyStep = (name) => {
  const key = keysyms[name] || name;
  return { key, shift: key.length === 1 && key >= 'A' && key <= 'Z' };
};

function readGallery() {
  const rows = [];
  for (const line of fs.readFileSync(path.join(docs, 'gallery.txt'), 'utf8').split('\n')) {
    if (line === '' || line.startsWith('#')) continue;
    const [name, choices, keys, menuAt] = line.split('|');
    rows.push({ name, choices: choices.split(' ').filter(Boolean).map((c) => c.split(',').map(Number)), keys, menuAt });
  }
  return rows;
}

// The desktop program's menu, top to bottom, with its entries' values.
const kMenu = [77, 79, 69, 49, 50, 80, 112, 'turns', 257, 258, 256, 113];
const kTurns = [88, 120, 89, 121, 90, 122];
const kMenuRows = { projection: 1, turns: 7, matrices: 8, eyeView: 9, resetView: 10 };
// The arrow keys' GLUT_KEY_ codes.
const kArrowCodes = { ArrowLeft: 100, ArrowUp: 101, ArrowRight: 102, ArrowDown: 103 };

class Session {
  constructor(driver) {
    this.d = driver;
    this.name = driver.name;
  }

  async open() {
    await this.d.open(url);
    await this.d.waitUntilDrawing();
    this.origin = await this.d.evaluate(() => {
      const box = document.getElementById('canvas').getBoundingClientRect();
      return [box.left, box.top];
    });
  }

  at(x, y) {
    return [Math.round(this.origin[0] + x), Math.round(this.origin[1] + y)];
  }

  // Steps for the gallery's key field: keys, drag:X0,Y0,X1,Y1, wheel:away*N.
  steps(keys) {
    const steps = [];
    for (const token of keys.split(' ').filter(Boolean)) {
      const [word, times] = token.split('*');
      const repeat = times === undefined ? 1 : Number(times);
      if (word.startsWith('drag:')) {
        const [x0, y0, x1, y1] = word.slice(5).split(',').map(Number);
        steps.push({ move: this.at(x0, y0) }, { down: 0 }, { move: this.at(x1, y1) }, { up: 0 });
      } else if (word.startsWith('wheel:')) {
        for (let i = 0; i < repeat; ++i) steps.push({ wheel: word === 'wheel:away' ? -100 : 100, at: this.at(250, 250) });
      } else {
        for (let i = 0; i < repeat; ++i) steps.push(keyStep(word));
      }
    }
    return steps;
  }

  async settle() {
    await this.d.evaluate(() => window.velmora.afterFrames(2));
  }

  async picture() {
    const p = await this.d.evaluate(() => window.velmora.picture());
    return { width: p.width, height: p.height, rgb: Buffer.from(p.rgb, 'base64') };
  }

  async waitMenu(id, open) {
    if (process.env.VELMORA_DEBUG) console.log(`  wait ${id} ${open}`);
    await this.d.evaluate((which, shown) => new Promise((resolve) => {
      const wait = () => (document.getElementById(which).hidden !== shown ? resolve() : setTimeout(wait, 5));
      wait();
    }), id, open);
  }

  async rowCentre(menu, row) {
    return this.d.evaluate((which, index) => {
      const box = document.querySelectorAll(`#${which} [role=menuitem]`)[index].getBoundingClientRect();
      return [Math.round(box.left + box.width / 2), Math.round(box.top + box.height / 2)];
    }, menu, row);
  }

  async openMenu(x = 150, y = 100) {
    await this.d.input([{ move: this.at(x, y) }, { down: 2 }, { up: 2 }]);
    await this.waitMenu('menu', true);
  }

  // Chooses row `row` of the menu (and `subRow` of its submenu) with the pointer.
  async choose(row, subRow = -1, x = 150, y = 100) {
    if (process.env.VELMORA_DEBUG) console.log(`  choose ${row} ${subRow}`);
    await this.openMenu(x, y);
    let target = await this.rowCentre('menu', row);
    if (subRow >= 0) {
      await this.d.input([{ move: target }]);
      await this.waitMenu('submenu', true);
      target = await this.rowCentre('submenu', subRow);
    }
    await this.d.input([{ move: target }, { down: 0 }, { up: 0 }]);
    await this.waitMenu('menu', false);
    await this.settle();
  }

  async give(row) {
    for (const [x, y, entry] of row.choices) await this.choose(entry, -1, x, y);
    await this.d.input(this.steps(row.keys));
    await this.settle();
  }

  async problems() {
    if (this.d.collectProblems) await this.d.collectProblems();
    return this.d.problems.splice(0);
  }
}

async function noProblemsIn(name, when, session) {
  const problems = await session.problems();
  check(problems.length === 0, `${name} ${when}: ${problems.join('; ')}`);
}

// Keys and the wheel where no other check gives them: [what, input, events].
// The menu's rows: M, O, E, 1, 2, P, p, the turns (X first), the two
// displays, Reset view, Quit. A row a key too many away chooses another.
const kButton = { focus: 'menu-button' };
const kKeyCases = [
  ['the menu button: Enter opens it on its first row', [kButton, 'Return', 'Down', 'Return'], ['menu 79']],
  ['Down opens it on the first row; End, then Up', [kButton, 'Down', 'End', 'Up*6', 'Return'], ['menu 80']],
  ['Up opens it on the last row; Home, then Down', [kButton, 'Up', 'Home', 'Down*6', 'Return'], ['menu 112']],
  ['Space opens it; Right opens the turns', [kButton, 'space', 'Down*7', 'Right', 'Return'], ['menu 88']],
  ['Escape gives the focus back to the button', [kButton, 'Return', 'Escape', 'Return', 'Down', 'Return'], ['menu 79']],
  ['the context-menu key opens it on its first row', [{ contextMenuKey: true }, 'Down', 'Return'], ['menu 79']],
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

// The desktop's picture in a window of width x height pixels.
const desktopPictures = new Map();
function desktopPicture(width, height) {
  const size = `${width}x${height}`;
  if (!desktopPictures.has(size)) {
    const file = path.join(out, `web-desktop-${size}.png`);
    const result = spawnSync(drive, ['-w', size, '-o', file, '--', viewer], { encoding: 'utf8' });
    if (result.status !== 0) throw new Error(`${drive} -w ${size}: ${result.stderr}`);
    desktopPictures.set(size, readPicture(file));
  }
  return desktopPictures.get(size);
}

// The desktop's matrices after the same events.
function desktopText(events) {
  const result = spawnSync(replay, [], { input: events.join('\n') + '\n', encoding: 'utf8' });
  if (result.status !== 0) throw new Error(`${replay}: ${result.stderr}`);
  return result.stdout;
}

// Seeded random input that never ends the program: keys, drags, wheel notches
// and menu choices, as browser steps and as the replay's events.
function randomRun(count, session) {
  let s = seed >>> 0;
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
    if (keys.length > 0) batches.push({ steps: keys, upTo: events.length });
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
      batches.push({ steps, upTo: events.length + 1 });
      events.push(`drag ${button} ${x0} ${y0} ${x1} ${y1} ${shift ? 1 : 0}`);
    } else if (kind < 0.96) {
      flush();
      // Where the notch is changes nothing; WebKitGTK's driver gives no wheel
      // event from the lower part of its window (about 450 pixels down).
      const [x, y] = [250, 250];
      const away = random() < 0.5;
      batches.push({ steps: [{ wheel: away ? -100 : 100, at: session.at(x, y) }], upTo: events.length + 1 });
      events.push(`wheel ${away ? 3 : 4} ${x} ${y}`);
    } else {
      flush();
      const row = pick([0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10]);
      const subRow = row === kMenuRows.turns ? Math.floor(random() * kTurns.length) : -1;
      if (row === kMenuRows.matrices) matricesShown = !matricesShown;
      batches.push({ menu: [row, subRow], upTo: events.length + 1 });
      events.push(`menu ${subRow >= 0 ? kTurns[subRow] : kMenu[row]}`);
    }
  }
  flush();
  return { batches, events };
}

async function testBrowser(name) {
  const driver = makeDriver(name);
  const started = Date.now();
  try {
    await driver.start();
  } catch (error) {
    check(false, `${name}: the browser did not start: ${error.message}`);
    return;
  }
  console.log(`${name}: ${driver.version}`);
  const session = new Session(driver);
  const noProblems = (when) => noProblemsIn(name, when, session);
  try {
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
      };
    });
    check(page.title === 'Velmora', `${name}: the title is "${page.title}"`);
    check(page.icon === 'data:image/png;base64,', `${name}: the page has no icon of its own`);
    check(page.focused, `${name}: the canvas has not the focus at load`);
    check(page.outline === 'none', `${name}: the focused canvas has an outline (${page.outline})`);
    check(page.size[0] === 500 && page.size[1] === 500, `${name}: the canvas is ${page.size}`);

    // Every picture of the gallery from the same input, each on a page of its own.
    const start = await session.picture();
    expectPicture(name, 'start', readPicture(path.join(docs, 'start.png')), start, kStartTolerance);
    for (const row of readGallery()) {
      if (row.name === 'start' || row.menuAt) continue; // the open menu is the page's own HTML
      await session.open();
      await session.give(row);
      if (row.name === 'matrices') {
        const events = [...row.choices.map(([, , entry]) => `menu ${kMenu[entry]}`)];
        for (const step of session.steps(row.keys)) {
          const arrow = kArrowCodes[step.key];
          events.push(arrow ? `special ${arrow}` : `key ${step.key.charCodeAt(0)}`);
        }
        const text = await driver.evaluate(() => window.velmora.text());
        check(text === desktopText(events), `${name} matrices: the page shows\n${text}the desktop\n${desktopText(events)}`);
        continue;
      }
      expectPicture(name, row.name, readPicture(path.join(docs, `${row.name}.png`)), await session.picture(),
        kInputTolerance);
    }
    await noProblems('gallery');

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
    check(rows.open && rows.role === 'menu' && rows.items.length === 12,
      `${name} menu: ${rows.items.length} menuitems in a ${rows.role}, open ${rows.open}`);
    check(rows.items[1] === 'Orthographic projection (O)', `${name} menu: row 2 says "${rows.items[1]}"`);
    await driver.input([{ key: 'Escape' }]);
    await session.waitMenu('menu', false);
    await session.settle();
    check(!(await driver.evaluate(() => window.velmora.ended())), `${name}: Escape with the menu open ended the program`);
    expectPicture(name, 'escape-closes-the-menu-only', atStart, await session.picture(), 0);

    await session.openMenu();
    await driver.input([{ move: session.at(450, 450) }, { down: 0 }, { up: 0 }]);
    await session.waitMenu('menu', false);
    await session.settle();
    expectPicture(name, 'a-click-beside-closes-the-menu-only', atStart, await session.picture(), 0);

    await session.choose(kMenuRows.projection);
    const byMenu = await session.picture();
    expectPicture(name, 'menu-row-O', readPicture(path.join(docs, 'ortho.png')), byMenu, kInputTolerance);
    await driver.input([keyStep('o'), keyStep('O')]);
    await session.settle();
    expectPicture(name, 'menu-row-O-as-key', byMenu, await session.picture(), 0);
    await session.openMenu();
    const label = await driver.evaluate(() => document.querySelectorAll('#menu [role=menuitem]')[1].textContent);
    check(label === 'Perspective projection (O)', `${name} menu: after O row 2 says "${label}"`);
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
      text: window.velmora.text(),
      visible: !document.getElementById('matrices').hidden,
      selectable: getComputedStyle(document.getElementById('matrices')).userSelect,
    }));
    const expected = desktopText(['special 102', 'key 120', 'key 88', 'menu 256', 'menu 257']);
    check(shown.visible && shown.text === expected, `${name}: the matrices show\n${shown.text}not\n${expected}`);
    check(shown.selectable !== 'none', `${name}: the matrices cannot be selected`);
    await session.choose(kMenuRows.matrices);
    await session.choose(kMenuRows.eyeView);
    const inset = await session.picture();
    const insetDiffers = countDifferences(atStart, inset);
    check(insetDiffers > 2000, `${name}: the eye from outside changed ${insetDiffers} pixels`);
    await session.choose(kMenuRows.eyeView);
    expectPicture(name, 'eye-view-off', atStart, await session.picture(), 0);
    await noProblems('menu');

    // Keys and the wheel on the menu and the matrices, a case a row: what is
    // given, in turn from one page, and the desktop's events it must make.
    await session.open();
    await session.choose(kMenuRows.matrices);
    const given = [`menu ${kMenu[kMenuRows.matrices]}`];
    for (const [what, input, events] of kKeyCases) {
      for (const step of input) {
        if (step.focus) await driver.evaluate((id) => document.getElementById(id).focus(), step.focus);
        else if (step.contextMenuKey) await contextMenuKey(name, session);
        else if (step.wheel) await driver.input([{ wheel: step.wheel, at: session.at(...step.at) }]);
        else await driver.input(session.steps(step));
      }
      await session.settle();
      given.push(...events);
      const text = await driver.evaluate(() => window.velmora.text());
      check(text === desktopText(given), `${name}, ${what}: the page shows\n${text}the desktop\n${desktopText(given)}`);
    }
    await noProblems('keys and the wheel');

    // Keys with Ctrl, Alt or Meta are the browser's; an ending key ends the run.
    await driver.input([{ hold: 'Control' }, { key: 'q' }, { release: 'Control' }]);
    await session.settle();
    check(!(await driver.evaluate(() => window.velmora.ended())), `${name}: Ctrl+q ended the program`);
    await driver.input([keyStep('q')]);
    const ended = await driver.evaluate(() => new Promise((resolve) => {
      const notice = document.getElementById('ended');
      const wait = () => {
        if (notice.hidden) return setTimeout(wait, 5);
        const frames = window.velmora.frames();
        // Drawing has stopped: no frame in the time of many.
        setTimeout(() => resolve({ text: notice.textContent, drawn: window.velmora.frames() - frames }), 200);
      };
      wait();
    }));
    check(ended.text.includes('Velmora has ended') && ended.drawn === 0,
      `${name}: after q the page says "${ended.text}" and drew ${ended.drawn} frames`);
    await noProblems('ending');
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

    // A seeded random run: the page keeps drawing, with the desktop's matrices.
    if (randomEvents > 0) {
      await session.open();
      const run = randomRun(randomEvents, session);
      for (const batch of run.batches) {
        if (process.env.VELMORA_DEBUG) console.log(`  batch ${JSON.stringify(batch).slice(0, 120)} ${await driver.evaluate(() => scrollY)}`);
        if (batch.menu) await session.choose(batch.menu[0], batch.menu[1]);
        else await driver.input(batch.steps);
        if (process.env.VELMORA_BISECT) {
          await session.settle();
          const text = await driver.evaluate(() => window.velmora.text());
          if (text !== '' && text !== desktopText(run.events.slice(0, batch.upTo))) {
            console.log(`  first differs after ${JSON.stringify(batch)}\n${text}`);
            break;
          }
        }
      }
      await session.settle();
      if ((await driver.evaluate(() => window.velmora.text())) === '') {
        await session.choose(kMenuRows.matrices);
        run.events.push(`menu ${kMenu[kMenuRows.matrices]}`);
      }
      const before = await driver.evaluate(() => window.velmora.frames());
      await session.settle();
      const text = await driver.evaluate(() => window.velmora.text());
      const desktop = desktopText(run.events);
      check(!(await driver.evaluate(() => window.velmora.ended())), `${name} random run: the program ended`);
      check((await driver.evaluate(() => window.velmora.frames())) > before, `${name} random run: drawing stopped`);
      check(text === desktop, `${name} random run of ${randomEvents} events: the page shows\n${text}the desktop\n${desktop}`);
      await noProblems('random run');
    }
  } catch (error) {
    check(false, `${name}: ${error.stack || error}`);
  } finally {
    await driver.stop().catch(() => {});
  }
  // What the browser reported after the last look (Firefox prints its pages'
  // errors as they come, a little behind the page).
  const late = driver.lastProblems();
  check(late.length === 0, `${name} at the end: ${late.join('; ')}`);
  console.log(`${name}: ${((Date.now() - started) / 1000).toFixed(1)} s`);
}

// --- Phones, tablets and sharp screens ---
// Where the view is, how large its buffer is, and whether the page fits.
const layoutOf = (driver) => driver.evaluate(() => {
  const canvas = document.getElementById('canvas');
  const box = canvas.getBoundingClientRect();
  return {
    box: [box.left, box.top, box.width, box.height], buffer: [canvas.width, canvas.height], ratio: devicePixelRatio,
    viewport: [innerWidth, innerHeight], scrollWidth: document.documentElement.scrollWidth,
  };
});

function checkFits(what, l) {
  const [left, top, width, height] = l.box;
  check(l.scrollWidth <= l.viewport[0], `${what}: the page is ${l.scrollWidth} px wide in ${l.viewport[0]}`);
  check(left >= 0 && top >= 0 && left + width <= l.viewport[0] && top + height <= l.viewport[1],
    `${what}: the view at ${l.box} is not all in the ${l.viewport} viewport`);
  const want = [Math.round(width * l.ratio), Math.round(height * l.ratio)];
  check(l.buffer[0] === want[0] && l.buffer[1] === want[1], `${what}: the buffer is ${l.buffer}, not ${want}`);
}

// The touch screen's and sharp screen's checks: Chromium as a phone (390 x
// 844 CSS px, 3 device pixels to one, two fingers through DevTools), Firefox
// at ratio 2 (its WebDriver gives one finger: two arrive as one), WebKitGTK
// at GDK_SCALE 2 (its WebDriver gives no touch at all).
async function testSharpAndTouch(name) {
  const ratio = name === 'chromium' ? 3 : 2;
  const driver = makeDriver(name, { ratio });
  try {
    await driver.start();
    const phone = name === 'chromium';
    if (phone) {
      await driver.setViewport(844, 390, ratio, true);
      await driver.open(url);
      await driver.waitUntilDrawing();
      checkFits(`${name} phone, landscape`, await layoutOf(driver));
      await driver.setViewport(390, 844, ratio, true);
    }
    const session = new Session(driver);
    await session.open();
    const l = await layoutOf(driver);
    const where = `${name} at ratio ${l.ratio}`;
    checkFits(where, l);
    if (!check(l.ratio === ratio, `${where}: the browser gave no ratio ${ratio}`)) return;
    const [width, height] = l.buffer;
    expectPicture(name, `start-at-ratio-${ratio}`, desktopPicture(width, height), await session.picture(),
      kSharpTolerance[name]);
    if (name === 'webkit') return; // no touch to give

    // View positions as on the desktop's 500 x 500 window, as viewport points,
    // and a viewport point as the window pixel the program is handed.
    const at = (x, y) => [Math.round(l.box[0] + (x * l.box[2]) / 500), Math.round(l.box[1] + (y * l.box[3]) / 500)];
    const buffer = ([x, y]) =>
      `${Math.trunc(((x - l.box[0]) * width) / l.box[2])} ${Math.trunc(((y - l.box[1]) * height) / l.box[3])}`;
    const midpoint = (p, q) => buffer([(p[0] + q[0]) / 2, (p[1] + q[1]) / 2]);
    // A drag in buffer pixels, as the replay takes it.
    const shift = (p, dx, dy) => [p[0] + dx, p[1] + dy];
    const finger = (part) => ({ touch: [part, null] });
    const fingers = (a, b) => ({ touch: [a, b] });
    const drag = (from, to) => [finger({ move: from }), finger({ down: true }), finger({ move: to }), finger({ up: true })];
    const events = [`reshape ${width} ${height}`];
    const expectEvents = async (what) => {
      await session.settle();
      const text = await driver.evaluate(() => window.velmora.text());
      check(text === desktopText(events), `${where}, ${what}: the page shows\n${text}the desktop\n${desktopText(events)}`);
    };

    // A long press opens the menu at the finger; lifting it chooses nothing;
    // a tapped row chooses.
    const pressed = at(250, 300);
    await driver.input([finger({ move: pressed }), finger({ down: true })]);
    await session.waitMenu('menu', true);
    const menu = await driver.evaluate(() => {
      const box = document.getElementById('menu').getBoundingClientRect();
      return [box.left, box.top, box.right, box.bottom];
    });
    check(menu[0] <= pressed[0] + 1 && pressed[0] <= menu[2] && Math.abs(menu[1] - pressed[1]) <= 1,
      `${where}: a long press at ${pressed} opened the menu at ${menu}`);
    await driver.input([finger({ up: true })]);
    await session.settle();
    check(await driver.evaluate(() => !document.getElementById('menu').hidden), `${where}: lifting a long press closed the menu`);
    await driver.input([finger({ move: await session.rowCentre('menu', kMenuRows.matrices) }), finger({ down: true }), finger({ up: true })]);
    await session.waitMenu('menu', false);
    events.push(`menu ${kMenu[kMenuRows.matrices]}`);
    await expectEvents('a long press, lifted, then a tapped row');

    // One finger is the left drag, in buffer pixels.
    const [a, b] = [at(300, 320), at(360, 250)];
    await driver.input(drag(a, b));
    events.push(`drag 0 ${buffer(a)} ${buffer(b)} 0`);
    await expectEvents('a one-finger drag');

    // The menu button by touch: a tap opens it, a tap beside closes it only.
    const button = await driver.evaluate(() => {
      const box = document.getElementById('menu-button').getBoundingClientRect();
      return [Math.round(box.left + box.width / 2), Math.round(box.top + box.height / 2), box.width, box.height];
    });
    check(button[2] >= 44 && button[3] >= 44, `${where}: the menu button is ${button[2]} x ${button[3]} CSS px`);
    await driver.input([finger({ move: button.slice(0, 2) }), finger({ down: true }), finger({ up: true })]);
    await session.waitMenu('menu', true);
    const rowHeight = await driver.evaluate(() => document.querySelector('#menu [role=menuitem]').getBoundingClientRect().height);
    check(!phone || rowHeight >= 44, `${where}: menu rows are ${rowHeight} CSS px tall`);
    await driver.input([finger({ move: at(40, 460) }), finger({ down: true }), finger({ up: true })]); // left of the menu
    await session.waitMenu('menu', false);
    await expectEvents('the menu button tapped, then beside the menu');
    if (!phone) return;

    // Two fingers: the middle drag at their midpoint; spread, the README's
    // steps; a finger coming or going, or a cancelled touch, no jump.
    const [p, q] = [at(150, 300), at(260, 380)];
    await driver.input([fingers({ move: p }, { move: q }), fingers({ down: true }, { down: true }),
      fingers({ move: shift(p, 30, -40) }, { move: shift(q, 30, -40) }), fingers({ up: true }, { up: true })]);
    events.push(`drag 1 ${midpoint(p, q)} ${midpoint(shift(p, 30, -40), shift(q, 30, -40))} 0`);
    await expectEvents('a two-finger drag');
    const c = at(250, 250);
    await driver.input([fingers({ move: shift(c, -40, 0) }, { move: shift(c, 40, 0) }), fingers({ down: true }, { down: true }),
      fingers({ move: shift(c, -80, 0) }, { move: shift(c, 80, 0) }), fingers({ up: true }, { up: true })]);
    for (let i = 0; i < Math.round((6 - 6 / 2) / 0.1); ++i) events.push('key 80'); // twice as far apart
    await expectEvents('fingers spread twice as far apart');
    const [d0, d1, d2, e] = [at(200, 350), at(240, 300), at(300, 330), at(100, 100)];
    await driver.input([finger({ move: d0 }), finger({ down: true }), finger({ move: d1 }),
      fingers(null, { move: e }), fingers(null, { down: true }), fingers(null, { up: true }),
      finger({ move: d2 }), finger({ up: true })]);
    events.push(`drag 0 ${buffer(d0)} ${buffer(d1)} 0`, `drag 0 ${buffer(d1)} ${buffer(d2)} 0`);
    await expectEvents('a second finger put down and lifted in a drag');
    await driver.input([finger({ move: d2 }), finger({ down: true }), finger({ move: d0 }), finger({ cancel: true }), ...drag(d1, d2)]);
    events.push(`drag 0 ${buffer(d2)} ${buffer(d0)} 0`, `drag 0 ${buffer(d1)} ${buffer(d2)} 0`);
    await expectEvents('a cancelled touch, then a drag');
    await noProblemsIn(name, 'touch', session);
  } catch (error) {
    check(false, `${name} touch and sharp screens: ${error.stack || error}`);
  } finally {
    await driver.stop().catch(() => {});
  }
}

for (const name of browsers) {
  await testBrowser(name);
  await testSharpAndTouch(name);
}
console.log(`${passed} passed, ${failed} failed`);
process.exitCode = failed === 0 ? 0 : 1;
