// The three browsers behind one small interface: open a page, give it keys,
// pointer moves, buttons and wheel notches as a user would, and evaluate
// script in it. Chromium and Firefox ESR through puppeteer-core, WebKitGTK's
// MiniBrowser through WebKitWebDriver (W3C WebDriver over HTTP).
import { spawn } from 'node:child_process';
import net from 'node:net';
import puppeteer from 'puppeteer-core';

// An input step: {key, shift} a key pressed and released (DOM key names),
// {move: [x, y]} the pointer to a viewport position, {down: b} / {up: b}
// button b (0 left, 1 middle, 2 right), {hold: 'Shift'} / {release: 'Shift'},
// {wheel: dy, at: [x, y]} one wheel notch (dy < 0 away from the user).

class PuppeteerDriver {
  constructor(name) {
    this.name = name;
    this.problems = []; // console errors, page errors, requests leaving the page
  }

  async start() {
    if (this.name === 'chromium') {
      this.browser = await puppeteer.launch({
        executablePath: '/usr/bin/chromium',
        headless: true,
        protocolTimeout: 60000,
        // WebGL through SwiftShader: there is no GPU; root needs no sandbox here.
        args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox', '--window-size=900,900'],
      });
    } else {
      // Firefox has no WebGL headless here: it is shown on the test's X display.
      this.browser = await puppeteer.launch({
        browser: 'firefox',
        executablePath: '/usr/bin/firefox-esr',
        headless: false,
        extraPrefsFirefox: { 'webgl.force-enabled': true, 'browser.shell.checkDefaultBrowser': false },
        args: ['--width=900', '--height=900'],
      });
    }
    this.version = await this.browser.version();
    this.page = (await this.browser.pages())[0] || (await this.browser.newPage());
    this.page.on('console', (message) => {
      if (message.type() === 'error') this.problems.push(`console error: ${message.text()}`);
    });
    this.page.on('pageerror', (error) => this.problems.push(`page error: ${error.message || error}`));
    this.page.on('request', (request) => {
      const url = request.url();
      if (!url.startsWith('file:') && !url.startsWith('data:')) this.problems.push(`request: ${url}`);
    });
  }

  async open(url) {
    await this.page.goto(url, { waitUntil: 'load' });
  }

  async evaluate(script, ...args) {
    return this.page.evaluate(script, ...args);
  }

  async input(steps) {
    const keyboard = this.page.keyboard;
    const mouse = this.page.mouse;
    const buttons = ['left', 'middle', 'right'];
    for (const step of steps) {
      if (step.key !== undefined) {
        if (step.shift) await keyboard.down('Shift');
        await keyboard.press(step.key);
        if (step.shift) await keyboard.up('Shift');
      } else if (step.move) {
        await mouse.move(step.move[0], step.move[1]);
      } else if (step.down !== undefined) {
        await mouse.down({ button: buttons[step.down] });
      } else if (step.up !== undefined) {
        await mouse.up({ button: buttons[step.up] });
      } else if (step.hold) {
        await keyboard.down(step.hold);
      } else if (step.release) {
        await keyboard.up(step.release);
      } else if (step.wheel !== undefined) {
        await mouse.move(step.at[0], step.at[1]);
        await mouse.wheel({ deltaY: step.wheel });
      }
    }
  }

  async stop() {
    if (this.browser) await this.browser.close();
  }
}

// WebDriver's key values for the DOM's key names.
const webDriverKeys = {
  ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015', Escape: '\uE00C',
  Enter: '\uE007', Shift: '\uE008', Home: '\uE011', End: '\uE010', PageUp: '\uE00E', PageDown: '\uE00F',
  Insert: '\uE016', F1: '\uE031', F5: '\uE035', F12: '\uE03C', Control: '\uE009',
};

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

class WebKitDriver {
  constructor() {
    this.name = 'webkit';
    this.problems = [];
  }

