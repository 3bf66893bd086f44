'use strict';
// The page over https, with a certificate the test makes: the same page as over http, its
// channel over wss, a renewed certificate taken on SIGHUP, and the refusals at start-up.
const test = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const tls = require('node:tls');
const h = require('./helpers');

// Where the daemon looks for its pair, under the test's root.
function tlsFolder(root) {
  const folder = path.join(root, 'etc', 'brix-log-viewer', 'tls');
  fs.mkdirSync(folder, { recursive: true });
  return folder;
}

// A self-signed pair, as the README tells an engineer to make one.
function makeCertificate(folder, commonName, prefix = '') {
  execFileSync('openssl', ['req', '-x509', '-newkey', 'ec', '-pkeyopt', 'ec_paramgen_curve:P-256', '-nodes',
    '-keyout', path.join(folder, prefix + 'key.pem'), '-out', path.join(folder, prefix + 'certificate.pem'),
    '-days', '2', '-subj', '/CN=' + commonName], { stdio: 'ignore' });
}

// The common name of the certificate a new connection gets.
function servedName(port) {
  return new Promise((resolve, reject) => {
    const socket = tls.connect({ host: '127.0.0.1', port, rejectUnauthorized: false }, () => {
      resolve(socket.getPeerCertificate().subject.CN);
      socket.end();
    });
    socket.once('error', reject);
  });
}

test('the page works over https as over http: dates, table, column boxes, download', async () => {
  const root = h.makeRoot({ log: fs.readFileSync(h.sampleLog) });
  makeCertificate(tlsFolder(root), 'device');
  const securePort = await h.freePort();
  const daemon = await h.startDaemon({ root, extraArgs: ['--secureport=' + securePort] });
  const context = await h.launchBrowser({ ignoreHTTPSErrors: true });
  try {
    const page = context.pages()[0] || (await context.newPage());
    const channels = [];
    page.on('websocket', (ws) => channels.push(ws.url()));
    await page.goto('https://127.0.0.1:' + securePort + '/');
    await page.waitForSelector('[data-name="lbDates"] [aria-selected="true"]');
    assert.match(channels[0], /^wss:\/\//);

    const lines = fs.readFileSync(h.sampleLog, 'utf8').split('\r\n').filter((l) => l);
    const records = lines.slice(1).map((l) => l.split(','));
    const dates = [...new Set(records.map((r) => r[0]))];
    assert.deepEqual(await page.locator('[data-name="lbDates"] .fw-lb-body [role="gridcell"]').allTextContents(), dates);
    await page.locator('[data-name="lbDates"] [role="gridcell"]', { hasText: dates[0] }).click();
    const want = records.filter((r) => r[0] === dates[0]).map((r) => r.slice(1));
    await page.waitForFunction((rows) => JSON.stringify(Array.from(
      document.querySelectorAll('[data-name="lbData"] .fw-lb-body [role="row"]'),
      (r) => Array.from(r.children, (c) => c.textContent))) === JSON.stringify(rows), want);

    // A column box hides its column, and its cookie is delivered over https too.
    const heading = lines[0].split(',')[2];
    const delivered = page.waitForResponse((r) => new URL(r.url()).pathname === '/_cookie');
    await page.locator('[data-name="ccGroup"] label.fw-checkbox', { hasText: heading }).locator('input').uncheck();
    await delivered;
    await page.waitForFunction((c) => !Array.from(document.querySelectorAll('[data-name="lbData"] [role="columnheader"]'))
      .some((e) => e.textContent === c && e.offsetParent !== null), heading);
    assert.ok((await context.cookies()).some((c) => c.value === '0'));

    const [download] = await Promise.all([page.waitForEvent('download'), page.click('[data-name="btDownload"]')]);
    assert.equal(download.suggestedFilename(), 'userdata.csv');
    assert.ok(fs.readFileSync(await download.path()).equals(fs.readFileSync(h.sampleLog)));

    // Plain HTTP goes on serving beside it.
    assert.equal((await fetch(daemon.url)).status, 200);
  } finally {
    await context.close();
    await daemon.stop();
  }
});

test('SIGHUP takes a renewed certificate for new connections; a bad one is reported and the old kept', async () => {
  const root = h.makeRoot({ log: 'D,X\nA,1\n' });
  const folder = tlsFolder(root);
  makeCertificate(folder, 'first');
  const securePort = await h.freePort();
  const daemon = await h.startDaemon({ root, extraArgs: ['--secureport=' + securePort] });
  const reloaded = async (pattern) => {
    daemon.child.kill('SIGHUP');
    for (let i = 0; i < 100 && !pattern.test(daemon.stderr); i++) await new Promise((r) => setTimeout(r, 50));
  };
  try {
    assert.equal(await servedName(securePort), 'first');
    makeCertificate(folder, 'renewed');
    await reloaded(/Certificate reloaded/);
    assert.equal(await servedName(securePort), 'renewed');

    fs.writeFileSync(path.join(folder, 'key.pem'), 'not a key');
    await reloaded(/Certificate not reloaded.*key\.pem/);
    assert.equal(await servedName(securePort), 'renewed');
    assert.equal(daemon.child.exitCode, null, 'the daemon goes on');
  } finally {
    await daemon.stop();
  }
});

test('half a pair, an unusable pair or a secure port in use is refused before anything listens', async () => {
  const cases = [
    ['only the certificate', (f) => { makeCertificate(f, 'x'); fs.rmSync(path.join(f, 'key.pem')); }, /key\.pem/],
    ['a key of another certificate', (f) => {
      makeCertificate(f, 'x');
      makeCertificate(f, 'y', 'other-');
      fs.copyFileSync(path.join(f, 'other-key.pem'), path.join(f, 'key.pem'));
    }, /does not belong/],
    ['a certificate that is not PEM', (f) => { makeCertificate(f, 'x'); fs.writeFileSync(path.join(f, 'certificate.pem'), 'x'); },
      /certificate\.pem/],
  ];
  const port = await h.freePort();
  for (const [name, make, message] of cases) {
    const root = h.makeRoot({ log: 'D\n' });
    make(tlsFolder(root));
    const run = spawnSync(h.binary, ['--foreground', '--root=' + root, '--port=' + port, '--secureport=' + (await h.freePort())],
      { encoding: 'utf8', timeout: 10000 });
    assert.notEqual(run.status, 0, name);
    assert.match(run.stderr, message, name);
    assert.equal(run.stdout, '', name + ': nothing started');
  }

  // The secure port taken by another daemon.
  const root = h.makeRoot({ log: 'D\n' });
  makeCertificate(tlsFolder(root), 'x');
  const securePort = await h.freePort();
  const first = await h.startDaemon({ root, extraArgs: ['--secureport=' + securePort] });
  try {
    const run = spawnSync(h.binary, ['--foreground', '--root=' + root, '--port=' + (await h.freePort()),
      '--secureport=' + securePort], { encoding: 'utf8', timeout: 10000 });
    assert.notEqual(run.status, 0);
    assert.match(run.stderr, new RegExp('port ' + securePort));
  } finally {
    await first.stop();
  }
});
