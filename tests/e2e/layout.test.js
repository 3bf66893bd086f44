'use strict';
// What a person sees of the page's layout, in a real browser, at three window sizes.
const test = require('node:test');
const assert = require('node:assert/strict');
const h = require('./helpers');

let daemon;
let context;
test.before(async () => {
  daemon = await h.startDaemon({ root: h.makeRoot({ drive: true }) }); // drive, no log: the empty page
  context = await h.launchBrowser();
});
test.after(async () => {
  await context?.close();
  await daemon?.stop();
});

function near(actual, expected, what) {
  for (const key of Object.keys(expected)) {
    assert.ok(Math.abs(actual[key] - expected[key]) <= 1, `${what}.${key}: ${actual[key]} is not ${expected[key]}`);
  }
}

test('the page follows the window with its anchors, never smaller than 600 x 400', async () => {
  const page = await h.openViewer(context, daemon);
  const sizes = [
    { w: 1640, h: 990, lbDates: { x: 20, y: 20, width: 114, height: 950 }, lbData: { x: 146, y: 20, width: 1282, height: 950 },
      ccGroup: { x: 1440, y: 55, width: 180, height: 851 }, btDownload: { x: 1469, y: 948, width: 100, height: 22 } },
    { w: 1000, h: 600, lbDates: { x: 20, y: 20, width: 114, height: 560 }, lbData: { x: 146, y: 20, width: 642, height: 560 },
      ccGroup: { x: 800, y: 55, width: 180, height: 461 }, btDownload: { x: 829, y: 558, width: 100, height: 22 } },
    { w: 500, h: 300, lbDates: { x: 20, y: 20, width: 114, height: 360 }, lbData: { x: 146, y: 20, width: 242, height: 360 },
      ccGroup: { x: 400, y: 55, width: 180, height: 261 }, btDownload: { x: 429, y: 358, width: 100, height: 22 } },
  ];
  // A resize is laid out by the browser alone: no message goes to the server.
  let sent = 0;
  page.on('websocket', (ws) => ws.on('framesent', (f) => { if (!String(f.payload).includes('"beat"')) sent += 1; }));
  for (const size of sizes) {
    await page.setViewportSize({ width: size.w, height: size.h });
    await page.waitForTimeout(100);
    for (const name of ['lbDates', 'lbData', 'ccGroup', 'btDownload']) {
      near(await h.box(page, name), size[name], `${size.w}x${size.h} ${name}`);
    }
  }
  assert.equal(sent, 0);
  // Below the minimum the browser scrolls.
  const scrolls = await page.evaluate(() => {
    const root = document.getElementById('fw-root');
    return { w: root.scrollWidth, h: root.scrollHeight };
  });
  assert.deepEqual(scrolls, { w: 600, h: 400 });
});

test('headings, caption and title without a log', async () => {
  await (context.pages()[0]).setViewportSize({ width: 1640, height: 990 });
  const page = await h.openViewer(context, daemon);
  const headings = await page.locator('[data-name="lbData"] [role="columnheader"]').allTextContents();
  assert.deepEqual(headings, Array.from({ length: 20 }, (_, i) => 'Column ' + i));
  assert.equal(await page.locator('[data-name="btDownload"]').textContent(), 'Download Log');
  assert.equal(await page.title(), 'KVR Brix Data Log Viewer');
  // Column 0 is 100 px wide; the others share the rest equally.
  const widths = await page.locator('[data-name="lbData"] [role="columnheader"]').evaluateAll(
    (cells) => cells.map((c) => c.getBoundingClientRect().width));
  assert.ok(Math.abs(widths[0] - 100) <= 1, 'column 0 is ' + widths[0]);
  for (const w of widths.slice(1)) assert.ok(Math.abs(w - widths[1]) <= 1);
  // The date list is a grid too, with its (empty) heading and no rows.
  assert.equal(await page.locator('[data-name="lbDates"][role="grid"] [role="row"]').count(), 1);
});

// Every word of the table's headings and cells, by text ranges: one that spans two lines is split.
function splitWords(page) {
  return page.evaluate(() => {
    const split = [];
    const spans = document.querySelectorAll('[data-name="lbData"] [role="columnheader"] > span, ' +
      '[data-name="lbData"] .fw-lb-body [role="gridcell"] > span');
    for (const span of spans) {
      const node = span.firstChild;
      if (!node || span.offsetParent === null) continue;
      const text = node.textContent;
      for (const m of text.matchAll(/\S+/g)) {
        const range = document.createRange();
        range.setStart(node, m.index);
        range.setEnd(node, m.index + m[0].length);
        const tops = new Set(Array.from(range.getClientRects(), (r) => Math.round(r.top)));
        if (tops.size > 1) split.push(m[0]);
      }
    }
    return split;
  });
}

test('words and numbers are never split, at the design size and on a small window', async () => {
  const sample = await h.startDaemon();
  const page = context.pages()[0];
  try {
    for (const [width, height] of [[1640, 990], [1000, 600]]) {
      await page.setViewportSize({ width, height });
      await h.openViewer(context, sample);
      await page.waitForSelector('[data-name="lbData"] .fw-lb-body [role="row"]:not(.fw-lb-pending)');
      assert.deepEqual(await splitWords(page), [], `${width}x${height}`);
      // What does not fit scrolls sideways inside the table, its heading row along with it.
      const table = await page.evaluate(() => {
        const t = document.querySelector('[data-name="lbData"]');
        t.scrollLeft = t.scrollWidth;
        const head = t.querySelector('.fw-lb-head').getBoundingClientRect();
        const row = t.querySelector('.fw-lb-body [role="row"]').getBoundingClientRect();
        return { wider: t.scrollWidth > t.clientWidth, headLeft: head.left, rowLeft: row.left };
      });
      if (table.wider) assert.ok(Math.abs(table.headLeft - table.rowLeft) <= 1, 'the heading moves with the rows');
    }
    // The list boxes keep the boxes the layout gives them.
    near(await h.box(page, 'lbData'), { x: 146, y: 20, width: 642, height: 560 }, 'lbData');
  } finally {
    await page.setViewportSize({ width: 1640, height: 990 });
    await sample.stop();
  }
});

test('a token too long for any column breaks, and keeps the other columns near', async () => {
  const odd = await h.startDaemon({ root: h.makeRoot({ log: 'Date,Time,Note,Value\nA,06:00,' + 'x'.repeat(5000) + ',42\n' }) });
  try {
    const page = await h.openViewer(context, odd);
    await page.waitForSelector('[data-name="lbData"] .fw-lb-body [role="row"]:not(.fw-lb-pending)');
    const widths = await page.locator('[data-name="lbData"] [role="columnheader"]:visible').evaluateAll(
      (cells) => cells.map((c) => c.getBoundingClientRect().width));
    assert.ok(Math.max(...widths) < 700, 'columns ' + widths.join(', '));
    const table = await page.evaluate(() => {
      const t = document.querySelector('[data-name="lbData"]');
      return { scroll: t.scrollWidth, view: t.clientWidth };
    });
    assert.ok(table.scroll < 2 * table.view, `the table is ${table.scroll} px wide for a view of ${table.view}`);
  } finally {
    await odd.stop();
  }
});
