'use strict';
// The log page as a technician uses it: dates, records, the download, the messages, and a
// hostile log on the stick.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./helpers');

let context;
test.before(async () => { context = await h.launchBrowser(); });
test.after(async () => { await context?.close(); });

const dateCells = (page) => page.locator('[data-name="lbDates"] .fw-lb-body [role="gridcell"]').allTextContents();
const tableRows = (page) => page.locator('[data-name="lbData"] .fw-lb-body [role="row"]').evaluateAll(
  (rows) => rows.map((r) => Array.from(r.children).map((c) => c.textContent)));

// Every run of the sample starts at the same time of day, so only the whole table tells one
// date's records from another's.
const waitForRows = (page, expected) => page.waitForFunction((want) => {
  const rows = Array.from(document.querySelectorAll('[data-name="lbData"] .fw-lb-body [role="row"]'),
    (r) => Array.from(r.children, (c) => c.textContent));
  return JSON.stringify(rows) === JSON.stringify(want);
}, expected);

test('the sample log: its dates, the last one chosen, and any date on a click or a key', async () => {
  const daemon = await h.startDaemon();
  try {
    const page = await h.openViewer(context, daemon);
    const lines = fs.readFileSync(h.sampleLog, 'utf8').split('\r\n').filter((l) => l);
    const heading = lines[0].split(',');
    const records = lines.slice(1).map((l) => l.split(','));
    const dates = [...new Set(records.map((r) => r[0]))];
    await page.waitForSelector('[data-name="lbDates"] [aria-selected="true"]');
    assert.deepEqual(await dateCells(page), dates);
    assert.equal(await page.locator('[data-name="lbDates"] [role="columnheader"]').textContent(), heading[0]);
    assert.deepEqual(await page.locator('[data-name="lbData"] [role="columnheader"]').allTextContents(), heading.slice(1));
    const selected = page.locator('[data-name="lbDates"] [role="row"][aria-selected="true"]');
    assert.equal(await selected.textContent(), dates[dates.length - 1]);
    const rowsOf = (d) => records.filter((r) => r[0] === d).map((r) => r.slice(1));
    assert.deepEqual(await tableRows(page), rowsOf(dates[dates.length - 1]));

    await page.locator('[data-name="lbDates"] [role="gridcell"]', { hasText: dates[1] }).click();
    await waitForRows(page, rowsOf(dates[1]));
    assert.deepEqual(await tableRows(page), rowsOf(dates[1]));

    // From the keyboard: Up moves to the date before.
    await page.locator('[data-name="lbDates"]').focus();
    await page.keyboard.press('ArrowUp');
    await waitForRows(page, rowsOf(dates[0]));
    assert.equal(await selected.textContent(), dates[0]);
    assert.deepEqual(await tableRows(page), rowsOf(dates[0]));
  } finally {
    await daemon.stop();
  }
});

test('Download Log saves the file byte for byte as it was when the page opened', async () => {
  const log = Buffer.from('Date,X\r\n2026-01-01,"a, b"\r\n2026-01-02,\xff\xfe\n', 'latin1');
  const root = h.makeRoot({ log });
  const daemon = await h.startDaemon({ root });
  try {
    const page = await h.openViewer(context, daemon);
    await page.waitForSelector('[data-name="lbDates"] [aria-selected="true"]');
    fs.appendFileSync(path.join(root, 'mnt', 'pen', 'userdata.csv'), '2026-01-03,later\n');
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('[data-name="btDownload"]')]);
    assert.equal(download.suggestedFilename(), 'userdata.csv');
    const saved = fs.readFileSync(await download.path());
    assert.ok(saved.equals(log), 'the download differs from the log');
    // The page is still there, and still live.
    await page.locator('[data-name="lbDates"] [role="gridcell"]').first().click();
    await page.waitForFunction(() => document.querySelector('[data-name="lbData"] .fw-lb-body [role="gridcell"]')?.textContent === 'a');

    // A page opened after the device wrote more offers the longer file.
    const fresh = await h.openViewer(context, daemon);
    await fresh.waitForSelector('[data-name="lbDates"] [aria-selected="true"]');
    const [again] = await Promise.all([fresh.waitForEvent('download'), fresh.click('[data-name="btDownload"]')]);
    assert.ok(fs.readFileSync(await again.path()).equals(fs.readFileSync(path.join(root, 'mnt', 'pen', 'userdata.csv'))));
  } finally {
    await daemon.stop();
  }
});

test('without the drive both messages appear in order; without the file only the second', async () => {
  for (const [root, expected] of [
    [h.makeRoot({ drive: false }), ['USB drive not found', 'Cannot find the Log file.']],
    [h.makeRoot({ drive: true }), ['Cannot find the Log file.']],
  ]) {
    const daemon = await h.startDaemon({ root });
    try {
      const page = await h.openViewer(context, daemon);
      const seen = [];
      for (let i = 0; i < expected.length; i++) {
        const box = page.locator('.fw-msgbox');
        await box.waitFor();
        seen.push(await box.locator('.fw-msgbox-text').textContent());
        await box.getByRole('button', { name: 'OK' }).click();
      }
      assert.deepEqual(seen, expected);
      await page.waitForTimeout(200);
      assert.equal(await page.locator('.fw-msgbox').count(), 0);
      // Download with nothing found says so rather than failing.
      await page.click('[data-name="btDownload"]');
      await page.locator('.fw-msgbox-text', { hasText: 'Cannot find the Log file.' }).waitFor();
      assert.equal(await page.locator('.fw-error').count(), 0);
    } finally {
      await daemon.stop();
    }
  }
});

