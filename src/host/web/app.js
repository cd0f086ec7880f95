// The page of `tpl serve`: what a host application's screens do with the
// methods of TPL, for a person. Every call goes to POST /api/call/METHOD
// with the method's arguments in order; the service puts its own database
// into the connection and Database-kind arguments, so the page sends
// placeholders there.
'use strict';

const EMPTY = { Empty: null };
const state = {
  token: sessionStorage.getItem('tpl.token') || '',
  user: Number(sessionStorage.getItem('tpl.user') || 0),
  template: null, // the template opened for running, as read back
  result: null, // the last report shown: lines, columns, matrix, title, subtitle
  author: null, // the template being written
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
  const response = await fetch(path, Object.assign({}, options, { headers }));
  if (response.status === 401) {
    logout('Chave de acesso inválida.');
    throw new Error('Chave de acesso inválida.');
  }
  return response;
}

// Calls one method; answers its result and its arguments after the call.
async function call(method, args) {
  const response = await request('/api/call/' + method, {
    method: 'POST',
    headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify(args),
  });
  const answer = await response.json().catch(() => ({ error: response.statusText }));
  if (!response.ok) throw new Error(answer.error || 'HTTP ' + response.status);
  if (answer.raised) throw new Error(answer.raised.description);
  return { result: plain(answer.result), args: answer.args };
}

// Runs `work` with the running indicator shown and its failure as a notice.
async function busy(work) {
  $('busy').hidden = false;
  document.body.classList.add('waiting');
  try {
    return await work();
  } catch (error) {
    notice(error.message, 'error');
    return undefined;
  } finally {
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

const matrix = (rows) => ({ Matrix: rows });
const isList = (placeholder) => {
  const p = String(placeholder || '').trim();
  return p.length > 3 && p[1] === '@' && p[p.length - 2] === '@';
};

// ---- Result tables ----------------------------------------------------

// A result matrix as a table: row 0 names the columns, the last two rows
// hold the type and alignment of each column, the rows between are data.
function resultTable(rows, caption) {
  const table = document.createElement('table');
  table.className = 'data result';
  if (caption) table.createCaption().textContent = caption;
  if (!Array.isArray(rows) || rows.length < 3) return table;
  const types = rows[rows.length - 2].map(plain);
  const aligns = rows[rows.length - 1].map(plain);
  let columns = 0;
  while (columns < types.length && types[columns]) columns++;
  const alignment = (c) => ({ Right: 'right', Center: 'center', Left: 'left' }[aligns[c]] || 'left');
  const headRow = table.createTHead().insertRow();
  for (let c = 0; c < columns; c++) {
    const th = document.createElement('th');
    th.textContent = cellText(rows[0][c]);
    th.className = alignment(c);
    headRow.appendChild(th);
  }
  const body = table.createTBody();
  for (let r = 1; r < rows.length - 2; r++) {
    const tr = body.insertRow();
    for (let c = 0; c < columns; c++) {
      const td = tr.insertCell();
      td.textContent = cellText(rows[r][c]);
      td.className = alignment(c) + ' type-' + types[c];
    }
  }
  const count = document.createElement('p');
  count.className = 'muted';
  count.textContent = `${rows.length - 3} linha(s)`;
  const wrap = document.createElement('div');
  wrap.className = 'table-wrap';
  wrap.append(table, count);
  return wrap;
}

// The main matrix and every additional one of the dictionary.
function showTables(container, rows, dictionary) {
  container.replaceChildren(resultTable(rows));
  const extra = dictionary && dictionary.Dictionary ? Object.entries(dictionary.Dictionary) : [];
  for (const [key, value] of extra) {
    container.appendChild(resultTable(value.Matrix || plain(value), 'Resultado adicional ' + key));
  }
}

// ---- Running reports --------------------------------------------------

async function listTemplates(group) {
  const answer = await busy(() => call('gObter_Templates_do_Usuario', [...head(), group, '', '', '']));
  if (!answer) return;
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
    button.addEventListener('click', () => {
      list.querySelectorAll('.selected').forEach((b) => b.classList.remove('selected'));
      button.classList.add('selected');
      openTemplate(id);
    });
    item.appendChild(button);
    list.appendChild(item);
  });
  if (!list.children.length) list.innerHTML = '<li class="muted">Nenhum relatório para este grupo.</li>';
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
    code: plain(a[16]) || '', email: plain(a[17]) || 'N',
  };
}

async function openTemplate(id) {
  const template = await busy(() => readTemplate(id));
  if (!template) return;
  notice('');
  state.template = template;
  $('template-title').textContent = template.title;
  $('template-subtitle').textContent = template.subtitle || '';
  const fields = $('filter-fields');
  fields.replaceChildren();
  const rows = template.filters.Matrix || [];
  for (let i = 0; i < template.filterLines; i++) fields.appendChild(filterField(rows[i].map(plain), i));
  $('template-panel').hidden = false;
  $('result-panel').hidden = true;
}

