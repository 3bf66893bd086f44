// Shared by the browser tests: starts the real daemon on a free port with a temporary
// root standing in for the USB drive, and launches Debian's Chromium.
'use strict';
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const repo = path.resolve(__dirname, '..', '..');
const binary = process.env.BRIX_BINARY || path.join(repo, 'build', 'brix-log-viewer');
const sampleLog = path.join(repo, 'examples', 'sample', 'mnt', 'pen', 'userdata.csv');

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.unref();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// A folder standing in for "/": with log (text or Buffer) it holds mnt/pen/userdata.csv,
// with log === undefined and drive true only the drive folder, with drive false nothing.
function makeRoot({ log, drive = true } = {}) {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'brix-e2e-'));
  if (drive) fs.mkdirSync(path.join(root, 'mnt', 'pen'), { recursive: true });
  if (log !== undefined) fs.writeFileSync(path.join(root, 'mnt', 'pen', 'userdata.csv'), log);
  return root;
}

async function waitForPort(port, deadlineMs) {
  const end = Date.now() + deadlineMs;
  while (Date.now() < end) {
    const ok = await new Promise((resolve) => {
      const socket = net.connect(port, '127.0.0.1');
      socket.once('connect', () => { socket.destroy(); resolve(true); });
      socket.once('error', () => resolve(false));
    });
    if (ok) return;
    await new Promise((r) => setTimeout(r, 50));
  }
  throw new Error('the daemon did not listen on port ' + port);
}

// Starts the daemon in the foreground; resolves once it listens.
async function startDaemon({ root, port, extraArgs = [] } = {}) {
  port = port || (await freePort());
  root = root || makeRoot({ log: fs.readFileSync(sampleLog) });
  const child = spawn(binary, ['--foreground', '--root=' + root, '--port=' + port, ...extraArgs], {
    stdio: ['ignore', 'pipe', 'pipe'],
  });
  const daemon = { child, port, root, stdout: '', stderr: '', url: 'http://127.0.0.1:' + port + '/' };
  child.stdout.on('data', (d) => { daemon.stdout += d; });
  child.stderr.on('data', (d) => { daemon.stderr += d; });
  daemon.exited = new Promise((resolve) => child.once('exit', (code, signal) => resolve({ code, signal })));
  daemon.stop = async () => {
    if (child.exitCode === null && child.signalCode === null) child.kill('SIGTERM');
    await daemon.exited;
  };
  await waitForPort(port, 10000);
  return daemon;
}

// A fresh profile each time; with blockCookies its settings refuse every cookie.
async function launchBrowser(options = {}, { blockCookies = false } = {}) {
  const userDataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'brix-chromium-'));
  if (blockCookies) {
    fs.mkdirSync(path.join(userDataDir, 'Default'));
    fs.writeFileSync(path.join(userDataDir, 'Default', 'Preferences'),
      JSON.stringify({ profile: { default_content_setting_values: { cookies: 2 } } }));
  }
  const context = await chromium.launchPersistentContext(userDataDir, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--no-first-run'],
    viewport: { width: 1640, height: 990 },
    acceptDownloads: true,
    ...options,
  });
  const close = context.close.bind(context);
  context.close = async () => {
    await close();
    fs.rmSync(userDataDir, { recursive: true, force: true });
  };
  return context;
}

// Opens the viewer and waits until the page has been built.
async function openViewer(context, daemon) {
  const page = context.pages()[0] || (await context.newPage());
  await page.goto(daemon.url);
  await page.waitForSelector('[data-name="pgLog"]');
  await page.waitForFunction(() => document.title === 'KVR Brix Data Log Viewer');
  return page;
}

async function box(page, name) {
  return page.locator('[data-name="' + name + '"]').first().boundingBox();
}

module.exports = { binary, sampleLog, freePort, makeRoot, startDaemon, launchBrowser, openViewer, box };
