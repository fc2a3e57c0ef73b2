// The page: a case chosen by its selections, a robot data file and the
// settings form, run in the WebAssembly module (in a worker, worker.js) and
// shown as the window shows it, with the window's playback and keys. The
// address is the case: every setting that differs from the defaults of the
// robot, method and contour, and the step shown
// (#robot=b&method=6&contour=S&frame=100&Fn=15). What is on screen is
// always the case in the fields: a value applies when it changes, a refused
// value or link greys the picture with the reason, and of the runs asked
// only the newest finished is drawn.
import { paint } from './webcanvas.js';
import { TEXTS, FIGUREUNITS, EXPLAIN } from './texts.js';

const $ = (id) => document.getElementById(id);
const NAMES = ['robot', 'method', 'contour'];
const TYPING = 300;  // pause in typing after which a value applies [ms]

// The page's language where the link names none: the browser's first
// language, Japanese for ja and English for any other (the programs' rule).
const BROWSERLANG = /^ja\b/i.test(navigator.languages?.[0] || navigator.language || '') ? 'ja' : 'en';
const state = { robot: 'b', method: '6', contour: 'S', frame: 0, values: {}, lang: BROWSERLANG, casetext: '', casename: '' };
let defaults = {};     // setting name -> its value in the robot, method and contour chosen
let drawn = null;      // the run on screen: {id, snap (the case it ran, as state), answer}
let refusal = null;    // why the case in the fields is not run: {field, reason, reasonja}
let play = null;       // {start [ms], startframe} while playing
let opening = '';      // the address being opened, set on the body once shown
// Read by the benchmark: time from navigation to the first picture, pictures
// drawn, steps skipped while playing, time spent drawing [ms], when the
// last picture was drawn, and when the last study picture was.
const timing = { firstpicture: null, lastpicture: null, studypicture: null, frames: 0, skipped: 0, drawms: 0 };

const words = () => TEXTS[state.lang];

// ---- The simulator's worker: calls answered by promise ----

const engine = {
  worker: null, next: 1, waiting: new Map(),
  start() {
    this.worker = new Worker('worker.js');
    this.worker.onerror = (e) => status(`${words().failed} ${e.message}`);
    this.worker.onmessage = (e) => {
      const done = this.waiting.get(e.data.id);
      this.waiting.delete(e.data.id);
      done?.(e.data);
    };
  },
  // A trapped module answers nothing right any more: a new worker takes over.
  restart() {
    this.worker.terminate();
    for (const [id, done] of this.waiting) done({ id, superseded: true });
    this.waiting.clear();
    this.start();
  },
  call(op, args = {}) {
    const id = this.next++;
    return new Promise((resolve) => {
      this.waiting.set(id, resolve);
      this.worker.postMessage({ id, op, ...args });
    });
  },
};
engine.start();

// ---- The address ----

// The address of the case s (the page's by default).
function query(withframe, s = state) {
  const parts = NAMES.map((n) => `${n}=${s[n]}`);
  if (withframe) parts.push(`frame=${s.frame}`);
  for (const [name, text] of Object.entries(s.values)) parts.push(`${name}=${encodeURIComponent(text)}`);
  if (withframe && s.lang !== BROWSERLANG) parts.push(`lang=${s.lang}`);
  return parts.join('&');
}
const snapshot = () => ({ ...state, values: { ...state.values } });
// The query the module reads: values as typed, not escaped, and the
// language of its texts.
// Without `lang` it names the case alone (a pinned run).
const casequery = (s = state, lang = true) => [...NAMES.map((n) => `${n}=${s[n]}`),
  ...Object.entries(s.values).map(([n, v]) => `${n}=${v}`), ...(lang ? [`lang=${s.lang}`] : [])].join('&');

function writehash() {
  const h = '#' + query(true);
  if (location.hash !== h) history.replaceState(null, '', h);
  $('printlink').href = $('printlink').textContent = location.href;
}