// An input that fits the filter's type; list filters take values
// separated by commas.
function filterField(row, index) {
  const [, caption, placeholder, rawType, obligatory] = row;
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
    title.appendChild(mark);
  }
  label.appendChild(title);
  const input = document.createElement('input');
  input.id = 'filter-' + index;
  input.dataset.index = index;
  input.dataset.type = type;
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

async function runReport() {
  const t = state.template;
  const rows = (t.filters.Matrix || []).map((row) => row.slice());
  document.querySelectorAll('#filter-fields input').forEach((input) => {
    rows[Number(input.dataset.index)][6] = filterValue(input);
  });
  const answer = await busy(() => call('gExecutar_Query', [...head(), t.query, matrix(rows), t.filterLines,
    t.filterColumns, 0, 0, EMPTY, '', t.title, t.subtitle || '', t.id, 'N', '', EMPTY, 'N']));
  if (!answer) return;
  const message = plain(answer.args[2]);
  if (answer.result !== 0) {
    $('result-panel').hidden = true;
    notice(message || 'O relatório não pôde ser executado.', 'warn');
    return;
  }
  notice(message || '', 'info');
  state.result = { lines: plain(answer.args[8]), columns: plain(answer.args[9]), matrix: answer.args[10],
    title: t.title, subtitle: t.subtitle || '' };
  showTables($('result-tables'), answer.args[10].Matrix, answer.args[17]);
  $('download-link').hidden = true;
  $('result-panel').hidden = false;
}

async function exportResult() {
  const r = state.result;
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
  });
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

// ---- Writing templates ------------------------------------------------

function newAuthor() {
  return { id: 0, lines: 0, columns: 7, filters: EMPTY, editing: null };
}

