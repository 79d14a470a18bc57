// Lighthouse's mobile audit of the web build, served on this machine (on
// 127.0.0.1, a port of its own) to Debian's Chromium: the performance score,
// total blocking time, render-blocking resources and main-thread work of the
// better of 2 runs, beside the targets, and the other categories' scores of
// the first.
//   node bench/lighthouse.mjs SITE_DIR LIGHTHOUSE
// LIGHTHOUSE is npm's lighthouse command (scripts/bench.sh installs it).
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { spawn } from 'node:child_process';

// Chromium as root on a machine with no network: nothing of its own fetched.
const kChromeFlags = '--headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking ' +
  '--disable-component-update --disable-sync';
const [site, lighthouse] = process.argv.slice(2).map((p) => path.resolve(p));
const types = { '.html': 'text/html', '.js': 'text/javascript' };
const server = http.createServer((request, response) => {
  const file = path.join(site, path.normalize(decodeURIComponent(request.url.split('?')[0])).replace(/^\/$/, '/index.html'));
  if (!file.startsWith(site) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    response.writeHead(404).end();
    return;
  }
  response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
  fs.createReadStream(file).pipe(response);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const url = `http://127.0.0.1:${server.address().port}/`;
const out = fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-lighthouse-'));
const runs = [];
for (let i = 0; i < 2; ++i) {
  const report = path.join(out, `run${i}.json`);
  const result = await new Promise((resolve) => {
    spawn(lighthouse, [url, '--output=json', `--output-path=${report}`, '--quiet', `--chrome-flags=${kChromeFlags}`],
      { env: { ...process.env, CHROME_PATH: '/usr/bin/chromium' }, stdio: ['ignore', 'ignore', 'inherit'] })
      .on('exit', resolve);
  });
  if (result !== 0 || !fs.existsSync(report)) throw new Error(`lighthouse exited with ${result}`);
  runs.push(JSON.parse(fs.readFileSync(report, 'utf8')));
}
server.close();
fs.rmSync(out, { recursive: true, force: true });
const score = (run, category) => run.categories[category].score;
const audit = (run, id) => run.audits[id].numericValue;
const best = runs.reduce((a, b) => (score(b, 'performance') > score(a, 'performance') ? b : a));
const blocking = best.audits['render-blocking-resources'].details?.items?.length ?? 0;
console.log(`Lighthouse ${runs[0].lighthouseVersion}, mobile, ${runs[0].environment.hostUserAgent.match(/Chrome\/[\d.]+/)}, ` +
  `the better of 2 runs: performance ${score(best, 'performance').toFixed(2)} (target: at least 0.90; ` +
  `runs: ${runs.map((r) => score(r, 'performance').toFixed(2)).join(', ')}), ` +
  `total blocking time ${audit(best, 'total-blocking-time').toFixed(0)} ms (target: at most 300), ` +
  `${blocking} render-blocking resources (target: none), ` +
  `main-thread work ${(audit(best, 'mainthread-work-breakdown') / 1000).toFixed(1)} s, ` +
  `first contentful paint ${(audit(best, 'first-contentful-paint') / 1000).toFixed(1)} s, ` +
  `largest ${(audit(best, 'largest-contentful-paint') / 1000).toFixed(1)} s; ` +
  `accessibility ${score(runs[0], 'accessibility').toFixed(2)}, best practices ${score(runs[0], 'best-practices').toFixed(2)}, ` +
  `SEO ${score(runs[0], 'seo').toFixed(2)}`);