// A link read as the case it names, or refused at the first entry that is
// not one: {robot, method, contour, frame, lang, values, refusal}.
function readlink(hash) {
  const link = { robot: 'b', method: '6', contour: 'S', frame: 0, lang: BROWSERLANG, values: {}, refusal: null };
  const refuse = (field, reason, reasonja) => { link.refusal ??= { field, reason, reasonja }; };
  for (const item of hash.replace(/^#/, '').split('&')) {
    if (!item) continue;
    const eq = item.indexOf('=');
    let name, value;
    try {
      name = decodeURIComponent(eq < 0 ? item : item.slice(0, eq));
      value = eq < 0 ? '' : decodeURIComponent(item.slice(eq + 1));
    } catch {
      refuse(name ?? 'address', `"${item}" refused: a % must be followed by two hexadecimal digits`,
        `"${item}" の % の後は2桁の16進数にしてください．`);
      continue;
    }
    if (value.includes('&') || value.includes('=')) {
      refuse(name, `${name} = "${value}" refused: an escaped & or = inside a value`,
        `${name} の値に & や = を入れることはできません．`);
    } else if (NAMES.includes(name)) {
      link[name] = value;
    } else if (name === 'frame') {
      if (/^[0-9]{1,9}$/.test(value)) link.frame = Number(value);
      else refuse('frame', `frame = "${value}" refused: it must be an output step (0, 1, 2, …)`,
        'frame は出力ステップ (0, 1, 2, …) にしてください．');
    } else if (name === 'lang') {
      if (value === 'en' || value === 'ja') link.lang = value;
      else refuse('lang', `lang = "${value}" refused: the languages are en and ja`, 'lang は en か ja にしてください．');
    } else {
      link.values[name] = value;
    }
  }
  return link;
}

// ---- Texts ----

function translate() {
  document.documentElement.lang = state.lang;
  for (const el of document.querySelectorAll('[data-text]')) el.textContent = words()[el.dataset.text];
  $('lang').textContent = words().switch;
  $('play').textContent = play ? words().pause : words().play;
  showpins();
  for (const row of document.querySelectorAll('#fields tr, #others tr'))
    row.querySelector('.limit').textContent = row.dataset[state.lang === 'ja' ? 'limitja' : 'limit'];
  showrefusal();
  if (drawn) showfigures();
  showexplain();
  showresults();
}

// ---- Explain: one table of the methods, figures and graphs ----

function showexplain() {
  const w = words();
  $('explain').replaceChildren();
  $('explain').insertAdjacentHTML('beforeend', `<tr><th>${w.kind}</th><th>${w.what}</th><th>${w.good}</th></tr>`);
  for (const [key, both] of EXPLAIN) {
    const row = $('explain').insertRow();
    row.id = `explain-${key}`;
    for (const t of both[state.lang]) row.insertCell().textContent = t;
  }
}

// Shows a row of the table from where its method, figure or graph is shown.
function explain(key) {
  const row = $(`explain-${key === 't2peak' ? 't1peak' : key}`);
  if (!row) return;
  for (const r of document.querySelectorAll('#explain tr.shown')) r.classList.remove('shown');
  row.classList.add('shown');
  row.scrollIntoView({ block: 'center' });
}
document.addEventListener('click', (e) => {
  const b = e.target.closest('[data-explain]');
  if (b) explain(b.dataset.explain);
});
$('explainmethod').addEventListener('click', () => explain(`method${state.method}`));

// ---- For the lab: the runs on screen collected into a results table ----

// A table of figures of merit: a head row, then a row a case or method
// {head, cells: [{text, best}]}. Each cell carries its column's name, by
// which a narrow screen shows each row as a card instead.
function figuretable(first, names, rows) {
  const label = (n) => `${n} [${FIGUREUNITS[n]}]`;
  return `<tr><th>${first}</th>${names.map((n) => `<th>${label(n)}</th>`).join('')}</tr>` +
    rows.map(({ head, cells }) => `<tr><th data-label="${first}">${head}</th>${cells.map(({ text, best }, k) =>
      `<td data-label="${label(names[k])}"${best ? ' class="best"' : ''}>${text}</td>`).join('')}</tr>`).join('');
}
const figuretext = (v, digits) => (v === null ? 'NaN' : v.toPrecision(digits));

const results = [];  // {query, figures} of each run added
function showresults() {
  $('results').hidden = !results.length;
  if (!results.length) return;
  const names = Object.keys(results[0].figures);
  $('resultstable').innerHTML = figuretable(words().casehead, names, results.map((r) => ({
    head: r.query.replace(/&/g, '&amp;'), cells: names.map((n) => ({ text: figuretext(r.figures[n], 6) })),
  })));
}
$('addrow').addEventListener('click', () => {
  if (!current()) return;
  const s = window.hybridsim.shown();
  results.push({ query: s.query, figures: s.figures });
  showresults();
  status(words().added);
});
// The table as CSV: the case's address, then every figure to the last digit.
function resultscsv() {
  const names = Object.keys(results[0].figures);
  const quote = (t) => `"${t.replace(/"/g, '""')}"`;
  return [['case', ...names].join(','), ...results.map((r) =>
    [quote(r.query), ...names.map((n) => (r.figures[n] === null ? 'nan' : String(r.figures[n])))].join(','))].join('\n') + '\n';
}
$('resultscsv').addEventListener('click', () => results.length &&
  download('hybridsim-results.csv', new Blob([resultscsv()], { type: 'text/csv' })));

// The status line; its first text ("Loading…") is the only one a change of
// language words again.
function status(text) {
  delete $('status').dataset.text;
  $('status').textContent = text;
}

// ---- The settings form: the chosen robot's, method's and contour's first ----

// Whether a setting belongs to the robot, method and contour chosen.
function ofcase(name) {
  const dot = name.indexOf('.');
  if (dot >= 0) {
    const group = name.slice(0, dot);
    return group === `gainspec${state.method}` ||
      group === { L: 'line', C: 'circle', S: 'sine' }[state.contour];
  }
  if (/_[ab]$/.test(name)) return name.endsWith(`_${state.robot}`);
  if (name === 'l') return state.robot === 'a';
  if (name === 'l1' || name === 'l2') return state.robot === 'b';
  return true;
}

// The settings a lab varies, with a slider on a sensible range [min, max,
// step] in the setting's unit: the contact force, the hand springs, the
// setting error, the chosen method's loop targets and the motion time.
function sliderrange(name) {
  if (name === 'Fn') return [0, 40, 0.5];
  if (name === 'KH1' || name === 'KH2') return [50, 5000, 50];
  if (name === 'seterror') return [-0.02, 0.02, 0.0005];
  if (name === 'fn1' || name === 'fn2') return [0.5, 40, 0.1];
  if (name === `gainspec${state.method}.alpha1` || name === `gainspec${state.method}.alpha2`) return [0, 50, 0.5];
  if (/^(line|circle|sine)\.tf$/.test(name) && ofcase(name)) return [1, 20, 0.1];
  return null;
}

// One setting's row: its name and meaning, its field (named by the
// setting's name), a slider for the ones a lab varies, unit and limit.
function settingrow(f) {
  defaults[f.name] = String(f.value);
  if (state.values[f.name] === defaults[f.name]) delete state.values[f.name];
  const row = document.createElement('tr');
  Object.assign(row.dataset, { limit: f.limit, limitja: f.limitja });
  row.innerHTML = '<th><label></label><small class="meaning"></small><small class="note"></small></th>' +
    '<td><input inputmode="decimal" autocomplete="off"><span class="error" role="alert"></span></td><td></td><td class="limit"></td>';
  const input = row.querySelector('input');
  input.id = input.name = f.name;
  row.querySelector('label').htmlFor = f.name;
  row.querySelector('label').textContent = f.name;
  row.cells[2].textContent = f.unit;
  if (f.description) row.querySelector('.meaning').textContent = f.description;
  else row.querySelector('.meaning').dataset.text = f.name;
  if (f.name === 'seterror' && state.method === '6') row.querySelector('.note').dataset.text = 'noeffect6';
  input.value = state.values[f.name] ?? defaults[f.name];
  let typing = null;
  input.addEventListener('input', () => {
    clearTimeout(typing);
    typing = setTimeout(() => enter(input), TYPING);
  });
  input.addEventListener('change', () => { clearTimeout(typing); enter(input); });
  input.addEventListener('keydown', (e) => {
    if (e.key === 'Enter') { e.preventDefault(); clearTimeout(typing); enter(input); }
  });
  const range = sliderrange(f.name);
  if (range) {
    const slider = document.createElement('input');
    Object.assign(slider, { type: 'range', min: range[0], max: range[1], step: range[2], value: input.value });
    slider.dataset.for = f.name;
    slider.setAttribute('aria-label', f.name);
    slider.addEventListener('input', () => {
      input.value = slider.value;
      enter(input);
    });
    input.addEventListener('change', () => { slider.value = input.value; });
    input.nextElementSibling.after(slider);  // after the field's error
  }
  return row;
}

function buildform(table) {
  for (const id of NAMES) $(id).value = state[id];
  defaults = {};
  const own = $('fields'), others = $('others');
  own.replaceChildren();
  others.replaceChildren();
  // The chosen method's loop targets in Hz first, by the names the
  // settings report gives them.
  for (const f of table.servo || []) if (f.unit === 'Hz') own.appendChild(settingrow(f));
  for (const f of table.fields) (ofcase(f.name) ? own : others).appendChild(settingrow(f));
  translate();
}

// The values of the case as run, in the fields not being entered (a loop
// target in Hz also changes its field in rad/s).
function showvalues(table) {
  for (const f of [...table.fields, ...(table.servo || [])]) {
    const input = document.getElementById(f.name);
    if (!input || input === document.activeElement || f.name in state.values) continue;
    input.value = String(f.value);
    const slider = document.querySelector(`[data-for="${CSS.escape(f.name)}"]`);
    if (slider && slider !== document.activeElement) slider.value = input.value;
  }
}

// An entry: kept in the address when it differs from the case's value,
// and run at once.
function enter(input) {
  if (input.value === defaults[input.name]) delete state.values[input.name];
  else state.values[input.name] = input.value;
  changed();
}

// ---- Runs: the newest asked, one at a time in the worker ----

let wanted = 0;       // the id of the newest run asked
let running = false;  // a run is in the worker
let again = false;    // the case changed while it ran

// The case in the fields changed: the address follows, and it runs.
function changed() {
  writehash();
  if (compared !== casequery()) $('comparison').hidden = true;
  asked();
}

function asked() {
  wanted = engine.next;
  if (running) {
    again = true;
    return;
  }
  running = true;
  const q = casequery(), snap = snapshot();
  engine.call('run', { query: q, casetext: state.casetext, frame: state.frame, lang: state.lang, study: studywant() }).then((reply) => {
    running = false;
    const newest = reply.id >= wanted;
    if (again) {
      again = false;
      asked_();
    }
    if (reply.superseded) return;
    if (reply.error) return failed(reply.error);
    if (!reply.answer.ok) {
      if (newest) refuse(reply.answer);
      return;
    }
    if (drawn && reply.id < drawn.id) return;
    take(reply, snap);
  });
}
const asked_ = () => asked();

// The module trapped (or the worker failed): a new one, and the case again.
let failures = 0;
function failed(why) {
  status(`${words().failed} ${why}`);
  markstale(`${words().failed} ${why}`);
  engine.restart();
  if (++failures < 2) asked();
}

// A run answered: drawn, its figures and report shown, and the address
// the case it ran. A data file's case becomes the settings it holds.
function take(reply, snap) {
  failures = 0;
  const run = reply.answer;
  if (reply.file) {
    state.values = reply.file.values;
    state.casetext = '';
    Object.assign(state, { robot: run.robot, method: run.method, contour: run.contour });
    buildform(reply.file.table);
    snap = snapshot();
  }
  drawn = { id: reply.id, snap, answer: run };
  refusal = null;
  state.frame = reply.frame;
  $('step').max = run.laststep;
  $('report').textContent = reply.report.replace(/^\n+/, '');
  if (reply.table?.fields) showvalues(reply.table);
  const current = reply.id >= wanted && !running;
  const notes = [run.unreachable && words().unreachable, run.diverged && words().diverged,
    state.lang === 'ja' ? run.notesja : run.notes].filter(Boolean);
  status(current ? (notes.length ? notes.join(' ') : words().ran) : words().running);
  showrefusal();
  showfigures();
  paintpicture(reply);
  takestudy(reply);
  if (current) done();
}

// The address being opened has been shown (for its tests and the benchmark).
function done() {
  if (opening) document.body.dataset.opened = opening;
  opening = '';
}

function refuse(answer) {
  refusal = answer;
  showrefusal();
  done();
}

// A refusal at its place (a setting's field, a selection, the file, the
// step, the language), and the picture and figures greyed with the reason.
function showrefusal() {
  for (const el of document.querySelectorAll('.error')) el.textContent = '';
  for (const el of document.querySelectorAll('[aria-invalid]')) el.removeAttribute('aria-invalid');
  if (!refusal) {
    $('view').classList.remove('stale');
    $('stale').textContent = '';
    for (const id of ['png', 'csv', 'dat', 'comparebutton', 'addrow', 'pin']) $(id).disabled = false;
    return;
  }
  const reason = state.lang === 'ja' ? refusal.reasonja : refusal.reason;
  const place = { frame: 'step', file: 'file', lang: 'lang' }[refusal.field] || refusal.field;
  const field = document.getElementById(place);
  if (field) {
    field.setAttribute('aria-invalid', 'true');
    const at = field.parentElement.querySelector('.error') || field.closest('label')?.querySelector('.error');
    if (at) at.textContent = reason;
  }
  status(`${words().refused} ${reason}`);
  markstale(`${words().refused} ${reason}`);
}

function markstale(reason) {
  $('view').classList.add('stale');
  $('stale').textContent = reason;
  for (const id of ['png', 'csv', 'dat', 'comparebutton', 'addrow', 'pin']) $(id).disabled = true;
}

function showfigures() {
  const rows = Object.entries(drawn.answer.figures).map(([name, v]) =>
    `<tr><th><button type="button" class="link" data-explain="${name}">${name}</button></th><td>${v === null ? 'NaN' : v.toPrecision(6)}</td><td>${FIGUREUNITS[name]}</td></tr>`);
  $('figures').innerHTML = rows.join('');
}

// ---- Compare: the four methods on the case in the fields ----

let compared = '';  // the case query of the comparison shown

async function compare() {
  const q = casequery();
  const width = studywidth();
  const reply = await engine.call('compare', { query: q, casetext: state.casetext, width });
  if (reply.error) return failed(reply.error);
  if (!reply.answer || q !== casequery()) return;  // the case changed meanwhile
  const answer = reply.answer;
  if (!answer.ok) return refuse(answer);
  compared = q;
  const names = Object.keys(answer.rows[0].figures);
  $('comparetable').innerHTML = figuretable(words().method_, names, answer.rows.map((r) => ({
    head: `${r.method}${r.failed ? ' !!' : ''}`,
    cells: names.map((n, k) => ({ text: `${figuretext(r.figures[n], 4)}${r.best[k] ? ' *' : ''}`, best: r.best[k] })),
  }))) + `<caption>${words().best}</caption>`;
  $('comparison').hidden = false;
  paintcanvas($('comparepicture'), reply.ops, width);
  $('comparison').scrollIntoView({ behavior: 'smooth', block: 'start' });
}

// ---- Pinned runs: references drawn with the run on screen in the study view ----

const PINMAX = 4;     // the most runs pinned; pinning a fifth drops the oldest
let pins = [];        // the case queries of the pinned runs, the oldest first
let pinned = [];      // their labels and figures, as last labelled: [{label, figures, failed}]
let studying = false; // the study view is shown in place of the window's picture
let studyops = null;  // the operations of the study picture on screen

// What a run or a study call is to bring of the study view (nothing while
// there is neither a pin nor the view).
const studywant = () => (pins.length || studying ? { pins, width: studying ? studywidth() : 0 } : null);
// The width [px] the study pictures are laid out in: narrow on a phone, so
// that their text shows as large as the window's.
const phone = matchMedia('(max-width: 900px)');
const studywidth = () => (phone.matches ? 400 : 800);
let studyspan = 800;  // the width the study picture on screen is laid out in [px]

// The labels, figures and picture of a reply that carries them.
function takestudy(reply) {
  if (reply.study) pinned = reply.study.pinned;
  else if (!pins.length) pinned = [];
  if (reply.studyops && studying) {
    studyops = reply.studyops;
    studyspan = reply.studywidth;
    paintcanvas($('studypicture'), studyops, studyspan);
    timing.studypicture = performance.now();
  }
  showpins();
}

// The study view of the run on screen, asked of the worker when the pins
// or the view change; a newer run on its way brings its own.
async function restudy() {
  const want = studywant();
  if (!drawn) return showpins();
  if (!want) return takestudy({});
  const reply = await engine.call('study', { study: want });
  if (reply.error) return failed(reply.error);
  if (drawn && reply.runid === drawn.id && want.pins === pins && want.width === (studying ? studywidth() : 0)) takestudy(reply);
}

function showpins() {
  $('unpin').disabled = !pins.length;
  $('pins').textContent = pinned.length ? `${words().pinned} ${pinned.map((p) => p.label).join('; ')}` : '';
  $('picture').hidden = studying;
  $('studypicture').hidden = !studying;
  $('studytoggle').textContent = studying ? words().windowpicture : words().studyview;
}

$('pin').addEventListener('click', () => {
  if (!current()) return;
  const q = casequery(drawn.snap, false);
  if (!pins.includes(q)) pins = [...pins, q].slice(-PINMAX);
  studying = true;
  restudy();
});
$('unpin').addEventListener('click', () => {
  pins = [];
  restudy();
});
$('studytoggle').addEventListener('click', () => {
  studying = !studying;
  showpins();
  if (studying) restudy();
  else if (lastops) paintcanvas($('picture'), lastops);
});

// ---- The picture ----

// Draws the operations of a picture laid out `span` px wide (and 800 px
// tall) on a canvas shown at its CSS width, with as many device pixels as
// the screen has (sharp on high-density screens).
function paintcanvas(canvas, ops, span = 800) {
  canvas.style.aspectRatio = `${span} / 800`;
  const css = canvas.clientWidth || span;
  const side = Math.round(css * (window.devicePixelRatio || 1)), tall = Math.round(side * 800 / span);
  if (canvas.width !== side || canvas.height !== tall) [canvas.width, canvas.height] = [side, tall];
  const ctx = canvas.getContext('2d');
  ctx.setTransform(side / span, 0, 0, side / span, 0, 0);
  paint(ctx, ops);
}

let lastops = null;  // the operations of the picture on screen
function paintpicture(reply) {
  const begin = performance.now();
  lastops = reply.ops;
  paintcanvas($('picture'), reply.ops);
  ++timing.frames;
  timing.drawms += performance.now() - begin;
  timing.lastpicture = performance.now();
  if (timing.firstpicture === null) timing.firstpicture = timing.lastpicture;
  state.frame = drawn.frame = reply.frame;
  $('step').value = state.frame;
  $('stepline').textContent = `t = ${(state.frame * drawn.answer.dt).toFixed(2)} s  (${state.frame}/${drawn.answer.laststep})`;
  // While playing, the address takes the step where the playback stops.
  if (!play && !refusal) writehash();
}

// A step of the run on screen (or a window key on it), drawn when the
// worker still holds that run.
let stepping = false;
async function show(args) {
  if (!drawn) return;
  stepping = true;
  const reply = await engine.call(args.key ? 'key' : 'frame', args);
  stepping = false;
  if (reply.error) return failed(reply.error);
  if (drawn && reply.runid === drawn.id) paintpicture(reply);
}

// ---- Playback in real time: one output step every dt of wall time ----

function pause(write = true) {
  play = null;
  if (write && !refusal && drawn) writehash();
  $('play').textContent = words().play;
}

async function startplay() {
  if (!drawn) return;
  if (state.frame >= drawn.answer.laststep) await show({ frame: 0 });  // played out: again from the start
  play = { start: performance.now(), startframe: state.frame };
  $('play').textContent = words().pause;
  setTimeout(tick, drawn.answer.dt * 1000);
}

// The step due dt of wall time per step after the start, drawn, and the
// timer set for the next one; a late tick skips steps, so the playback
// keeps to real time.
async function tick() {
  if (!play || !drawn) return;
  const dt = drawn.answer.dt * 1000, last = drawn.answer.laststep;
  const due = Math.min(last, play.startframe + Math.floor((performance.now() - play.start) / dt));
  if (due !== state.frame && !stepping) {
    timing.skipped += Math.max(0, due - state.frame - 1);
    await show({ frame: due });
  }
  if (!play) return;
  if (due >= last) pause();
  else setTimeout(tick, Math.max(0, play.start + (due + 1 - play.startframe) * dt - performance.now()));
}

// The window's keys (not while a button, a field or a link has the focus:
// Space and Enter press a focused button).
const KEYS = new Set(['ArrowLeft', 'ArrowRight', 'Home', 'End', 's', '0', 'w', 'W']);
document.addEventListener('keydown', (e) => {
  if (e.target.closest('input, select, textarea, button, a, summary') || e.ctrlKey || e.metaKey || e.altKey || !drawn) return;
  if (e.key === ' ') {
    e.preventDefault();
    if (play) pause();
    else startplay();
  } else if (KEYS.has(e.key)) {
    e.preventDefault();
    pause();
    show({ key: e.key });
  }
});
// The same keys as buttons, for touch screens.
for (const b of document.querySelectorAll('[data-key]'))
  b.addEventListener('click', () => {
    pause();
    show({ key: b.dataset.key });
  });

// ---- Downloads: only of the run on screen while it is the case in the fields ----

function download(name, blob) {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(blob);
  a.download = name;
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 10000);
}
const casename = () => `hybridsim-${state.robot}${state.method}${state.contour}`;
const current = () => Boolean(drawn && !refusal && drawn.id >= wanted && !running &&
  query(false, drawn.snap) === query(false));