function showAuthor(values = {}) {
  const a = state.author;
  $('author-id').textContent = a.id ? '(código ' + a.id + ')' : '(novo)';
  for (const [field, id] of [['name', 'author-name'], ['code', 'author-code'], ['title', 'author-title'],
    ['subtitle', 'author-subtitle'], ['query', 'author-query'], ['groups', 'author-groups']]) {
    if (field in values) $(id).value = values[field] || '';
  }
  if ('email' in values) $('author-email').checked = values.email === 'S';
  const body = $('author-filters').tBodies[0];
  body.replaceChildren();
  const rows = a.filters.Matrix || [];
  for (let i = 0; i < a.lines; i++) {
    const row = rows[i].map(plain);
    const tr = body.insertRow();
    for (const c of [1, 2, 3, 4, 5]) tr.insertCell().textContent = cellText(row[c]);
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
  $('filter-save').textContent = 'Incluir Filtro';
  $('filter-cancel').hidden = true;
}

function editFilter(index, row) {
  state.author.editing = index;
  $('filter-caption').value = row[1] || '';
  $('filter-placeholder').value = row[2] || '';
  $('filter-type').value = String(row[3] || 'C').trim().toUpperCase();
  $('filter-mandatory').checked = String(row[4]).trim() === 'S';
  $('filter-days').value = row[5] || '';
  $('filter-save').textContent = 'Gravar Filtro';
  $('filter-cancel').hidden = false;
}

// Adds (action ""), edits ("ED") or deletes ("EX") one filter of the list
// kept by the page; the list reaches the database when the template is saved.
async function changeFilter(action, position) {
  const a = state.author;
  const answer = await busy(() => call('gGrava_Filtro', [...head(), a.id, a.lines, a.columns, a.filters, '',
    $('filter-caption').value, $('filter-placeholder').value, $('filter-type').value,
    $('filter-mandatory').checked ? 'S' : 'N', $('filter-days').value, position, action]));
  if (!answer) return;
  if (answer.result !== 0) return notice(plain(answer.args[2]), 'warn');
  a.lines = plain(answer.args[5]) || 0;
  a.columns = plain(answer.args[6]) || 7;
  a.filters = answer.args[7];
  notice('');
  if (action !== 'EX') $('filter-edit-form').reset();
  showAuthor();
}

function templateTexts() {
  return [$('author-name').value, $('author-title').value, $('author-subtitle').value, $('author-query').value];
}

async function testQuery() {
  const a = state.author;
  const answer = await busy(() => call('gTesta_Query', [...head(), a.id, ...templateTexts(), 0, 0, EMPTY,
    a.id, EMPTY]));
  if (!answer) return;
  if (answer.result !== 0) {
    $('test-panel').hidden = true;
    return notice(plain(answer.args[2]), 'warn');
  }
  notice(plain(answer.args[2]) || 'Query executada.', 'info');
  showTables($('test-tables'), answer.args[11].Matrix, answer.args[13]);
  $('test-panel').hidden = false;
}

async function saveTemplate() {
  const a = state.author;
  const groups = $('author-groups').value.split(',').map((g) => g.trim()).filter(Boolean)
    .map((g) => [Number.isInteger(Number(g)) ? Number(g) : g, '']);
  const answer = await busy(() => call('gGrava_Template', [...head(), a.id, ...templateTexts(),
    groups.length, 2, groups.length ? matrix(groups) : EMPTY, a.lines, a.columns, a.filters,
    $('author-code').value, $('author-email').checked ? 'S' : 'N']));
  if (!answer) return;
  if (answer.result !== 0) return notice(plain(answer.args[2]), 'warn');
  a.id = plain(answer.args[4]);
  showAuthor();
  notice('Template gravado (código ' + a.id + ').', 'info');
  if ($('group-id').value) listTemplates(Number($('group-id').value));
}

async function deleteTemplate(method, extra, done) {
  const a = state.author;
  if (!a.id) return notice('Informe o relatório para exclusão.', 'warn');
  if (!window.confirm(done + '?')) return;
  const answer = await busy(() => call(method, [...head(), a.id, ...extra]));
  if (!answer) return;
  if (answer.result !== 0) return notice(plain(answer.args[2]), 'warn');
  notice(done + ': concluído.', 'info');
  return true;
}

// Opens the template shown in the report tab for writing.
function editTemplate() {
  const t = state.template;
  const rows = (t.filters.Matrix || []).map((row) => {
    const copy = row.slice();
    copy[4] = String(plain(row[4])) === '1' ? 'S' : 'N';
    copy[6] = '';
    return copy;
  });
  state.author = { id: t.id, lines: t.filterLines, columns: t.filterColumns, filters: matrix(rows) };
  const groups = (t.groups || []).slice(0, t.groupLines).map((g) => g[0]).join(', ');
  showAuthor({ name: t.name, code: t.code, title: t.title, subtitle: t.subtitle, query: t.query, groups,
    email: t.email });
  showTab('author');
}

// ---- Page -------------------------------------------------------------

function showTab(name) {
  document.querySelectorAll('.tab').forEach((b) => b.classList.toggle('active', b.dataset.tab === name));
  $('tab-run').hidden = name !== 'run';
  $('tab-author').hidden = name !== 'author';
}

function enter() {
  $('login').hidden = true;
  $('workspace').hidden = false;
  $('session').hidden = false;
  $('session-user').textContent = state.user;
}

function logout(message) {
  sessionStorage.removeItem('tpl.token');
  sessionStorage.removeItem('tpl.user');
  state.token = '';
  $('login').hidden = false;
  $('workspace').hidden = true;
  $('session').hidden = true;
  notice(message || '', message ? 'error' : 'info');
}

function on(id, event, handler) {
  $(id).addEventListener(event, (e) => {
    if (event === 'submit') e.preventDefault();
    handler(e);
  });
}

document.addEventListener('DOMContentLoaded', () => {
  on('login-form', 'submit', async () => {
    state.token = $('login-token').value.trim();
    state.user = Number($('login-user').value);
    const response = await busy(() => request('/api/methods'));
    if (!response || !response.ok) return;
    sessionStorage.setItem('tpl.token', state.token);
    sessionStorage.setItem('tpl.user', String(state.user));
    notice('');
    enter();
  });
  on('logout', 'click', () => logout());
  document.querySelectorAll('.tab').forEach((b) => b.addEventListener('click', () => showTab(b.dataset.tab)));
  on('group-form', 'submit', () => listTemplates(Number($('group-id').value)));
  on('filter-form', 'submit', runReport);
  on('edit-template', 'click', editTemplate);
  on('export-excel', 'click', exportResult);
  on('test-query', 'click', testQuery);
  on('save-template', 'click', saveTemplate);
  on('new-template', 'click', () => {
    state.author = newAuthor();
    $('template-form').reset();
    $('test-panel').hidden = true;
    showAuthor();
  });
  on('filter-edit-form', 'submit', () => {
    const editing = state.author.editing;
    changeFilter(editing === null ? '' : 'ED', editing === null ? 0 : editing);
  });
  on('filter-cancel', 'click', () => {
    $('filter-edit-form').reset();
    showAuthor();
  });
  on('delete-filters', 'click', () => deleteTemplate('gExclui_Filtro_Template', [''], 'Excluir os filtros gravados'));
  on('delete-template', 'click', async () => {
    if (await deleteTemplate('gExclui_Template', [], 'Excluir o template')) {
      state.author = newAuthor();
      $('template-form').reset();
      showAuthor();
    }
  });

  state.author = newAuthor();
  showAuthor();
  if (state.token && state.user) enter();
});
