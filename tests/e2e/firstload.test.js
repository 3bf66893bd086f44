'use strict';
// A first visit as a tablet on a slow network sees it: what is fetched, how much, how often.
const test = require('node:test');
const assert = require('node:assert/strict');
const h = require('./helpers');

let daemon;
test.before(async () => { daemon = await h.startDaemon(); });
test.after(async () => { await daemon?.stop(); });

test('a first load is small: compressed files, one cookie request, an icon, a compressed channel', async (t) => {
  const context = await h.launchBrowser();
  try {
    const page = context.pages()[0] || (await context.newPage());
    const cdp = await context.newCDPSession(page);
    await cdp.send('Network.enable');
    const requests = new Map();  // requestId -> { url, status, headers, bytes }
    cdp.on('Network.responseReceived', (e) => {
      requests.set(e.requestId, { url: e.response.url, status: e.response.status, headers: e.response.headers, bytes: 0 });
    });
    cdp.on('Network.loadingFinished', (e) => {
      if (requests.has(e.requestId)) requests.get(e.requestId).bytes = e.encodedDataLength;
    });
    let channelExtensions = null;
    cdp.on('Network.webSocketHandshakeResponseReceived', (e) => {
      const headers = e.response.headers;
      channelExtensions = headers['Sec-WebSocket-Extensions'] || headers['sec-websocket-extensions'] || '';
    });
    await h.openViewer(context, daemon);
    await page.waitForFunction(() => document.cookie.split(';').length >= 19);
    await page.waitForTimeout(300);  // late requests, if any, are counted too

    const all = [...requests.values()];
    const path = (r) => new URL(r.url).pathname;
    t.diagnostic(`${all.length} requests, ${all.reduce((n, r) => n + r.bytes, 0)} bytes: ` +
      all.map((r) => `${path(r)} ${r.status} ${r.bytes}`).join(', '));

    assert.deepEqual(all.filter((r) => r.status >= 400).map(path), [], 'nothing missing');
    for (const name of ['/_client/framework.js', '/_client/framework.css']) {
      const file = all.find((r) => path(r) === name);
      assert.ok(file, name);
      const header = (n) => file.headers[n] ?? file.headers[n.toLowerCase()];
      assert.equal(header('Content-Encoding'), 'gzip', name);
      assert.match(header('Cache-Control'), /immutable/, name);
    }
    assert.ok(all.some((r) => path(r) === '/_client/icon.svg' && r.status === 200), 'the icon');
    assert.equal(all.filter((r) => path(r) === '/_cookie').length, 1, 'one request sets every column cookie');
    assert.equal((await context.cookies()).filter((c) => c.name.startsWith('Col')).length, 19);
    assert.match(channelExtensions ?? '', /permessage-deflate/);
  } finally {
    await context.close();
  }
});
