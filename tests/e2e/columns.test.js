'use strict';
// The column chooser: boxes that hide and show columns, remembered in cookies.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./helpers');

let daemon;
test.before(async () => {
  // Punctuation, spaces and non-ASCII text, all of which must survive as part of a cookie name.
  const heading = ['Date', 'Time', 'Brix %; raw', 'Temp °C = probe 2'];
  for (let i = heading.length; i <= 20; i++) heading.push('H' + i);
  daemon = await h.startDaemon({ root: h.makeRoot({ log: heading.join(',') + '\nA,t,b,c\n' }) });
});
test.after(async () => { await daemon?.stop(); });

const box = (page, caption) => page.locator('[data-name="ccGroup"] label.fw-checkbox', { hasText: caption }).locator('input');
const headings = (page) => page.locator('[data-name="lbData"] [role="columnheader"]:visible').allTextContents();

// A box's cookie travels on a request of its own; wait for it rather than for a guessed time.
async function toggle(page, caption, on) {
  const delivered = page.waitForResponse((r) => new URL(r.url()).pathname === '/_cookie');
  await (on ? box(page, caption).check() : box(page, caption).uncheck());
  await delivered;
}

async function ready(page) {
  await page.waitForFunction(() => document.querySelectorAll('[data-name="ccGroup"] input[type="checkbox"]').length === 19);
}

test('clearing a box hides its column, across reloads, until it is ticked again', async () => {
  const context = await h.launchBrowser();
  try {
    const page = await h.openViewer(context, daemon);
    await ready(page);
    const captions = await page.locator('[data-name="ccGroup"] label.fw-checkbox').allTextContents();
    assert.equal(captions.length, 19);
    assert.deepEqual(captions.slice(0, 2), ['Brix %; raw', 'Temp °C = probe 2']);
    assert.equal((await headings(page)).length, 20);

    for (const caption of ['Brix %; raw', 'Temp °C = probe 2']) {
      await toggle(page, caption, false);
      await page.waitForFunction((c) => !Array.from(document.querySelectorAll('[data-name="lbData"] [role="columnheader"]'))
        .some((e) => e.textContent === c && e.offsetParent !== null), caption);
    }
    assert.ok(!(await headings(page)).includes('Brix %; raw'));
    const cells = await page.locator('[data-name="lbData"] .fw-lb-body [role="gridcell"]:visible').allTextContents();
    assert.ok(!cells.includes('b') && !cells.includes('c'), 'their cells are gone too');
    // The other columns share the space: the table is still filled.
    const widths = await page.locator('[data-name="lbData"] [role="columnheader"]:visible').evaluateAll(
      (c) => c.reduce((sum, e) => sum + e.getBoundingClientRect().width, 0));
    assert.ok(Math.abs(widths - 1280) < 20, 'visible columns span ' + widths);

    await page.reload();
    await ready(page);
    assert.equal(await box(page, 'Brix %; raw').isChecked(), false);
    assert.equal(await box(page, 'Temp °C = probe 2').isChecked(), false);
    assert.ok(!(await headings(page)).includes('Temp °C = probe 2'));

    await toggle(page, 'Brix %; raw', true);
    await page.reload();
    await ready(page);
    assert.equal(await box(page, 'Brix %; raw').isChecked(), true);
    assert.ok((await headings(page)).includes('Brix %; raw'));
    const cookies = await context.cookies();
    const brix = cookies.find((c) => c.name === 'ColBrix%20%25%3B%20raw');
    assert.equal(brix?.value, '*');
    const days = (brix.expires - Date.now() / 1000) / 86400;
    assert.ok(days > 89.9 && days <= 90.01, 'expires in ' + days + ' days');
  } finally {
    await context.close();
  }
});

test('a browser that refuses cookies sees every column and nothing fails', async () => {
  const context = await h.launchBrowser({}, { blockCookies: true });
  try {
    const page = await h.openViewer(context, daemon);
    await ready(page);
    await toggle(page, 'Brix %; raw', false);
    await page.reload();
    await ready(page);
    assert.equal(await box(page, 'Brix %; raw').isChecked(), true);
    assert.equal((await headings(page)).length, 20);
    assert.equal(await page.locator('.fw-error').count(), 0);
  } finally {
    await context.close();
  }
});

test('the group scrolls on both axes at the design size, and not at all when empty', async () => {
  const context = await h.launchBrowser();
  try {
    const page = await h.openViewer(context, daemon);
    await ready(page);
    const extent = await page.locator('[data-name="ccGroup"]').evaluate((g) => ({
      sw: g.scrollWidth, sh: g.scrollHeight, cw: g.clientWidth, ch: g.clientHeight,
    }));
    assert.ok(extent.sw > extent.cw && extent.sh > extent.ch, JSON.stringify(extent));
    assert.equal(extent.sh, 960);
    const empty = await page.locator('[data-name="ccGroup"]').evaluate((g) => {
      g.replaceChildren();
      return { h: g.offsetWidth - g.clientWidth, v: g.offsetHeight - g.clientHeight };
    });
    assert.deepEqual(empty, { h: 0, v: 0 });
  } finally {
    await context.close();
  }
});
