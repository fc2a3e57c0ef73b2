// The page in Debian's chromium (headless, through puppeteer-core), served
// from 127.0.0.1 as a user opens it: a link opens its case at its step,
// playback advances, a refused entry is shown at its field, the CSV
// downloaded is the pinned one, the picture matches the native PNG, a case
// picked with the selects runs, the window's keys step and zoom, and a dense
// screen gets a canvas of its own pixel density. What is shown is the case
// in the fields: a value left with Tab runs the batch program's figures, a
// refused value or link greys the picture, a file's case is its link, no
// input's size traps the page; the layout fits a laptop and a phone.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, spawnSync, execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { once } from 'node:events';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.join(here, '..', '..');
const chromium = process.env.CHROMIUM || '/usr/bin/chromium';
const batch = path.join(process.env.HYBRIDSIM_BINARY_DIR || path.join(root, 'build'), 'hybridsim-batch');
// The wasm CSV of robot b, method 6, sine (one of the 24 pinned runs).
const B6S = '0ae652e8935d9ba69a65b42eb7168fbbc46c0c2fbb397d85517d72d902385359';

let puppeteer = null;
try {
  puppeteer = (await import('puppeteer-core')).default;
} catch {
  // not installed: every test below is skipped
}
const missing = !fs.existsSync(path.join(here, '..', 'site', 'hybridsim-wasm.wasm')) ? 'web edition not built (web/build.sh)'
  : !puppeteer ? 'puppeteer-core is not installed (npm ci in web/)'
  : !fs.existsSync(chromium) ? `no browser at ${chromium}` : '';
if (missing) {
  console.log(`# page tests skipped: ${missing}`);
  // Run by CTest rather than by node --test: the status that counts as skipped.
  if (!process.env.NODE_TEST_CONTEXT) process.exitCode = 77;
}

let server, browser, page, url, downloads;
before(async () => {
  if (missing) return;
  server = spawn(process.execPath, [path.join(here, '..', 'serve.mjs'), path.join(here, '..', 'site'), '0']);
  url = String((await once(server.stdout, 'data'))[0]).trim();
  browser = await puppeteer.launch({ executablePath: chromium, args: ['--no-sandbox', '--headless=new'] });
  page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 1000, deviceScaleFactor: 1 });
  downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'hybridsim-web-'));
  const cdp = await browser.target().createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads, eventsEnabled: true });
  // The next download's file; a download cancelled or not done within 30 s
  // fails the test rather than leaving it waiting.
  page.downloaded = () => new Promise((resolve, reject) => {
    const timer = setTimeout(() => finish(new Error('no download completed within 30 s')), 30000);
    const listen = (e) => {
      if (e.state === 'completed') finish(null, e.filePath);
      else if (e.state === 'canceled') finish(new Error(`download cancelled: ${e.guid}`));
    };
    const finish = (error, file) => {
      clearTimeout(timer);
      cdp.off('Browser.downloadProgress', listen);
      if (error) reject(error); else resolve(file);
    };
    cdp.on('Browser.downloadProgress', listen);
  });
});
after(async () => {
  await browser?.close();
  server?.kill();
  if (downloads) fs.rmSync(downloads, { recursive: true, force: true });
});

