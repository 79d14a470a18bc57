// The web build, opened from the disk in Chromium, Firefox ESR and WebKitGTK,
// given input as a user gives it, against the desktop program: its pictures
// (the gallery, docs/*.png, made by the desktop build from the same input)
// and its matrices (velmora-replay, the desktop's code fed the same events).
//   node browser_test.mjs --site DIR --docs DIR --replay PROGRAM --out DIR
//                         [--browsers chromium,firefox,webkit] [--events N] [--seed N]
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
const replay = option('replay', 'build-test/tests/velmora-replay');
const out = path.resolve(option('out', '.'));
const browsers = option('browsers', 'chromium,firefox,webkit').split(',');
const randomEvents = Number(option('events', '2000'));
const seed = Number(option('seed', '20261208'));
const url = `file://${site}/index.html`;

const kStartTolerance = 100; // pixels: long lines rasterised a little differently
const kInputTolerance = 800; // one wrong arrow key changes thousands

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
  const noProblems = async (when) => {
    const problems = await session.problems();
    check(problems.length === 0, `${name} ${when}: ${problems.join('; ')}`);
  };
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

for (const name of browsers) await testBrowser(name);
console.log(`${passed} passed, ${failed} failed`);
process.exitCode = failed === 0 ? 0 : 1;
