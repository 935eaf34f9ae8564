// The page in headless Chromium, opened from disk as a user opens it: the example suite as a
// data file and as a workbook, with and without Monte-Carlo, read back from the table and
// from the downloaded files and compared with varno96-batch; a bad file; a refused option;
// a workbook of two sheets; the keyboard. Writes a screenshot of the page.
import assert from 'node:assert/strict';
import { existsSync, mkdtempSync, readFileSync, readdirSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';
import puppeteer from 'puppeteer-core';
import { runBatch, scratchInputs, source, webBuild } from './common.mjs';

const XLSX = createRequire(import.meta.url)('xlsx');
const { dir } = scratchInputs();
let browser, page;
const requested = []; // every address the page asked for that is not on this computer

// RFC 4180 as varno96-batch writes it: CR LF lines, quoted fields with doubled quotes.
function csvRows(text) {
    const rows = [];
    for (const line of text.split('\r\n').slice(0, -1)) {
        const cells = [];
        for (let i = 0; i <= line.length; ) {
            if (line[i] === '"') {
                let cell = '';
                for (i++; i < line.length; i++) {
                    if (line[i] === '"' && line[i + 1] === '"') cell += '"', i++;
                    else if (line[i] === '"') break;
                    else cell += line[i];
                }
                cells.push(cell);
                i += 2;
            } else {
                const end = line.indexOf(',', i) < 0 ? line.length : line.indexOf(',', i);
                cells.push(line.slice(i, end));
                i = end + 1;
            }
        }
        rows.push(cells);
    }
    return rows;
}

// The suite as a workbook: the data file's fields as cells, numbers as numbers.
function workbook(name, sheets) {
    const book = XLSX.utils.book_new();
    for (const [sheet, file] of sheets) {
        const lines = readFileSync(join(source, 'examples', file), 'latin1').split(/\r?\n/).filter((l) => l.trim());
        const cells = lines.map((l, i) => l.trim().split(/\s+/).map((f) => (i > 0 && /^-?[0-9.]+$/.test(f) ? Number(f) : f)));
        XLSX.utils.book_append_sheet(book, XLSX.utils.aoa_to_sheet(cells), sheet);
    }
    XLSX.writeFile(book, join(dir, name));
    return join(dir, name);
}

async function open() {
    await page.goto(pathToFileURL(join(webBuild, 'varno96.html')).href);
    await page.waitForFunction(() => document.body.dataset.state === 'ready');
}

async function setOptions(fields) {
    await page.select('#model', fields.model ?? '');
    for (const id of ['temperature', 'at', 'uncertainty', 'seed'])
        await page.$eval(`#${id}`, (e, v) => (e.value = v), fields[id] ?? (id === 'uncertainty' ? '1' : ''));
    await page.select('#combine', fields.combine ?? '');
    for (const id of ['one-site', 'powell', 'monte-carlo', 'formulae'])
        await page.$eval(`#${id}`, (e, v) => (e.checked = v), Boolean(fields[id]));
}

async function compute(files, fields) {
    await open();
    if (files.length) await (await page.$('#data-file')).uploadFile(...files);
    await page.waitForFunction((n) => document.querySelectorAll('#file-list li').length === n, {}, files.length);
    await setOptions(fields);
    await page.click('#compute');
    await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 60000 });
}

const table = () =>
    page.$eval('#results', (t) => [...t.rows].map((r) => [...r.cells].map((c) => c.textContent)));
const texts = (selector) => page.$$eval(selector, (list) => list.map((e) => e.textContent));

// A download link clicked as a user clicks it; the file as it lands on disk.
async function download(id) {
    const folder = mkdtempSync(join(tmpdir(), 'varno96-download-'));
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder });
    await page.click(`#${id}`);
    for (let waited = 0; waited < 10000; waited += 50) {
        const done = readdirSync(folder).filter((f) => !f.endsWith('.crdownload'));
        if (done.length === 1) return { name: done[0], bytes: readFileSync(join(folder, done[0])) };
        await new Promise((r) => setTimeout(r, 50));
    }
    throw new Error(`no download from #${id}`);
}