$('png').addEventListener('click', () => {
  if (!current()) return;
  const canvas = document.createElement('canvas');
  canvas.width = canvas.height = 800;
  const study = studying && studyops;
  paint(canvas.getContext('2d'), study ? studyops : lastops);
  canvas.toBlob((blob) => download(`${casename()}-${study ? 'study' : state.frame}.png`, blob), 'image/png');
});
async function text(op, name, type) {
  if (!current()) return;
  const id = drawn.id, reply = await engine.call(op);
  if (reply.runid === id) download(name, new Blob([reply.text], { type }));
}
$('csv').addEventListener('click', () => text('csv', `${casename()}.csv`, 'text/csv'));
$('dat').addEventListener('click', () => text('casefile', `${casename()}.dat`, 'text/plain'));
$('copylink').addEventListener('click', async () => {
  try {
    await navigator.clipboard.writeText(location.href);
    status(words().copied);
  } catch {
    status(`${words().copyby} ${location.href}`);
  }
});

// ---- The case: selections, data file, address ----

async function settable() {
  const reply = await engine.call('fields', { query: NAMES.map((n) => `${n}=${state[n]}`).join('&'), casetext: '' });
  if (reply.error) return failed(reply.error), false;
  if (!reply.answer?.fields) return reply.answer && refuse(reply.answer), false;
  buildform(reply.answer);  // a refused selection is refused with its reason by the run
  return true;
}

