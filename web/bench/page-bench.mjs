// The page in headless Chromium: first its load, from the start of its navigation to ready
// (the worker's module compiled, the controls made), best of five after one to warm up; then
// 1,000 samples with both Monte-Carlo passes, Powell temperatures. Gives the worker's
// computing time to the table, and the time from the click to everything shown (table,
// diagram, the pairs file ready). Best of three after one to warm up.
//   node web/bench/page-bench.mjs build-web            (Chromium)
//   VARNO96_FIREFOX=/usr/bin/firefox-esr node web/bench/page-bench.mjs build-web
//   VARNO96_THERMOMETERS=all node web/bench/page-bench.mjs build-web   (every thermometer)
import { mkdtempSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';
import { suiteBatch } from './samples.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const build = resolve(process.argv[2] ?? 'build-web');
const scratch = mkdtempSync(join(tmpdir(), 'varno96-bench-'));
const file = join(scratch, 'BENCH.PRN');
writeFileSync(file, suiteBatch(join(here, '..', '..', 'examples', 'SUITE.PRN'), 1000));

const firefox = process.env.VARNO96_FIREFOX;
const browser = await puppeteer.launch(
    firefox
        ? { browser: 'firefox', executablePath: firefox, headless: true }
        : {
              executablePath: process.env.VARNO96_CHROMIUM ?? '/usr/bin/chromium',
              headless: true,
              args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
                     '--disable-component-update', '--disable-sync', `--user-data-dir=${join(scratch, 'profile')}`],
          });
const page = await browser.newPage();
const loads = [];
for (let run = 0; run < 6; run++) {
    await page.goto(pathToFileURL(join(build, 'varno96.html')).href);
    await page.waitForFunction(() => document.body.dataset.state === 'ready', { polling: 'mutation' });
    const ms = await page.evaluate(() => performance.now());
    if (run > 0) loads.push(ms);
}
await (await page.$('#data-file')).uploadFile(file);
await page.waitForSelector('#file-list li');
await page.select('#model', '7');
await page.type('#temperature', '650');
await page.type('#seed', '-42');
await page.click('#powell');
await page.click('#monte-carlo');
// VARNO96_THERMOMETERS=all: every thermometer checked too.
if (process.env.VARNO96_THERMOMETERS === 'all')
    for (const box of await page.$$('input[id^="thermometers-"]')) await box.click();
const worker = [], table = [], shown = [];
const painted = () => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));
for (let run = 0; run < 4; run++) {
    await page.$eval('#results tbody', (b) => b.replaceChildren()); // the last run's rows
    const start = Date.now();
    await page.click('#compute');
    await page.waitForFunction(() => document.getElementById('results').tBodies[0].rows.length > 0, { timeout: 120000, polling: 'mutation' });
    await painted();
    const tableWall = Date.now() - start;
    await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 120000 });
    await painted();
    const wall = Date.now() - start;
    const status = await page.$eval('#status', (e) => e.textContent);
    if (!status.startsWith('1000 rows;')) throw new Error(`benchmark batch failed: ${status}`);
    if (run > 0) {
        worker.push(1000 * Number(status.match(/computed in ([0-9.]+) s/)[1]));
        shown.push(wall);
        table.push(tableWall);
    }
}
await browser.close();
loads.sort((a, b) => a - b);
console.log(`${firefox ? 'firefox' : 'chromium'}: the page (${statSync(join(build, 'varno96.html')).size} bytes) ready after best ${loads[0].toFixed(0)} ms (median ${loads[2].toFixed(0)})`);
console.log(`${firefox ? 'firefox' : 'chromium'}: 1000 samples, both Monte-Carlo passes: computing best ${Math.min(...worker).toFixed(0)} ms ` +
            `(median ${worker.sort((a, b) => a - b)[1].toFixed(0)}); from the click to the table shown: best ` +
            `${Math.min(...table)} ms; to the diagram shown and the pairs file ready: best ${Math.min(...shown)} ms`);