  async request(method, path, body) {
    const response = await fetch(`${this.base}${path}`, {
      method,
      headers: { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const answer = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${method} ${path}: ${JSON.stringify(answer.value)}`);
    return answer.value;
  }

  async start() {
    const port = await freePort();
    this.base = `http://127.0.0.1:${port}`;
    this.server = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
    // Ready when it answers its status.
    const deadline = Date.now() + 60000;
    for (;;) {
      try {
        const status = await this.request('GET', '/status');
        if (status.ready !== false) break;
      } catch (error) {
        if (Date.now() > deadline) throw new Error(`WebKitWebDriver did not answer: ${error.message}`);
      }
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    const session = await this.request('POST', '/session', {
      capabilities: {
        alwaysMatch: {
          'webkitgtk:browserOptions': {
            binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
            args: ['--automation', '--geometry=900x900'],
          },
        },
      },
    });
    this.session = `/session/${session.sessionId}`;
    this.version = `WebKitGTK ${session.capabilities.browserVersion}`;
  }

  async open(url) {
    await this.request('POST', `${this.session}/url`, { url });
    // No console to listen to: errors and unhandled rejections are kept by the
    // page from here on. And the driver scrolls the page for a scroll action
    // even when the page cancels the wheel event: the page is held still.
    await this.evaluate(() => {
      document.documentElement.style.overflow = 'hidden';
      window.__problems = [];
      const error = console.error.bind(console);
      console.error = (...args) => {
        window.__problems.push(`console error: ${args.join(' ')}`);
        error(...args);
      };
      window.addEventListener('error', (event) => window.__problems.push(`page error: ${event.message}`));
      window.addEventListener('unhandledrejection', (event) => window.__problems.push(`page error: ${event.reason}`));
    });
  }

  async collectProblems() {
    const found = await this.evaluate(() => (window.__problems ? window.__problems.splice(0) : []));
    this.problems.push(...found);
  }

  // Runs a function in the page, awaiting what it returns.
  async evaluate(fn, ...args) {
    const script = `const done = arguments[arguments.length - 1];
      Promise.resolve((${fn.toString()})(...Array.from(arguments).slice(0, -1))).then(done, (e) => done({__error: String(e)}));`;
    const value = await this.request('POST', `${this.session}/execute/async`, { script, args });
    if (value && value.__error) throw new Error(value.__error);
    return value;
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
      const seen = await this.evaluate(() => window.velmora.wheelEvents());
      for (let attempt = 0; ; ++attempt) {
        await this.perform([{ move: steps[i].at }, steps[i]]);
        const had = await this.evaluate((count) => new Promise((resolve) => {
          const until = Date.now() + 1000;
          const wait = () => {
            if (window.velmora.wheelEvents() > count) resolve(true);
            else if (Date.now() > until) resolve(false);
            else setTimeout(wait, 2);
          };
          wait();
        }), seen);
        if (had) break;
        if (attempt === 5) throw new Error(`WebKit gave no wheel event for six scrolls (${JSON.stringify(await this.evaluate(() => [scrollX, scrollY, document.activeElement.id, document.getElementById('menu').hidden]))})`);
        this.resentWheels = (this.resentWheels || 0) + 1;
      }
    }
    const rest = steps.slice(from);
    const press = rest.findIndex((step) => step.down === 0 || step.down === 1);
    if (press < 0 || !rest.slice(press).some((step) => step.move)) {
      await this.perform(rest);
      return;
    }
    // A drag step by step, each after a frame drawn since the last: given
    // together, WebKit now and then hands the page a move of a drag late.
    for (let i = 0; i < rest.length; ++i) {
      await this.perform([rest[i]], i === rest.length - 1);
      await this.evaluate(() => (window.velmora ? window.velmora.afterFrames(1) : null));
    }
  }

  // Performs the steps as one actions request, then (with `release`) lets go
  // of every key and button still held.
  async perform(steps, release = true) {
    // One tick per step, each source pausing while another acts.
    const keys = { type: 'key', id: 'keyboard', actions: [] };
    const pointer = { type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions: [] };
    const wheel = { type: 'wheel', id: 'wheel', actions: [] };
    const tick = (source, ...actions) => {
      for (const action of actions) {
        for (const s of [keys, pointer, wheel]) s.actions.push(s === source ? action : { type: 'pause', duration: 0 });
      }
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
      } else if (step.wheel !== undefined) {
        tick(wheel, { type: 'scroll', origin: 'viewport', x: step.at[0], y: step.at[1], deltaX: 0, deltaY: step.wheel });
      }
    }
    if (keys.actions.length === 0) return;
    await this.request('POST', `${this.session}/actions`, { actions: [keys, pointer, wheel] });
    if (release) await this.request('DELETE', `${this.session}/actions`);
  }

  async stop() {
    try {
      if (this.session) await this.request('DELETE', this.session);
    } finally {
      if (this.server) this.server.kill();
    }
  }
}

export function makeDriver(name) {
  return name === 'webkit' ? new WebKitDriver() : new PuppeteerDriver(name);
}
