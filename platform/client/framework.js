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
      let message;
      try { message = JSON.parse(e.data); } catch (_) { return; }
      handle(message);
    };
    ws.onclose = () => {
      if (socket !== ws) return;
      socket = null;
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
  }

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
    }
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
    if (parent) (parent.content || parent.el).appendChild(control.el);
    else root.appendChild(control.el);
    update(control, control.props);
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

  // "*" and "2*" share what fixed columns leave; "0" takes nothing; "100" is pixels.
  function track(width) {
    const w = String(width).trim();
    let m;
    if (w === '0') return '0px';
    if ((m = /^(\d+(?:\.\d+)?)?\*$/.exec(w))) return 'minmax(0,' + (m[1] || '1') + 'fr)';
    if ((m = /^(\d+(?:\.\d+)?)%$/.exec(w))) return m[1] + '%';
    if ((m = /^(\d+(?:\.\d+)?)(px)?$/.exec(w))) return m[1] + 'px';
    return 'minmax(0,1fr)';
  }

  function buildListBox(control) {
    const el = document.createElement('div');
    el.className = 'fw-listbox';
    el.setAttribute('role', 'grid');
    el.tabIndex = 0;
    const scroller = document.createElement('div');
    scroller.className = 'fw-lb-scroll';
    const head = document.createElement('div');
    head.className = 'fw-lb-head';
    head.setAttribute('role', 'row');
    const body = document.createElement('div');
    body.className = 'fw-lb-body';
    body.setAttribute('role', 'rowgroup');
    scroller.append(head, body);
    el.appendChild(scroller);
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
    }

    function renderRows() {
      const fragment = document.createDocumentFragment();
      const rows = control.props.rows || [];
      const count = columnCount();
      rows.forEach((cells, r) => {
        const row = document.createElement('div');
        row.className = 'fw-lb-row';
        row.setAttribute('role', 'row');
        row.dataset.row = String(r);
        row.style.background = r % 2 === 0 ? control.props.primaryRowColor : control.props.alternateRowColor;
        row.style.minHeight = control.props.minRowHeight + 'px';
        for (let i = 0; i < count; i++) row.appendChild(cell('gridcell', cells[i] || '', i));
        fragment.appendChild(row);
      });
      body.textContent = '';
      body.appendChild(fragment);
      el.setAttribute('aria-rowcount', String(rows.length + (control.props.hasHeading ? 1 : 0)));
      renderSelection(false);
    }

    function renderSelection(reveal) {
      const index = control.props.listIndex;
      Array.prototype.forEach.call(body.children, (row, r) => {
        const selected = r === index;
        row.classList.toggle('fw-selected', selected);
        row.setAttribute('aria-selected', selected ? 'true' : 'false');
        if (selected && reveal) row.scrollIntoView({ block: 'nearest' });
      });
    }

    function renderColumns() {
      const template = (control.props.columnWidths || []).map(track).join(' ');
      el.style.setProperty('--fw-columns', template);
      renderHead();
      renderRows();
    }

    function select(index) {
      const rows = control.props.rows || [];
      if (index < 0 || index >= rows.length || index === control.props.listIndex) return;
      control.props.listIndex = index;
      renderSelection(true);
      sendEvent(control.id, 'SelectionChanged', index);
    }

    body.addEventListener('click', (e) => {
      if (!control.props.enabled) return;
      const row = e.target.closest('.fw-lb-row');
      if (row) select(Number(row.dataset.row));
    });
    el.addEventListener('keydown', (e) => {
      if (!control.props.enabled) return;
      const rows = (control.props.rows || []).length;
      if (!rows) return;
      const index = control.props.listIndex;
      if (e.key === 'ArrowDown') select(index < 0 ? 0 : Math.min(index + 1, rows - 1));
      else if (e.key === 'ArrowUp') select(index < 0 ? rows - 1 : Math.max(index - 1, 0));
      else return;
      e.preventDefault();
    });

    control.update = (changed) => {
      if ('columnWidths' in changed) renderColumns();
      else {
        if ('headings' in changed || 'hasHeading' in changed) renderHead();
        if ('rows' in changed || 'primaryRowColor' in changed || 'alternateRowColor' in changed ||
            'minRowHeight' in changed) renderRows();
      }
      if ('multiline' in changed) el.classList.toggle('fw-multiline', !!control.props.multiline);
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
