// The page on phones, tablets and sharp screens: the view fits, its buffer
// has the screen's pixels and draws the desktop's picture at that size, and
// fingers orbit, pan, zoom and reach the menu.
import {
  check, config, desktopPicture, desktopText, expectPicture, kMenu, kMenuRows, noProblemsIn, Session,
} from './harness.mjs';
import { makeDriver } from './drivers.mjs';

// At 2 or 3 device pixels a CSS pixel, against the desktop's picture at the
// buffer's size: a little above what each engine differs by on Debian 12
// (Chromium 683 at ratio 3; Firefox and WebKit, which draw with Mesa as the
// desktop does, 0 at ratio 2); a centre line's dashes shifted by one step,
// or a post without one ring, differs by more.
const kSharpTolerance = { chromium: 720, firefox: 12, webkit: 12 };

// Where the view is, how large its buffer is, and whether the page fits the
// screen (a page too wide for a phone widens its layout viewport with it).
// After a change of size, once the buffer has followed it.
const layoutOf = (driver) => driver.evaluate(() => new Promise((resolve) => {
  const canvas = document.getElementById('canvas');
  const until = performance.now() + 5000;
  const look = () => {
    const box = canvas.getBoundingClientRect();
    const followed = canvas.width === Math.round(box.width * devicePixelRatio) &&
      canvas.height === Math.round(box.height * devicePixelRatio);
    if (!followed && performance.now() < until) return requestAnimationFrame(look);
    resolve({
      box: [box.left, box.top, box.width, box.height], buffer: [canvas.width, canvas.height], ratio: devicePixelRatio,
      viewport: [Math.min(innerWidth, screen.width), Math.min(innerHeight, screen.height)],
      scrollWidth: document.documentElement.scrollWidth,
      text: ((b) => [b.left, b.top, b.right, b.bottom])(document.getElementById('matrices').getBoundingClientRect()),
    });
  };
  look();
}));

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
// at ratio 2 (two fingers through its WebDriver, each finger's part of a
// step a request of its own), WebKitGTK at GDK_SCALE 2 (its WebDriver gives
// no touch at all).
export async function testSharpAndTouch(name) {
  const ratio = name === 'chromium' ? 3 : 2;
  const driver = makeDriver(name, { ratio });
  try {
    await driver.start();
    const phone = name === 'chromium';
    if (phone) {
      await driver.setViewport(844, 390, ratio, true);
      await driver.open(config.url);
      await driver.waitUntilDrawing();
      checkFits(`${name} phone, landscape`, await layoutOf(driver));
      await driver.setViewport(390, 844, ratio, true);
      checkFits(`${name} phone, turned upright`, await layoutOf(driver));
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
    // The page's matrices against the desktop's after the same events; the
    // last move's lines too, unless `lastMove` is false.
    const expectEvents = async (what, lastMove = true) => {
      await session.settle();
      const cut = (text) => (lastMove ? text : text.split('Last move:')[0]);
      const [text, desktop] = [cut(await session.shownText()), cut(desktopText(events))];
      check(text === desktop, `${where}, ${what}: the page shows\n${text}the desktop\n${desktop}`);
    };

    // A long press opens the menu at the finger; lifting it chooses nothing;
    // a tapped row chooses.
    const pressed = at(250, 300);
    await driver.evaluate(() => {
      window.testPress = {};
      document.addEventListener('pointerdown', () => (window.testPress.down = performance.now()), { once: true });
      const menu = document.getElementById('menu');
      new MutationObserver((changes, observer) => {
        if (menu.hidden) return;
        window.testPress.open = performance.now();
        observer.disconnect();
      }).observe(menu, { attributes: true });
    });
    await driver.input([finger({ move: pressed }), finger({ down: true })]);
    await session.waitMenu('menu', true);
    const held = await driver.evaluate(() => window.testPress.open - window.testPress.down);
    check(held >= 400 && held < 1000, `${where}: a long press opened the menu after ${held} ms, not half a second`);
    // Its corner at the finger, or moved as little as lets it fit the screen.
    const menu = await driver.evaluate(() => {
      const box = document.getElementById('menu').getBoundingClientRect();
      return [box.left, box.top, box.right, box.bottom, innerWidth, innerHeight];
    });
    const placed = (corner, far, at, screen) => Math.abs(corner - at) <= 1 || (corner < at && Math.abs(far - screen) <= 1);
    check(placed(menu[0], menu[2], pressed[0], menu[4]) && placed(menu[1], menu[3], pressed[1], menu[5]),
      `${where}: a long press at ${pressed} opened the menu at ${menu.slice(0, 4)}`);
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
    // The matrices, their long product line among them, under the view on a phone held upright, wrapped to its width.
    const shown = await layoutOf(driver);
    checkFits(`${where}, the matrices shown`, shown);
    check(!phone || shown.text[1] >= shown.box[1] + shown.box[3], `${where}: the matrices at ${shown.text} are not under the view`);

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

    // Two fingers: the middle drag at their midpoint; spread, the README's
    // steps; a finger coming or going, or a cancelled touch, no jump. Firefox
    // moves one finger after the other: in a drag the fingers move across
    // the line between them, so that the spread between moves asks for no
    // step, and its last move may be a part of the drag's.
    const [p, q] = [at(100, 300), at(400, 300)];
    const [p1, q1] = [shift(p, 0, -20), shift(q, 0, -20)];
    await driver.input([fingers({ move: p }, { move: q }), fingers({ down: true }, { down: true }),
      fingers({ move: p1 }, { move: q1 }), fingers({ up: true }, { up: true })]);
    events.push(`drag 1 ${midpoint(p, q)} ${midpoint(p1, q1)} 0`);
    await expectEvents('a two-finger drag', name !== 'firefox');
    // One finger held, the other moved away: twice as far apart, and their midpoint moved.
    const c = at(250, 250);
    const depth = async () => -Number((await session.shownText()).split('\n')[5].trim().split(/ +/)[2]);
    const before = await depth();
    const [r, s0, s1] = [shift(c, -40, 0), shift(c, 40, 0), shift(c, 120, 0)];
    await driver.input([fingers({ move: r }, { move: s0 }), fingers({ down: true }, { down: true }),
      fingers(null, { move: s1 }), fingers({ up: true }, { up: true })]);
    await session.settle(); // twice as far apart: the scene at half its depth
    const after = await depth();
    check(Math.abs(after - before / 2) < 0.05, `${where}: fingers twice as far apart left the scene at depth ${after}`);
    // The README's steps, from the fingers' own distances: round((1 - 1 / s) x depth / 0.1) P.
    const spread = Math.hypot(s1[0] - r[0], s1[1] - r[1]) / Math.hypot(s0[0] - r[0], s0[1] - r[1]);
    const notches = Math.round((1 - 1 / spread) * before / 0.1);
    events.push(`drag 1 ${midpoint(r, s0)} ${midpoint(r, s1)} 0`, ...Array(notches).fill('wheel 3 0 0'));
    await expectEvents('a finger moved twice as far from the other');
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

