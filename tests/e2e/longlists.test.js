'use strict';
// Lists far longer than a screen: a day with hundreds of thousands of records, and a log
// of thousands of dates. The page holds only the rows near the view, and every row can
// still be reached by scrolling and from the keyboard.
const test = require('node:test');
const assert = require('node:assert/strict');
const h = require('./helpers');

let context;
test.before(async () => { context = await h.launchBrowser(); });
test.after(async () => { await context?.close(); });

const rowsInPage = (page, list) => page.locator(`[data-name="${list}"] .fw-lb-body [role="row"]`).count();

// The row's first cell, once it has arrived and stands wholly inside the list's view.
function waitForVisibleRow(page, list, row, text) {
  return page.waitForFunction(({ list, row, text }) => {
    const scroller = document.querySelector(`[data-name="${list}"].fw-lb-scroll`);
    const el = scroller.querySelector(`.fw-lb-row[data-row="${row}"]:not(.fw-lb-pending)`);
    if (!el || el.children[0].textContent !== text) return false;
    const view = scroller.getBoundingClientRect();
    const head = scroller.querySelector('.fw-lb-head');
    const top = view.top + (head.hidden ? 0 : head.getBoundingClientRect().height);
    const box = el.getBoundingClientRect();
    return box.top >= top - 1 && box.bottom <= view.bottom + 1;
  }, { list, row, text });
}

const scrollTo = (page, list, where) => page.locator(`[data-name="${list}"].fw-lb-scroll`)
  .evaluate((s, where) => { s.scrollTop = where === 'end' ? s.scrollHeight : where * s.scrollHeight; }, where);

test('a day of 800,000 records opens at once and scrolls from its first record to its last', async () => {
  const records = 800000;
  const lines = ['Date,N'];
  for (let i = 0; i < records; i++) lines.push('2026-12-01,' + i);
  const daemon = await h.startDaemon({ root: h.makeRoot({ log: lines.join('\n') + '\n' }) });
  try {
    const page = await h.openViewer(context, daemon);
    await waitForVisibleRow(page, 'lbData', 0, '0');
    assert.equal(await page.locator('[data-name="lbData"]').getAttribute('aria-rowcount'), String(records + 1));
    assert.ok(await rowsInPage(page, 'lbData') < 1000, 'only the rows near the view are in the page');

    await scrollTo(page, 'lbData', 0.5);
    await page.waitForFunction(() => {
      const row = document.querySelector('[data-name="lbData"] .fw-lb-row:not(.fw-lb-pending)');
      return row && Number(row.dataset.row) > 390000 && row.children[0].textContent === row.dataset.row;
    });
    await scrollTo(page, 'lbData', 'end');
    await waitForVisibleRow(page, 'lbData', records - 1, String(records - 1));
    await scrollTo(page, 'lbData', 0);
    await waitForVisibleRow(page, 'lbData', 0, '0');
    assert.ok(await rowsInPage(page, 'lbData') < 1000);
  } finally {
    await daemon.stop();
  }
});

test('a log of 20,000 dates opens on the last, and the keys and clicks reach any other', async () => {
  const dates = 20000;
  const date = (i) => 'D' + String(i).padStart(5, '0');
  const lines = ['Date,N'];
  for (let i = 0; i < dates; i++) lines.push(date(i) + ',' + i);
  const daemon = await h.startDaemon({ root: h.makeRoot({ log: lines.join('\r\n') + '\r\n' }) });
  try {
    const page = await h.openViewer(context, daemon);
    await waitForVisibleRow(page, 'lbDates', dates - 1, date(dates - 1));
    assert.ok(await rowsInPage(page, 'lbDates') < 1000);
    const shown = () => page.locator('[data-name="lbData"] .fw-lb-body [role="gridcell"]').first().textContent();
    assert.equal(await shown(), String(dates - 1));

    await page.locator('[data-name="lbDates"]').focus();
    for (let i = 0; i < 40; i++) await page.keyboard.press('ArrowUp');
    await waitForVisibleRow(page, 'lbDates', dates - 41, date(dates - 41));
    await page.waitForFunction((want) => document.querySelector('[data-name="lbData"] .fw-lb-body [role="gridcell"]')
      ?.textContent === want, String(dates - 41));

    await scrollTo(page, 'lbDates', 0);
    await waitForVisibleRow(page, 'lbDates', 0, date(0));
    await page.locator('[data-name="lbDates"] .fw-lb-row[data-row="3"]').click();
    await page.waitForFunction(() => document.querySelector('[data-name="lbData"] .fw-lb-body [role="gridcell"]')
      ?.textContent === '3');
    assert.equal(await page.locator('[data-name="lbDates"] [aria-selected="true"]').textContent(), date(3));
    // Down from there: the selection moves on, in view.
    await page.keyboard.press('ArrowDown');
    await waitForVisibleRow(page, 'lbDates', 4, date(4));
    assert.equal(await page.locator('[data-name="lbDates"] [aria-selected="true"]').textContent(), date(4));
    // End and Home go to either end at once; a page down moves by a screenful.
    const shows = (want) => page.waitForFunction((w) => document.querySelector(
      '[data-name="lbData"] .fw-lb-body [role="gridcell"]')?.textContent === w, String(want));
    await page.keyboard.press('End');
    await waitForVisibleRow(page, 'lbDates', dates - 1, date(dates - 1));
    await shows(dates - 1);
    await page.keyboard.press('Home');
    await waitForVisibleRow(page, 'lbDates', 0, date(0));
    await shows(0);
    await page.keyboard.press('PageDown');
    const after = Number(await page.locator('[data-name="lbDates"] [aria-selected="true"]').getAttribute('data-row'));
    assert.ok(after > 20 && after < 60, 'a page down went to row ' + after);
    await waitForVisibleRow(page, 'lbDates', after, date(after));
    await shows(after);
  } finally {
    await daemon.stop();
  }
});
