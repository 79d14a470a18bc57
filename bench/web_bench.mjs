// The web build's costs in each browser: from navigation to the first drawn
// frame (median of 5 loads); one frame's cost, the program's drawing on the
// page's thread (median over 1,000 frames); the frames drawn a second at rest
// and during a drag, beside the animation frames the browser gives; and the
// CPU time the browser's processes take at rest, beside a page that holds one
// still WebGL picture. At 1 device pixel a CSS pixel, and at 2 and 3
// (Chromium's screen emulation; Firefox's devPixelsPerPx and WebKitGTK's
// GDK_SCALE at 2), where the buffer is 1000 x 1000 or 1500 x 1500 pixels.
//   node bench/web_bench.mjs SITE_DIR
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { makeDriver } from '../tests/web/drivers.mjs';

const site = path.resolve(process.argv[2] || 'build-web/site');
const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
const kRestSeconds = 10;

// A page that draws one WebGL picture and nothing more.
const stillPage = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-bench-')), 'still.html');
fs.writeFileSync(stillPage, `<!DOCTYPE html><title>still</title><canvas id="c" width="500" height="500"></canvas><div id="ended" hidden></div><script>
const gl = document.getElementById('c').getContext('webgl'); gl.clearColor(0, 0, 0, 1); gl.clear(gl.COLOR_BUFFER_BIT);
window.velmora = { frames: () => 1 };</script>`);

// The CPU seconds taken so far by a process and all its descendants.
function cpuSeconds(root) {
  const children = new Map();
  const times = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const parent = Number(fields[1]);
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push(Number(entry));
      times.set(Number(entry), (Number(fields[11]) + Number(fields[12])) / 100); // clock ticks
    } catch {
      // gone meanwhile
    }
  }
  let total = 0;
  const visit = (pid) => {
    total += times.get(pid) || 0;
    for (const child of children.get(pid) || []) visit(child);
  };
  visit(root);
  return total;
}

// CPU cores the browser keeps busy while the page at `url` rests.
async function restingCores(driver, url) {
  await driver.open(url);
  await driver.waitUntilDrawing();
  await driver.evaluate(() => new Promise((resolve) => setTimeout(resolve, 1000)));
  const start = cpuSeconds(driver.pid());
  const began = Date.now();
  const drawn = await driver.evaluate((seconds) => new Promise((resolve) => {
    const from = window.velmora.frames();
    setTimeout(() => resolve(window.velmora.frames() - from), seconds * 1000);
  }), kRestSeconds);
  const cores = (cpuSeconds(driver.pid()) - start) / ((Date.now() - began) / 1000);
  return { cores, drawn: drawn / kRestSeconds };
}

// Frames drawn and animation frames during a drag of 200 moves.
async function dragRates(driver) {
  await driver.evaluate(() => {
    window.benchCount = { frames: window.velmora.frames(), animation: 0, start: performance.now() };
    const count = () => {
      ++window.benchCount.animation;
      requestAnimationFrame(count);
    };
    requestAnimationFrame(count);
  });
  const origin = await driver.evaluate(() => {
    const box = document.getElementById('canvas').getBoundingClientRect();
    return [box.left, box.top];
  });
  const at = (i) => ({ move: [Math.round(origin[0] + 100 + (i % 100) * 3), Math.round(origin[1] + 250 + (i % 7))] });
  await driver.input([at(0), { down: 0 }, ...Array.from({ length: 200 }, (_, i) => at(i + 1)), { up: 0 }]);
  const c = await driver.evaluate(() => ({
    frames: window.velmora.frames() - window.benchCount.frames, animation: window.benchCount.animation,
    seconds: (performance.now() - window.benchCount.start) / 1000,
  }));
  return { drawn: c.frames / c.seconds, animation: c.animation / c.seconds };
}

const runs = [['chromium', 1], ['chromium', 2], ['chromium', 3], ['firefox', 1], ['firefox', 2], ['webkit', 1], ['webkit', 2]];
for (const [name, ratio] of runs) {
  const driver = makeDriver(name, ratio > 1 ? { ratio } : {});
  await driver.start();
  if (name === 'chromium' && ratio > 1) await driver.setViewport(900, 900, ratio);
  const firstFrames = [];
  for (let i = 0; i < 5; ++i) {
    await driver.open(`file://${site}/index.html?load=${i}`);
    await driver.waitUntilDrawing();
    firstFrames.push(await driver.evaluate(() => performance.getEntriesByName('velmora-first-frame')[0].startTime));
  }
  // A frame's cost as the page starts, then with an exercise under way (its faint target and its words).
  const frameCosts = () => driver.evaluate(() => {
    const taken = [];
    for (let i = 0; i < 1000; ++i) {
      const start = performance.now();
      Module._velmoraDraw();
      taken.push(performance.now() - start);
    }
    return taken;
  });
  const costs = await frameCosts();
  await driver.evaluate(() => {
    const menus = JSON.parse(Module.UTF8ToString(Module._velmoraMenus()));
    const practice = menus.menus[menus.attached - 1].find((row) => row.label === 'Practise').submenu;
    Module._velmoraMenuChoice(practice, 312);
  });
  const exerciseCosts = await frameCosts();
  const buffer = await driver.evaluate(() => `${document.getElementById('canvas').width} x ${document.getElementById('canvas').height}`);
  console.log(`${name} (${driver.version}) at ratio ${ratio}, buffer ${buffer}: first frame ${median(firstFrames).toFixed(0)} ms after navigation ` +
    `(loads: ${firstFrames.map((t) => t.toFixed(0)).join(', ')}); frame ${(median(costs) * 1000).toFixed(0)} us median, ` +
    `${(median(exerciseCosts) * 1000).toFixed(0)} us with an exercise under way`);
  if (ratio === 1) {
    const drag = await dragRates(driver);
    const rest = await restingCores(driver, `file://${site}/index.html`);
    const still = await restingCores(driver, `file://${stillPage}`);
    console.log(`  at rest: ${rest.drawn.toFixed(1)} frames a second, ${rest.cores.toFixed(3)} cores ` +
      `(a still WebGL page: ${still.cores.toFixed(3)}); in a drag: ${drag.drawn.toFixed(0)} frames a second ` +
      `in ${drag.animation.toFixed(0)} animation frames`);
  }
  await driver.stop();
}
fs.rmSync(path.dirname(stillPage), { recursive: true, force: true });
