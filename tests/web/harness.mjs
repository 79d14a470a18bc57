// What the browsers' checks share: the options, the tally of checks, the
// desktop program as the oracle (its matrices from velmora-replay, its
// pictures from velmora-drive, compared by velmora-picture), the gallery
// table as velmora-drive reads it, and a session on the page in one browser.
import fs from 'node:fs';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { writePng } from './png.mjs';

const option = (name, fallback) => {
  const at = process.argv.indexOf(`--${name}`);
  return at > 0 ? process.argv[at + 1] : fallback;
};
const tools = option('tools', 'build-test/tools');
export const config = {
  site: path.resolve(option('site', 'build-web/site')),
  docs: path.resolve(option('docs', 'docs')),
  replay: path.join(tools, 'velmora-replay'),
  drive: path.join(tools, 'velmora-drive'),
  picture: path.join(tools, 'velmora-picture'),
  viewer: option('viewer', 'build-test/velmora'),
  out: path.resolve(option('out', '.')),
  browsers: option('browsers', 'chromium,firefox,webkit').split(','),
  randomEvents: Number(option('events', '2000')),
  seed: Number(option('seed', '20261208')),
};
config.url = `file://${config.site}/index.html`;

export const tally = { passed: 0, failed: 0 };
export function check(ok, what) {
  if (ok) {
    ++tally.passed;
  } else {
    ++tally.failed;
    console.log(`FAIL ${what}`);
  }
  return ok;
}

function run(program, args, input) {
  const result = spawnSync(program, args, { input, encoding: 'utf8' });
  if (result.status !== 0) throw new Error(`${program} ${args.join(' ')}: ${result.stderr || result.error}`);
  return result.stdout;
}

// --- Pictures: the page's in memory, the desktop's in files ---
// Where a picture lies: a file's path as it is, a picture from a page written
// beside the build as `web-NAME.png`.
function fileOf(picture, name) {
  if (typeof picture === 'string') return picture;
  const file = path.join(config.out, `web-${name}.png`);
  writePng(file, picture);
  return file;
}

// The number of pixels that differ (velmora-picture), with the difference
// picture written when `difference` names one.
export function countDifferences(expected, observed, name, difference) {
  const args = [fileOf(expected, `${name}-expected`), fileOf(observed, name)];
  return Number(run(config.picture, difference ? [...args, difference] : args).trim());
}

// Holds a page's picture to the expected one (a file or another picture);
// on failure leaves the picture drawn and the difference beside the build.
export function expectPicture(browser, name, expected, observed, tolerance) {
  const base = path.join(config.out, `web-${browser}-${name}`);
  const differ = countDifferences(expected, observed, `${browser}-${name}`, `${base}-difference.png`);
  console.log(`  ${browser} ${name}: ${differ} px differ (${tolerance} allowed)`);
  if (check(differ <= tolerance, `${browser} ${name}: ${differ} pixels differ, ${tolerance} allowed`)) {
    for (const file of [`${base}.png`, `${base}-expected.png`, `${base}-difference.png`]) fs.rmSync(file, { force: true });
  } else {
    console.log(`  observed ${base}.png, differences ${base}-difference.png`);
  }
  return differ;
}

export const docsPicture = (name) => path.join(config.docs, `${name}.png`);

// The desktop's picture in a window of width x height pixels, as a file.
const desktopPictures = new Map();
export function desktopPicture(width, height) {
  const size = `${width}x${height}`;
  if (!desktopPictures.has(size)) {
    const file = path.join(config.out, `web-desktop-${size}.png`);
    run(config.drive, ['-w', size, '-o', file, '--', config.viewer]);
    desktopPictures.set(size, file);
  }
  return desktopPictures.get(size);
}

// The desktop's matrices after the same events, started with `args` (--view TEXT),
// after an exercise's lines if one is under way; practiceLines keeps only those.
export function desktopText(events, args = []) {
  return run(config.replay, args, events.join('\n') + '\n');
}
export const practiceLines = (text) => text.split(/^(?=Perspective projection|Orthographic projection)/m)[0];

// The gallery's rows, as velmora-drive reads the table.
export function readGallery() {
  return run(config.drive, ['-l', path.join(config.docs, 'gallery.txt')]).split('\n').filter(Boolean)
    .map((line) => JSON.parse(line));
}

// The program's commands of special keys (velmora-replay --commands): the
// arrow keys, each with its name in the moves' words, its page key and its GLUT_KEY_ code.
const specialCommands = run(config.replay, ['--commands']).split('\n').filter(Boolean).map((line) => JSON.parse(line));