before(async () => {
    browser = await puppeteer.launch({
        executablePath: process.env.VARNO96_CHROMIUM ?? '/usr/bin/chromium',
        headless: true,
        args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
               '--disable-component-update', '--disable-sync', `--user-data-dir=${mkdtempSync(join(tmpdir(), 'varno96-chromium-'))}`],
    });
    page = await browser.newPage();
    await page.setViewport({ width: 1200, height: 900 });
    page.on('pageerror', (e) => assert.fail(`error in the page: ${e.message}`));
    page.on('request', (r) => /^(file|blob|data):/.test(r.url()) || requested.push(r.url()));
});
after(() => browser?.close());

const suiteFields = { model: '7', temperature: '650', powell: true };
for (const mc of [false, true]) {
    const fields = mc ? { ...suiteFields, 'monte-carlo': true, seed: '-42' } : suiteFields;
    test(`SUITE.PRN ${mc ? 'with' : 'without'} Monte-Carlo: the table and the downloads are varno96-batch's`, async () => {
        await compute([join(dir, 'SUITE.PRN')], fields);
        const b = runBatch(dir, ['SUITE.PRN'], fields);
        assert.deepEqual(await table(), csvRows(b.csv.toString('utf8')));
        assert.deepEqual(await texts('#messages li'), b.messages);
        const csv = await download('download-csv');
        assert.equal(csv.name, 'SUITE.csv');
        assert.ok(csv.bytes.equals(b.csv));
        if (mc) {
            await page.waitForSelector('#download-pairs[href]'); // written after the table
            assert.ok((await download('download-pairs')).bytes.equals(b.pairs));
        }
        else assert.equal(await page.$eval('#download-pairs', (a) => a.getAttribute('aria-disabled')), 'true');
        // One mark and one name for each sample with a result, each 1σ ellipse with Monte-Carlo.
        const results = csvRows(b.csv.toString('utf8')).slice(1).filter((r) => r[5] !== '').length;
        assert.equal(await page.$$eval('#diagram circle', (c) => c.length), results + 1); // + the legend's
        assert.equal((await page.$$('#diagram path[stroke-dasharray]')).length, mc ? results + 1 : 0);
        const svg = (await download('download-svg')).bytes.toString('utf8');
        assert.match(svg, /^<\?xml[^>]*>\n<svg [^>]*xmlns="http:\/\/www.w3.org\/2000\/svg"/);
        for (const r of csvRows(b.csv.toString('utf8')).slice(1)) if (r[5]) assert.ok(svg.includes(`>${r[1]}</text>`), r[1]);
    });
}

test('the suite as a workbook gives the rows of the data file', async () => {
    const fields = { ...suiteFields, 'monte-carlo': true, seed: '-42' };
    await compute([workbook('SUITE.xlsx', [['Suite', 'SUITE.PRN']])], fields);
    const b = runBatch(dir, ['SUITE.PRN'], fields);
    const expected = b.csv.toString('utf8').replaceAll('\r\nSUITE.PRN,', '\r\nSUITE.xlsx,');
    assert.deepEqual(await table(), csvRows(expected));
    assert.equal((await download('download-csv')).bytes.toString('utf8'), expected);
    await page.screenshot({ path: process.env.VARNO96_SCREENSHOT ?? join(webBuild, 'page.png'), fullPage: true });
});

test('a workbook of two sheets: the chosen sheet is computed, named after it', async () => {
    await open();
    await (await page.$('#data-file')).uploadFile(workbook('two.xlsx', [['One', 'EC1.PRN'], ['Suite', 'SUITE.PRN']]));
    await page.waitForSelector('#file-list select');
    await page.select('#file-list select', 'Suite');
    await setOptions(suiteFields);
    await page.click('#compute');
    await page.waitForFunction(() => document.body.dataset.state === 'done');
    const rows = await table();
    assert.equal(rows.length, 8);
    assert.ok(rows.slice(1).every((r) => r[0] === 'two.xlsx [Suite]'));
});

