// How fast the web edition is in Debian's chromium (headless) on this
// machine: page load to the first picture, one run per contour, the
// comparison, a slider's input to its picture (live tuning), and playing a
// whole run in real time (pictures drawn, steps skipped, time per picture).
// A measurement, not a test.
// Usage: node bench.mjs [REPEATS]   (after web/build.sh and npm ci)
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const repeats = Number(process.argv[2] || 5);
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

const server = spawn(process.execPath, [path.join(here, 'serve.mjs'), path.join(here, 'site'), '0']);
const url = String((await once(server.stdout, 'data'))[0]).trim();
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox', '--headless=new'],
});
const page = await browser.newPage();
await page.setViewport({ width: 1400, height: 1000, deviceScaleFactor: 1 });

const loads = [];
for (let i = 0; i < repeats; ++i) {
  await page.goto(`${url}?${i}#robot=b&method=6&contour=S`);
  await page.waitForFunction(() => document.body.dataset.opened !== undefined);
  loads.push(await page.evaluate(() => window.hybridsim.timing.firstpicture));
}
console.log(`page load to first picture: ${median(loads).toFixed(0)} ms (median of ${repeats})`);

// One run per contour in the worker, as the page asks it.
for (const c of 'LCS') {
  const ms = await page.evaluate(async (c, n) => {
    const times = [];
    for (let i = 0; i < n; ++i) {
      const t = performance.now();
      await window.hybridsim.engine.call('run', { query: `robot=b&method=6&contour=${c}`, casetext: '', frame: 0, lang: 'en' });
      times.push(performance.now() - t);
    }
    return times.sort((a, b) => a - b)[Math.floor(n / 2)];
  }, c, repeats);
  console.log(`one run, robot b, method 6, contour ${c} (in the worker, with its picture): ${ms.toFixed(1)} ms`);
}
const cmp = await page.evaluate(async () => {
  const t = performance.now();
  await window.hybridsim.engine.call('compare', { query: 'robot=b&method=6&contour=S', casetext: '' });
  return performance.now() - t;
});
console.log(`the four-method comparison: ${cmp.toFixed(0)} ms`);

// Live tuning: the Fn slider moved by one input event, and the time until
// the picture of that value is drawn (goal: 50 ms on the line and circle,
// 120 ms on the sine). Then a drag: an input every 16 ms for a second; no
// picture drawn may be of a value older than the newest one finished, and
// the last picture is the last value's.
for (const c of 'LCS') {
  await page.goto(`${url}?tune${c}#robot=b&method=6&contour=${c}`);
  await page.waitForFunction(() => window.hybridsim?.shown().current);
  // The Fn slider set to `value`: the time to the picture of that value
  // (with `study`, to the study picture drawn after it).
  const input = (value, study) => page.evaluate(async (value, study) => {
    const slider = document.querySelector('[data-for="Fn"]');
    const timing = window.hybridsim.timing;
    slider.value = value;
    const t = performance.now();
    slider.dispatchEvent(new Event('input'));
    const want = `Fn=${slider.value}`;
    while (!(window.hybridsim.shown().current && window.hybridsim.shown().query.includes(want) &&
      (!study || timing.studypicture >= timing.lastpicture)))
      await new Promise((r) => requestAnimationFrame(r));
    return (study ? timing.studypicture : timing.lastpicture) - t;
  }, value, study);
  const one = [];
  for (let i = 0; i < 2 * repeats + 1; ++i) one.push(await input(20.5 + i, false));
  const drag = await page.evaluate(async () => {
    const slider = document.querySelector('[data-for="Fn"]');
    const seen = [];  // the Fn of each picture drawn, in order
    const timing = window.hybridsim.timing;
    let frames = timing.frames;
    const watch = () => {
      if (timing.frames !== frames) {
        frames = timing.frames;
        seen.push(Number(window.hybridsim.shown().query.match(/Fn=([^&]*)/)[1]));
      }
    };
    for (let i = 0; i < 59; ++i) {
      slider.value = 10.5 + i * 0.5;
      slider.dispatchEvent(new Event('input'));
      await new Promise((r) => setTimeout(r, 16));
      watch();
    }
    const last = Number(slider.value);
    while (!(window.hybridsim.shown().current)) {
      await new Promise((r) => requestAnimationFrame(r));
      watch();
    }
    const ordered = seen.every((v, k) => k === 0 || v >= seen[k - 1]);
    return { pictures: seen.length, ordered, last: seen.at(-1) === last };
  });
  console.log(`slider input to its picture, contour ${c}: ${median(one).toFixed(1)} ms (median of ${one.length}); ` +
    `a drag of 59 inputs in 1 s: ${drag.pictures} pictures, ${drag.ordered ? 'none older than one drawn before' : 'AN OLDER PICTURE DRAWN'}, ` +
    `${drag.last ? 'the last is the last value' : 'THE LAST VALUE NOT SHOWN'}`);
  // Three runs pinned and the study view shown: the pins kept in the
  // module, only the run of the new value made.
  for (const fn of [12, 14, 16]) {
    await input(fn, false);
    await page.click('#pin');
  }
  await page.waitForFunction(() => window.hybridsim.shown().pinned.length === 3);
  const study = [];
  for (let i = 0; i < 2 * repeats + 1; ++i) study.push(await input(20.5 + i, true));
  console.log(`slider input to the study picture of 3 pins and the run, contour ${c}: ${median(study).toFixed(1)} ms (median of ${study.length})`);
}

// Plays the whole run from step 0 and waits for its end.
await page.goto(`${url}?play#robot=b&method=6&contour=S`);
await page.waitForFunction(() => document.body.dataset.opened !== undefined);
await page.evaluate(() => Object.assign(window.hybridsim.timing, { frames: 0, skipped: 0, drawms: 0 }));
const start = Date.now();
await page.keyboard.press(' ');
await page.waitForFunction(() => document.getElementById('step').value === '200', { timeout: 60000, polling: 100 });
const wall = (Date.now() - start) / 1000;
const t = await page.evaluate(() => window.hybridsim.timing);
console.log(`playing 200 steps: ${wall.toFixed(2)} s wall, ${t.frames} pictures, ${t.skipped} steps skipped, ` +
  `${(t.drawms / t.frames).toFixed(1)} ms per picture`);

await browser.close();
server.kill();
