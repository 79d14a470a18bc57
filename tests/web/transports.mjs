// How the tests speak to the browsers' WebDriver servers: WebDriver's
// commands over HTTP (chromedriver, WebKitWebDriver) or as Marionette's
// length-prefixed JSON over TCP (Firefox).
import { spawn } from 'node:child_process';
import net from 'node:net';

export const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

export function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// Calls `attempt` until it succeeds, for at most a minute: a browser or driver
// that is starting up.
async function untilAnswered(what, attempt) {
  const deadline = Date.now() + 60000;
  for (;;) {
    try {
      return await attempt();
    } catch (error) {
      if (Date.now() > deadline) throw new Error(`${what} did not answer: ${error.message}`);
      await pause(50);
    }
  }
}

// The commands used, as WebDriver's HTTP routes and Marionette's names.
const kCommands = {
  navigate: ['POST', '/url', 'WebDriver:Navigate'],
  execute: ['POST', '/execute/async', 'WebDriver:ExecuteAsyncScript'],
  actions: ['POST', '/actions', 'WebDriver:PerformActions'],
  release: ['DELETE', '/actions', 'WebDriver:ReleaseActions'],
  screenshot: ['GET', '/screenshot', 'WebDriver:TakeScreenshot'],
  quit: ['DELETE', '', 'WebDriver:DeleteSession'],
};

// A WebDriver server (chromedriver, WebKitWebDriver) on a port of its own.
export class HttpTransport {
  async start(program, capabilities, env = process.env) {
    const port = await freePort();
    this.base = `http://127.0.0.1:${port}`;
    this.server = spawn(program, [`--port=${port}`], { stdio: 'ignore', env });
    await untilAnswered(program, () => this.request('GET', '/status'));
    const session = await this.request('POST', '/session', { capabilities: { alwaysMatch: capabilities } });
    this.session = `/session/${session.sessionId}`;
    return session.capabilities;
  }

  async request(method, route, body) {
    const response = await fetch(`${this.base}${route}`, {
      method,
      headers: { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    }).catch((error) => {
      // fetch says only "fetch failed"; why is in its cause (a reset, a timeout).
      throw new Error(`WebDriver ${method} ${route}: ${error.message}: ${error.cause ? error.cause.message || error.cause : ''}`);
    });
    const answer = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${method} ${route}: ${JSON.stringify(answer.value)}`);
    return answer.value;
  }

  command(name, body) {
    const [method, route] = kCommands[name];
    return this.request(method, `${this.session}${route}`, method === 'POST' ? body || {} : undefined);
  }

  stop() {
    if (this.server) this.server.kill();
  }
}

// Firefox's Marionette: packets "length:JSON", a command [0, id, name, params]
// answered by [1, id, error, result].
export class MarionetteTransport {
  async start(port, capabilities) {
    this.socket = await untilAnswered('Firefox\'s Marionette', () => new Promise((resolve, reject) => {
      const socket = net.connect(port, '127.0.0.1', () => resolve(socket));
      socket.on('error', reject);
    }));
    this.pending = new Map();
    this.nextId = 0;
    let buffer = Buffer.alloc(0);
    let greeted = null;
    const greeting = new Promise((resolve) => (greeted = resolve));
    this.socket.on('data', (data) => {
      buffer = Buffer.concat([buffer, data]);
      for (;;) {
        const colon = buffer.indexOf(58);
        if (colon < 0) break;
        const length = Number(buffer.toString('latin1', 0, colon));
        if (buffer.length < colon + 1 + length) break;
        const packet = JSON.parse(buffer.toString('utf8', colon + 1, colon + 1 + length));
        buffer = buffer.subarray(colon + 1 + length);
        if (!Array.isArray(packet)) {
          greeted(packet);
          continue;
        }
        const [, id, error, result] = packet;
        const waiting = this.pending.get(id);
        this.pending.delete(id);
        if (!waiting) continue;
        if (error) waiting.reject(new Error(`Marionette: ${error.error}: ${error.message}`));
        else waiting.resolve(result);
      }
    });
    this.socket.on('close', () => {
      for (const waiting of this.pending.values()) waiting.reject(new Error('Marionette: the connection closed'));
      this.pending.clear();
    });
    await greeting;
    const session = await this.send('WebDriver:NewSession', { capabilities: { alwaysMatch: capabilities } });
    return session.capabilities;
  }

  send(name, params) {
    const id = ++this.nextId;
    const text = JSON.stringify([0, id, name, params || {}]);
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject });
      this.socket.write(`${Buffer.byteLength(text)}:${text}`);
    });
  }

  async command(name, body) {
    const result = await this.send(kCommands[name][2], body);
    return result && typeof result === 'object' && 'value' in result ? result.value : result;
  }

  stop() {
    if (this.socket) this.socket.destroy();
  }
}