test('a hostile log is shown as text and runs nothing', async () => {
  const evil = '<img src=x onerror=alert(1)>';
  const log = `Da<b>te,${evil},</script><script>alert(2)</script>\n` +
    `${evil},"<svg onload=alert(3)>",&lt;x&gt;\n`;
  const daemon = await h.startDaemon({ root: h.makeRoot({ log }) });
  try {
    const page = context.pages()[0];
    const dialogs = [];
    page.on('dialog', (d) => { dialogs.push(d.message()); d.dismiss(); });
    await page.goto(daemon.url);
    await page.waitForSelector('[data-name="lbDates"] [aria-selected="true"]');
    assert.equal(await page.locator('[data-name="lbDates"] [role="columnheader"]').textContent(), 'Da<b>te');
    const headings = await page.locator('[data-name="lbData"] [role="columnheader"]').allTextContents();
    assert.deepEqual(headings.slice(0, 2), [evil, '</script><script>alert(2)</script>']);
    assert.deepEqual(await dateCells(page), [evil]);
    assert.deepEqual((await tableRows(page))[0].slice(0, 2), ['<svg onload=alert(3)>', '&lt;x&gt;']);
    assert.equal(await page.locator('img, svg, [data-name="lbData"] script').count(), 0);
    await page.waitForTimeout(300);
    assert.deepEqual(dialogs, []);
  } finally {
    await daemon.stop();
  }
});

test('a log that cannot be read shows the error dialog; the report is thanked and the server goes on', async () => {
  const root = h.makeRoot({ drive: true });
  const file = path.join(root, 'mnt', 'pen', 'userdata.csv');
  fs.mkdirSync(file); // exists, but no file can be read there
  const daemon = await h.startDaemon({ root });
  try {
    const page = await h.openViewer(context, daemon);
    const dialog = page.locator('.fw-error');
    await dialog.waitFor();
    assert.equal(await dialog.locator('.fw-error-message').textContent(),
      'This application has encountered an error and cannot continue.');
    assert.match(await dialog.locator('.fw-error-question').textContent(),
      /^Please describe what you were doing right before the error occurred:/);
    assert.equal(await dialog.locator('.fw-error-cancel').textContent(), 'Do Not Send');
    await dialog.locator('textarea').fill('opened the page');
    await dialog.getByRole('button', { name: 'Send', exact: true }).click();
    await page.locator('.fw-thanks h1', { hasText: 'Thank You' }).waitFor();
    assert.equal(await page.locator('.fw-thanks p').textContent(), 'Your feedback helps us make improvements.');
    assert.equal(daemon.stdout, 'Launching Brix Log Viewer.\nUnhandled Exception\n');
    assert.match(daemon.stderr, /opened the page/);

    // The drive comes back with a log: a new page in the same process works.
    fs.rmdirSync(file);
    fs.writeFileSync(file, 'Date,X\nA,1\n');
    const fresh = await h.openViewer(context, daemon);
    await fresh.waitForSelector('[data-name="lbDates"] [aria-selected="true"]');
    assert.deepEqual(await dateCells(fresh), ['A']);
  } finally {
    await daemon.stop();
  }
});

test('a big log: the launch notice shows how far it is read; cut after the page opened, it fails to download', async () => {
  const line = '2026-03-01,12:00:00,1,12.34,20.1,1.35233,B001,J. Ortiz,Orange Juice\n';
  const root = h.makeRoot({ log: 'Date,Time,Sample,Brix,Temp,RI,Batch,Operator,Product\n' + line.repeat(100000) });
  const daemon = await h.startDaemon({ root });
  const page = await context.newPage();
  try {
    await page.addInitScript(() => {
      window.progressSeen = [];
      new MutationObserver(() => {
        const percent = document.querySelector('.fw-progress-percent');
        if (percent) window.progressSeen.push({ text: percent.textContent, title: document.title });
      }).observe(document, { subtree: true, childList: true, characterData: true });
    });
    await page.goto(daemon.url);
    await page.waitForSelector('[data-name="lbDates"] [aria-selected="true"]');
    const seen = await page.evaluate(() => window.progressSeen);
    assert.ok(seen.length > 0, 'no progress was shown');
    assert.match(seen[0].text, /^\d{1,3}%$/);
    assert.equal(seen[0].title, 'Launching...');

    // Rewritten shorter in place: the transfer breaks off instead of giving other bytes.
    fs.truncateSync(path.join(root, 'mnt', 'pen', 'userdata.csv'), 100);
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('[data-name="btDownload"]')]);
    assert.notEqual(await download.failure(), null, 'the cut log downloaded as if whole');
    assert.match(daemon.stderr, /broken off/);
  } finally {
    await page.close();
    await daemon.stop();
  }
});
