'use strict';
// A lost server shows the disconnect text; when it comes back the page does too.
const test = require('node:test');
const assert = require('node:assert/strict');
const h = require('./helpers');

test('the page says it is off-line, then comes back when the server restarts', async () => {
  const root = h.makeRoot({ log: 'Date,X\nA,1\n' });
  let daemon = await h.startDaemon({ root });
  const context = await h.launchBrowser();
  try {
    const page = await h.openViewer(context, daemon);
    const before = await page.locator('#fw-root').getAttribute('data-session');
    await daemon.stop();
    const notice = page.locator('.fw-disconnected');
    await notice.waitFor({ timeout: 10000 });
    assert.equal(await notice.textContent(), 'The application has gone off-line. Please try again later.');

    daemon = await h.startDaemon({ root, port: daemon.port });
    // The new process has no such session: the page starts afresh by itself.
    await page.waitForFunction((old) => {
      const r = document.getElementById('fw-root');
      return r && r.dataset.session !== old && document.querySelector('[data-name="lbDates"] [role="row"][data-row]');
    }, before, { timeout: 20000 });
    assert.equal(await page.locator('.fw-disconnected').count(), 0);
    assert.deepEqual(await page.locator('[data-name="lbDates"] [role="gridcell"]').allTextContents(), ['A']);
  } finally {
    await context.close();
    await daemon.stop();
  }
});
