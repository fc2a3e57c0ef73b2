// The page: a case chosen by its selections, a robot data file and the
// settings form, run in the WebAssembly module and shown as the window
// shows it, with the window's playback and keys. The address names the
// case and the step shown (#robot=b&method=6&contour=S&frame=100&Fn=15) and
// follows every change, so it can be sent as a link to that picture.
import { load } from './hybridsim.js';
import { paint } from './webcanvas.js';
import { TEXTS, FIGUREUNITS } from './texts.js';

const $ = (id) => document.getElementById(id);
const sim = await load(window.createHybridsim);

const state = { robot: 'b', method: '6', contour: 'S', frame: 0, values: {}, casetext: '', casename: '', lang: 'en' };
let defaults = {};  // setting name -> value of the case before any entry
let run = null;     // the last run (hs_run's answer), null when none is shown
let play = null;    // {start [ms], startframe} while playing
// Read by the benchmark: time from navigation to the first picture, pictures
// drawn, steps skipped while playing, time spent drawing [ms].
const timing = { firstpicture: null, frames: 0, skipped: 0, drawms: 0 };
window.hybridsim = { sim, state, timing };

const words = () => TEXTS[state.lang];

// ---- The address ----

function query(withframe) {
  const parts = [`robot=${state.robot}`, `method=${state.method}`, `contour=${state.contour}`];
  if (withframe) parts.push(`frame=${state.frame}`);
  for (const [name, text] of Object.entries(state.values)) parts.push(`${name}=${encodeURIComponent(text)}`);
  if (withframe && state.lang !== 'en') parts.push(`lang=${state.lang}`);
  return parts.join('&');
}
// The query the module reads: values as typed, not escaped, and the
// language of its texts.
const casequery = () => `${decodeURIComponent(query(false))}&lang=${state.lang}`;

function writehash() {
  const h = '#' + query(true);
  if (location.hash !== h) history.replaceState(null, '', h);
}