async function open(hash, on = page) {
  await on.goto(`${url}#${hash}`);
  await on.waitForFunction((h) => document.body.dataset.opened === h, {}, `#${hash}`);
}
// Waits until the page presents the case of the address `query` as current.
const settled = (query, on = page) => on.waitForFunction((q) => {
  const s = window.hybridsim?.shown();
  return s && s.current && s.query === q;
}, {}, query);
const shown = (on = page) => on.evaluate(() => window.hybridsim.shown());
// A value typed over a field's and the field left with Tab.
async function retypeon(on, name, value) {
  await on.$eval(`[name="${name}"]`, (e) => { e.focus(); e.select(); });
  await on.keyboard.type(value);
  await on.keyboard.press('Tab');
}
// The figures of merit hybridsim-batch computes for the case of these options.
// The batch program's figures of the case; a run beyond the model's domain
// (status 3) still writes them.
function metrics(args) {
  const out = spawnSync(batch, [...args, '--metrics'], { encoding: 'utf8' });
  assert.ok(out.status === 0 || out.status === 3, `batch status ${out.status}: ${out.stderr}`);
  const [head, row] = out.stdout.trim().split('\n');
  const values = row.split(',').slice(1).map((v) => (v === 'nan' ? null : Number(v)));
  return Object.fromEntries(head.split(',').slice(1).map((n, k) => [n, values[k]]));
}
// Figures shown equal the batch program's for the case of these options, but
// for the last bits the module's maths library leaves apart from the native one's.
function samefigures(figures, args) {
  if (!fs.existsSync(batch)) return;
  for (const [name, want] of Object.entries(metrics(args)))
    assert.ok(Math.abs(figures[name] - want) <= 1e-8 * Math.abs(want), `${name}: ${figures[name]} vs ${want} (${args.join(' ')})`);
}
const text = (selector) => page.$eval(selector, (e) => e.textContent);

test('a link opens its case at its step, and playing advances the step', { skip: missing || false }, async () => {
  await open('robot=a&method=3&contour=C&frame=100&Fn=15');
  assert.equal(await text('#stepline'), 't = 4.00 s  (100/200)');
  assert.equal(await page.$eval('#Fn', (e) => e.value), '15');
  const frms = Number(await page.$eval('#figures tr:first-child td', (e) => e.textContent));
  assert.ok(frms > 0 && Number.isFinite(frms));
  await page.keyboard.press('Home');
  await page.waitForFunction(() => location.hash.includes('frame=0&'));
  await page.keyboard.press(' ');
  await page.waitForFunction(() => Number(document.getElementById('step').value) >= 5);
  await page.keyboard.press(' ');
  await page.click('#comparebutton');
  await page.waitForFunction(() => document.querySelectorAll('#comparetable tr').length === 5);
});

test('a refused entry is shown at its field and nothing runs', { skip: missing || false }, async () => {
  await open('robot=b&method=6&contour=S');
  await page.$eval('#KH1', (e) => { e.value = '0'; });
  await page.type('#KH1', '\n');
  await page.waitForFunction(() => document.querySelector('#KH1 + .error').textContent);
  const reason = 'KH1 = 0 refused: it must be a finite number > 0 [N/m]';
  assert.equal(await page.$eval('#KH1 + .error', (e) => e.textContent), reason);
  assert.match(await text('#status'), /Not run:/);
  assert.match(await page.evaluate(() => location.hash), /KH1=0/);
  await open('robot=b&method=6&contour=S&KH2=-1');
  assert.match(await page.$eval('#KH2 + .error', (e) => e.textContent), /KH2 = -1 refused/);
  assert.equal((await shown()).current, false);
});

test('the CSV downloaded is the pinned run; the picture is the native one', { skip: missing || false }, async (t) => {
  await open('robot=b&method=6&contour=S&frame=100');
  const done = page.downloaded();
  await page.click('#csv');
  const csv = fs.readFileSync(await done);
  assert.equal(createHash('sha256').update(csv).digest('hex'), B6S);
  const shot = page.downloaded();
  await page.click('#png');
  const saved = await shot;
  assert.equal(path.basename(saved), 'hybridsim-b6S-100.png');
  assert.equal(fs.readFileSync(saved).readUInt32BE(16), 800);  // the PNG's width
  if (!fs.existsSync(batch)) return;
  const png = path.join(downloads, 'native.png');
  execFileSync(batch, ['--robot', 'b', '--method', '6', '--contour', 'S', '--frame', '100', '--png', png]);
  // Pixels of the page's picture more than half the range away from the native PNG's.
  const far = await page.evaluate(async (data) => {
    const img = new Image();
    img.src = `data:image/png;base64,${data}`;
    await img.decode();
    const native = document.createElement('canvas');
    native.width = native.height = 800;
    native.getContext('2d').drawImage(img, 0, 0);
    const a = native.getContext('2d').getImageData(0, 0, 800, 800).data;
    const b = document.getElementById('picture').getContext('2d').getImageData(0, 0, 800, 800).data;
    let n = 0;
    for (let i = 0; i < a.length; i += 4)
      if (Math.max(Math.abs(a[i] - b[i]), Math.abs(a[i + 1] - b[i + 1]), Math.abs(a[i + 2] - b[i + 2])) > 128) ++n;
    return n / (800 * 800);
  }, fs.readFileSync(png).toString('base64'));
  t.diagnostic(`${(far * 100).toFixed(2)} % of the pixels differ from the native PNG`);
  assert.ok(far < 0.01, `${(far * 100).toFixed(2)} % of the pixels differ`);
});