for (const id of NAMES)
  $(id).addEventListener('change', async () => {
    state[id] = $(id).value;
    state.casetext = '';  // a selection leaves the file's case
    state.casename = '';
    $('filename').textContent = '';
    $('file').value = '';
    state.frame = 0;
    if (await settable()) changed();
  });

const FILELIMIT = 1 << 20;  // the largest robot data file read [bytes]
async function openfile(file) {
  pause();
  state.casename = file.name;
  $('filename').textContent = `${words().fromfile}: ${file.name}`;
  if (file.size > FILELIMIT) {
    // Refused unread, as the batch program refuses it.
    state.casetext = '';
    return refuse({ field: 'file', reason: `${file.name}: ${words().toolarge}`, reasonja: `${file.name}: ${TEXTS.ja.toolarge}` });
  }
  // An empty file is still a file: read as one (and refused, item 1 missing,
  // as the batch program refuses it), not taken for no file at all.
  state.casetext = (await file.text()) || '\n';
  state.values = {};
  state.frame = 0;
  changed();
}
$('file').addEventListener('change', () => $('file').files[0] && openfile($('file').files[0]));
$('drop').addEventListener('dragover', (e) => e.preventDefault());
$('drop').addEventListener('drop', (e) => {
  e.preventDefault();
  if (e.dataTransfer.files[0]) openfile(e.dataTransfer.files[0]);
});

