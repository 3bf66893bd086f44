// The browser side of the framework: keeps the page's channel to its server session,
// builds the controls the server sends, applies each batch of changes, and reports the
// user's actions back as events. Every text from the server is set as text, never as HTML.
(function () {
  'use strict';

  const root = document.getElementById('fw-root');
  if (!root) return;
  const sessionId = root.dataset.session;
  const disconnectText = root.dataset.disconnect || '';
  const launch = document.getElementById('fw-launch');

  const controls = new Map(); // id -> control record
  let socket = null;
  let everConnected = false;
  let retryDelay = 1000;
  let retryTimer = null;

  const CURSORS = ['inherit', 'default', 'pointer', 'text', 'wait', 'move', 'crosshair', 'help', 'not-allowed'];

  // ---- channel -------------------------------------------------------------------------

  function connect() {
    retryTimer = null;
    const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
    const ws = new WebSocket(scheme + location.host + '/_ws?s=' + encodeURIComponent(sessionId));
    socket = ws;
    ws.onmessage = (e) => {
      heard();
      let message;
      try { message = JSON.parse(e.data); } catch (_) { return; }
      handle(message);
    };
    ws.onclose = () => {
      if (socket !== ws) return;
      socket = null;
      heard();
      if (everConnected) showDisconnected(true);
      retryTimer = setTimeout(connect, retryDelay);
      retryDelay = Math.min(retryDelay * 2, 5000);
    };
  }

  function send(message) {
    if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message));
  }

  function sendEvent(id, name, value) {
    const message = { t: 'event', id: id, name: name };
    if (value !== undefined) message.value = value;
    send(message);
    // An event into a silently lost network must not vanish unnoticed: the beat that follows
    // it goes unanswered, and the page says it is off-line and reconnects, to be painted whole.
    if (!answerTimer) beat();
  }

  // A silent loss (a lid shut, Wi-Fi gone) closes no socket. The page asks for a beat every
  // few seconds and takes the channel for lost when nothing at all comes back in time.
  const BEAT_EVERY_MS = 5000;
  const BEAT_WAIT_MS = 8000;
  let answerTimer = null;
  function beat() {
    if (!socket || socket.readyState !== WebSocket.OPEN) return;
    socket.send('{"t":"beat"}');
    if (!answerTimer) answerTimer = setTimeout(lost, BEAT_WAIT_MS);
  }
  function heard() {
    clearTimeout(answerTimer);
    answerTimer = null;
  }
  function lost() {
    answerTimer = null;
    const ws = socket;
    if (!ws) return;
    ws.onclose();  // off-line now, and reconnecting; the old socket's own close comes when it may
    ws.close();
  }
  setInterval(beat, BEAT_EVERY_MS);

  function handle(message) {
    switch (message.t) {
      case 'page':
        everConnected = true;
        retryDelay = 1000;
        showDisconnected(false);
        paint(message);
        break;
      case 'update':
        (message.removed || []).forEach(removeControl);
        (message.controls || []).forEach(applyControl);
        runCommands(message.commands || []);
        break;
      case 'gone':
        // The server no longer has this session (it restarted, or we were away too long).
        location.reload();
        break;
      case 'nopage':
        if (launch) launch.hidden = true;
        break;
      case 'progress':
        showProgress(Number(message.done) || 0, Number(message.total) || 0);
        break;
    }
  }

  // ---- progress while the page is made ---------------------------------------------------

  // A big log takes a while to read on a small device: the launch notice shows how far.
  let progress = null;
  function showProgress(done, total) {
    if (!launch || launch.hidden || total <= 0) return;
    if (!progress) {
      launch.classList.add('fw-reading');
      const bar = document.createElement('progress');
      bar.max = 100;
      const percent = document.createElement('span');
      percent.className = 'fw-progress-percent';
      const box = document.createElement('div');
      box.className = 'fw-progress';
      box.append(bar, percent);
      launch.appendChild(box);
      progress = { bar, percent };
    }
    const value = Math.min(100, Math.floor((done * 100) / total));
    progress.bar.value = value;
    progress.bar.setAttribute('aria-valuetext', value + '%');
    progress.percent.textContent = value + '%';
  }

  // ---- the disconnect notice -----------------------------------------------------------

  let notice = null;
  function showDisconnected(show) {
    if (show && !notice) {
      notice = document.createElement('div');
      notice.className = 'fw-disconnected';
      notice.setAttribute('role', 'alert');
      const text = document.createElement('div');
      text.className = 'fw-disconnected-text';
      text.textContent = disconnectText;
      notice.appendChild(text);
      document.body.appendChild(notice);
    } else if (!show && notice) {
      notice.remove();
      notice = null;
    }
  }

  // ---- painting ------------------------------------------------------------------------

  function paint(message) {
    controls.clear();
    root.textContent = '';
    let styles = document.getElementById('fw-styles');
    if (!styles) {
      styles = document.createElement('style');
      styles.id = 'fw-styles';
      document.head.appendChild(styles);
    }
    styles.textContent = message.styles || '';
    (message.controls || []).forEach(applyControl);
    if (launch) launch.hidden = true;
    runCommands(message.commands || []);
  }

  function applyControl(props) {
    const existing = controls.get(props.id);
    if (existing) {
      Object.assign(existing.props, props);
      update(existing, props);
      return;
    }
    const builder = BUILDERS[props.kind] || buildContainer;
    const control = { id: props.id, kind: props.kind, props: Object.assign({}, props) };
    builder(control);
    control.el.dataset.name = props.name || '';
    control.el.classList.add('fw-control');
    controls.set(props.id, control);
    const parent = controls.get(props.parent);
    insertInDrawingOrder(parent ? (parent.content || parent.el) : root, control);
    update(control, control.props);
  }

  // Siblings stand in the document as they are drawn, top to bottom, then left to right, so
  // that Tab and a screen reader go through the page as a person reads it.
  function insertInDrawingOrder(parentEl, control) {
    const key = (p) => [p.top || 0, p.left || 0];
    const [top, left] = key(control.props);
    const next = Array.prototype.find.call(parentEl.children, (el) => {
      const other = el.dataset.id && controls.get(el.dataset.id);
      if (!other) return false;
      const [t, l] = key(other.props);
      return t > top || (t === top && l > left);
    });
    control.el.dataset.id = control.id;
    parentEl.insertBefore(control.el, next || null);
  }

  // What a screen reader says when the selection moves: one polite live region for the page.
  function announce(text) {
    let region = document.getElementById('fw-announce');
    if (!region) {
      region = document.createElement('div');
      region.id = 'fw-announce';
      region.className = 'fw-visually-hidden';
      region.setAttribute('aria-live', 'polite');
      region.setAttribute('aria-atomic', 'true');
      document.body.appendChild(region);
    }
    region.textContent = text;
  }

  function removeControl(id) {
    const control = controls.get(id);
    if (!control) return;
    control.el.remove();
    controls.delete(id);
  }

  // Anchors: a control keeps its design distance to each edge it is locked to.
  function layout(control) {
    const p = control.props;
    const s = control.el.style;
    if (p.kind === 'page') {
      s.minWidth = p.minWidth + 'px';
      s.minHeight = p.minHeight + 'px';
      return;
    }
    const parent = controls.get(p.parent);
    const pw = parent ? parent.props.width : p.left + p.width;
    const ph = parent ? parent.props.height : p.top + p.height;
    const right = pw - (p.left + p.width);
    const bottom = ph - (p.top + p.height);
    if (p.lockLeft && p.lockRight) {
      s.left = p.left + 'px'; s.right = right + 'px'; s.width = '';
    } else if (p.lockRight) {
      s.left = ''; s.right = right + 'px'; s.width = p.width + 'px';
    } else {
      s.left = p.left + 'px'; s.right = ''; s.width = p.width + 'px';
    }
    if (p.lockTop && p.lockBottom) {
      s.top = p.top + 'px'; s.bottom = bottom + 'px'; s.height = '';
    } else if (p.lockBottom) {
      s.top = ''; s.bottom = bottom + 'px'; s.height = p.height + 'px';
    } else {
      s.top = p.top + 'px'; s.bottom = ''; s.height = p.height + 'px';
    }
  }

  const GEOMETRY = ['left', 'top', 'width', 'height', 'lockLeft', 'lockTop', 'lockRight', 'lockBottom',
    'minWidth', 'minHeight', 'parent'];

  function styleClass(name) {
    return 'ws-' + String(name || '').replace(/[^A-Za-z0-9_-]/g, '_');
  }

  function update(control, changed) {
    const p = control.props;
    const el = control.el;
    if (GEOMETRY.some((k) => k in changed)) {
      layout(control);
      // Children anchor to this control's design size.
      if ('width' in changed || 'height' in changed) {
        controls.forEach((c) => { if (c.props.parent === control.id) layout(c); });
      }
    }
    if ('visible' in changed) el.hidden = !p.visible;
    if ('enabled' in changed) {
      el.classList.toggle('fw-disabled', !p.enabled);
      el.setAttribute('aria-disabled', p.enabled ? 'false' : 'true');
    }
    if ('cursor' in changed) el.style.cursor = CURSORS[p.cursor] || 'inherit';
    if ('helpTag' in changed) {
      if (p.helpTag) el.title = p.helpTag; else el.removeAttribute('title');
    }
    if ('accessibleName' in changed) {
      if (p.accessibleName) el.setAttribute('aria-label', p.accessibleName); else el.removeAttribute('aria-label');
    }
    if ('zIndex' in changed) el.style.zIndex = String(p.zIndex);
    if ('style' in changed) {
      if (control.styleClass) el.classList.remove(control.styleClass);
      control.styleClass = styleClass(p.style);
      el.classList.add(control.styleClass);
    }
    if ('name' in changed) el.dataset.name = p.name || '';
    if (control.update) control.update(changed);
  }

  // ---- controls ------------------------------------------------------------------------

  const BUILDERS = {
    page: buildPage,
    listbox: buildListBox,
    button: buildButton,
    checkbox: buildCheckbox,
    container: buildContainer,
  };

  function buildPage(control) {
    control.el = document.createElement('div');
    control.el.className = 'fw-page';
    control.update = (changed) => {
      if ('title' in changed) document.title = control.props.title;
    };
  }

  function buildContainer(control) {
    control.el = document.createElement('div');
    control.el.className = 'fw-container';
    control.update = (changed) => {
      if ('scrollbars' in changed) {
        const mode = control.props.scrollbars;
        control.el.style.overflow = mode === 0 ? 'auto' : mode === 1 ? 'scroll' : 'hidden';
      }
    };
  }

  function buildButton(control) {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'fw-button';
    control.el = button;
    button.addEventListener('click', () => {
      if (!control.props.enabled) return;
      if (control.props.autoDisable) button.disabled = true;
      sendEvent(control.id, 'Action');
    });
    control.update = (changed) => {
      if ('caption' in changed) button.textContent = control.props.caption;
      if ('enabled' in changed) button.disabled = !control.props.enabled;
    };
  }

  function buildCheckbox(control) {
    const label = document.createElement('label');
    label.className = 'fw-checkbox';
    const input = document.createElement('input');
    input.type = 'checkbox';
    const caption = document.createElement('span');
    label.append(input, caption);
    control.el = label;
    input.addEventListener('change', () => sendEvent(control.id, 'ValueChanged', input.checked));
    control.update = (changed) => {
      if ('caption' in changed) caption.textContent = control.props.caption;
      if ('value' in changed) input.checked = !!control.props.value;
      if ('enabled' in changed) input.disabled = !control.props.enabled;
    };
  }

  // "*" and "2*" share what fixed columns leave; "0" takes nothing; "100" is pixels. No column
  // gets narrower than least pixels; the second value is what the column needs at least.
  function track(width, least) {
    const w = String(width).trim();
    let m;
    if (w === '0') return ['0px', 0];
    if ((m = /^(\d+(?:\.\d+)?)%$/.exec(w))) return ['max(' + m[1] + '%,' + least + 'px)', least];
    if ((m = /^(\d+(?:\.\d+)?)(px)?$/.exec(w))) {
      const px = Math.max(Number(m[1]), least);
      return [px + 'px', px];
    }
    m = /^(\d+(?:\.\d+)?)?\*$/.exec(w);
    return ['minmax(' + least + 'px,' + ((m && m[1]) || '1') + 'fr)', least];
  }

  // The width of a text's longest word in a font, measured once per font and word, and at
  // most WIDEST_WORD: a longer token (a corrupt or hostile log's) breaks as a last resort
  // rather than pushing every other column out of sight.
  const WIDEST_WORD = 320;
  const measurer = document.createElement('canvas').getContext('2d');
  const measured = new Map();
  function longestWord(text, font) {
    let widths = measured.get(font);
    if (!widths) measured.set(font, (widths = new Map()));
    let widest = 0;
    for (const word of String(text).split(/\s+/)) {
      if (!word) continue;
      let w = word.length > 200 ? WIDEST_WORD : widths.get(word);
      if (w === undefined) {
        measurer.font = font;
        w = Math.min(WIDEST_WORD, measurer.measureText(word).width);
        if (widths.size < 50000) widths.set(word, w);
      }
      widest = Math.max(widest, w);
    }
    return widest;
  }

  function buildListBox(control) {
    // The grid is itself the scrolling area: the element that takes the keyboard's focus
    // is the one that scrolls, as assistive technology expects.
    const el = document.createElement('div');
    el.className = 'fw-listbox fw-lb-scroll';
    el.setAttribute('role', 'grid');
    el.tabIndex = 0;
    const scroller = el;
    const head = document.createElement('div');
    head.className = 'fw-lb-head';
    head.setAttribute('role', 'row');
    const body = document.createElement('div');
    body.className = 'fw-lb-body';
    body.setAttribute('role', 'rowgroup');
    el.append(head, body);
    control.el = el;

    function columnCount() { return (control.props.columnWidths || []).length; }
    function hiddenColumn(i) { return String(control.props.columnWidths[i]).trim() === '0'; }

    function cell(role, text, column) {
      const c = document.createElement('div');
      c.className = 'fw-lb-cell';
      c.setAttribute('role', role);
      c.style.gridColumn = String(column + 1);
      if (hiddenColumn(column)) c.hidden = true;
      const span = document.createElement('span');
      span.textContent = text;
      c.appendChild(span);
      return c;
    }

    function renderHead() {
      head.textContent = '';
      const headings = control.props.headings || [];
      for (let i = 0; i < columnCount(); i++) head.appendChild(cell('columnheader', headings[i] || '', i));
      head.hidden = !control.props.hasHeading;
      headLeast = [];
      if (control.props.hasHeading) widen(headLeast, [headings], head);
      applyColumns();
    }

    // Whole words in a list whose cells wrap: no column is narrower than the longest word
    // of its heading or of the rows it has shown, nor than a few characters. When the
    // columns need more than the list box has, the list scrolls sideways, heading and all.
    let headLeast = [];     // px per column, from the headings
    let rowLeast = [];      // px per column, from the rows of the content shown
    const CELL_EXTRA = 10;  // the cell's padding and border, and a pixel to spare
    function widen(least, rows, fontOf) {
      if (!control.props.multiline) return false;
      const font = getComputedStyle(fontOf).font;
      if (!font) return false;
      let changed = false;
      for (const cells of rows) {
        for (let i = 0; i < Math.min(cells.length, columnCount()); i++) {
          if (!cells[i]) continue;
          const need = Math.ceil(longestWord(cells[i], font) + CELL_EXTRA);
          if (need > (least[i] || 0)) { least[i] = need; changed = true; }
        }
      }
      return changed;
    }
    function applyColumns() {
      const few = control.props.multiline ? Math.ceil(longestWord('0000', getComputedStyle(el).font || '') + CELL_EXTRA) : 0;
      let total = 0;
      const template = (control.props.columnWidths || []).map((width, i) => {
        const least = hiddenColumn(i) ? 0 : Math.max(few, headLeast[i] || 0, rowLeast[i] || 0);
        const [text, px] = track(width, least);
        total += px;
        return text;
      }).join(' ');
      el.style.setProperty('--fw-columns', template);
      el.style.setProperty('--fw-least-width', total + 'px');
    }

    // The rows this browser holds, by row number, for one version (gen) of the list's
    // content; only those near the view are in the document.
    let data = { gen: null, count: 0, rows: new Map() };
    let rendered = { first: 0, last: 0 };
    let rowHeight = 0;      // measured from rendered rows; the spacers stand in for the rest
    let asked = null;       // { gen, first, at } of the request in flight
    let frame = 0;
    const OVERSCAN = 60;    // rows kept in the document beyond each edge of the view
    const STEP = 20;        // the window moves in steps, so small scrolls rebuild nothing
    const KEEP = 3000;      // rows held before those far from the view are let go
    const MAX_HEIGHT = 15e6; // pixels: under every browser's cap on an element's height

    const topSpacer = document.createElement('div');
    const bottomSpacer = document.createElement('div');
    topSpacer.className = bottomSpacer.className = 'fw-lb-spacer';
    topSpacer.setAttribute('aria-hidden', 'true');
    bottomSpacer.setAttribute('aria-hidden', 'true');

    function estimatedRowHeight() { return rowHeight || Math.max(1, control.props.minRowHeight || 22); }

    function takeRows(slice) {
      if (!slice) return;
      if (slice.gen !== data.gen) {
        // New content: what we held is stale, and the list starts again from its top.
        const fresh = data.gen !== null;
        data = { gen: slice.gen, count: slice.count, rows: new Map() };
        rowLeast = [];
        rendered = { first: 0, last: 0 };
        asked = null;
        if (fresh) scroller.scrollTop = 0;
      }
      data.count = slice.count;
      (slice.cells || []).forEach((cells, i) => data.rows.set(slice.first + i, cells));
      if (widen(rowLeast, slice.cells || [], el)) applyColumns();
      if (asked && asked.gen === slice.gen) asked = null;
    }

    // Where the rows stand. Browsers cap an element's height (Firefox near 17.9 million
    // pixels), so a longer list scrolls through a compressed height: the scroll position
    // maps linearly onto the rows, and the rows in the document are placed where that
    // mapping puts them. Below the cap the mapping is exact: one row per row height.
    function geometry() {
      const est = estimatedRowHeight();
      const view = Math.max(1, scroller.clientHeight - body.offsetTop);  // under the sticky heading
      const total = Math.min(data.count * est, MAX_HEIGHT);
      return { est, view, total, maxFirst: Math.max(0, data.count - view / est), maxScroll: Math.max(0, total - view) };
    }
    const rowAt = (top, g) => (g.maxScroll > 0 ? Math.min(g.maxFirst, top * g.maxFirst / g.maxScroll) : 0);
    const scrollFor = (row, g) => (g.maxFirst > 0 ? Math.min(g.maxScroll, row * g.maxScroll / g.maxFirst) : 0);

    // Scrolled to the very bottom shows the last rows, whatever the rows' real heights did to the total.
    const atBottom = () => scroller.scrollTop > 0 &&
      scroller.scrollTop + scroller.clientHeight >= scroller.scrollHeight - 1;
    const currentRow = (g) => (atBottom() ? g.maxFirst : rowAt(Math.max(0, scroller.scrollTop), g));

    function viewRange() {
      const g = geometry();
      const firstVisible = Math.floor(currentRow(g));
      const visible = Math.ceil(g.view / g.est) + 1;
      const first = Math.max(0, Math.floor((firstVisible - OVERSCAN) / STEP) * STEP);
      const last = Math.min(data.count, Math.ceil((firstVisible + visible + OVERSCAN) / STEP) * STEP);
      return { first, last: Math.max(first, last) };
    }

    // The spacers put the row that the scroll position maps to at the top of the view.
    function place() {
      const g = geometry();
      const bottom = atBottom();
      const top = Math.max(0, scroller.scrollTop);
      const before = Math.round(Math.max(0, top - (currentRow(g) - rendered.first) * g.est));
      topSpacer.style.height = before + 'px';
      bottomSpacer.style.height = Math.round(Math.max(0, g.total - before - (rendered.last - rendered.first) * g.est)) + 'px';
      if (bottom) scroller.scrollTop = scroller.scrollHeight;
    }

    function requestMissing(range) {
      let missing = -1;
      for (let r = range.first; r < range.last; r++) if (!data.rows.has(r)) { missing = r; break; }
      if (missing < 0) return;
      const now = Date.now();
      if (asked && asked.gen === data.gen && asked.first === missing && now - asked.at < 3000) return;
      asked = { gen: data.gen, first: missing, at: now };
      sendEvent(control.id, 'Rows', missing);
    }

    function forgetFar(range) {
      if (data.rows.size <= KEEP) return;
      for (const r of data.rows.keys()) if (r < range.first - KEEP / 3 || r >= range.last + KEEP / 3) data.rows.delete(r);
    }

    function renderRows(force) {
      const range = viewRange();
      if (!force && range.first === rendered.first && range.last === rendered.last) {
        place();
        return;
      }
      const fragment = document.createDocumentFragment();
      const count = columnCount();
      const headed = control.props.hasHeading ? 1 : 0;
      for (let r = range.first; r < range.last; r++) {
        const cells = data.rows.get(r);
        const row = document.createElement('div');
        row.className = 'fw-lb-row';
        row.setAttribute('role', 'row');
        row.setAttribute('aria-rowindex', String(r + 1 + headed));
        row.dataset.row = String(r);
        row.style.background = r % 2 === 0 ? control.props.primaryRowColor : control.props.alternateRowColor;
        row.style.minHeight = control.props.minRowHeight + 'px';
        if (!cells) { row.classList.add('fw-lb-pending'); row.setAttribute('aria-busy', 'true'); }
        for (let i = 0; i < count; i++) row.appendChild(cell('gridcell', cells ? (cells[i] || '') : '', i));
        fragment.appendChild(row);
      }
      body.textContent = '';
      body.append(topSpacer, fragment, bottomSpacer);
      const rows = range.last - range.first;
      if (rows > 0) {
        // Rows may wrap (multiline), so the spacers use the height the rows really take.
        const measured = (bottomSpacer.offsetTop - topSpacer.offsetTop - topSpacer.offsetHeight) / rows;
        if (measured > 0) rowHeight = measured;
      }
      rendered = { first: range.first, last: range.last };
      place();
      el.setAttribute('aria-rowcount', String(data.count + headed));
      renderSelection(false);
      requestMissing(range);
      forgetFar(range);
    }

    function rowElement(index) {
      return body.querySelector('.fw-lb-row[data-row="' + index + '"]');
    }

    function renderSelection(reveal) {
      const index = control.props.listIndex;
      Array.prototype.forEach.call(body.children, (row) => {
        if (!row.dataset.row) return;
        const selected = Number(row.dataset.row) === index;
        row.classList.toggle('fw-selected', selected);
        row.setAttribute('aria-selected', selected ? 'true' : 'false');
      });
      if (!reveal || index < 0 || index >= data.count) return;
      // Scrolled through the row mapping, so that a compressed list reveals the right row too.
      const row = rowElement(index);
      const viewTop = scroller.scrollTop + body.offsetTop;
      const viewBottom = scroller.scrollTop + scroller.clientHeight;
      if (row && row.offsetTop >= viewTop && row.offsetTop + row.offsetHeight <= viewBottom) return;
      const g = geometry();
      const above = row ? row.offsetTop < viewTop : index < rowAt(scroller.scrollTop, g);
      scroller.scrollTop = scrollFor(above ? index : index + 1 - g.view / g.est, g);
      renderRows(true);
    }

    function renderColumns() {
      renderHead();
      renderRows(true);
    }

    function select(index) {
      if (index < 0 || index >= data.count || index === control.props.listIndex) return;
      control.props.listIndex = index;
      renderSelection(true);
      const cells = (data.rows.get(index) || []).filter((text, i) => text && !hiddenColumn(i));
      announce(cells.concat([(index + 1) + ' of ' + data.count]).join(', '));
      sendEvent(control.id, 'SelectionChanged', index);
    }

    scroller.addEventListener('scroll', () => {
      if (frame) return;
      frame = requestAnimationFrame(() => { frame = 0; renderRows(false); });
    });
    if (window.ResizeObserver) new ResizeObserver(() => renderRows(false)).observe(scroller);

    body.addEventListener('click', (e) => {
      if (!control.props.enabled) return;
      const row = e.target.closest('.fw-lb-row');
      if (row) select(Number(row.dataset.row));
    });
    el.addEventListener('keydown', (e) => {
      if (!control.props.enabled) return;
      const rows = data.count;
      if (!rows) return;
      const index = control.props.listIndex;
      const page = Math.max(1, Math.floor(geometry().view / estimatedRowHeight()) - 1);
      const from = (fallback) => (index < 0 ? fallback : index);
      const target = {
        ArrowDown: from(-1) + 1, ArrowUp: from(rows) - 1, PageDown: from(-1) + page, PageUp: from(rows) - page,
        Home: 0, End: rows - 1,
      }[e.key];
      if (target === undefined) return;
      select(Math.max(0, Math.min(target, rows - 1)));
      e.preventDefault();
    });

    control.update = (changed) => {
      if ('rows' in changed) takeRows(control.props.rows);
      if ('columnWidths' in changed) renderColumns();
      else {
        if ('headings' in changed || 'hasHeading' in changed) renderHead();
        if ('rows' in changed || 'primaryRowColor' in changed || 'alternateRowColor' in changed ||
            'minRowHeight' in changed || 'hasHeading' in changed) renderRows(true);
      }
      if ('multiline' in changed) {
        el.classList.toggle('fw-multiline', !!control.props.multiline);
        rowHeight = 0;
        if (!('columnWidths' in changed)) renderHead();  // the columns' least widths follow it
      }
      if ('listIndex' in changed) renderSelection(true);
    };
  }

  // ---- commands ------------------------------------------------------------------------

  function runCommands(commands) {
    commands.forEach((command) => {
      const args = command.args || [];
      switch (command.kind) {
        case 'msgbox': queueMessage(args[0] || ''); break;
        case 'url': showURL(args[0] || '', args[1] === '1'); break;
        case 'cookie': fetch(args[0], { credentials: 'same-origin', cache: 'no-store' }).catch(() => {}); break;
        case 'error': showErrorDialog(args); break;
        case 'thanks': showThanks(args); break;
      }
    });
  }

  function showURL(url, newWindow) {
    if (newWindow) { window.open(url, '_blank', 'noopener'); return; }
    if (url.startsWith('/_files/')) {
      // A download: the page and its channel stay as they are.
      const a = document.createElement('a');
      a.href = url;
      a.download = '';
      document.body.appendChild(a);
      a.click();
      a.remove();
      return;
    }
    location.assign(url);
  }

  // Message boxes, one at a time, in the order the server asked for them.
  const messages = [];
  let messageOpen = false;
  function queueMessage(text) {
    messages.push(text);
    if (!messageOpen) nextMessage();
  }
  function nextMessage() {
    const text = messages.shift();
    if (text === undefined) { messageOpen = false; return; }
    messageOpen = true;
    const dialog = modal('fw-msgbox', 'alertdialog');
    const body = document.createElement('p');
    body.className = 'fw-msgbox-text';
    body.textContent = text;
    const ok = document.createElement('button');
    ok.type = 'button';
    ok.className = 'fw-button fw-msgbox-ok';
    ok.textContent = 'OK';
    ok.addEventListener('click', () => { dialog.overlay.remove(); nextMessage(); });
    dialog.box.append(body, ok);
    ok.focus();
  }

  function modal(className, role) {
    const overlay = document.createElement('div');
    overlay.className = 'fw-overlay';
    const box = document.createElement('div');
    box.className = 'fw-dialog ' + className;
    box.setAttribute('role', role);
    box.setAttribute('aria-modal', 'true');
    overlay.appendChild(box);
    document.body.appendChild(overlay);
    return { overlay: overlay, box: box };
  }

  function showErrorDialog(texts) {
    if (document.querySelector('.fw-error')) return;
    const dialog = modal('fw-error', 'alertdialog');
    const message = document.createElement('p');
    message.className = 'fw-error-message';
    message.textContent = texts[0] || '';
    const question = document.createElement('label');
    question.className = 'fw-error-question';
    question.textContent = texts[1] || '';
    const field = document.createElement('textarea');
    field.className = 'fw-error-text';
    field.rows = 4;
    question.appendChild(field);
    const buttons = document.createElement('div');
    buttons.className = 'fw-error-buttons';
    const cancel = document.createElement('button');
    cancel.type = 'button';
    cancel.className = 'fw-button fw-error-cancel';
    cancel.textContent = texts[3] || '';
    cancel.addEventListener('click', () => dialog.overlay.remove());
    const submit = document.createElement('button');
    submit.type = 'button';
    submit.className = 'fw-button fw-error-submit';
    submit.textContent = texts[2] || '';
    submit.addEventListener('click', () => {
      send({ t: 'report', text: field.value });
      dialog.overlay.remove();
    });
    buttons.append(cancel, submit);
    dialog.box.append(message, question, buttons);
    field.focus();
  }

  function showThanks(texts) {
    root.textContent = '';
    const page = document.createElement('div');
    page.className = 'fw-thanks';
    const heading = document.createElement('h1');
    heading.textContent = texts[0] || '';
    const message = document.createElement('p');
    message.textContent = texts[1] || '';
    page.append(heading, message);
    root.appendChild(page);
    document.title = texts[0] || '';
  }

  // A failure of this script is a failure of the application: the server answers with
  // its error dialog, in the session's texts.
  window.addEventListener('error', () => send({ t: 'scripterror' }));

  connect();
})();