function readhash() {
  state.values = {};
  state.frame = 0;
  for (const item of location.hash.replace(/^#/, '').split('&')) {
    if (!item) continue;
    const eq = item.indexOf('=');
    const name = eq < 0 ? item : item.slice(0, eq);
    const value = eq < 0 ? '' : decodeURIComponent(item.slice(eq + 1));
    if (name === 'robot' || name === 'method' || name === 'contour') state[name] = value;
    else if (name === 'frame') state.frame = Math.max(0, parseInt(value, 10) || 0);
    else if (name === 'lang') state.lang = value === 'ja' ? 'ja' : 'en';
    else state.values[name] = value;
  }
}

// ---- Texts ----

function translate() {
  document.documentElement.lang = state.lang;
  for (const el of document.querySelectorAll('[data-text]')) el.textContent = words()[el.dataset.text];
  $('lang').textContent = words().switch;
  $('play').textContent = play ? words().pause : words().play;
  for (const row of document.querySelectorAll('#fields tr'))
    row.querySelector('.limit').textContent = row.dataset[state.lang === 'ja' ? 'limitja' : 'limit'];
  if (run) {
    showfigures();
    showreport();
  }
}

function status(text) { $('status').textContent = text; }

// ---- The settings form ----

function buildform() {
  for (const id of ['robot', 'method', 'contour']) $(id).value = state[id];
  const table = sim.fields(`robot=${state.robot}&method=${state.method}&contour=${state.contour}`, state.casetext);
  defaults = {};
  const body = $('fields');
  body.replaceChildren();
  for (const f of table.fields) {
    defaults[f.name] = String(f.value);
    const row = document.createElement('tr');
    Object.assign(row.dataset, { limit: f.limit, limitja: f.limitja });
    row.innerHTML = '<td><label></label></td><td><input inputmode="decimal"><span class="error" role="alert"></span></td>' +
      '<td></td><td class="limit"></td><td></td>';
    const input = row.querySelector('input');
    input.id = input.name = f.name;
    row.querySelector('label').htmlFor = f.name;
    row.querySelector('label').textContent = f.name;
    row.cells[2].textContent = f.unit;
    row.cells[4].textContent = f.description;
    input.value = state.values[f.name] ?? defaults[f.name];
    input.addEventListener('change', () => enter(input));
    input.addEventListener('keydown', (e) => { if (e.key === 'Enter') { e.preventDefault(); enter(input); runcase(); } });
    body.appendChild(row);
  }
  translate();
}

// An entry: kept in the address when it differs from the case's value,
// checked at once and shown at its field when refused.
function enter(input) {
  if (input.value === defaults[input.name]) delete state.values[input.name];
  else state.values[input.name] = input.value;
  writehash();
  showrefusal(sim.check(casequery()));
}

function showrefusal(answer) {
  for (const el of document.querySelectorAll('.error')) el.textContent = '';
  for (const el of document.querySelectorAll('[aria-invalid]')) el.removeAttribute('aria-invalid');
  if (answer.ok) return false;
  const reason = state.lang === 'ja' ? answer.reasonja : answer.reason;
  const field = document.getElementById(answer.field);
  if (field) {
    field.setAttribute('aria-invalid', 'true');
    const at = field.parentElement.querySelector('.error');
    if (at) at.textContent = reason;
  }
  status(`${words().refused} ${reason}`);
  return true;
}

// ---- Runs ----

function runcase() {
  pause();
  const answer = sim.run(casequery(), state.casetext);
  if (showrefusal(answer)) {
    run = null;
    return false;
  }
  run = answer;
  $('comparison').hidden = true;
  Object.assign(state, { robot: run.robot, method: run.method, contour: run.contour });
  for (const id of ['robot', 'method', 'contour']) $(id).value = state[id];
  $('step').max = run.laststep;
  state.frame = sim.setframe(state.frame);
  const notes = [run.unreachable && words().unreachable, run.diverged && words().diverged].filter(Boolean);
  status(notes.length ? notes.join(' ') : words().ran);
  showreport();
  showfigures();
  draw();
  return true;
}

// The settings report of the run in the page's language.
function showreport() {
  $('report').textContent = sim.report(state.lang).replace(/^\n+/, '');
}

function showfigures() {
  const rows = Object.entries(run.figures).map(([name, v]) =>
    `<tr><th>${name}</th><td>${v === null ? 'NaN' : v.toPrecision(6)}</td><td>${FIGUREUNITS[name]}</td></tr>`);
  $('figures').innerHTML = rows.join('');
}

function compare() {
  const answer = sim.compare(casequery(), state.casetext);
  if (showrefusal(answer)) return;
  const names = Object.keys(answer.rows[0].figures);
  const head = `<tr><th>${words().method_}</th>${names.map((n) => `<th>${n} [${FIGUREUNITS[n]}]</th>`).join('')}</tr>`;
  const body = answer.rows.map((r) => `<tr><th>${r.method}${r.unreachable || r.diverged ? ' !!' : ''}</th>` +
    names.map((n, k) => `<td${r.best[k] ? ' class="best"' : ''}>${r.figures[n] === null ? 'NaN' : r.figures[n].toPrecision(4)}${r.best[k] ? ' *' : ''}</td>`).join('') + '</tr>');
  $('comparetable').innerHTML = head + body.join('') + `<caption>${words().best}</caption>`;
  $('comparison').hidden = false;
  paintcanvas($('comparepicture'), sim.drawcompare());
}

// ---- The picture ----

// Draws the operations on a canvas shown at its CSS width, with as many
// device pixels as the screen has (sharp on high-density screens).
function paintcanvas(canvas, ops) {
  const css = canvas.clientWidth || 800;
  const side = Math.round(css * (window.devicePixelRatio || 1));
  if (canvas.width !== side) canvas.width = canvas.height = side;
  const ctx = canvas.getContext('2d');
  ctx.setTransform(side / 800, 0, 0, side / 800, 0, 0);
  paint(ctx, ops);
}

function draw() {
  if (!run) return;
  const begin = performance.now();
  paintcanvas($('picture'), sim.draw());
  ++timing.frames;
  timing.drawms += performance.now() - begin;
  if (timing.firstpicture === null) timing.firstpicture = performance.now();
  $('step').value = state.frame;
  $('stepline').textContent = `t = ${(state.frame * run.dt).toFixed(2)} s  (${state.frame}/${run.laststep})`;
  // While playing, the address takes the step where the playback stops.
  if (!play) writehash();
}

function show(frame) {
  state.frame = sim.setframe(frame);
  draw();
}

// ---- Playback in real time: one output step every dt of wall time ----

function pause() {
  play = null;
  writehash();
  $('play').textContent = words().play;
}

function startplay() {
  if (!run) return;
  if (state.frame >= run.laststep) show(0);  // played out: again from the start
  play = { start: performance.now(), startframe: state.frame };
  $('play').textContent = words().pause;
  setTimeout(tick, run.dt * 1000);
}

// The step due dt of wall time per step after the start, drawn, and the
// timer set for the next one; a late tick skips steps, so the playback
// keeps to real time.
function tick() {
  if (!play || !run) return;
  const now = performance.now();
  const due = Math.min(run.laststep, play.startframe + Math.floor((now - play.start) / (run.dt * 1000)));
  if (due !== state.frame) {
    timing.skipped += Math.max(0, due - state.frame - 1);
    show(due);
  }
  if (due >= run.laststep) pause();
  else setTimeout(tick, Math.max(0, play.start + (due + 1 - play.startframe) * run.dt * 1000 - performance.now()));
}

// The window's keys.
const KEYS = new Set(['ArrowLeft', 'ArrowRight', 'Home', 'End', 's', '0', 'w', 'W']);
document.addEventListener('keydown', (e) => {
  if (e.target.closest('input, select, textarea') || e.ctrlKey || e.metaKey || e.altKey || !run) return;
  if (e.key === ' ') {
    e.preventDefault();
    if (play) pause();
    else startplay();
  } else if (KEYS.has(e.key)) {
    e.preventDefault();
    pause();
    state.frame = sim.key(e.key);
    draw();
  }
});

// ---- Downloads ----

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

$('png').addEventListener('click', () => {
  if (!run) return;
  const canvas = document.createElement('canvas');
  canvas.width = canvas.height = 800;
  paint(canvas.getContext('2d'), sim.draw());
  canvas.toBlob((blob) => download(`${casename()}-${state.frame}.png`, blob), 'image/png');
});
$('csv').addEventListener('click', () => run && download(`${casename()}.csv`, new Blob([sim.csv()], { type: 'text/csv' })));
$('dat').addEventListener('click', () => run && download(`${casename()}.dat`, new Blob([sim.casefile()], { type: 'text/plain' })));

// ---- The case: selections, data file, address ----

for (const id of ['robot', 'method', 'contour'])
  $(id).addEventListener('change', () => {
    state[id] = $(id).value;
    state.casetext = '';  // a selection leaves the file's case
    state.casename = '';
    $('filename').textContent = '';
    state.frame = 0;
    buildform();
    runcase();
  });

async function openfile(file) {
  state.casetext = await file.text();
  state.casename = file.name;
  state.values = {};
  state.frame = 0;
  $('filename').textContent = `${words().fromfile}: ${file.name}`;
  const table = sim.fields('', state.casetext);
  Object.assign(state, { robot: table.robot, method: table.method, contour: table.contour });
  buildform();
  runcase();
}
$('file').addEventListener('change', () => $('file').files[0] && openfile($('file').files[0]));
$('drop').addEventListener('dragover', (e) => e.preventDefault());
$('drop').addEventListener('drop', (e) => {
  e.preventDefault();
  if (e.dataTransfer.files[0]) openfile(e.dataTransfer.files[0]);
});

$('run').addEventListener('click', runcase);
$('comparebutton').addEventListener('click', compare);
$('play').addEventListener('click', () => (play ? pause() : startplay()));
$('step').addEventListener('input', () => {
  pause();
  show(Number($('step').value));
});
$('lang').addEventListener('click', () => {
  state.lang = state.lang === 'en' ? 'ja' : 'en';
  translate();
  writehash();
});
window.addEventListener('resize', draw);

// A link opens its case at its step; so does an address edited by hand.
function openhash() {
  const asked = location.hash;
  readhash();
  state.casetext = '';
  const frame = state.frame;
  buildform();
  state.frame = frame;
  if (runcase()) show(frame);
  document.body.dataset.opened = asked;  // the address this page has opened, for its tests
}
window.addEventListener('hashchange', openhash);
openhash();
