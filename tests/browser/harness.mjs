// Starts the real program with simulated cameras and switcher fakes, and Debian's Chromium with every
// outside address blocked, for the browser tests of the web client.
import { spawn } from 'node:child_process';
import { mkdtempSync, mkdirSync, writeFileSync, rmSync, existsSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

export const BIN_DIR = process.env.TAVIMOREX_BIN_DIR || path.resolve('../../build/bin');
export const CHROMIUM = process.env.TAVIMOREX_CHROMIUM || '/usr/bin/chromium';
export const SERVER = '127.0.8.1';
export const PORT = 8080;
export const ORIGIN = `http://${SERVER}:${PORT}`;
export const CAMERAS = ['127.0.8.2', '127.0.8.3'];
export const OBS_PORT = 4455;
export const VMIX_PORT = 8088;
export const SCREENSHOT_DIR = process.env.TAVIMOREX_SCREENSHOT_DIR || path.resolve('screenshots');

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

export async function waitFor(predicate, timeoutMs = 5000, what = 'condition') {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const value = await predicate();
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(25);
  }
}

// A child process whose standard output is kept line by line.
class Child {
  constructor(name, file, args, env, withInput = false) {
    this.name = name;
    this.lines = [];
    this.process = spawn(file, args,
      { env: { ...process.env, ...env }, stdio: [withInput ? 'pipe' : 'ignore', 'pipe', 'pipe'] });
    let pending = '';
    this.process.stdout.on('data', (chunk) => {
      pending += chunk.toString();
      const parts = pending.split('\n');
      pending = parts.pop();
      this.lines.push(...parts);
    });
    this.stderr = '';
    this.process.stderr.on('data', (chunk) => { this.stderr += chunk.toString(); });
    this.exited = new Promise((resolve) => this.process.on('exit', (code, signal) => resolve({ code, signal })));
  }

  async waitForLine(pattern, timeoutMs = 10000) {
    return waitFor(() => this.lines.find((line) => pattern.test(line)), timeoutMs, `${this.name}: ${pattern}`);
  }

  // Writes one line to the child's standard input and waits for the answer line it names.
  async send(line, answer) {
    this.process.stdin.write(line + '\n');
    if (answer) await this.waitForLine(answer);
  }

  async stop() {
    if (this.process.exitCode !== null || this.process.signalCode !== null) return;
    this.process.kill('SIGTERM');
    await Promise.race([this.exited, sleep(5000)]);
    if (this.process.exitCode === null && this.process.signalCode === null) this.process.kill('SIGKILL');
  }
}

function settingsIni() {
  const lines = [
    '[General]',
    'startuponlaunch=true',
    `servernic=${SERVER}`,
    `serverportnum=${PORT}`,
    'usedarktheme=true',
    'enableobsctrl=true',
    `obsip=${SERVER}`,
    `obsport=${OBS_PORT}`,
    'enablevmixctrl=true',
    `vmixip=${SERVER}`,
    `vmixport=${VMIX_PORT}`,
    '',
    '[cameraslist]',
  ];
  CAMERAS.forEach((address, i) => {
    const n = i + 1;
    lines.push(`${n}\\cameratype=0`, `${n}\\cameraid=${address}`, `${n}\\cameraname=Camera${n}`,
      `${n}\\devicename=0.0.0.0`);
  });
  lines.push(`size=${CAMERAS.length}`, '');
  // Tally sources: Camera1 is OBS scene "Camera 1", Camera2 the vMix input titled "Camera 2".
  lines.splice(lines.indexOf('[cameraslist]'), 0, `${CAMERAS[0]}_tally_obs=Camera 1`,
    `${CAMERAS[1]}_tally_vmix=Camera 2`, '');
  return lines.join('\n');
}

export class Rig {
  async start() {
    this.home = mkdtempSync(path.join(tmpdir(), 'tavimorex-browser-'));
    const dataFolder = path.join(this.home, 'tavimorex', 'tavimorex-controller');
    mkdirSync(dataFolder, { recursive: true });
    writeFileSync(path.join(dataFolder, 'settings.ini'), settingsIni());
    this.dataFolder = dataFolder;

    this.sim = new Child('ptzsim', path.join(BIN_DIR, 'tavimorex-ptzsim'), CAMERAS, {});
    this.fakes = new Child('switcherfakes', path.join(BIN_DIR, 'tavimorex-switcherfakes'),
      ['--address', SERVER, '--obs5-port', String(OBS_PORT), '--vmix-port', String(VMIX_PORT)], {}, true);
    await this.sim.waitForLine(/ READY$/);
    await this.fakes.waitForLine(/^vmix /);

    this.program = new Child('tavimorex', path.join(BIN_DIR, 'tavimorex'), [], {
      XDG_DATA_HOME: this.home, QT_QPA_PLATFORM: 'offscreen', QT_LOGGING_RULES: '*.debug=false',
    });
    await waitFor(async () => {
      try {
        const reply = await fetch(`${ORIGIN}/cam/getCurrentCamInfo`);
        return reply.ok;
      } catch {
        return false;
      }
    }, 15000, 'the program\'s web server');

    this.browser = await chromium.launch({
      executablePath: CHROMIUM,
      args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
    mkdirSync(SCREENSHOT_DIR, { recursive: true });
  }

  // A page whose every request outside the program is refused and recorded.
  async newPage(viewport = { width: 1400, height: 900 }) {
    const context = await this.browser.newContext({ viewport });
    const page = await context.newPage();
    page.blocked = [];
    page.failed = [];
    page.errors = [];
    page.apiCalls = [];
    await context.route('**/*', (route) => {
      const url = new URL(route.request().url());
      if (url.origin !== ORIGIN) {
        page.blocked.push(url.href);
        return route.abort();
      }
      if (!url.pathname.startsWith('/assets') && url.pathname !== '/' && url.pathname !== '/camera'
          && url.pathname !== '/switcher') {
        page.apiCalls.push({ path: url.pathname, params: Object.fromEntries(url.searchParams), at: Date.now() });
      }
      return route.continue();
    });
    page.on('requestfailed', (request) => page.failed.push(request.url()));
    page.on('response', (response) => {
      if (response.status() >= 400) page.failed.push(`${response.status()} ${response.url()}`);
    });
    page.on('pageerror', (error) => page.errors.push(error.message));
    return page;
  }

  // The packets a simulated camera received since the log was cleared, as hex strings.
  simPackets(address) {
    return this.sim.lines
      .map((line) => line.split(' '))
      .filter((parts) => parts[1] === address && parts[2] === 'RX')
      .map((parts) => ({ at: Number(parts[0]), hex: parts.slice(3).join(' ') }));
  }

  clearSimLog() {
    this.sim.lines.length = 0;
  }

  async stop() {
    if (this.browser) await this.browser.close();
    for (const child of [this.program, this.fakes, this.sim]) {
      if (child) await child.stop();
    }
    if (this.home && existsSync(this.home)) rmSync(this.home, { recursive: true, force: true });
  }
}
