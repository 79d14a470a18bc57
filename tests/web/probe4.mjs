import { makeDriver } from './drivers.mjs';
import { spawnSync } from 'node:child_process';
const d = makeDriver('webkit');
await d.start();
const o = [96, 60];
await d.open('file:///work/main/build-web/site/index.html');
await d.evaluate(() => new Promise(r => { const w = () => window.velmora && window.velmora.frames() > 3 ? r() : setTimeout(w, 5); w(); }));
await d.evaluate(() => { window.__m = []; for (const t of ['mousedown','mousemove','mouseup','keydown','keyup']) document.addEventListener(t, e => window.__m.push([t, e.clientX, e.clientY, e.button, e.buttons, e.shiftKey, e.key]), true); });
// show matrices via page-internal call is not a user path; use the menu
await d.perform([{ move: [o[0]+400, o[1]+400] }, { down: 2 }, { up: 2 }]);
await new Promise(r => setTimeout(r, 300));
const row = await d.evaluate(() => { const b = document.querySelectorAll('#menu [role=menuitem]')[8].getBoundingClientRect(); return [Math.round(b.left + 20), Math.round(b.top + b.height/2)]; });
await d.perform([{ move: row }, { down: 0 }, { up: 0 }]);
await new Promise(r => setTimeout(r, 300));
const events = ['menu 257'];
let seed = 7; const rnd = () => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed / 2147483648; };
for (let i = 0; i < 40; ++i) {
  const p0 = [300 + Math.floor(rnd() * 180), 200 + Math.floor(rnd() * 280)], p1 = [20 + Math.floor(rnd() * 460), 20 + Math.floor(rnd() * 460)];
  const shift = rnd() < 0.5;
  const steps = [{ move: [o[0]+p0[0], o[1]+p0[1]] }];
  if (shift) steps.push({ hold: 'Shift' });
  steps.push({ down: 0 }, { move: [o[0]+p1[0], o[1]+p1[1]] }, { up: 0 });
  if (shift) steps.push({ release: 'Shift' });
  await d.evaluate(() => { window.__m = []; });
  await d.input(steps);
  await d.evaluate(() => window.velmora.afterFrames(2));
  events.push(`drag 0 ${p0[0]} ${p0[1]} ${p1[0]} ${p1[1]} ${shift ? 1 : 0}`);
  const page = await d.evaluate(() => window.velmora.text());
  const desk = spawnSync('../../build-test/tests/velmora-replay', [], { input: events.join('\n') + '\n', encoding: 'utf8' }).stdout;
  if (page !== desk) { console.log('drag', i, shift, events[events.length-1], JSON.stringify(await d.evaluate(() => window.__m))); break; }
}
console.log('done');
await d.stop();