test('a data file opened, its case saved, and the page in Japanese', { skip: missing || false }, async () => {
  await open('robot=a&method=1&contour=L');
  const example = path.join(root, 'examples', 'robot_b_circle.dat');
  await (await page.$('#file')).uploadFile(example);
  await page.waitForFunction(() => document.getElementById('contour').value === 'C' && window.hybridsim.shown().current);
  const done = page.downloaded();
  await page.click('#dat');
  const saved = await done;
  if (fs.existsSync(batch)) assert.equal(execFileSync(batch, [saved], { encoding: 'utf8' }), execFileSync(batch, [example], { encoding: 'utf8' }));
  assert.doesNotMatch(await text('#report'), /[\u3000-\u30ff\u4e00-\u9fff\uff00-\uffef]/);
  await page.click('#lang');
  assert.equal(await text('#run'), '実行');
  await page.waitForFunction(() => /^現在設定している値/.test(document.getElementById('report').textContent));
  assert.match(await page.evaluate(() => location.hash), /&lang=ja$/);
});

test('a case picked and run, the window keys, a sharp picture on a dense screen', { skip: missing || false }, async () => {
  await open('robot=b&method=6&contour=S');
  await page.select('#robot', 'a');
  await page.select('#method', '4');
  await page.select('#contour', 'L');
  await settled('robot=a&method=4&contour=L&frame=0');
  await page.click('#picture');  // the keys go to the picture, not the select
  assert.equal(await text('#stepline'), 't = 0.00 s  (0/200)');
  const picture = () => page.$eval('#picture', (c) => c.toDataURL());
  const first = await picture();
  const steps = [['End', '200/200'], ['s', '200/200'], ['Home', '0/200'], ['s', '1/200'], ['ArrowRight', '2/200'], ['0', '0/200']];
  for (const [key, shown] of steps) {
    await page.keyboard.press(key);
    await page.waitForFunction((s) => document.getElementById('stepline').textContent.endsWith(`(${s})`), {}, shown);
  }
  const drawn = () => page.evaluate(() => window.hybridsim.timing.frames);
  let frames = await drawn();
  await page.keyboard.press('w');
  await page.waitForFunction((n) => window.hybridsim.timing.frames > n, {}, frames);
  assert.notEqual(await picture(), first, 'w zooms');
  frames = await drawn();
  await page.click('[data-key="W"]');  // the key's button
  await page.waitForFunction((n) => window.hybridsim.timing.frames > n, {}, frames);
  assert.equal(await picture(), first, 'W zooms back');
  // On a screen of twice the pixel density the canvas holds twice as many
  // pixels in each direction as it takes on the page.
  await page.setViewport({ width: 1400, height: 1000, deviceScaleFactor: 2 });
  await open('robot=a&method=4&contour=L&frame=50');
  const [width, shown] = await page.$eval('#picture', (c) => [c.width, c.clientWidth]);
  await page.setViewport({ width: 1400, height: 1000, deviceScaleFactor: 1 });
  assert.equal(width, 2 * Math.round(shown));
});

