// The three browsers behind one small interface: open a page, give it keys,
// pointer moves, buttons and wheel notches as a user would, and evaluate
// script in it. All three speak WebDriver's commands: Chromium through
// chromedriver and WebKitGTK's MiniBrowser through WebKitWebDriver (HTTP),
// Firefox ESR through its own Marionette port (the same commands as
// length-prefixed JSON over TCP). Nothing beyond node and Debian's packages.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { freePort, HttpTransport, MarionetteTransport, pause } from './transports.mjs';

// An input step: {key, shift} a key pressed and released (DOM key names),
// {move: [x, y]} the pointer to a viewport position, {down: b} / {up: b}
// button b (0 left, 1 middle, 2 right), {hold: 'Shift'} / {release: 'Shift'},
// {wheel: dy, at: [x, y]} one wheel notch (dy < 0 away from the user),
// {touch: [f0, f1]} fingers 0 and 1 at once, each null (still), {move: [x, y]},
// {down: true}, {up: true} or (Chromium only) {cancel: true}.

// WebDriver's key values for the DOM's key names.
const webDriverKeys = {
  ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015', Escape: '\uE00C',
  Enter: '\uE007', Shift: '\uE008', Home: '\uE011', End: '\uE010', PageUp: '\uE00E', PageDown: '\uE00F',
  Insert: '\uE016', F1: '\uE031', F5: '\uE035', F12: '\uE03C', Control: '\uE009', Backspace: '\uE003',
  Tab: '\uE004', Delete: '\uE017',
};

class Browser {
  constructor(name) {
    this.name = name;
    this.problems = []; // console errors, page errors, requests leaving the page
  }

  async open(url) {
    if (this.opened) await this.collectProblems();
    await this.transport.command('navigate', { url });
    this.opened = true;
  }

  // Waits until the page's program runs and has drawn its first frame: after a
  // navigation, or after a reload the page made itself, while which the page
  // may not answer; with `url`, the page at that address.
  async waitUntilDrawing(url = '') {
    const deadline = Date.now() + 60000;
    for (;;) {
      const drawing = await this.evaluate((at) => new Promise((resolve) => {
        const until = Date.now() + 2000;
        const wait = () => {
          const v = window.velmora;
          // A page the test marked as old (window.oldPage) is not the one awaited.
          if (v && v.frames() > 0 && document.getElementById('ended').hidden && (!at || location.href === at) &&
            !window.oldPage) resolve(true);
          else if (Date.now() > until) resolve(false);
          else setTimeout(wait, 5);
        };
        wait();
      }), url).catch((error) => (Date.now() > deadline ? Promise.reject(error) : false));
      if (drawing) return;
      if (Date.now() > deadline) throw new Error('the page\'s program did not start drawing');
      await pause(50);
    }
  }

  // The process the browser runs under: its driver's, or its own.
  pid() {
    return this.process ? this.process.pid : this.transport.server.pid;
  }

  // Runs a function in the page, awaiting what it returns.
  async evaluate(fn, ...args) {
    const script = `const done = arguments[arguments.length - 1];
      Promise.resolve((${fn.toString()})(...Array.from(arguments).slice(0, -1))).then(done, (e) => done({__error: String(e)}));`;
    const value = await this.transport.command('execute', { script, args });
    if (value && value.__error) throw new Error(value.__error);
    return value;
  }

  // The page's view as a PNG file's bytes.
  async screenshot() {
    return Buffer.from(await this.transport.command('screenshot'), 'base64');
  }

  // What went wrong in the page since the last call: the browser's own reports
  // (`browserProblems`), and anything the page fetched from outside itself.
  async collectProblems() {
    this.problems.push(...(await this.browserProblems()));
    // What was fetched, and what elements ask for (a failed request leaves no
    // timing entry in Firefox or WebKit).
    const requests = await this.evaluate(() => [
      ...performance.getEntriesByType('resource').map((entry) => entry.name),
      ...Array.from(document.querySelectorAll('[src], link[href]'), (element) => element.src || element.href),
    ]).catch(() => []);
    for (const url of requests) {
      if (!url.startsWith('file:') && !url.startsWith('data:')) this.problems.push(`request: ${url}`);
    }
  }

