// The web build, opened from the disk in Chromium, Firefox ESR and WebKitGTK,
// given input as a user gives it, against the desktop program: its pictures
// (the gallery, docs/*.png, made by the desktop build from the same input,
// and the viewer's own at other sizes) and its matrices (velmora-replay, the
// desktop's code fed the same events).
//   node browser_test.mjs --site DIR --docs DIR --tools DIR --viewer PROGRAM --out DIR
//                         [--browsers chromium,firefox,webkit] [--events N] [--seed N]
// --tools is where velmora-replay, velmora-drive and velmora-picture are.
// Each browser runs the named checks of page_checks.mjs on one page, then
// those of touch_checks.mjs on a phone's or a sharp screen.
// Ends with "N passed, M failed"; the exit status is 1 if any check failed.
import { check, config, Session, tally } from './harness.mjs';
import { makeDriver } from './drivers.mjs';
import { kPageChecks } from './page_checks.mjs';
import { testSharpAndTouch } from './touch_checks.mjs';

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
  try {
    for (const [what, run] of kPageChecks) {
      try {
        await run(session);
      } catch (error) {
        check(false, `${name}, ${what}: ${error.stack || error}`);
      }
    }
  } finally {
    await driver.stop().catch(() => {});
  }
  // What the browser reported after the last look (Firefox prints its pages'
  // errors as they come, a little behind the page).
  const late = driver.lastProblems();
  check(late.length === 0, `${name} at the end: ${late.join('; ')}`);
  console.log(`${name}: ${((Date.now() - started) / 1000).toFixed(1)} s`);
}

for (const name of config.browsers) {
  await testBrowser(name);
  await testSharpAndTouch(name);
}
console.log(`${tally.passed} passed, ${tally.failed} failed`);
process.exitCode = tally.failed === 0 ? 0 : 1;
