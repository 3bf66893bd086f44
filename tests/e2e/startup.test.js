'use strict';
// Start-up as a service manager and a person see it: the one line printed, the port,
// the start page without scripts, separate sessions, refusals before serving.
const test = require('node:test');
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const h = require('./helpers');

let daemon;
let context;
test.before(async () => {
  daemon = await h.startDaemon();
  context = await h.launchBrowser();
});
test.after(async () => {
  await context?.close();
  await daemon?.stop();
});

test('prints exactly the launch line and serves on the port it was given', async () => {
  const page = await h.openViewer(context, daemon);
  assert.equal(new URL(page.url()).port, String(daemon.port));
  assert.equal(daemon.stdout, 'Launching Brix Log Viewer.\n');
});

test('two browsers get two sessions', async () => {
  const other = await h.launchBrowser();
  try {
    const first = await h.openViewer(context, daemon);
    const second = await h.openViewer(other, daemon);
    const id = (p) => p.locator('#fw-root').getAttribute('data-session');
    const [a, b] = [await id(first), await id(second)];
    assert.match(a, /^[0-9a-f]{32}$/);
    assert.notEqual(a, b);
  } finally {
    await other.close();
  }
});

test('without JavaScript the start page says how to turn it on', async () => {
  const noScript = await h.launchBrowser({ javaScriptEnabled: false });
  try {
    const page = noScript.pages()[0];
    await page.goto(daemon.url);
    const notice = page.locator('.fw-noscript');
    assert.equal(await notice.locator('b').textContent(), 'Javascript must be enabled to access this page.');
    assert.match(await notice.textContent(), /To turn Javascript on, please refer to your browser settings window\./);
    assert.equal(await page.title(), 'Launching...');
  } finally {
    await noScript.close();
  }
});

test('a port in use or a malformed option is refused before serving', () => {
  for (const args of [['--port=' + daemon.port], ['--port=0'], ['--port=abc'], ['--bogus']]) {
    const run = spawnSync(h.binary, ['--foreground', ...args], { encoding: 'utf8', timeout: 10000 });
    assert.notEqual(run.status, 0, args.join(' '));
    assert.equal(run.stdout, '', args.join(' '));
    assert.match(run.stderr, /brix-log-viewer: /, args.join(' '));
  }
});

test('a message over the size limit closes the channel', async () => {
  const page = await h.openViewer(context, daemon);
  const result = await page.evaluate(async () => {
    const html = await (await fetch('/')).text();
    const id = /data-session="([0-9a-f]+)"/.exec(html)[1];
    const ws = new WebSocket('ws://' + location.host + '/_ws?s=' + id);
    await new Promise((resolve) => { ws.onmessage = resolve; });
    const closed = new Promise((resolve) => { ws.onclose = (e) => resolve(e.code); });
    ws.send('x'.repeat(1024 * 1024));
    return closed;
  });
  // 1009 when the close frame makes it through; 1006 when the unread rest of the message
  // makes the socket reset first. Either way the channel is gone and the server serves on.
  assert.ok(result === 1009 || result === 1006, 'closed with ' + result);
  await h.openViewer(context, daemon);
});

test('SIGTERM stops it cleanly at once: status 0 and no pid file left behind', async () => {
  const own = await h.startDaemon();
  const pid = path.join(os.tmpdir(), 'com.kvr.brixlogviewer_' + own.port, 'pid');
  assert.equal(fs.readFileSync(pid, 'utf8'), own.child.pid + '\n');
  const page = await h.openViewer(context, own);
  await page.waitForSelector('[data-name="lbDates"] [aria-selected="true"]');
  const asked = Date.now();
  own.child.kill('SIGTERM');
  const { code } = await own.exited;
  assert.equal(code, 0);
  assert.ok(Date.now() - asked < 1500, 'took ' + (Date.now() - asked) + ' ms');
  assert.ok(!fs.existsSync(pid), 'the pid file was left behind');
});

test('a Host that is not the device is refused: a rebound name reads nothing', async () => {
  for (const [host, status] of [['evil.example', 421], ['127.0.0.1:' + daemon.port, 200], ['localhost', 200]]) {
    const answer = await new Promise((resolve, reject) => {
      const request = http.get({ host: '127.0.0.1', port: daemon.port, path: '/', headers: { Host: host } }, (r) => {
        let body = '';
        r.on('data', (d) => { body += d; });
        r.on('end', () => resolve({ status: r.statusCode, body }));
      });
      request.once('error', reject);
    });
    assert.equal(answer.status, status, host);
    if (status === 421) assert.match(answer.body, /--hostname=evil\.example/);
  }
});
