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

// A network gone without a word (here the server frozen: its sockets stay open and say
// nothing) closes no socket. The page must notice by itself, and a choice made meanwhile
// must not leave the table showing another date than the one selected.
test('a silent loss is noticed within 20 s; afterwards the table shows the selected date', async () => {
  const daemon = await h.startDaemon();
  const context = await h.launchBrowser();
  try {
    const page = await h.openViewer(context, daemon);
    await page.waitForSelector('[data-name="lbDates"] [aria-selected="true"]');
    daemon.child.kill('SIGSTOP');
    const frozenAt = Date.now();
    await page.locator('[data-name="lbDates"] .fw-lb-body [role="gridcell"]').first().click();
    await page.locator('.fw-disconnected').waitFor({ timeout: 20000 });
    assert.ok(Date.now() - frozenAt < 20000);

    daemon.child.kill('SIGCONT');
    await page.locator('.fw-disconnected').waitFor({ state: 'detached', timeout: 20000 });
    // The page was painted whole again: the date selected in it is the one the table shows.
    await page.waitForFunction(() => {
      const selected = document.querySelector('[data-name="lbDates"] [aria-selected="true"]');
      const table = document.querySelector('[data-name="lbData"]');
      return selected && table.getAttribute('aria-label') === selected.textContent &&
        table.querySelector('.fw-lb-body [role="row"]:not(.fw-lb-pending)');
    }, null, { timeout: 10000 });
  } finally {
    daemon.child.kill('SIGCONT');
    await context.close();
    await daemon.stop();
  }
});
