'use strict';
// The page with a screen reader and a keyboard: axe-core finds nothing serious, the grids
// have names, a selection change is announced, and Tab follows what is drawn.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const h = require('./helpers');

const axeSource = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');

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

test('axe-core finds no serious or critical violation on the sample log', async (t) => {
  const page = await h.openViewer(context, daemon);
  await page.waitForSelector('[data-name="lbDates"] [aria-selected="true"]');
  await page.waitForSelector('[data-name="ccGroup"] input');
  await page.evaluate(axeSource);
  const result = await page.evaluate(() => window.axe.run(document));
  for (const v of result.violations) t.diagnostic(`${v.impact} ${v.id} x${v.nodes.length}: ${v.help}`);
  const bad = result.violations.filter((v) => v.impact === 'serious' || v.impact === 'critical');
  assert.deepEqual(bad.map((v) => v.id), []);
});

test('the grids are named, a new selection is announced, and Tab goes as the page is drawn', async () => {
  const page = await h.openViewer(context, daemon);
  await page.waitForSelector('[data-name="lbDates"] [aria-selected="true"]');
  const dates = page.locator('[data-name="lbDates"]');
  assert.equal(await dates.getAttribute('aria-label'), 'Dates');
  const selectedDate = await page.locator('[data-name="lbDates"] [aria-selected="true"]').textContent();
  await page.waitForFunction((d) => document.querySelector('[data-name="lbData"]').getAttribute('aria-label') === d,
    selectedDate);
  assert.equal(await page.locator('main').count(), 1);

  await dates.focus();
  await page.keyboard.press('Home');
  const first = await page.locator('[data-name="lbDates"] .fw-lb-body [role="gridcell"]').first().textContent();
  await page.waitForFunction((d) => document.querySelector('[data-name="lbData"]').getAttribute('aria-label') === d, first);
  const said = await page.locator('[aria-live="polite"]').textContent();
  assert.match(said, new RegExp('^' + first.replace(/[.*+?^${}()|[\]\\]/g, '\\$&') + '\\b'));
  assert.match(said, /1 of \d+/);

  const order = [];
  for (let i = 0; i < 4; i++) {
    order.push(await page.evaluate(() => {
      const el = document.activeElement;
      return el.closest('[data-name]')?.dataset.name + (el.type === 'checkbox' ? ':box' : '');
    }));
    await page.keyboard.press('Tab');
  }
  assert.equal(order[0], 'lbDates');
  assert.equal(order[1], 'lbData');
  assert.match(order[2], /:box$/, 'the first check box');
  const boxes = await page.locator('[data-name="ccGroup"] input[type="checkbox"]').count();
  for (let i = 2; i < boxes; i++) await page.keyboard.press('Tab');  // past the boxes after the second
  assert.equal(await page.evaluate(() => document.activeElement.closest('[data-name]')?.dataset.name), 'btDownload');
});
