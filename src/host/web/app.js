// The page of `tpl serve`: what a host application's screens do with the
// methods of TPL, for a person. Every call goes to POST /api/call/METHOD
// with the method's arguments in order; the service puts its own database
// into the connection and Database-kind arguments, so the page sends
// placeholders there. Two routes of the service serve the page alone:
// /api/user-groups (the groups to choose from) and /api/query-test (a query
// test that also tells the database's reason for a failure).
//
// The address keeps the work: tab, group, report and filter values live in
// the query string, so reload, Back and a shared link open the same report.
'use strict';

const EMPTY = { Empty: null };
const ROW_HEIGHT = 30; // px, fixed so that only the rows in sight are drawn
const OVERSCAN = 12; // rows drawn above and below the visible ones
const LEFT_OUT = /['<>();%&+"]/; // characters the library removes from names and captions
const state = {
  token: sessionStorage.getItem('tpl.token') || '',
  user: Number(sessionStorage.getItem('tpl.user') || 0),
  groups: null, // the user groups of the database, [] when it has no table of them
  group: null,
  template: null, // the report opened for running, as read back
  result: null, // the last result shown: lines, columns, matrix, title, subtitle, view
  author: null, // the report being written
  running: null, // the AbortController of the call in flight
  restoring: false, // true while the page follows its address
};

const $ = (id) => document.getElementById(id);

// ---- Calls ------------------------------------------------------------

// The four arguments every method starts with: connection, user, message,
// Database kind (the service fills the first and the last).
function head() {
  return ['', state.user, '', 'SQLSERVER'];
}

async function request(path, options = {}) {
  const headers = Object.assign({ Authorization: 'Bearer ' + state.token }, options.headers || {});
  const signal = options.signal || (state.running && state.running.signal);
  const response = await fetch(path, Object.assign({}, options, { headers, signal }));
  if (response.status === 401) {
    logout('Chave de acesso inválida.');
    throw new Error('Chave de acesso inválida.');
  }
  return response;
}

async function postJson(path, args) {
  const response = await request(path, {
    method: 'POST',
    headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify(args),
  });
  const answer = await response.json().catch(() => ({ error: response.statusText }));
  if (!response.ok) throw new Error(answer.error || 'HTTP ' + response.status);
  if (answer.raised) throw new Error(answer.raised.description);
  return answer;
}

// Calls one method; answers its result and its arguments after the call.
async function call(method, args) {
  const answer = await postJson('/api/call/' + method, args);
  return { result: plain(answer.result), args: answer.args };
}

// Runs `work` with the running indicator and its Cancelar shown, every
// action button disabled, and its failure as a notice. A second action
// while one runs is ignored, so a double click sends one call.
async function busy(work, label = 'Executando…') {
  if (state.running) return undefined;
  const controller = new AbortController();
  state.running = controller;
  $('busy-text').textContent = label;
  $('busy').hidden = false;
  document.body.classList.add('waiting');
  const buttons = [...document.querySelectorAll('#workspace button, #login button')].filter((b) => !b.disabled);
  buttons.forEach((b) => { b.disabled = true; });
  try {
    return await work(controller.signal);
  } catch (error) {
    if (controller.signal.aborted || error.name === 'AbortError') {
      notice('Execução cancelada. O pedido deixou de ser aguardado; o servidor pode ainda concluí-lo.', 'warn');
    } else {
      notice(error.message, 'error');
    }
    return undefined;
  } finally {
    state.running = null;
    buttons.forEach((b) => { b.disabled = false; });
    $('busy').hidden = true;
    document.body.classList.remove('waiting');
  }
}

function notice(text, kind = 'info') {
  const box = $('notice');
  box.textContent = text || '';
  box.className = 'notice ' + kind;
  box.hidden = !text;
  if (text) box.scrollIntoView({ block: 'nearest' });
}

function focusFirst(container) {
  const target = container.querySelector('input:not([type=hidden]):not([hidden]), select:not([hidden]), ' +
    'textarea, button:not([disabled])');
  if (target) target.focus();
}

// ---- Values -----------------------------------------------------------

// A tagged JSON value as plain JavaScript (numbers, texts, arrays, null).
function plain(value) {
  if (value === null || typeof value !== 'object') return value;
  if (Array.isArray(value)) return value.map(plain);
  const [tag, inner] = Object.entries(value)[0] || [];
  switch (tag) {
    case 'Integer': case 'Long': case 'Double': return inner;
    case 'Empty': return null;
    case 'Array': case 'Matrix': return inner.map(plain);
    case 'Date': return { date: inner };
    case 'Dictionary': return Object.fromEntries(Object.entries(inner).map(([k, v]) => [k, v]));
    default: return value;
  }
}

// The text of a cell as the person reads it: decimal comma, dd/mm/yyyy.
function cellText(value) {
  const v = plain(value);
  if (v === null || v === undefined) return '';
  if (typeof v === 'number') {
    return Number.isInteger(v) ? String(v) : v.toLocaleString('pt-BR', { maximumFractionDigits: 10 });
  }
  if (typeof v === 'boolean') return v ? 'Verdadeiro' : 'Falso';
  if (typeof v === 'object' && v.date) {
    const [day, time = ''] = v.date.split('T');
    const [y, m, d] = day.split('-');
    return `${d}/${m}/${y}` + (time && !time.startsWith('00:00:00') ? ' ' + time.slice(0, 5) : '');
  }
  return String(v);
}

// The value a column sorts by: numbers for numbers (decimal comma and
// thousands points read), yyyymmddhhmmss for dates, the text otherwise.
function sortKey(text, type) {
  if (text === '') return null;
  if (type === 'V' || type === 'I') {
    const n = Number(text.replace(/\./g, '').replace(',', '.'));
    return Number.isNaN(n) ? text : n;
  }
  if (type === 'D') {
    const m = /^(\d{2})\/(\d{2})\/(\d{4})(?:\s+(\d{2}):(\d{2})(?::(\d{2}))?)?/.exec(text);
    if (m) return Number(m[3] + m[2] + m[1] + (m[4] || '00') + (m[5] || '00') + (m[6] || '00'));
  }
  return text;
}

const collator = new Intl.Collator('pt-BR', { numeric: true, sensitivity: 'base' });
function compareKeys(a, b) {
  if (a === null) return b === null ? 0 : 1; // empty cells last
  if (b === null) return -1;
  if (typeof a === 'number' && typeof b === 'number') return a - b;
  if (typeof a === 'number') return -1;
  if (typeof b === 'number') return 1;
  return collator.compare(a, b);
}

const matrix = (rows) => ({ Matrix: rows });
const isList = (placeholder) => {
  const p = String(placeholder || '').trim();
  return p.length > 3 && p[1] === '@' && p[p.length - 2] === '@';
};
const placeholdersOf = (query) => [...new Set(String(query || '').match(/\{[^{}]*\}/g) || [])];

// dd/mm/yyyy to a day number, NaN when it is not a date.
function dayNumber(text) {
  const m = /^(\d{2})\/(\d{2})\/(\d{4})$/.exec(String(text || '').trim());
  if (!m) return NaN;
  return Date.UTC(Number(m[3]), Number(m[2]) - 1, Number(m[1])) / 86400000;
}

// ---- Result tables ----------------------------------------------------

// A result matrix as a table that draws only the rows in sight: row 0
// names the columns, the last two rows hold the type and alignment of each
// column, the rows between are data. `note` says what the count leaves
// out (the rows beyond the screen limit of a query test).
function resultView(rows, caption, note = '') {
  const block = document.createElement('div');
  block.className = 'result-block';
  const view = { block, texts: [], types: [], columns: 0, order: null, sort: null, keys: [] };
  if (!Array.isArray(rows) || rows.length < 3) return view;
  const types = rows[rows.length - 2].map(plain);
  const aligns = rows[rows.length - 1].map(plain);
  let columns = 0;
  while (columns < types.length && types[columns]) columns++;
  view.columns = columns;
  view.types = types.slice(0, columns);
  view.header = rows[0].slice(0, columns).map(cellText);
  const data = rows.slice(1, rows.length - 2);
  view.texts = data.map((row) => {
    const texts = new Array(columns);
    for (let c = 0; c < columns; c++) texts[c] = cellText(row[c]);
    return texts;
  });
  view.order = Array.from(view.texts.keys());
  const alignment = (c) => ({ Right: 'right', Center: 'center', Left: 'left' }[aligns[c]] || 'left');
  view.classes = view.types.map((t, c) => alignment(c) + ' type-' + t);

  const count = document.createElement('p');
  count.className = 'count';
  count.setAttribute('role', 'status');
  count.textContent = (caption ? caption + ': ' : '') + plural(view.texts.length, 'linha', 'linhas') + note;
  const scroller = document.createElement('div');
  scroller.className = 'scroller';
  scroller.tabIndex = 0;
  const table = document.createElement('table');
  table.className = 'data result virtual';
  if (caption) table.createCaption().textContent = caption;
  // Widths from the header and a sample of rows, so that drawing other rows
  // never moves the columns.
  const colgroup = document.createElement('colgroup');
  const step = Math.max(1, Math.floor(view.texts.length / 400));
  for (let c = 0; c < columns; c++) {
    let longest = view.header[c].length + 2;
    for (let r = 0; r < view.texts.length; r += step) longest = Math.max(longest, view.texts[r][c].length);
    const col = document.createElement('col');
    col.style.width = Math.min(420, Math.max(64, longest * 8 + 26)) + 'px';
    colgroup.appendChild(col);
  }
  table.appendChild(colgroup);
  const headRow = table.createTHead().insertRow();
  for (let c = 0; c < columns; c++) {
    const th = document.createElement('th');
    th.className = alignment(c);
    th.scope = 'col';
    th.setAttribute('aria-sort', 'none');
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'sort';
    button.textContent = view.header[c];
    button.title = 'Ordenar por ' + view.header[c];
    button.addEventListener('click', () => sortView(view, c));
    th.appendChild(button);
    headRow.appendChild(th);
  }
  view.body = table.createTBody();
  view.scroller = scroller;
  view.headRow = headRow;
  view.first = -1;
  scroller.appendChild(table);
  block.append(count, scroller);
  let frame = 0;
  scroller.addEventListener('scroll', () => {
    if (!frame) frame = requestAnimationFrame(() => { frame = 0; drawRows(view); });
  });
  drawRows(view);
  return view;
}

function plural(n, one, many) {
  return n.toLocaleString('pt-BR') + ' ' + (n === 1 ? one : many);
}

// Draws the rows in sight, with a spacer above and below standing for the rest.
function drawRows(view, force = false) {
  const total = view.order.length;
  const height = view.scroller.clientHeight || Math.round(window.innerHeight * 0.7);
  const first = Math.max(0, Math.floor(view.scroller.scrollTop / ROW_HEIGHT) - OVERSCAN);
  const last = Math.min(total, first + Math.ceil(height / ROW_HEIGHT) + 2 * OVERSCAN);
  if (!force && first === view.first && last === view.last) return;
  view.first = first;
  view.last = last;
  const fragment = document.createDocumentFragment();
  const spacer = (rows) => {
    const tr = document.createElement('tr');
    tr.className = 'spacer';
    tr.setAttribute('aria-hidden', 'true');
    const td = document.createElement('td');
    td.colSpan = view.columns;
    td.style.height = rows * ROW_HEIGHT + 'px';
    tr.appendChild(td);
    return tr;
  };
  if (first > 0) fragment.appendChild(spacer(first));
  for (let i = first; i < last; i++) {
    const texts = view.texts[view.order[i]];
    const tr = document.createElement('tr');
    for (let c = 0; c < view.columns; c++) {
      const td = document.createElement('td');
      td.textContent = texts[c];
      td.className = view.classes[c];
      tr.appendChild(td);
    }
    fragment.appendChild(tr);
  }
  if (last < total) fragment.appendChild(spacer(total - last));
  view.body.replaceChildren(fragment);
}

// Clicking a header sorts by its column, ascending, then descending.
function sortView(view, column) {
  const descending = view.sort && view.sort.column === column && !view.sort.descending;
  if (!view.keys[column]) view.keys[column] = view.texts.map((t) => sortKey(t[column], view.types[column]));
  const keys = view.keys[column];
  view.order = Array.from(view.texts.keys()).sort((a, b) => {
    const d = compareKeys(keys[a], keys[b]);
    return (descending ? -d : d) || a - b;
  });
  view.sort = { column, descending };
  [...view.headRow.cells].forEach((th, c) => th.setAttribute('aria-sort',
    c === column ? (descending ? 'descending' : 'ascending') : 'none'));
  drawRows(view, true);
}

// The main matrix and every additional one of the dictionary.
function showTables(container, rows, dictionary, note = '') {
  const main = resultView(rows, '', note);
  container.replaceChildren(main.block);
  const extra = dictionary && dictionary.Dictionary ? Object.entries(dictionary.Dictionary) : [];
  for (const [key, value] of extra) {
    container.appendChild(resultView(value.Matrix || plain(value), 'Resultado adicional ' + key).block);
  }
  return main;
}

// The shown result, in its shown order, as a spreadsheet opens it in
// Brazil: semicolons, UTF-8 with a byte-order mark, decimal commas.
function csvText(view) {
  const quote = (text) => (/[";\r\n]/.test(text) ? '"' + text.replace(/"/g, '""') + '"' : text);
  const lines = [view.header.map(quote).join(';')];
  for (const index of view.order) lines.push(view.texts[index].map(quote).join(';'));
  return '\uFEFF' + lines.join('\r\n') + '\r\n';
}

function download(blob, name) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

function fileName(title, extension) {
  const base = String(title || 'relatorio').normalize('NFD').replace(/[\u0300-\u036f]/g, '')
    .replace(/[^A-Za-z0-9_-]+/g, '_').replace(/^_+|_+$/g, '') || 'relatorio';
  return base + extension;
}

// ---- The address --------------------------------------------------------

// tab, grupo, relatorio, executar=1 and one f.PLACEHOLDER per filter value.
function writeAddress(push) {
  if (state.restoring) return;
  const params = new URLSearchParams();
  const tab = currentTab();
  if (tab !== 'run') params.set('aba', { author: 'cadastro', mine: 'meus' }[tab]);
  if (state.group) params.set('grupo', state.group);
  if (state.template) {
    params.set('relatorio', state.template.id);
    for (const [placeholder, value] of Object.entries(typedValues())) {
      if (value) params.set('f.' + placeholder, value);
    }
    if (state.result && !$('result-panel').hidden) params.set('executar', '1');
  }
  const address = location.pathname + (params.toString() ? '?' + params : '');
  if (address === location.pathname + location.search) return;
  if (push) history.pushState(null, '', address);
  else history.replaceState(null, '', address);
}

// Opens what the address names: the tab, the group's list, the report with
// its values, and its result when it had been run.
async function followAddress() {
  const params = new URLSearchParams(location.search);
  state.restoring = true;
  try {
    const tab = { cadastro: 'author', meus: 'mine' }[params.get('aba')] || 'run';
    showTab(tab);
    if (tab === 'mine') await loadMine();
    const group = Number(params.get('grupo'));
    if (group && group !== state.group) await listTemplates(group);
    if (!group) clearRun();
    const id = Number(params.get('relatorio'));
    if (!id) {
      $('template-panel').hidden = true;
      $('result-panel').hidden = true;
      state.template = null;
      return;
    }
    const values = {};
    for (const [key, value] of params) if (key.startsWith('f.')) values[key.slice(2)] = value;
    const fromAddress = Object.keys(values).length > 0;
    const opened = await openTemplate(id, fromAddress ? values : null);
    if (opened && params.get('executar') === '1') await runReport();
    else if (opened) $('result-panel').hidden = true;
  } finally {
    state.restoring = false;
  }
}

// ---- Running reports --------------------------------------------------

async function loadGroups() {
  if (state.groups !== null) return;
  try {
    const response = await request('/api/user-groups');
    state.groups = response.ok ? (await response.json()).groups || [] : [];
  } catch (error) {
    state.groups = [];
  }
  const select = $('group-select');
  const known = state.groups.length > 0;
  select.hidden = !known;
  $('group-id').hidden = known;
  $('group-id').required = !known;
  if (known) {
    select.replaceChildren(new Option('Escolha o grupo', ''));
    for (const g of state.groups) select.add(new Option(g.name ? g.name : 'Grupo ' + g.id, g.id));
  }
  const choices = $('author-group-choices');
  choices.hidden = !known;
  $('author-groups-label').hidden = known;
  choices.querySelectorAll('label').forEach((l) => l.remove());
  for (const g of state.groups) {
    const label = document.createElement('label');
    label.className = 'check';
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.value = g.id;
    box.name = 'author-group';
    label.append(box, ' ' + (g.name || 'Grupo ' + g.id));
    choices.appendChild(label);
  }
}

function chosenGroup() {
  return Number(state.groups && state.groups.length ? $('group-select').value : $('group-id').value);
}

function clearRun() {
  state.group = null;
  state.template = null;
  $('template-list').replaceChildren();
  $('template-panel').hidden = true;
  $('result-panel').hidden = true;
}

async function listTemplates(group) {
  if (!group) {
    $('group-form').classList.add('tried');
    notice('Escolha um grupo de usuários.', 'warn');
    return;
  }
  const answer = await busy(() => call('gObter_Templates_do_Usuario', [...head(), group, '', '', '']),
    'Consultando…');
  if (!answer) return;
  state.group = group;
  state.template = null;
  $('group-select').value = String(group);
  $('group-id').value = String(group);
  const ids = plain(answer.args[6]) || [];
  const titles = plain(answer.args[7]) || [];
  const list = $('template-list');
  list.replaceChildren();
  $('template-panel').hidden = true;
  $('result-panel').hidden = true;
  ids.forEach((id, i) => {
    if (id === null) return;
    const item = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'link';
    button.dataset.template = id;
    button.textContent = titles[i];
    button.addEventListener('click', async () => {
      if (await openTemplate(id)) writeAddress(true);
    });
    item.appendChild(button);
    list.appendChild(item);
  });
  if (!list.children.length) {
    list.innerHTML = '<li class="muted">Nenhum relatório para este grupo.</li>';
  } else if (!state.restoring) {
    list.querySelector('button').focus();
  }
  notice('');
}

async function readTemplate(id) {
  const answer = await call('gObter_Dados_Template',
    [...head(), id, '', '', '', '', '', '', '', 'S', '', '', '', '', '']);
  if (answer.result !== 0) throw new Error(plain(answer.args[2]));
  const a = answer.args;
  return {
    id, name: plain(a[5]), title: plain(a[6]), subtitle: plain(a[7]),
    filters: a[8], filterLines: plain(a[9]) || 0, filterColumns: plain(a[10]) || 7,
    query: plain(a[11]), groupLines: plain(a[13]) || 0, groups: plain(a[15]) || [],
    code: plain(a[16]) || '', email: String(plain(a[17]) || 'N').trim().toUpperCase() === 'S' ? 'S' : 'N',
  };
}

// The last values a person used for a report, kept in this browser.
function rememberedValues(id) {
  try {
    return JSON.parse(localStorage.getItem('tpl.valores.' + id) || 'null');
  } catch (error) {
    return null;
  }
}

async function openTemplate(id, values = null) {
  const template = await busy(() => readTemplate(id), 'Abrindo…');
  if (!template) return false;
  notice('');
  state.template = template;
  state.result = null;
  document.querySelectorAll('#template-list .selected').forEach((b) => b.classList.remove('selected'));
  const button = document.querySelector(`#template-list button[data-template="${id}"]`);
  if (button) button.classList.add('selected');
  $('template-title').textContent = template.title;
  $('template-subtitle').textContent = template.subtitle || '';
  $('template-email').hidden = template.email !== 'S';
  $('run-report').textContent = template.email === 'S' ? 'Solicitar por e-mail' : 'Executar';
  const fields = $('filter-fields');
  fields.replaceChildren();
  $('filter-form').classList.remove('tried');
  const rows = template.filters.Matrix || [];
  const given = values || rememberedValues(id) || {};
  for (let i = 0; i < template.filterLines; i++) {
    const row = rows[i].map(plain);
    const field = filterField(row, i);
    fields.appendChild(field);
    setFilterValue(field.querySelector('input'), given[String(row[2] || '').trim().replace(/^\{|\}$/g, '')]);
  }
  $('mandatory-hint').hidden = !fields.querySelector('.mandatory');
  $('template-panel').hidden = false;
  $('result-panel').hidden = true;
  if (!state.restoring) focusFirst($('template-panel'));
  return true;
}

// An input that fits the filter's type; list filters take values
// separated by commas.
function filterField(row, index) {
  const [, caption, placeholder, rawType, obligatory, days] = row;
  const type = String(rawType || '').trim().toUpperCase();
  const list = isList(placeholder);
  const mandatory = list || String(obligatory) === '1';
  const label = document.createElement('label');
  const title = document.createElement('span');
  title.textContent = caption || placeholder;
  if (mandatory) {
    const mark = document.createElement('span');
    mark.className = 'mandatory';
    mark.textContent = ' *';
    mark.setAttribute('aria-hidden', 'true');
    title.appendChild(mark);
  }
  label.appendChild(title);
  const input = document.createElement('input');
  input.id = 'filter-' + index;
  input.dataset.index = index;
  input.dataset.type = type;
  input.dataset.caption = caption || placeholder;
  input.dataset.placeholder = String(placeholder || '').trim().replace(/^\{|\}$/g, '');
  input.dataset.days = Number(days) > 0 ? String(Number(days)) : '';
  input.dataset.list = list ? '1' : '';
  input.required = mandatory;
  if (list) {
    input.placeholder = 'valores separados por vírgula';
  } else if (type === 'D') {
    input.type = 'date';
  } else if (type === 'N' || type === 'U') {
    input.inputMode = 'numeric';
    input.pattern = '-?[0-9]+';
    input.title = 'Número inteiro';
  } else if (type === 'V') {
    input.inputMode = 'decimal';
    input.pattern = '-?[0-9.]*(,[0-9]+)?';
    input.title = 'Valor com vírgula decimal, por exemplo 10,50';
  }
  label.appendChild(input);
  if (input.dataset.days) {
    const hint = document.createElement('span');
    hint.className = 'hint';
    hint.textContent = `Período de até ${input.dataset.days} dias`;
    label.appendChild(hint);
  }
  return label;
}

// What the person typed, as the library reads it (dates as dd/mm/yyyy).
function filterValue(input) {
  const value = input.value.trim();
  if (input.type === 'date' && value) {
    const [y, m, d] = value.split('-');
    return `${d}/${m}/${y}`;
  }
  return value;
}

function setFilterValue(input, value) {
  if (value === undefined || value === null) return;
  const m = /^(\d{2})\/(\d{2})\/(\d{4})$/.exec(value);
  input.value = input.type === 'date' && m ? `${m[3]}-${m[2]}-${m[1]}` : value;
}

// The values typed, by placeholder (without braces).
function typedValues() {
  const values = {};
  document.querySelectorAll('#filter-fields input').forEach((input) => {
    values[input.dataset.placeholder] = filterValue(input);
  });
  return values;
}

// What the page refuses before calling: an empty mandatory field, a date
// range longer than its filter allows, placeholders left without filters.
function checkRun(template) {
  const inputs = [...document.querySelectorAll('#filter-fields input')];
  const empty = inputs.find((input) => input.required && !input.value.trim());
  if (empty) return [`Preencha ${empty.dataset.caption}.`, empty];
  const invalid = inputs.find((input) => !input.checkValidity());
  if (invalid) return [`O valor de ${invalid.dataset.caption} não é válido.`, invalid];
  const dates = inputs.filter((input) => input.dataset.type === 'D' && !input.dataset.list);
  for (let i = 0; i < dates.length; i++) {
    const limit = Number(dates[i].dataset.days);
    if (!limit) continue;
    // The other end of the range: the next date filter, or the one before the last.
    const other = dates[i + 1] || dates[i - 1];
    if (!other) continue;
    const [start, end] = dates[i + 1] ? [dates[i], other] : [other, dates[i]];
    const span = dayNumber(filterValue(end)) - dayNumber(filterValue(start));
    if (span > limit) {
      return [`O período entre ${start.dataset.caption} e ${end.dataset.caption} tem ${span} dias; ` +
        `este relatório aceita no máximo ${limit} dias.`, end];
    }
    if (span < 0) return [`${end.dataset.caption} deve ser igual ou posterior a ${start.dataset.caption}.`, end];
  }
  const known = new Set((template.filters.Matrix || []).slice(0, template.filterLines)
    .map((row) => String(plain(row[2]) || '').trim()));
  const missing = placeholdersOf(template.query).filter((p) => !known.has(p));
  if (missing.length) {
    return [`Este relatório usa marcadores sem filtro cadastrado (${missing.join(', ')}). ` +
      'Corrija o cadastro do relatório antes de executá-lo.', null];
  }
  return null;
}

async function runReport() {
  const t = state.template;
  if (!t || state.running) return;
  const refusal = checkRun(t);
  if (refusal) {
    $('filter-form').classList.add('tried');
    $('result-panel').hidden = true;
    notice(refusal[0], 'warn');
    if (refusal[1]) refusal[1].focus();
    return;
  }
  const rows = (t.filters.Matrix || []).map((row) => row.slice());
  document.querySelectorAll('#filter-fields input').forEach((input) => {
    rows[Number(input.dataset.index)][6] = filterValue(input);
  });
  try {
    localStorage.setItem('tpl.valores.' + t.id, JSON.stringify(typedValues()));
  } catch (error) {
    // A browser that keeps nothing still runs the report.
  }
  const received = { at: 0 };
  const answer = await busy(async () => {
    const a = await call('gExecutar_Query', [...head(), t.query, matrix(rows), t.filterLines,
      t.filterColumns, 0, 0, EMPTY, '', t.title, t.subtitle || '', t.id, 'N', '', EMPTY, t.email]);
    received.at = performance.now();
    return a;
  });
  if (!answer) return;
  const message = plain(answer.args[2]);
  if (answer.result !== 0) {
    $('result-panel').hidden = true;
    state.result = null;
    // A report sent by e-mail or to the background is not a failure.
    const handedOver = plain(answer.args[11]) === 'S' || /^Solicitação gravada|e-mail|email/i.test(message || '');
    notice(message || 'O relatório não pôde ser executado.', handedOver ? 'info' : 'warn');
    writeAddress(true);
    return;
  }
  notice(message || '', 'info');
  $('result-panel').hidden = false;
  const view = showTables($('result-tables'), answer.args[10].Matrix, answer.args[17]);
  state.result = { lines: plain(answer.args[8]), columns: plain(answer.args[9]), matrix: answer.args[10],
    title: t.title, subtitle: t.subtitle || '', view };
  // For the browser test: milliseconds from the answer to the drawn table.
  requestAnimationFrame(() => {
    document.body.dataset.drawMs = String(Math.round(performance.now() - received.at));
  });
  $('download-link').hidden = true;
  writeAddress(true);
  if (!state.restoring) $('result-heading').focus();
}

async function exportResult() {
  const r = state.result;
  if (!r) return;
  const answer = await busy(async () => {
    const exported = await call('gGera_Excel', [...head(), r.title, r.subtitle, r.lines, r.columns, r.matrix, '']);
    if (exported.result !== 0) return exported;
    const name = plain(exported.args[9]);
    const url = name.startsWith('/') || name.startsWith('http') ? name : '/files/' + encodeURIComponent(name);
    const response = await request(url);
    if (!response.ok) throw new Error('A planilha não pôde ser obtida (' + response.status + ').');
    exported.blob = await response.blob();
    exported.name = name.split('/').pop();
    return exported;
  }, 'Gerando a planilha…');
  if (!answer) return;
  if (answer.result !== 0) return notice(plain(answer.args[2]), 'warn');
  const link = $('download-link');
  if (link.href) URL.revokeObjectURL(link.href);
  link.href = URL.createObjectURL(answer.blob);
  link.download = answer.name;
  link.textContent = 'Baixar ' + answer.name;
  link.hidden = false;
  notice('Planilha gerada: ' + answer.name, 'info');
  link.click();
}

function exportCsv() {
  const r = state.result;
  if (!r || !r.view) return;
  download(new Blob([csvText(r.view)], { type: 'text/csv;charset=utf-8' }), fileName(r.title, '.csv'));
}

// ---- Writing reports --------------------------------------------------

function newAuthor() {
  return { id: 0, lines: 0, columns: 7, filters: EMPTY, editing: null };
}

const TYPE_NAMES = { D: 'Data', N: 'Número inteiro', U: 'Número inteiro', V: 'Valor decimal', C: 'Texto' };

function showAuthor(values = {}) {
  const a = state.author;
  $('author-id').textContent = a.id ? '(código ' + a.id + ')' : '(novo)';
  for (const [field, id] of [['name', 'author-name'], ['code', 'author-code'], ['title', 'author-title'],
    ['subtitle', 'author-subtitle'], ['query', 'author-query'], ['groups', 'author-groups']]) {
    if (field in values) $(id).value = values[field] || '';
  }
  if ('groups' in values) {
    const chosen = new Set(String(values.groups || '').split(',').map((g) => g.trim()));
    document.querySelectorAll('input[name=author-group]').forEach((box) => { box.checked = chosen.has(box.value); });
  }
  if ('email' in values) $('author-email').checked = values.email === 'S';
  const body = $('author-filters').tBodies[0];
  body.replaceChildren();
  const rows = a.filters.Matrix || [];
  const labels = ['Descrição', 'Marcador', 'Tipo', 'Obrigatório', 'Máximo de dias'];
  for (let i = 0; i < a.lines; i++) {
    const row = rows[i].map(plain);
    const tr = body.insertRow();
    [1, 2, 3, 4, 5].forEach((c, k) => {
      const td = tr.insertCell();
      const code = String(row[c] || '').trim().toUpperCase();
      // A day limit of 0 is how the database stores "none".
      td.textContent = c === 3 ? (TYPE_NAMES[code] || code) : c === 4 ? (code === 'S' ? 'Sim' : 'Não')
        : c === 5 && !Number(row[c]) ? '' : cellText(row[c]);
      td.dataset.label = labels[k];
    });
    const actions = tr.insertCell();
    actions.className = 'row-actions';
    for (const [label, act] of [['Alterar', () => editFilter(i, row)], ['Excluir', () => changeFilter('EX', i)]]) {
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'link';
      button.textContent = label;
      button.addEventListener('click', act);
      actions.appendChild(button);
    }
  }
  if (!a.lines) body.innerHTML = '<tr><td colspan="6" class="muted">Nenhum filtro.</td></tr>';
  a.editing = null;
  $('filter-save').textContent = 'Incluir filtro';
  $('filter-cancel').hidden = true;
  $('filter-type').querySelectorAll('option[value=U]').forEach((o) => o.remove());
}

function editFilter(index, row) {
  state.author.editing = index;
  const type = String(row[3] || 'C').trim().toUpperCase();
  // U is an older code of whole numbers, offered only where a filter has it.
  if (type === 'U' && !$('filter-type').querySelector('option[value=U]')) {
    $('filter-type').add(new Option('Número inteiro (código U)', 'U'));
  }
  $('filter-caption').value = row[1] || '';
  $('filter-placeholder').value = row[2] || '';
  $('filter-type').value = type;
  $('filter-mandatory').checked = String(row[4]).trim() === 'S';
  // A stored 0 means no limit; sent back, it would be refused for any type but a date.
  $('filter-days').value = Number(row[5]) ? String(row[5]) : '';
  $('filter-save').textContent = 'Gravar filtro';
  $('filter-cancel').hidden = false;
  $('filter-caption').focus();
}

function leftOutMessage(what) {
  return `${what} não pode conter os caracteres ' < > ( ) ; % & + " (o sistema os removeria). ` +
    'Escreva, por exemplo, "Valor em R$" em vez de "Valor (R$)".';
}

// Adds (action ""), edits ("ED") or deletes ("EX") one filter of the list
// kept by the page; the list reaches the database when the report is saved.
async function changeFilter(action, position) {
  const a = state.author;
  if (action !== 'EX') {
    if (!$('filter-caption').value.trim()) return refuseField('Preencha a descrição do filtro.', 'filter-caption');
    if (LEFT_OUT.test($('filter-caption').value)) return refuseField(leftOutMessage('A descrição'), 'filter-caption');
    if (!$('filter-placeholder').value.trim()) {
      return refuseField('Preencha o marcador do filtro, por exemplo {DATA_INI}.', 'filter-placeholder');
    }
    if (LEFT_OUT.test($('filter-placeholder').value)) {
      return refuseField(leftOutMessage('O marcador'), 'filter-placeholder');
    }
  }
  const answer = await busy(() => call('gGrava_Filtro', [...head(), a.id, a.lines, a.columns, a.filters, '',
    $('filter-caption').value, $('filter-placeholder').value, $('filter-type').value,
    $('filter-mandatory').checked ? 'S' : 'N', $('filter-days').value.trim(), position, action]));
  if (!answer) return;
  if (answer.result !== 0) return notice(plain(answer.args[2]), 'warn');
  a.lines = plain(answer.args[5]) || 0;
  a.columns = plain(answer.args[6]) || 7;
  a.filters = a.lines ? answer.args[7] : EMPTY;
  notice('');
  if (action !== 'EX') $('filter-edit-form').reset();
  showAuthor();
  $('filter-caption').focus();
}

function refuseField(message, id) {
  notice(message, 'warn');
  $(id).classList.add('touched');
  $(id).focus();
}

function templateTexts(query = $('author-query').value) {
  return [$('author-name').value, $('author-title').value, $('author-subtitle').value, query];
}

// The query with each placeholder replaced by a sample value of its
// filter's type, so that a query with filters can be tried on the database.
function sampleQuery(query) {
  const a = state.author;
  const types = {};
  for (const row of (a.filters.Matrix || []).slice(0, a.lines)) {
    types[String(plain(row[2]) || '').trim()] = String(plain(row[3]) || '').trim().toUpperCase();
  }
  const today = new Date();
  const date = `'${today.getFullYear()}/${String(today.getMonth() + 1).padStart(2, '0')}/` +
    `${String(today.getDate()).padStart(2, '0')}'`;
  const samples = { D: date, N: '1', U: '1', V: '10.00', C: "'Query'" };
  return String(query).replace(/\{[^{}]*\}/g, (p) => samples[types[p]] || '1');
}

// Tries the query; answers the call's answer with "detail" (the
// database's reason for a failure), "limit" and "shown".
function queryTest(query) {
  const a = state.author;
  return postJson('/api/query-test', [...head(), a.id, ...templateTexts(query), 0, 0, EMPTY, a.id, EMPTY]);
}

function failureText(answer) {
  const message = plain(answer.args[2]) || 'A consulta não pôde ser executada.';
  return answer.detail ? message + '\nMotivo informado pelo banco de dados: ' + answer.detail : message;
}

async function testQuery() {
  if (!$('author-query').value.trim()) return refuseField('Preencha a consulta SQL.', 'author-query');
  const answer = await busy(() => queryTest($('author-query').value), 'Testando a consulta…');
  if (!answer) return;
  if (plain(answer.result) !== 0) {
    $('test-panel').hidden = true;
    return notice(failureText(answer), answer.detail ? 'error' : 'warn');
  }
  const total = Math.max(0, (plain(answer.args[9]) || 0) - 2);
  const more = total - answer.shown;
  const note = more > 0 ? ` mostradas de ${plural(total, 'linha', 'linhas')}: mais ${plural(more, 'linha', 'linhas')} ` +
    `além do limite da tela (${answer.limit})` : '';
  notice(plain(answer.args[2]) || 'Consulta executada.', 'info');
  $('test-panel').hidden = false;
  showTables($('test-tables'), answer.args[11].Matrix, answer.args[13], note);
  $('test-heading').focus();
}

function chosenGroups() {
  if (state.groups && state.groups.length) {
    return [...document.querySelectorAll('input[name=author-group]:checked')].map((box) => Number(box.value));
  }
  return $('author-groups').value.split(',').map((g) => g.trim()).filter(Boolean)
    .map((g) => (Number.isInteger(Number(g)) ? Number(g) : g));
}

async function saveTemplate() {
  const a = state.author;
  for (const [id, what] of [['author-name', 'O nome do relatório'], ['author-title', 'O título'],
    ['author-subtitle', 'O subtítulo']]) {
    if (LEFT_OUT.test($(id).value)) return refuseField(leftOutMessage(what), id);
  }
  if (!$('author-title').value.trim()) {
    $('template-form').classList.add('tried');
    return refuseField('Preencha o título.', 'author-title');
  }
  if (!$('author-query').value.trim()) {
    $('template-form').classList.add('tried');
    return refuseField('Preencha a consulta SQL.', 'author-query');
  }
  const groups = chosenGroups();
  if (state.groups && state.groups.length === 0) {
    // No table of groups to offer: a typed number is checked by the save itself.
  } else if (!groups.length) {
    return notice('Escolha ao menos um grupo de usuários.', 'warn');
  }
  const answer = await busy(async () => {
    // A query that does not run on the database is not saved.
    const test = await queryTest(sampleQuery($('author-query').value));
    if (plain(test.result) !== 0 && test.detail) return { refused: test };
    return call('gGrava_Template', [...head(), a.id, ...templateTexts(), groups.length, 2,
      groups.length ? matrix(groups.map((g) => [g, ''])) : EMPTY, a.lines, a.columns, a.filters,
      $('author-code').value, $('author-email').checked ? 'S' : 'N']);
  }, 'Gravando…');
  if (!answer) return;
  if (answer.refused) {
    return notice('A consulta SQL não roda no banco de dados; o relatório não foi gravado.\n' +
      failureText(answer.refused), 'error');
  }
  if (answer.result !== 0) return notice(plain(answer.args[2]), 'warn');
  a.id = plain(answer.args[4]);
  showAuthor();
  notice('Relatório gravado (código ' + a.id + ').', 'info');
  if (state.group) await listTemplates(state.group);
}

async function deleteTemplate(method, extra, question) {
  const a = state.author;
  if (!a.id) return notice('Abra um relatório gravado para excluir.', 'warn');
  if (!window.confirm(question)) return false;
  const answer = await busy(() => call(method, [...head(), a.id, ...extra]), 'Excluindo…');
  if (!answer) return false;
  if (answer.result !== 0) {
    notice(plain(answer.args[2]), 'warn');
    return false;
  }
  return true;
}

// After the filters are deleted the author's list is empty, and the report
// opened for running is read again so that it shows what is stored.
async function deleteFilters() {
  const a = state.author;
  if (!(await deleteTemplate('gExclui_Filtro_Template', [''], 'Excluir todos os filtros gravados deste relatório?'))) {
    return;
  }
  a.lines = 0;
  a.filters = EMPTY;
  showAuthor();
  if (state.template && state.template.id === a.id) {
    state.restoring = true;
    try {
      await openTemplate(a.id, {});
    } finally {
      state.restoring = false;
    }
  }
  const left = placeholdersOf($('author-query').value);
  notice('Filtros excluídos.' + (left.length ? ` A consulta SQL ainda usa ${left.join(', ')}: cadastre os ` +
    'filtros de novo ou ajuste a consulta, e grave o relatório.' : ''), left.length ? 'warn' : 'info');
}

// Opens the report shown in the run tab for writing.
function editTemplate() {
  const t = state.template;
  const rows = (t.filters.Matrix || []).map((row) => {
    const copy = row.slice();
    copy[4] = String(plain(row[4])) === '1' ? 'S' : 'N';
    copy[6] = '';
    return copy;
  });
  state.author = { id: t.id, lines: t.filterLines, columns: t.filterColumns, filters: t.filterLines ? matrix(rows) : EMPTY };
  const groups = (t.groups || []).slice(0, t.groupLines).map((g) => g[0]).join(', ');
  showAuthor({ name: t.name, code: t.code, title: t.title, subtitle: t.subtitle, query: t.query, groups,
    email: t.email });
  $('test-panel').hidden = true;
  showTab('author');
  writeAddress(true);
  focusFirst($('template-form'));
}

// ---- My reports -------------------------------------------------------

const STATES = { pendente: 'Pendente', 'em andamento': 'Em andamento', 'concluído': 'Concluído', falhou: 'Falhou' };

function dateTimeText(iso) {
  const m = /^(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2})/.exec(String(iso || ''));
  return m ? `${m[3]}/${m[2]}/${m[1]} ${m[4]}:${m[5]}` : String(iso || '');
}

async function loadMine() {
  const reports = await busy(async () => {
    const response = await request('/api/my-reports?user=' + encodeURIComponent(state.user));
    if (response.status === 404) return [];
    if (!response.ok) throw new Error('A lista de relatórios não pôde ser lida (' + response.status + ').');
    return (await response.json()).reports || [];
  }, 'Consultando…');
  if (!reports) return;
  const body = $('mine-table').tBodies[0];
  body.replaceChildren();
  for (const report of reports) {
    const tr = body.insertRow();
    tr.insertCell().textContent = report.title || '';
    tr.insertCell().textContent = report.kind || '';
    tr.insertCell().textContent = dateTimeText(report.requested);
    const situation = tr.insertCell();
    situation.textContent = STATES[report.state] || report.state || '';
    situation.className = 'state-' + String(report.state || '').replace(/\s+/g, '-');
    if (report.detail) {
      const detail = document.createElement('div');
      detail.className = 'hint';
      detail.textContent = report.detail;
      situation.appendChild(detail);
    }
    const rows = tr.insertCell();
    rows.className = 'right';
    rows.textContent = report.rows === null || report.rows === undefined ? '' : Number(report.rows).toLocaleString('pt-BR');
    const file = tr.insertCell();
    if (report.file && report.state === 'concluído') {
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'link download';
      button.textContent = 'Baixar ' + report.file;
      button.addEventListener('click', () => downloadFile(report.file));
      file.appendChild(button);
    }
  }
  $('mine-table').hidden = reports.length === 0;
  $('mine-empty').hidden = reports.length > 0;
}

async function downloadFile(name) {
  const blob = await busy(async () => {
    const response = await request('/files/' + encodeURIComponent(name));
    if (!response.ok) throw new Error('O arquivo não pôde ser obtido (' + response.status + ').');
    return response.blob();
  }, 'Baixando…');
  if (blob) download(blob, name);
}

// ---- Page -------------------------------------------------------------

function currentTab() {
  const selected = document.querySelector('.tab[aria-selected=true]');
  return selected ? selected.dataset.tab : 'run';
}

function showTab(name) {
  document.querySelectorAll('.tab').forEach((b) => {
    const chosen = b.dataset.tab === name;
    b.setAttribute('aria-selected', String(chosen));
    b.tabIndex = chosen ? 0 : -1;
  });
  $('tab-run').hidden = name !== 'run';
  $('tab-author').hidden = name !== 'author';
  $('tab-mine').hidden = name !== 'mine';
}

async function chooseTab(name) {
  if (name !== currentTab()) notice('');
  showTab(name);
  writeAddress(true);
  if (name === 'mine') await loadMine();
  const panel = $('tab-' + name);
  focusFirst(name === 'mine' ? panel : panel.querySelector('form') || panel);
}

async function enter() {
  $('login').hidden = true;
  $('workspace').hidden = false;
  $('session').hidden = false;
  $('session-user').textContent = state.user;
  await loadGroups();
  await followAddress();
  if (!currentTab() || currentTab() === 'run') {
    if (!state.template) focusFirst($('group-form'));
  }
}

function logout(message) {
  sessionStorage.removeItem('tpl.token');
  sessionStorage.removeItem('tpl.user');
  state.token = '';
  state.groups = null;
  $('login').hidden = false;
  $('workspace').hidden = true;
  $('session').hidden = true;
  notice(message || '', message ? 'error' : 'info');
  $('login-token').focus();
}

function on(id, event, handler) {
  $(id).addEventListener(event, (e) => {
    if (event === 'submit') e.preventDefault();
    handler(e);
  });
}

document.addEventListener('DOMContentLoaded', () => {
  on('login-form', 'submit', async () => {
    if (!$('login-token').value.trim() || !(Number($('login-user').value) > 0)) {
      $('login-form').classList.add('tried');
      notice('Informe a chave de acesso e o código do usuário.', 'warn');
      return;
    }
    state.token = $('login-token').value.trim();
    state.user = Number($('login-user').value);
    const response = await busy(() => request('/api/methods'), 'Entrando…');
    if (!response || !response.ok) return;
    sessionStorage.setItem('tpl.token', state.token);
    sessionStorage.setItem('tpl.user', String(state.user));
    notice('');
    enter();
  });
  // A field turns red only once the person has typed in it and left it.
  document.addEventListener('change', (e) => {
    if (e.target.matches('input, textarea, select')) e.target.classList.add('touched');
  });
  on('logout', 'click', () => logout());
  on('cancel', 'click', () => { if (state.running) state.running.abort(); });
  document.querySelectorAll('.tab').forEach((b) => {
    b.addEventListener('click', () => chooseTab(b.dataset.tab));
    b.addEventListener('keydown', (e) => {
      const tabs = [...document.querySelectorAll('.tab')];
      const step = { ArrowRight: 1, ArrowLeft: -1 }[e.key];
      if (!step) return;
      const next = tabs[(tabs.indexOf(b) + step + tabs.length) % tabs.length];
      next.focus();
      chooseTab(next.dataset.tab);
    });
  });
  on('group-form', 'submit', async () => {
    await listTemplates(chosenGroup());
    writeAddress(true);
  });
  on('group-select', 'change', async () => {
    if (!chosenGroup()) return;
    await listTemplates(chosenGroup());
    writeAddress(true);
  });
  on('filter-form', 'submit', runReport);
  $('filter-fields').addEventListener('input', () => writeAddress(false));
  on('edit-template', 'click', editTemplate);
  on('export-excel', 'click', exportResult);
  on('export-csv', 'click', exportCsv);
  on('test-query', 'click', testQuery);
  // A test result belongs to the text it ran; a changed query hides it.
  on('author-query', 'input', () => { $('test-panel').hidden = true; });
  on('save-template', 'click', saveTemplate);
  on('new-template', 'click', () => {
    state.author = newAuthor();
    $('template-form').reset();
    $('template-form').classList.remove('tried');
    $('test-panel').hidden = true;
    showAuthor();
    focusFirst($('template-form'));
  });
  on('filter-edit-form', 'submit', () => {
    const editing = state.author.editing;
    changeFilter(editing === null ? '' : 'ED', editing === null ? 0 : editing);
  });
  on('filter-cancel', 'click', () => {
    $('filter-edit-form').reset();
    showAuthor();
  });
  on('delete-filters', 'click', deleteFilters);
  on('delete-template', 'click', async () => {
    if (await deleteTemplate('gExclui_Template', [], 'Excluir este relatório?')) {
      state.author = newAuthor();
      $('template-form').reset();
      showAuthor();
      notice('Relatório excluído.', 'info');
      if (state.group) await listTemplates(state.group);
    }
  });
  on('mine-refresh', 'click', loadMine);
  window.addEventListener('popstate', () => { if (state.token && state.user) followAddress(); });

  state.author = newAuthor();
  showAuthor();
  if (state.token && state.user) enter();
  else $('login-token').focus();
});