  // Problems reported but not yet collected, once the browser has stopped.
  lastProblems() {
    return [];
  }

  async input(steps) {
    await this.perform(steps);
  }

  // Performs the steps as one actions request, then (with `release`) lets go
  // of every key and button still held; fingers are lifted by their own steps.
  async perform(steps, release = !steps.some((step) => step.touch)) {
    // One tick per step, each source pausing while another acts.
    const keys = { type: 'key', id: 'keyboard', actions: [] };
    const pointer = { type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions: [] };
    const wheel = { type: 'wheel', id: 'wheel', actions: [] };
    const fingers = [0, 1].map((n) => ({ type: 'pointer', id: `finger${n}`, parameters: { pointerType: 'touch' }, actions: [] }));
    const sources = [keys, pointer, wheel];
    if (steps.some((step) => step.touch)) sources.push(...fingers);
    const pause = { type: 'pause', duration: 0 };
    const tick = (source, ...actions) => {
      for (const action of actions) for (const s of sources) s.actions.push(s === source ? action : pause);
    };
    // One tick in which each finger does its part.
    const touchTick = (parts) => {
      const action = (part) => {
        if (!part) return pause;
        if (part.move) return { type: 'pointerMove', duration: 0, origin: 'viewport', x: part.move[0], y: part.move[1] };
        return { type: part.down ? 'pointerDown' : 'pointerUp', button: 0 };
      };
      for (const s of sources) s.actions.push(s.id.startsWith('finger') ? action(parts[Number(s.id.slice(6))]) : pause);
    };
    const keyValue = (key) => webDriverKeys[key] || key;
    for (const step of steps) {
      if (step.key !== undefined) {
        // Held Shift makes an upper-case letter's key event say so.
        if (step.shift) tick(keys, { type: 'keyDown', value: webDriverKeys.Shift });
        tick(keys, { type: 'keyDown', value: keyValue(step.key) }, { type: 'keyUp', value: keyValue(step.key) });
        if (step.shift) tick(keys, { type: 'keyUp', value: webDriverKeys.Shift });
      } else if (step.move) {
        tick(pointer, { type: 'pointerMove', duration: 0, origin: 'viewport', x: step.move[0], y: step.move[1] });
      } else if (step.down !== undefined) {
        tick(pointer, { type: 'pointerDown', button: step.down });
      } else if (step.up !== undefined) {
        tick(pointer, { type: 'pointerUp', button: step.up });
      } else if (step.hold) {
        tick(keys, { type: 'keyDown', value: keyValue(step.hold) });
      } else if (step.release) {
        tick(keys, { type: 'keyUp', value: keyValue(step.release) });
      } else if (step.touch) {
        touchTick(step.touch);
      } else if (step.wheel !== undefined) {
        tick(wheel, { type: 'scroll', origin: 'viewport', x: step.at[0], y: step.at[1], deltaX: 0, deltaY: step.wheel });
      }
    }
    if (keys.actions.length === 0) return;
    // Sources that only wait are left out: Firefox gives a finger nothing beside a mouse.
    await this.transport.command('actions', { actions: sources.filter((s) => s.actions.some((a) => a !== pause)) });
    if (release) await this.transport.command('release');
  }

  async stop() {
    try {
      if (this.transport) await this.transport.command('quit');
    } finally {
      if (this.transport) this.transport.stop();
    }
  }
}

// Headless Chromium, WebGL through SwiftShader: there is no GPU; root needs no
// sandbox here. Its console errors and uncaught exceptions come from
// chromedriver's browser log.
class Chromium extends Browser {
  constructor(options = {}) {
    super('chromium');
    this.size = options.size || [900, 900];
  }