test('a file that is no table shows its message and no result', async () => {
    const fields = { model: '7', temperature: '650' };
    await compute([join(dir, 'bad.csv')], fields);
    const b = runBatch(dir, ['bad.csv'], fields);
    assert.equal(b.status, 1);
    assert.deepEqual(await texts('#messages li'), b.messages);
    assert.deepEqual(await table(), []);
    assert.equal(await page.$$eval('#diagram *', (e) => e.length), 0);
    for (const id of ['download-csv', 'download-pairs', 'download-svg'])
        assert.equal(await page.$eval(`#${id}`, (a) => a.hasAttribute('href')), false, id);
    assert.match(await page.$eval('#status', (e) => e.textContent), /No sample was read/);
});

test('a refused option is shown beside its field and nothing is computed', async () => {
    await compute([join(dir, 'EC1.PRN')], { ...suiteFields, seed: '5' });
    assert.equal(await page.$eval('#seed-error', (e) => e.textContent), 'must be a whole number from -99 to -1: 5');
    assert.equal(await page.$eval('#seed', (e) => e.getAttribute('aria-invalid')), 'true');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'seed');
    assert.deepEqual(await table(), []);
});

test('from the keyboard alone: pasted cells, the options, Enter computes', async () => {
    await open();
    const pasted = readFileSync(join(source, 'examples', 'EC1.TXT'), 'latin1');
    await page.$eval('#paste', (e, v) => (e.value = v), pasted);
    await page.focus('#model');
    await page.keyboard.press('End'); // the last model: 7
    await page.keyboard.press('Tab');
    await page.keyboard.type('650');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => document.body.dataset.state === 'done');
    writeFileSync(join(dir, 'pasted cells'), pasted);
    const b = runBatch(dir, ['pasted cells'], { model: '7', temperature: '650' });
    assert.deepEqual(await table(), csvRows(b.csv.toString('utf8')));
});

test('a large batch: the table a hundred rows a page, the download whole', async () => {
    const { suiteBatch } = await import('../bench/samples.mjs');
    writeFileSync(join(dir, 'LARGE.PRN'), suiteBatch(join(source, 'examples', 'SUITE.PRN'), 250));
    const fields = { model: '3', temperature: '600', at: '620' };
    await compute([join(dir, 'LARGE.PRN')], fields);
    const expected = csvRows(runBatch(dir, ['LARGE.PRN'], fields).csv.toString('utf8'));
    const pages = [];
    for (;;) {
        pages.push(await page.$eval('#page-rows', (e) => e.textContent));
        const rows = await table();
        const first = 1 + 100 * (pages.length - 1);
        assert.deepEqual(rows, [expected[0], ...expected.slice(first, first + 100)]);
        if (await page.$eval('#next-rows', (b) => b.disabled)) break;
        await page.click('#next-rows');
    }
    assert.deepEqual(pages, ['Rows 1–100 of 250', 'Rows 101–200 of 250', 'Rows 201–250 of 250']);
    assert.deepEqual(csvRows((await download('download-csv')).bytes.toString('utf8')), expected);
});

test('Stop ends a long calculation and the page computes again', async () => {
    const { suiteBatch } = await import('../bench/samples.mjs');
    writeFileSync(join(dir, 'LONG.PRN'), suiteBatch(join(source, 'examples', 'SUITE.PRN'), 5000));
    await open();
    await (await page.$('#data-file')).uploadFile(join(dir, 'LONG.PRN'));
    await page.waitForSelector('#file-list li');
    await setOptions({ ...suiteFields, 'monte-carlo': true });
    await page.click('#compute');
    await page.waitForFunction(() => document.getElementById('progress').value > 0);
    await page.click('#stop');
    assert.equal(await page.$eval('#status', (e) => e.textContent), 'Stopped: nothing was computed.');
    assert.deepEqual(await table(), []);
    await page.waitForFunction(() => document.body.dataset.state === 'ready');
    await setOptions({ ...suiteFields, 'monte-carlo': false });
    await page.click('#compute');
    await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 60000 });
    assert.match(await page.$eval('#status', (e) => e.textContent), /^5000 rows;/);
    assert.equal((await table()).length, 101);
});

test('nothing left the computer in all of the above', () => {
    assert.deepEqual(requested, []);
});
