// The web build's costs in each browser: from navigation to the first drawn
// frame (median of 5 loads), and one frame's cost, from the idle callback's
// start to the end of the frame (median over 1,000 frames).
//   node bench/web_bench.mjs SITE_DIR
import path from 'node:path';
import { makeDriver } from '../tests/web/drivers.mjs';

const site = path.resolve(process.argv[2] || 'build-web/site');
const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];

for (const name of ['chromium', 'firefox', 'webkit']) {
  const driver = makeDriver(name);
  await driver.start();
  const firstFrames = [];
  for (let i = 0; i < 5; ++i) {
    await driver.open(`file://${site}/index.html?load=${i}`);
    firstFrames.push(await driver.evaluate(() => new Promise((resolve) => {
      const wait = () => (window.velmora && window.velmora.frames() > 0 ? resolve(window.velmora.firstFrameAt()) : setTimeout(wait, 5));
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
  console.log(`${name} (${driver.version}): first frame ${median(firstFrames).toFixed(0)} ms after navigation ` +
    `(loads: ${firstFrames.map((t) => t.toFixed(0)).join(', ')}); frame ${(median(costs) * 1000).toFixed(0)} us median`);
  await driver.stop();
}
