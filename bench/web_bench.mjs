// The web build's costs in each browser: from navigation to the first drawn
// frame, beside a blank WebGL page's (median of 7 loads of each, one after
// the other), and the start's steps to it from the page's marks; in Chromium
// also the longest task to the first frame, and the shaders compiled for it
// and the time spent compiling them (a copy of the page that counts them);
// one frame's cost, the program's drawing on the
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
const kStartLoads = 7;
// The start's steps as the page marks them (web/program.js, web/frames.js), in order.
const kSteps = ['page', 'context', 'painted', 'script', 'module', 'main', 'window', 'set-up', 'first-draw', 'first-frame'];
const kStepWords = {
  page: 'page script', context: 'WebGL context', painted: 'painted, program script added', script: 'program script', module: 'module compiled', main: 'main begins',
  window: 'window and GL', 'set-up': 'view sized', 'first-draw': 'animation frame', 'first-frame': 'first frame drawn',
};
const kTasks = [['page', 'context', 'the page script to the context'], ['main', 'set-up', 'main and the set-up'],
  ['first-draw', 'first-frame', 'the first frame']];
const temporary = fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-bench-'));

// A blank WebGL page: its script makes a context, clears it and marks that
// as its first frame, before its first paint.
const blankPage = path.join(temporary, 'blank.html');
fs.writeFileSync(blankPage, `<!DOCTYPE html><title>blank</title><canvas id="c" width="500" height="500"></canvas>
<div id="ended" hidden></div><script>
const gl = document.getElementById('c').getContext('webgl', { alpha: false, antialias: false, depth: false, stencil: false });
gl.clearColor(0, 0, 0, 1); gl.clear(gl.COLOR_BUFFER_BIT); performance.mark('velmora-first-frame');
window.velmora = { frames: () => 1 };</script>`);

// A copy of the page that counts the shaders compiled up to its first frame
// and the time spent in the calls that compile and link them and in the
// first query of each program linked (where the browser waits for the link),
//.
const countingDir = path.join(temporary, 'counting');
fs.mkdirSync(countingDir);
fs.copyFileSync(path.join(site, 'velmora.js'), path.join(countingDir, 'velmora.js'));
fs.writeFileSync(path.join(countingDir, 'index.html'), fs.readFileSync(path.join(site, 'index.html'), 'utf8').replace('<head>', `<head>
<script>
(() => {
  const counts = (window.benchStart = { shaders: 0, compiling: 0 });
  const done = () => performance.getEntriesByName('velmora-first-frame').length > 0;
  const gl = WebGLRenderingContext.prototype;
  const linked = new Set();
  const timed = (name, after) => {
    const call = gl[name];
    gl[name] = function (...args) {
      const start = performance.now();
      try {
        return call.apply(this, args);
      } finally {
        if (!done()) after(args, performance.now() - start);
      }
    };
  };
  for (const name of ['createShader', 'shaderSource', 'compileShader', 'attachShader', 'bindAttribLocation', 'linkProgram']) {
    timed(name, ([program], ms) => {
      counts.compiling += ms;
      if (name === 'createShader') ++counts.shaders;
      if (name === 'linkProgram') linked.add(program);
    });
  }
  for (const name of ['getAttribLocation', 'getUniformLocation', 'getProgramParameter']) {
    timed(name, ([program], ms) => linked.delete(program) && (counts.compiling += ms));
  }
})();
</script>`));

// A page that draws one WebGL picture and nothing more.
const stillPage = path.join(temporary, 'still.html');
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

