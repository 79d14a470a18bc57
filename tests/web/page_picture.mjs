// The README's pictures of the web build: the page in headless Chromium, after
// a few keys, with its menu open; or (--full-screen) in full screen on a
// 1280 x 720 screen, turned, with the matrices shown beside the view.
//   node tests/web/page_picture.mjs SITE_DIR OUT.png [--full-screen]
import fs from 'node:fs';
import path from 'node:path';
import { makeDriver } from './drivers.mjs';

const [site, out, mode] = process.argv.slice(2);
const fullScreen = mode === '--full-screen';
const driver = makeDriver('chromium');
await driver.start();
await driver.setViewport(...(fullScreen ? [1280, 720] : [820, 640]));
await driver.open(`file://${path.resolve(site)}/index.html`);
await driver.waitUntilDrawing();
const [left, top] = await driver.evaluate(() => {
  const box = document.getElementById('canvas').getBoundingClientRect();
  return [box.left, box.top];
});
const steps = [];
for (let i = 0; i < 6; ++i) steps.push({ key: 'ArrowRight' });
for (let i = 0; i < 4; ++i) steps.push({ key: 'ArrowUp' });
if (!fullScreen) steps.push({ move: [left + 300, top + 120] }, { down: 2 }, { up: 2 });
await driver.input(steps);
// A row of the menu, chosen with the pointer: the menu opened at the view's corner.
async function choose(label) {
  await driver.input([{ move: [left + 20, top + 20] }, { down: 2 }, { up: 2 }]);
  const at = await driver.evaluate((text) => {
    const row = Array.from(document.querySelectorAll('#menu [role=menuitem]')).find((r) => r.textContent === text);
    const box = row.getBoundingClientRect();
    return [Math.round(box.left + box.width / 2), Math.round(box.top + box.height / 2)];
  }, label);
  await driver.input([{ move: at }, { down: 0 }, { up: 0 }]);
}
if (fullScreen) {
  await choose('Show the matrices');
  await choose('Full screen');
  await driver.evaluate(() => new Promise((resolve) => {
    const wait = () => (document.fullscreenElement && canvas.height === screen.height ? resolve() : requestAnimationFrame(wait));
    wait();
  }));
}
await driver.evaluate(() => new Promise((resolve) => requestAnimationFrame(resolve)).then(window.velmora.nextFrame));
fs.writeFileSync(out, await driver.screenshot());
await driver.stop();