test('a value left with Tab is run: the figures are the batch program\'s, Compare runs the same case', { skip: missing || false }, async () => {
  await open('robot=b&method=6&contour=S');
  await retypeon(page, 'Fn', '20');
  await settled('robot=b&method=6&contour=S&frame=0&Fn=20');
  const s = await shown();
  assert.equal(s.ok, true);
  samefigures(s.figures, ['--robot', 'b', '--method', '6', '--contour', 'S', '--set', 'Fn=20']);
  await page.click('#comparebutton');
  await page.waitForFunction(() => !document.getElementById('comparison').hidden);
  const row6 = await page.$$eval('#comparetable tr:last-child td', (cells) => cells.map((c) => Number(c.textContent.replace(' *', ''))));
  assert.equal(row6[0], Number(s.figures.frms.toPrecision(4)));
  // A refused value greys the picture and the figures with the reason.
  await retypeon(page, 'KH1', '0');
  await page.waitForFunction(() => document.getElementById('view').classList.contains('stale'));
  assert.deepEqual([(await shown()).ok, (await shown()).current], [false, false]);
  assert.match(await text('#stale'), /KH1 = 0 refused/);
  assert.equal(await page.$eval('#comparison', (e) => e.hidden), true);
  // Space and Enter on a focused button press it rather than play.
  await page.focus('#lang');
  await page.keyboard.press(' ');
  assert.equal(await text('#run'), '実行');
  await page.keyboard.press('Enter');
  assert.equal(await text('#run'), 'Run');
  assert.equal(await text('#play'), 'Play');
});