  async start() {
    this.transport = new HttpTransport();
    const capabilities = await this.transport.start('chromedriver', {
      browserName: 'chrome',
      'goog:chromeOptions': {
        binary: '/usr/bin/chromium',
        args: ['--headless', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox', '--hide-scrollbars',
          `--window-size=${this.size[0]},${this.size[1]}`],
      },
      'goog:loggingPrefs': { browser: 'ALL' },
    });
    this.version = `Chromium ${capabilities.browserVersion}`;
  }

  devTools(cmd, params) {
    return this.transport.request('POST', `${this.transport.session}/goog/cdp/execute`, { cmd, params });
  }

  // Sets the page's viewport to exactly this size, at `ratio` device pixels a
  // CSS pixel; `phone` makes it a phone's: a mobile viewport, touch, a coarse pointer.
  async setViewport(width, height, ratio = 1, phone = false) {
    await this.devTools('Emulation.setDeviceMetricsOverride', {
      width, height, screenWidth: width, screenHeight: height, deviceScaleFactor: ratio, mobile: phone,
      screenOrientation: { type: width > height ? 'landscapePrimary' : 'portraitPrimary', angle: width > height ? 90 : 0 },
    });
    if (phone) await this.devTools('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
  }

  // Touch through DevTools (chromedriver's touch actions reach no page here):
  // each touch step is one touch event of the fingers that changed.
  async input(steps) {
    let from = 0;
    for (let i = 0; i <= steps.length; ++i) {
      if (i < steps.length && !steps[i].touch) continue;
      await this.perform(steps.slice(from, i));
      if (i < steps.length) await this.touch(steps[i].touch);
      from = i + 1;
    }
  }

  async touch(parts) {
    this.fingers = this.fingers || [{ at: [0, 0], down: false }, { at: [0, 0], down: false }];
    const send = (type, which) => this.devTools('Input.dispatchTouchEvent', {
      type, touchPoints: which.map((f) => ({ id: this.fingers.indexOf(f), x: f.at[0], y: f.at[1] })),
    });
    const part = (n) => parts[n] || {};
    if (this.fingers.some((f, n) => part(n).cancel)) {
      for (const f of this.fingers) f.down = false;
      return send('touchCancel', []);
    }
    let moved = false;
    let started = false;
    this.fingers.forEach((f, n) => {
      if (part(n).move) {
        f.at = part(n).move;
        moved ||= f.down;
      }
      if (part(n).down) f.down = started = true;
    });
    if (started || moved) await send(started ? 'touchStart' : 'touchMove', this.fingers.filter((f) => f.down));
    const lifted = this.fingers.filter((f, n) => f.down && part(n).up);
    for (const f of lifted) f.down = false;
    if (lifted.length > 0) await send('touchEnd', lifted);
  }

  async browserProblems() {
    const log = await this.transport.request('POST', `${this.transport.session}/se/log`, { type: 'browser' });
    // Every line: the page's console at any level, errors, and the browser's
    // interventions (an input event's default it would not let the page cancel, say).
    return log.map((entry) => `${entry.source} ${entry.level}: ${entry.message}`);
  }
}

// What Firefox's web-compatibility add-on prints as if a page had, in
// Firefox ESR 140 and 153: never the page's.
const kFirefoxOwnLines = ['{id:"webcompat ', '"Enabled UA override for ', '"Registered still-not-active content scripts for '];

// Firefox has no WebGL headless here: it is shown on the test's X display, on
// a profile of its own that prints the pages' console to its standard output.
// `ratio`: device pixels a CSS pixel, as a sharp screen has them.
class Firefox extends Browser {
  constructor(options = {}) {
    super('firefox');
    this.output = '';
    this.ratio = options.ratio;
  }

