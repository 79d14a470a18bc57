// The web build's costs in each browser: from navigation to the first drawn
// frame (median of 5 loads), and one frame's cost, from the idle callback's
// start to the end of the frame (median over 1,000 frames); at 1 device pixel
// a CSS pixel, and at 2 and 3 (Chromium's screen emulation; Firefox's
// devPixelsPerPx and WebKitGTK's GDK_SCALE at 2), where the buffer is 1000 x
// 1000 or 1500 x 1500 pixels.
//   node bench/web_bench.mjs SITE_DIR
import path from 'node:path';
import { makeDriver } from '../tests/web/drivers.mjs';

const site = path.resolve(process.argv[2] || 'build-web/site');
const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];

const runs = [['chromium', 1], ['chromium', 2], ['chromium', 3], ['firefox', 1], ['firefox', 2], ['webkit', 1], ['webkit', 2]];
for (const [name, ratio] of runs) {
  const driver = makeDriver(name, ratio > 1 ? { ratio } : {});
  await driver.start();
  if (name === 'chromium' && ratio > 1) await driver.setViewport(900, 900, ratio);
  const firstFrames = [];
  for (let i = 0; i < 5; ++i) {
    await driver.open(`file://${site}/index.html?load=${i}`);
    firstFrames.push(await driver.evaluate(() => new Promise((resolve) => {
      const wait = () => (window.velmora && window.velmora.frames() > 0 ? resolve(performance.getEntriesByName('velmora-first-frame')[0].startTime) : setTimeout(wait, 5));
      wait();
    })));
  }
  const costs = await driver.evaluate(() => new Promise((resolve) => {
    // The idle loop runs each frame from a timer: its start is the frame's.
    const timer = window.setTimeout;
    let start = 0;
    window.setTimeout = (fn, ms, ...args) => timer((...a) => {
      start = performance.now();
      return fn(...a);
    }, ms, ...args);
    const frame = Module.velmoraFrame;
    const taken = [];
    Module.velmoraFrame = () => {
      if (start > 0) taken.push(performance.now() - start);
      frame();
      if (taken.length === 1000) resolve(taken);
    };
  }));
  const buffer = await driver.evaluate(() => `${document.getElementById('canvas').width} x ${document.getElementById('canvas').height}`);
  console.log(`${name} (${driver.version}) at ratio ${ratio}, buffer ${buffer}: first frame ${median(firstFrames).toFixed(0)} ms after navigation ` +
    `(loads: ${firstFrames.map((t) => t.toFixed(0)).join(', ')}); frame ${(median(costs) * 1000).toFixed(0)} us median`);
  await driver.stop();
}