$('run').addEventListener('click', () => { pause(); asked(); });
$('comparebutton').addEventListener('click', compare);
$('play').addEventListener('click', () => (play ? pause() : startplay()));
$('step').addEventListener('input', () => {
  pause();
  show({ frame: Number($('step').value) });
});
$('lang').addEventListener('click', async () => {
  state.lang = state.lang === 'en' ? 'ja' : 'en';
  translate();
  if (drawn) drawn.snap.lang = state.lang;
  if (!refusal && drawn) writehash();
  const reply = await engine.call('report', { lang: state.lang });
  if (!reply.error) $('report').textContent = reply.text.replace(/^\n+/, '');
});
$('picture').addEventListener('click', () => {
  if (!matchMedia('(max-width: 900px)').matches) return;
  $('frame').classList.toggle('big');
  if (lastops) paintcanvas($('picture'), lastops);
});
window.addEventListener('resize', () => {
  if (lastops) paintcanvas($('picture'), lastops);
  if (studyops && studying) paintcanvas($('studypicture'), studyops, studyspan);
});
phone.addEventListener('change', () => studying && restudy());

// A link opens exactly its case at its step, nothing of the case before;
// so does an address edited by hand. A bad link runs nothing.
async function openhash() {
  pause(false);  // the address is already the link's
  opening = location.hash;
  const link = readlink(location.hash);
  Object.assign(state, { robot: link.robot, method: link.method, contour: link.contour, frame: link.frame,
    lang: link.lang, values: link.values, casetext: '', casename: '' });
  $('filename').textContent = $('file').value = '';
  $('comparison').hidden = true;
  if (link.refusal) {
    wanted = engine.next;  // a run still coming is not of this case
    translate();
    return refuse(link.refusal);
  }
  if (await settable()) asked();
}
window.addEventListener('hashchange', openhash);

// What the page presents: the address of the run on screen, whether the
// case in the fields is taken, the figures on screen, the pinned runs and
// whether what is shown is the case in the fields.
window.hybridsim = {
  state, timing, engine, studyops: () => studyops,
  shown: () => ({
    query: drawn ? query(true, { ...drawn.snap, frame: drawn.frame }) : '', ok: !refusal, figures: drawn ? { ...drawn.answer.figures } : null,
    pinned: pinned.map(({ label, figures }) => ({ label, figures })), current: current(),
  }),
};
openhash();