  async start() {
    const port = await freePort();
    this.profile = fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-firefox-'));
    const prefs = {
      'marionette.port': port,
      'webgl.force-enabled': true,
      'browser.shell.checkDefaultBrowser': false,
      'browser.startup.page': 0,
      'datareporting.policy.dataSubmissionEnabled': false,
      'devtools.console.stdout.content': true,
      'devtools.console.stdout.chrome': false,
      // Firefox's own web-compatibility add-on, which logs as if from a page.
      'extensions.webcompat.enable_interventions': false,
      'extensions.webcompat.enable_shims': false,
      'extensions.webcompat.perform_injections': false,
      'extensions.webcompat.perform_ua_overrides': false,
      ...(this.ratio ? { 'layout.css.devPixelsPerPx': String(this.ratio), 'dom.w3c_touch_events.enabled': 1 } : {}),
    };
    fs.writeFileSync(path.join(this.profile, 'user.js'),
      Object.entries(prefs).map(([key, value]) => `user_pref(${JSON.stringify(key)}, ${JSON.stringify(value)});\n`).join(''));
    this.process = spawn('firefox-esr',
      ['--marionette', '--no-remote', '--profile', this.profile, '--width=900', '--height=900'],
      { stdio: ['ignore', 'pipe', 'pipe'] });
    this.exited = new Promise((resolve) => this.process.on('exit', resolve));
    for (const stream of [this.process.stdout, this.process.stderr]) {
      stream.setEncoding('utf8');
      stream.on('data', (text) => (this.output += text));
    }
    this.transport = new MarionetteTransport();
    const capabilities = await this.transport.start(port, {});
    this.version = `Firefox ${capabilities.browserVersion}`;
  }

  // Every console line of the pages and their uncaught exceptions printed
  // since the last call. A page's console line prints its arguments as source
  // text (a string quoted); Firefox's own, which it prints whatever the
  // preferences say, begin with their module's name ("console.error: RSLoader: ...")
  // or are its web-compatibility add-on's, which print as a page's would
  // (kFirefoxOwnLines).
  async browserProblems() {
    return this.problemsPrinted(this.output.lastIndexOf('\n') + 1);
  }

  lastProblems() {
    return this.problemsPrinted(this.output.length);
  }

  problemsPrinted(end) {
    const lines = this.output.slice(0, end).split('\n');
    this.output = this.output.slice(end);
    return lines.filter((line) => (/^console\.(log|info|warn|error|debug): (?![A-Za-z][\w.-]*: )/.test(line) &&
      !kFirefoxOwnLines.some((own) => line.includes(own))) || line.startsWith('JavaScript error: file:') ||
      line.startsWith('JavaScript warning: file:'));
  }

  // Fingers reach the page apart only in actions requests of their own: in
  // one request, two fingers arrive as one. Each finger's part of a touch
  // step is sent alone, in turn; the page takes the moves of an animation
  // frame together.
  async input(steps) {
    let batch = [];
    for (const step of steps) {
      if (!step.touch) {
        batch.push(step);
        continue;
      }
      if (batch.length > 0) await this.perform(batch);
      batch = [];
      for (const [n, part] of step.touch.entries()) {
        if (part) await this.perform([{ touch: n === 0 ? [part, null] : [null, part] }]);
      }
    }
    if (batch.length > 0) await this.perform(batch);
  }

  async stop() {
    try {
      await super.stop();
    } finally {
      this.process.kill();
      await this.exited;
      fs.rmSync(this.profile, { recursive: true, force: true });
    }
  }
}

// WebKitGTK's MiniBrowser on the test's X display. There is no console to
// listen to (its setting that prints the console does not reach the views
// its driver opens): every console line and error is kept by the page itself
// from the end of its load on; those at load are Chromium's and Firefox's to see.
// `ratio`: device pixels a CSS pixel (GDK_SCALE), as a sharp screen has them.
class WebKit extends Browser {
  constructor(options = {}) {
    super('webkit');
    this.ratio = options.ratio;
  }

  async start() {
    this.transport = new HttpTransport();
    const capabilities = await this.transport.start('WebKitWebDriver', {
      'webkitgtk:browserOptions': {
        binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
        args: ['--automation', '--geometry=900x900'],
      },
    }, this.ratio ? { ...process.env, GDK_SCALE: String(this.ratio) } : process.env);
    this.version = `WebKitGTK ${capabilities.browserVersion}`;
  }

