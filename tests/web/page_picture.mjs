// The README's picture of the web build: the page in headless Chromium, after
// a few keys, with its menu open.
//   node tests/web/page_picture.mjs SITE_DIR OUT.png
import fs from 'node:fs';
import path from 'node:path';
import { makeDriver } from './drivers.mjs';

const [site, out] = process.argv.slice(2);
const driver = makeDriver('chromium');
await driver.start();
await driver.setViewport(820, 640);
await driver.open(`file://${path.resolve(site)}/index.html`);
await driver.waitUntilDrawing();
const [left, top] = await driver.evaluate(() => {
  const box = document.getElementById('canvas').getBoundingClientRect();
  return [box.left, box.top];
});
const steps = [];
for (let i = 0; i < 6; ++i) steps.push({ key: 'ArrowRight' });
for (let i = 0; i < 4; ++i) steps.push({ key: 'ArrowUp' });
steps.push({ move: [left + 300, top + 120] }, { down: 2 }, { up: 2 });
await driver.input(steps);
await driver.evaluate(() => window.velmora.nextFrame());
fs.writeFileSync(out, await driver.screenshot());
await driver.stop();
