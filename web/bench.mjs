// How fast the web edition is in Debian's chromium (headless) on this
// machine: page load to the first picture, one run per contour, the
// comparison, and playing a whole run in real time (pictures drawn, steps
// skipped, time per picture). A measurement, not a test.
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

for (const c of 'LCS') {
  const ms = await page.evaluate((c, n) => {
    const times = [];
    for (let i = 0; i < n; ++i) {
      const t = performance.now();
      window.hybridsim.sim.run(`robot=b&method=6&contour=${c}`);
      times.push(performance.now() - t);
    }
    return times.sort((a, b) => a - b)[Math.floor(n / 2)];
  }, c, repeats);
  console.log(`one run, robot b, method 6, contour ${c}: ${ms.toFixed(1)} ms`);
}
const cmp = await page.evaluate(() => {
  const t = performance.now();
  window.hybridsim.sim.compare('robot=b&method=6&contour=S');
  return performance.now() - t;
});
console.log(`the four-method comparison: ${cmp.toFixed(0)} ms`);

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