// --- The gallery's input, as browser input ---
const keysyms = {
  ...Object.fromEntries(specialCommands.map((command) => [command.name, command.pageKey])), Escape: 'Escape', Return: 'Enter',
  space: ' ', Home: 'Home', End: 'End', Insert: 'Insert', F1: 'F1', F12: 'F12', BackSpace: 'Backspace', Tab: 'Tab',
  Delete: 'Delete', eacute: '\u00e9',
};
export const keyStep = (name) => {
  const key = keysyms[name] || name;
  return { key, shift: key.length === 1 && key >= 'A' && key <= 'Z' };
};

// The desktop program's menus as its own table has them (velmora-replay
// --menu): the main menu's values top to bottom (-1 the row that opens the
// turns) and the turns', and the rows the checks choose, by what they run.
const menus = run(config.replay, ['--menu']).split('\n').filter(Boolean).map((line) => JSON.parse(line));
export const kMenu = menus.filter((row) => row.menu === 0).map((row) => row.value);
export const kTurns = menus.filter((row) => row.menu === 1).map((row) => row.value);
export const kPractice = menus.filter((row) => row.menu === 2).map((row) => row.value);
// The value a gallery row's choice [X, Y, ROW, ROWS(, SUBROW, SUBROWS)] runs.
export const choiceValue = ([, , row, , subRow]) =>
  subRow === undefined ? kMenu[row] : (kMenu[row] === -1 ? kTurns : kPractice)[subRow];
export const kMenuLabels = menus.filter((row) => row.menu === 0); // {label, labelWhenSet} by row
const rowOf = (value) => kMenu.indexOf(value);
export const kMenuRows = {
  projection: rowOf(79), nearer: rowOf(80), farther: rowOf(112), turns: rowOf(-1), matrices: rowOf(257),
  eyeView: rowOf(258), resetView: rowOf(256), undo: rowOf(259), fullScreen: rowOf(260), link: rowOf(261), practice: rowOf(-2),
  quit: rowOf(113), last: kMenu.length - 1,
};
// The arrow keys' GLUT_KEY_ codes, by page key.
export const kArrowCodes = Object.fromEntries(specialCommands.map((command) => [command.pageKey, command.specialKey]));

export class Session {
  constructor(driver) {
    this.d = driver;
    this.name = driver.name;
  }

  async open() {
    await this.d.open(config.url);
    await this.d.waitUntilDrawing();
    this.origin = await this.d.evaluate(() => {
      const box = document.getElementById('canvas').getBoundingClientRect();
      return [box.left, box.top];
    });
  }

  at(x, y) {
    return [Math.round(this.origin[0] + x), Math.round(this.origin[1] + y)];
  }

  // Browser steps for input words as velmora-drive reads them (the gallery's
  // key field, -k): keys, drags and wheel notches.
  steps(words) {
    return JSON.parse(run(config.drive, ['-e', words])).flatMap((step) => {
      if (step.drag) {
        const [x0, y0, x1, y1] = step.drag;
        return [{ move: this.at(x0, y0) }, { down: 0 }, { move: this.at(x1, y1) }, { up: 0 }];
      }
      if (step.wheel) return [{ wheel: step.wheel === 'away' ? -100 : 100, at: this.at(250, 250) }];
      return [keyStep(step.key)];
    });
  }

  // After the frame that follows the input given so far: an animation frame
  // first, before which the browser hands the page the input it holds.
  async settle() {
    await this.d.evaluate(() => new Promise((resolve) => requestAnimationFrame(resolve)).then(window.velmora.nextFrame));
  }

  async ended() {
    return this.d.evaluate(() => !document.getElementById('ended').hidden);
  }

  // The matrices as the page shows them: the element's own text, as a screen
  // reader reads it, or '' while it is hidden.
  async shownText() {
    return this.d.evaluate(() => {
      const matrices = document.getElementById('matrices');
      return matrices.hidden ? '' : matrices.innerText;
    });
  }

  async picture() {
    const p = await this.d.evaluate(() => window.velmora.picture());
    return { width: p.width, height: p.height, rgb: Buffer.from(p.rgb, 'base64') };
  }

  async waitMenu(id, open) {
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
    for (const [x, y, entry, , subRow = -1] of row.choices) await this.choose(entry, subRow, x, y);
    await this.d.input(this.steps(row.keys));
    await this.settle();
  }

  async problems() {
    if (this.d.collectProblems) await this.d.collectProblems();
    return this.d.problems.splice(0);
  }
}


export async function noProblemsIn(name, when, session) {
  const problems = await session.problems();
  check(problems.length === 0, `${name} ${when}: ${problems.join('; ')}`);
}