  async open(url) {
    await super.open(url);
    // The driver scrolls the page for a scroll action even when the page
    // cancels the wheel event: the page is held still.
    await this.evaluate(() => {
      document.documentElement.style.overflow = 'hidden';
      window.__problems = [];
      for (const level of ['log', 'info', 'warn', 'error', 'debug']) {
        const print = console[level].bind(console);
        console[level] = (...args) => {
          window.__problems.push(`console ${level}: ${args.join(' ')}`);
          print(...args);
        };
      }
      window.addEventListener('error', (event) => window.__problems.push(`page error: ${event.message}`));
      window.addEventListener('unhandledrejection', (event) => window.__problems.push(`page error: ${event.reason}`));
    });
  }

  async browserProblems() {
    return this.evaluate(() => (window.__problems ? window.__problems.splice(0) : [])).catch(() => []);
  }

  async input(steps) {
    // WebKitGTK's driver merges wheel events that wait together into one, and
    // now and then gives none: each notch goes alone, at the pointer moved
    // there, and again if the page has not had it in a second.
    let from = 0;
    for (let i = 0; i < steps.length; ++i) {
      if (steps[i].wheel === undefined) continue;
      await this.perform(steps.slice(from, i));
      from = i + 1;
      // The test counts the page's wheel events itself, after the page's own listener.
      const seen = await this.evaluate(() => {
        if (window.testWheels === undefined) {
          window.testWheels = 0;
          window.addEventListener('wheel', () => ++window.testWheels, true);
        }
        return window.testWheels;
      });
      for (let attempt = 0; ; ++attempt) {
        await this.perform([{ move: steps[i].at }, steps[i]]);
        const had = await this.evaluate((count) => new Promise((resolve) => {
          const until = Date.now() + 1000;
          const wait = () => {
            if (window.testWheels > count) resolve(true);
            else if (Date.now() > until) resolve(false);
            else setTimeout(wait, 2);
          };
          wait();
        }), seen);
        if (had) break;
        if (attempt === 5) throw new Error('WebKit gave no wheel event for six scrolls');
      }
    }
    const rest = steps.slice(from);
    const press = rest.findIndex((step) => step.down === 0 || step.down === 1);
    if (press < 0 || !rest.slice(press).some((step) => step.move)) {
      await this.perform(rest);
      return;
    }
    // A drag step by step, each once the page has had it and drawn what
    // follows: given together, WebKit now and then hands the page a move of a
    // drag late. The test counts the page's pointer events itself.
    await this.evaluate(() => {
      if (window.testPointer) return;
      window.testPointer = { at: [-1, -1], buttons: 0 };
      window.addEventListener('mousemove', (e) => (window.testPointer.at = [e.clientX, e.clientY]), true);
      for (const type of ['mousedown', 'mouseup']) window.addEventListener(type, () => ++window.testPointer.buttons, true);
    });
    for (let i = 0; i < rest.length; ++i) {
      const buttons = await this.evaluate(() => window.testPointer.buttons);
      await this.perform([rest[i]], i === rest.length - 1);
      await this.evaluate((step, count) => new Promise((resolve) => {
        const until = performance.now() + 5000;
        const had = () => (step.move ? window.testPointer.at.join() === step.move.join()
          : step.down === undefined && step.up === undefined ? true : window.testPointer.buttons > count);
        const wait = () => (had() || performance.now() > until ? resolve() : requestAnimationFrame(wait));
        wait();
      }).then(() => window.velmora.nextFrame()), rest[i], buttons);
    }
  }
}

export function makeDriver(name, options) {
  if (name === 'chromium') return new Chromium(options);
  if (name === 'firefox') return new Firefox(options);
  if (name === 'webkit') return new WebKit(options);
  throw new Error(`no browser called ${name}: chromium, firefox or webkit`);
}