test('links are the case: a file\'s case in a fresh tab and in an open one; bad links refused at their place', { skip: missing || false }, async () => {
  const edited = path.join(downloads, 'stiffer.dat');
  fs.writeFileSync(edited, fs.readFileSync(path.join(root, 'examples', 'robot_b_circle.dat'), 'latin1').replace('500 500', '700 450'));
  await open('robot=a&method=1&contour=L');
  await (await page.$('#file')).uploadFile(edited);
  await page.waitForFunction(() => window.hybridsim.shown().current && /contour=C/.test(location.hash));
  const file = await shown();
  assert.match(file.query, /^robot=b&method=6&contour=C&frame=0&KH1=700&KH2=450$/);
  assert.equal(`#${file.query}`, await page.evaluate(() => location.hash));
  const fresh = await browser.newPage();
  await open(file.query, fresh);
  assert.deepEqual(await shown(fresh), file);
  await fresh.close();
  // In a tab with other edits, the link gives its case and nothing of them.
  await open('robot=b&method=6&contour=S&frame=7&KH1=1234&KH2=99');
  await page.evaluate((q) => { location.hash = q; }, file.query);
  await settled(file.query);
  assert.deepEqual(await shown(), file);
  assert.notEqual(await page.$eval('#KH2', (e) => e.value), '99');
  const BAD = [
    ['robot=b&Fn=%zz', '#status', /"Fn=%zz" refused: a % must be followed/],
    ['robot=b&Fn=5%26robot%3Da', '#Fn + .error', /an escaped & or = inside a value/],
    ['robot=b&frame=abc', '#controls .error', /frame = "abc" refused/],
    ['robot=b&frame=999', '#controls .error', /frame = 999 refused: the run's output steps are 0 to 200/],
    ['robot=b&lang=xx', 'header .error', /lang = "xx" refused/],
    ['robot=b&nosuch=1', '#status', /no setting named nosuch/],
    ['robot=c', '#robot + .error', /robot must be one of a, b/],
    ['robot=b&contour=L&line.yf=0', '#status', /line's end must differ from its start/],
  ];
  for (const [hash, place, reason] of BAD) {
    await page.evaluate((h) => { location.hash = h; }, hash);
    await page.waitForFunction((h) => document.body.dataset.opened === `#${h}`, {}, hash);
    assert.match(await text(place), reason, hash);
    const s = await shown();
    assert.deepEqual([s.ok, s.current, s.query], [false, false, file.query], hash);
    assert.equal(await page.$eval('#csv', (b) => b.disabled), true);
  }
});

test('a 5 MB file and a 2 MB address are refused, then a good case runs', { skip: missing || false }, async () => {
  const big = path.join(downloads, 'photo.jpg');
  fs.writeFileSync(big, Buffer.alloc(5 << 20, 0xff));
  await open('robot=b&method=6&contour=S');
  await (await page.$('#file')).uploadFile(big);
  await page.waitForFunction(() => /larger than 1 MB/.test(document.getElementById('stale').textContent));
  assert.equal(await text('#drop .error'), 'photo.jpg: larger than 1 MB (not a robot data file)');
  // An empty file is refused as the batch program refuses it, not run as no file.
  const empty = path.join(downloads, 'empty.dat');
  fs.writeFileSync(empty, '');
  await (await page.$('#file')).uploadFile(empty);
  await page.waitForFunction(() => /item 1 \(robot type\) is missing/.test(document.getElementById('stale').textContent));
  await page.select('#robot', 'a');
  await settled('robot=a&method=6&contour=S&frame=0');
  const long = `robot=b&Fn=${'1'.repeat(2 << 20)}`;
  await page.evaluate((h) => { location.hash = h; }, long);
  await page.waitForFunction(() => document.getElementById('view').classList.contains('stale'));
  assert.match(await text('#status'), /larger than 1 MB/);
  await page.evaluate(() => { location.hash = 'robot=a&method=3&contour=L&frame=5'; });
  await settled('robot=a&method=3&contour=L&frame=5');
});

test('live tuning: a slider drag reruns and redraws; a loop target in Hz goes by its name', { skip: missing || false }, async () => {
  await open('robot=b&method=6&contour=L');
  assert.match(await text('#seterror ~ .note, #fields tr:has(#seterror) .note'), /No effect under method 6/);
  const slider = await page.$('[data-for="Fn"]');
  await slider.scrollIntoView();
  const box = await slider.boundingBox();
  const before = (await shown()).figures.frms;
  await page.mouse.move(box.x + 2, box.y + box.height / 2);
  await page.mouse.down();
  for (let k = 1; k <= 5; ++k) await page.mouse.move(box.x + box.width * k / 10, box.y + box.height / 2);
  await page.mouse.up();
  const fn = await page.$eval('#Fn', (e) => e.value);
  await settled(`robot=b&method=6&contour=L&frame=0&Fn=${fn}`);
  assert.notEqual((await shown()).figures.frms, before);
  if (fs.existsSync(batch)) assert.ok(Math.abs((await shown()).figures.frms - metrics(['--robot', 'b', '--method', '6', '--contour', 'L', '--set', `Fn=${fn}`]).frms) < 1e-9);
  // fn1 [Hz] sets the method's omega1 [rad/s]: the field shows 2 pi fn1 (the engine's own 2 pi).
  await page.$eval('[data-for="fn1"]', (s) => { s.value = '8'; s.dispatchEvent(new Event('input')); });
  await settled(`robot=b&method=6&contour=L&frame=0&Fn=${fn}&fn1=8`);
  const omega1 = await page.$eval('[name="gainspec6.omega1"]', (e) => e.value);
  assert.ok(Math.abs(Number(omega1) / (16 * Math.PI) - 1) < 1e-8, omega1);
});

test('the layout: a laptop sees picture, Play, step and figures at once; a phone nothing too wide; print is one page', { skip: missing || false }, async () => {
  const shots = process.env.HYBRIDSIM_BINARY_DIR ? path.join(process.env.HYBRIDSIM_BINARY_DIR, 'web-shots') : downloads;
  fs.mkdirSync(shots, { recursive: true });
  try {
    await page.setViewport({ width: 1366, height: 768 });
    await open('robot=b&method=6&contour=S&frame=100');
    await page.evaluate(() => window.scrollTo(0, 0));
    const out = await page.$$eval('#picture, #play, #step, #figures', (els) => els.filter((e) => {
      const r = e.getBoundingClientRect();
      return r.top < 0 || r.bottom > innerHeight || r.right > innerWidth;
    }).map((e) => e.id));
    assert.deepEqual(out, []);
    await page.screenshot({ path: path.join(shots, 'laptop-1366x768.png') });
    await page.setViewport({ width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
    await open('robot=a&method=3&contour=C&frame=50');
    await page.click('#comparebutton');
    await page.waitForFunction(() => !document.getElementById('comparison').hidden);
    assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 390);
    const small = await page.$$eval('button, select, input, summary', (els) => els.filter((e) => e.offsetParent &&
      e.getBoundingClientRect().height < 40).map((e) => e.id || e.textContent));
    assert.deepEqual(small, []);
    await page.waitForFunction(() => Math.abs(document.getElementById('comparison').getBoundingClientRect().top) < 50);
    await page.screenshot({ path: path.join(shots, 'phone-390x844.png') });
    // Compare's results as a card a method, none cut off.
    assert.deepEqual(await page.$eval('#comparetable', (t) => [t.scrollWidth <= t.parentElement.clientWidth,
      t.rows[1].cells.length, getComputedStyle(t.rows[1]).display]), [true, 10, 'grid']);
    // The study view laid out 400 px wide: its 12 px text at least 11 px
    // on the phone, the page no wider.
    await page.click('#pin');
    await page.waitForFunction(() => window.hybridsim.studyops()?.length && window.hybridsim.shown().pinned.length === 1);
    const [width, ratio, pagewidth] = await page.evaluate(() => [document.getElementById('studypicture').clientWidth,
      document.getElementById('studypicture').style.aspectRatio, document.documentElement.scrollWidth]);
    assert.ok(12 * width / 400 >= 11, `study picture ${width} px wide`);
    assert.deepEqual([ratio, pagewidth], ['400 / 800', 390]);
    await page.$eval('#view', (e) => e.scrollIntoView());
    await page.screenshot({ path: path.join(shots, 'phone-study-390x844.png') });
    await page.click('#unpin');
    await page.click('#studytoggle');
    const pdf = await page.pdf({ format: 'A4' });
    assert.equal(Buffer.from(pdf).toString('latin1').match(/\/Type\s*\/Page\b/g).length, 1, 'one A4 page');
    fs.writeFileSync(path.join(shots, 'print-a4.pdf'), pdf);
  } finally {
    await page.setViewport({ width: 1400, height: 1000, deviceScaleFactor: 1 });
  }
});

test('explain from where it is shown; the results table downloaded as CSV', { skip: missing || false }, async () => {
  await open('robot=b&method=6&contour=C&lang=ja');
  const untitled = () => page.$$eval('[data-text]', (els) => els.filter((e) => !e.textContent || e.textContent === 'undefined').length);
  assert.equal(await untitled(), 0, 'every text in Japanese');
  await open('robot=b&method=6&contour=C');
  assert.equal(await untitled(), 0, 'every text in English');
  await page.click('#figures [data-explain="tsat"]');
  assert.match(await text('#explain tr.shown'), /a motor is at its torque limit.*0 %/);
  await page.click('#explainmethod');
  assert.match(await text('#explain tr.shown'), /^Method 6.*setting error/);
  await page.click('#addrow');
  await retypeon(page, 'Fn', '12');
  await settled('robot=b&method=6&contour=C&frame=0&Fn=12');
  await page.click('#addrow');
  const done = page.downloaded();
  await page.click('#resultscsv');
  const rows = fs.readFileSync(await done, 'utf8').trim().split('\n');
  assert.equal(rows.length, 3);
  assert.equal(rows[2].split(',')[0], '"robot=b&method=6&contour=C&frame=0&Fn=12"');
  assert.equal(Number(rows[2].split(',')[1]), (await shown()).figures.frms);
});

test('pinned runs: the study view overlays them with the run on screen, labelled by what differs', { skip: missing || false }, async () => {
  const B3C = ['--robot', 'b', '--method', '3', '--contour', 'C'];
  await open('robot=b&method=3&contour=C');
  const fn2 = await page.$eval('#fn2', (e) => e.value);
  await page.click('#pin');
  await retypeon(page, 'fn2', '40');
  await settled('robot=b&method=3&contour=C&frame=0&fn2=40');
  // The texts of the study picture on screen, one a glyph run.
  const texts = () => page.evaluate(() => {
    const ops = window.hybridsim.studyops(), out = [];
    for (let i = 0; i < ops.length;) {
      const op = ops[i++];
      if (op === 1) {
        i += 3;
        for (let k = ops[i++]; k > 0; --k) i += 1 + 2 * ops[i];
      } else if (op === 2) {
        const n = ops[i + 2];
        out.push(Array.from({ length: n }, (_, k) => String.fromCharCode(ops[i + 3 + 2 * k])).join(''));
        i += 3 + 2 * n;
      }
    }
    return out;
  });
  await page.waitForFunction(() => !document.getElementById('studypicture').hidden && window.hybridsim.studyops()?.length);
  const words = await texts();
  const s = await shown();
  assert.equal(s.pinned.length, 1);
  assert.equal(s.pinned[0].label, `fn2 = ${Number(fn2)} Hz`);
  for (const t of ['Study of 2 runs', s.pinned[0].label, 'fn2 = 40 Hz']) assert.ok(words.includes(t), `${t} in ${words.join('|')}`);
  samefigures(s.pinned[0].figures, B3C);
  samefigures(s.figures, [...B3C, '--set', 'fn2=40']);
  await page.screenshot({ path: path.join(process.env.HYBRIDSIM_BINARY_DIR ? path.join(process.env.HYBRIDSIM_BINARY_DIR, 'web-shots') : downloads, 'study-1400x1000.png') });
  // Four pins at most, the oldest dropped.
  for (const fn of ['11', '12', '13', '14']) {
    await retypeon(page, 'Fn', fn);
    await settled(`robot=b&method=3&contour=C&frame=0&fn2=40&Fn=${fn}`);
    await page.click('#pin');
  }
  await page.waitForFunction(() => window.hybridsim.shown().pinned[0].label.startsWith('Fn'));
  assert.deepEqual((await shown()).pinned.map((p) => p.label), ['Fn = 11 N', 'Fn = 12 N', 'Fn = 13 N', 'run 4: Fn = 14 N']);
  // A refused case greys the study view too; the window's picture is one click away.
  await retypeon(page, 'KH1', '0');
  await page.waitForFunction(() => document.getElementById('view').classList.contains('stale'));
  assert.equal(await page.$eval('#pin', (b) => b.disabled), true);
  assert.equal(await page.$eval('#studypicture', (c) => getComputedStyle(c).filter), 'grayscale(1)');
  await page.click('#studytoggle');
  assert.deepEqual(await page.$$eval('#frame canvas', (cs) => cs.map((c) => c.hidden)), [false, true]);
  await page.click('#unpin');
  await page.waitForFunction(() => window.hybridsim.shown().pinned.length === 0);
});

test('the page follows the browser\'s language where the link names none', { skip: missing || false }, async () => {
  const ja = await browser.newPage();
  await ja.evaluateOnNewDocument(() => {
    Object.defineProperty(navigator, 'languages', { get: () => ['ja-JP', 'en-US'] });
    Object.defineProperty(navigator, 'language', { get: () => 'ja-JP' });
  });
  await open('robot=b&method=6&contour=C', ja);
  assert.equal(await ja.$eval('#run', (e) => e.textContent), '実行');
  await ja.waitForFunction(() => /^現在設定している値/.test(document.getElementById('report').textContent));
  assert.equal(await ja.evaluate(() => location.hash), '#robot=b&method=6&contour=C&frame=0');
  await open('robot=b&method=6&contour=C&frame=0&lang=en', ja);
  assert.equal(await ja.$eval('#run', (e) => e.textContent), 'Run');
  await ja.close();
});