// The time from navigation to the first frame drawn, the page's and a blank
// WebGL page's, loaded in turn; the page's steps to it (each the median of
// its time after navigation); in Chromium, the shaders and long tasks.
async function reportStart(driver) {
  const ours = [];
  const blank = [];
  const firstFrame = () => driver.evaluate(() => performance.getEntriesByName('velmora-first-frame')[0].startTime);
  for (let i = 0; i < kStartLoads; ++i) {
    await driver.open(`file://${blankPage}?load=${i}`);
    await driver.waitUntilDrawing();
    blank.push(await firstFrame());
    await driver.open(`file://${site}/index.html?load=${i}`);
    await driver.waitUntilDrawing();
    ours.push(await driver.evaluate((steps) => {
      const at = (name) => performance.getEntriesByName(name)[0]?.startTime;
      return { paint: at('first-contentful-paint'), ...Object.fromEntries(steps.map((step) => [step, at(`velmora-${step}`)])) };
    }, kSteps));
  }
  const ms = (values) => `${median(values).toFixed(0)} ms`;
  const frames = ours.map((load) => load['first-frame']);
  console.log(`${driver.version}: first frame ${ms(frames)} after navigation, a blank WebGL page's ${ms(blank)}: ` +
    `${(median(frames) / median(blank)).toFixed(2)} times (target: at most 2; loads: ${frames.map(Math.round).join(', ')}; ` +
    `blank: ${blank.map(Math.round).join(', ')})`);
  const steps = kSteps.filter((step) => ours.every((load) => load[step] != null));
  const paint = ours.every((load) => load.paint != null) ? `, first paint ${ms(ours.map((load) => load.paint))}` : '';
  console.log(`  steps, median ms after navigation: ${steps.map((step) => `${kStepWords[step]} ${median(ours.map((load) => load[step])).toFixed(0)}`).join(', ')}${paint}`);
  // The start's tasks, each between two marks in one task: the page's script
  // with the context, main with the page's set-up, the first frame.
  const tasks = kTasks.filter(([from, to]) => steps.includes(from) && steps.includes(to)).map(([from, to, words]) =>
    `${words} ${ms(ours.map((load) => load[to] - load[from]))}`);
  console.log(`  its tasks (medians): ${tasks.join(', ')}`);
  if (driver.name !== 'chromium') return;
  const counted = [];
  for (let i = 0; i < kStartLoads; ++i) {
    await driver.open(`file://${countingDir}/index.html?load=${i}`);
    await driver.waitUntilDrawing();
    counted.push(await driver.evaluate(() => window.benchStart));
  }
  console.log(`  for the first frame: ${counted[0].shaders} shaders compiled, ${ms(counted.map((c) => c.compiling))} compiling ` +
    'and linking them (median)');
}

const runs = [['chromium', 1], ['chromium', 2], ['chromium', 3], ['firefox', 1], ['firefox', 2], ['webkit', 1], ['webkit', 2]];
for (const [name, ratio] of runs) {
  const driver = makeDriver(name, ratio > 1 ? { ratio } : {});
  await driver.start();
  if (name === 'chromium' && ratio > 1) await driver.setViewport(900, 900, ratio);
  const firstFrames = [];
  if (ratio === 1) await reportStart(driver);
  for (let i = 0; ratio > 1 && i < 5; ++i) {
    await driver.open(`file://${site}/index.html?load=${i}`);
    await driver.waitUntilDrawing();
    firstFrames.push(await driver.evaluate(() => performance.getEntriesByName('velmora-first-frame')[0].startTime));
  }
  // A frame's cost as the page starts, then with an exercise under way (its faint target and its words).
  const frameCosts = () => driver.evaluate(() => {
    const taken = [];
    for (let i = 0; i < 1000; ++i) {
      const start = performance.now();
      velmora.program.draw();
      taken.push(performance.now() - start);
    }
    return taken;
  });
  const costs = await frameCosts();
  await driver.evaluate(() => {
    const { program } = velmora;
    const menus = program.menus();
    const practice = menus.menus[menus.attached - 1].find((row) => row.label === 'Practise').submenu;
    program.menuChoice(practice, menus.menus[practice - 1].find((row) => row.label.startsWith('12. ')).value);
  });
  const exerciseCosts = await frameCosts();
  const buffer = await driver.evaluate(() => `${document.getElementById('canvas').width} x ${document.getElementById('canvas').height}`);
  console.log(`${name} (${driver.version}) at ratio ${ratio}, buffer ${buffer}: ` + (firstFrames.length === 0 ? '' :
    `first frame ${median(firstFrames).toFixed(0)} ms after navigation (loads: ${firstFrames.map((t) => t.toFixed(0)).join(', ')}); `) + `frame ${(median(costs) * 1000).toFixed(0)} us median, ` +
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
fs.rmSync(temporary, { recursive: true, force: true });
