// The page in headless Chromium, opened from disk as a user opens it: the example suite as a
// data file and as a workbook, with and without Monte-Carlo, read back from the table and
// from the downloaded files and compared with varno96-batch; a bad file; a refused option;
// workbooks of two sheets; the keyboard; results out of date; the table's columns in view and
// explained; the diagram's files; no long pause of the page. Writes a screenshot of the page.
import assert from 'node:assert/strict';
import { existsSync, mkdtempSync, readFileSync, readdirSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';
import puppeteer from 'puppeteer-core';
import { runBatch, runCite, scratchInputs, source, webBuild } from './common.mjs';

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
    await page.select('#ferric-in-runs', fields['ferric-in-runs'] ?? '');
    // --ferric's words, one for all minerals or per mineral, as the three choices.
    const ferric = fields.ferric ?? 'estimate';
    for (const mineral of ['grt', 'cpx', 'phe']) {
        const own = ferric.split(',').find((w) => w.startsWith(`${mineral}=`));
        await page.select(`#ferric-${mineral}`, own ? own.split('=')[1] : ferric.includes('=') ? 'estimate' : ferric);
    }
    for (const id of ['one-site', 'powell', 'monte-carlo', 'formulae'])
        await page.$eval(`#${id}`, (e, v) => (e.checked = v), Boolean(fields[id]));
    const keys = (fields.thermometers ?? '').split(',');
    await page.$$eval('input[id^="thermometers-"]', (boxes, keys) => boxes.forEach((b) => (b.checked = keys.includes(b.id.slice(13)))), keys);
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
// The table shows sample, T, P and note first: its rows in the batch's order of `header`.
const batchOrder = (rows, header) => rows.map((r) => header.map((name) => r[rows[0].indexOf(name)]));
const state = (expression) => page.evaluate(expression);
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
const suiteVariants = [
    ['without Monte-Carlo', suiteFields],
    ['with Monte-Carlo', { ...suiteFields, 'monte-carlo': true, seed: '-42' }],
    ['with three thermometers checked and Monte-Carlo', { ...suiteFields, 'monte-carlo': true, seed: '-42', thermometers: 'KR00,EG79,GH82' }],
    ['with the phengite’s iron all Fe2+ and ferric iron estimated once in the runs', { ...suiteFields, 'monte-carlo': true, seed: '-42', thermometers: 'KR78', ferric: 'phe=none', 'ferric-in-runs': 'once' }],
    ['with the clinopyroxene’s ferric iron from its sites', { ...suiteFields, 'monte-carlo': true, seed: '-42', thermometers: 'K88', ferric: 'cpx=sites' }],
];
for (const [what, fields] of suiteVariants) {
    const mc = Boolean(fields['monte-carlo']);
    test(`SUITE.PRN ${what}: the table and the downloads are varno96-batch's`, async () => {
        await compute([join(dir, 'SUITE.PRN')], fields);
        const b = runBatch(dir, ['SUITE.PRN'], fields);
        const expected = csvRows(b.csv.toString('utf8'));
        assert.deepEqual(batchOrder(await table(), expected[0]), expected);
        assert.deepEqual(await texts('#messages li'), b.messages);
        // Everything is there when the page says it is done, and the focus is back on Compute.
        assert.equal(await state(() => document.activeElement.id), 'compute');
        assert.match(await page.$eval('#status', (e) => e.textContent), /Everything shown after/);
        const csv = await download('download-csv');
        assert.equal(csv.name, 'SUITE-varno96.csv');
        assert.ok(csv.bytes.equals(b.csv));
        if (mc) {
            const pairs = await download('download-pairs');
            assert.equal(pairs.name, 'SUITE-varno96-pairs.csv');
            assert.ok(pairs.bytes.equals(b.pairs));
        }
        else assert.equal(await page.$eval('#download-pairs', (a) => a.getAttribute('aria-disabled')), 'true');
        // One mark and one name for each sample with a result, each 1σ ellipse with Monte-Carlo.
        const svgFile = await download('download-svg');
        assert.equal(svgFile.name, 'SUITE-varno96.svg');
        const svg = svgFile.bytes.toString('utf8');
        const results = expected.slice(1).filter((r) => r[5] !== '').length;
        const keys = fields.thermometers?.split(',') ?? [];
        // With thermometers a sample is its barometer line and its intersections.
        // + the legend's, and the dot of its line from a value as entered to the runs' mean.
        const joined = svg.includes('>Markers: the analyses as entered, joined to that mean</text>');
        assert.equal(svg.match(/<circle /g)?.length ?? 0, (keys.length ? 0 : results + 1) + joined);
        assert.ok(svg.includes('>Qz = Coe</text>') || svg.includes('>Ab = Jd + Qz</text>'));
        assert.match(svg, /^<\?xml[^>]*>\n<svg [^>]*xmlns="http:\/\/www.w3.org\/2000\/svg"/);
        for (const r of expected.slice(1)) if (r[5]) assert.ok(svg.includes(`>${r[1]}</text>`), r[1]);
        // Each thermometer checked has its columns, explained with its citation, and a marker
        // for each intersection of the table and in the legend.
        const titles = Object.fromEntries(await page.$$eval('#results th', (list) => list.map((th) => [th.textContent, th.title])));
        let met = 0;
        for (const key of keys) {
            assert.match(titles[`T_${key}_C`], new RegExp(`${key}: .*\\(\\d{4}\\)`));
            assert.ok(`rho_${key}` in titles);
            met += expected.slice(1).filter((r) => r[expected[0].indexOf(`T_${key}_C`)] !== '').length;
        }
        assert.ok(keys.length === 0 || met > 0);
        assert.equal(svg.match(/<path d="[^"]*Z" fill=/g)?.length ?? 0, met + keys.length);
        // Every line at 3:1 or more against the white page (WCAG 2.1 relative luminance).
        const luminance = (rgb) => rgb.map((v) => (v / 255 <= 0.04045 ? v / 255 / 12.92 : ((v / 255 + 0.055) / 1.055) ** 2.4)).reduce((sum, v, i) => sum + [0.2126, 0.7152, 0.0722][i] * v, 0);
        // The thermometers' filled markers too.
        const inks = [...svg.matchAll(/stroke="([^"]+)"/g), ...svg.matchAll(/<path [^>]*fill="(rgb\([^"]+)"/g)];
        for (const stroke of new Set(inks.map((m) => m[1]))) {
            const rgb = stroke === '#000' ? [0, 0, 0] : stroke.match(/^rgb\((\d+),(\d+),(\d+)\)$/).slice(1).map(Number);
            assert.ok(1.05 / (luminance(rgb) + 0.05) >= 3, stroke);
        }
    });
}

test('the page has a control for every option of the table, and none beyond it', async () => {
    await open();
    const table = await page.evaluate(() => new Promise((done) => {
        // The table the page was made from, as the worker sends it.
        const worker = new Worker(URL.createObjectURL(new Blob([document.getElementById('worker-source').textContent])));
        worker.onmessage = (e) => e.data.type === 'ready' && (done(e.data.options), worker.terminate());
        worker.postMessage({ type: 'init' });
    }));
    const fields = await page.$$eval('#form input, #form select', (list) => list.map((e) => e.id).filter((id) => !['data-file', 'paste'].includes(id) && !id.startsWith('sheet')));
    const names = table.map((o) => o.name).filter((name) => name !== 'jobs'); // one thread per Web Worker
    // A list option has a check box for each of its choices, <name>-<choice>; a choice per
    // mineral a menu for each mineral, <name>-<grt|cpx|phe>.
    const parts = (o) => (o.kind === 'list' ? o.choices.split('|') : o.valueName.startsWith('[MINERAL=]') ? ['grt', 'cpx', 'phe'] : []);
    const named = new Set(fields.map((id) => names.find((name) => parts(table.find((o) => o.name === name)).some((p) => id === `${name}-${p}`)) ?? id));
    assert.deepEqual([...named].sort(), [...names].sort());
    for (const o of table.filter((o) => o.kind === 'list'))
        assert.deepEqual(fields.filter((id) => id.startsWith(`${o.name}-`)), o.choices.split('|').map((c) => `${o.name}-${c}`));
    // Each model's menu entry and publication, and each calibration's, as the module gives them.
    assert.equal(await page.$$eval('#model option', (list) => list.length), 8);
    assert.equal(await page.$$eval('#model-references li', (list) => list.length), 7);
    assert.ok(await page.$$eval('[data-reference]', (list) => list.every((e) => /\(\d{4}\) /.test(e.textContent))));
    // Each calibration where it was calibrated and the error its authors state.
    const stated = await page.$$eval('[data-stated]', (list) => list.map((e) => e.textContent));
    assert.equal(stated.length, 7);
    assert.ok(stated.every((t) => /^Calibrated on .+\. Stated error: .+\.$/.test(t)), stated.join('\n'));
});

test('the suite as a workbook gives the rows of the data file', async () => {
    const fields = { ...suiteFields, 'monte-carlo': true, seed: '-42' };
    await compute([workbook('SUITE.xlsx', [['Suite', 'SUITE.PRN']])], fields);
    const b = runBatch(dir, ['SUITE.PRN'], fields);
    const expected = b.csv.toString('utf8').replaceAll('\r\nSUITE.PRN,', '\r\nSUITE.xlsx,');
    assert.deepEqual(batchOrder(await table(), csvRows(expected)[0]), csvRows(expected));
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
    const file = rows[0].indexOf('file');
    assert.ok(rows.slice(1).every((r) => r[file] === 'two.xlsx [Suite]'));
});

test('a workbook whose first sheet holds notes opens on the analyses, the chooser kept', async () => {
    const book = XLSX.utils.book_new();
    XLSX.utils.book_append_sheet(book, XLSX.utils.aoa_to_sheet([['Eclogites of the suite'], ['Analysed 2019, 15 kV, 20 nA'], ['Oxides in wt%']]), 'Notes');
    const lines = readFileSync(join(source, 'examples', 'SUITE.PRN'), 'latin1').split(/\r?\n/).filter((l) => l.trim());
    XLSX.utils.book_append_sheet(book, XLSX.utils.aoa_to_sheet(lines.map((l) => l.trim().split(/\s+/))), 'Analyses');
    XLSX.writeFile(book, join(dir, 'notes-first.xlsx'));
    await compute([join(dir, 'notes-first.xlsx')], suiteFields);
    assert.equal(await page.$eval('#file-list select', (s) => s.value), 'Analyses');
    const rows = await table();
    assert.equal(rows.length, 8);
    assert.ok(rows.slice(1).every((r) => r[rows[0].indexOf('file')] === 'notes-first.xlsx [Analyses]'));
});

test('a file picked twice is taken once; a binary file is no table', async () => {
    writeFileSync(join(dir, 'picture.csv'), Buffer.from('iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==', 'base64'));
    await open();
    await (await page.$('#data-file')).uploadFile(join(dir, 'EC1.PRN'), join(dir, 'picture.csv'));
    await (await page.$('#data-file')).uploadFile(join(dir, 'EC1.PRN'));
    await page.waitForFunction(() => /not a text table/.test(document.getElementById('file-list').textContent));
    assert.deepEqual(await texts('#file-list li > span:first-child'), ['EC1.PRN', 'picture.csv']);
    assert.equal(await page.$eval('#file-list li:nth-child(2) .error', (e) => e.textContent), ' cannot be read: not a text table or workbook');
    assert.match(await page.$eval('#file-note', (e) => e.textContent), /^EC1\.PRN is already in the list: taken once\./);
});

test('results are out of date from a change of file or option until Compute', async () => {
    await compute([join(dir, 'SUITE.PRN')], suiteFields);
    const stale = () => page.$eval('#stale', (e) => !e.hidden);
    assert.equal(await stale(), false);
    const changes = [
        async () => page.type('#temperature', '5'),
        async () => page.click('#one-site'),
        async () => page.select('#combine', 'mean'),
        async () => page.click('#thermometers-KR00'),
        async () => page.type('#paste', 'x'),
        async () => (await page.$('#data-file')).uploadFile(join(dir, 'EC1.PRN')),
        async () => page.click('#file-list li:last-child button.remove'),
    ];
    for (const [i, change] of changes.entries()) {
        await change();
        await page.waitForFunction(() => !document.getElementById('stale').hidden);
        assert.match(await page.$eval('#stale', (e) => e.textContent), /^Out of date/, `change ${i}`);
        await page.click('#compute');
        await page.waitForFunction(() => document.body.dataset.state === 'done');
        assert.equal(await stale(), false, `change ${i}`);
    }
    // A change while computing leaves the results out of date when they come.
    await page.click('#compute');
    await page.type('#temperature', '0');
    await page.waitForFunction(() => document.body.dataset.state === 'done');
    assert.equal(await stale(), true);
});

test('the columns are explained, sample and note are in view at 1280 and 390 px', async () => {
    await page.setViewport({ width: 1280, height: 800 });
    await compute([join(dir, 'EC1.PRN'), join(dir, 'SUITE.PRN')], { ...suiteFields, 'monte-carlo': true, combine: 'mean', formulae: true });
    assert.ok(await page.$('#about #glossary dt'));
    assert.match(await page.$eval('#about', (e) => e.textContent.replace(/\s+/g, ' ')), /Berman R\.G\. \(1990\) .* American Mineralogist 75, 328–344/);
    // Every heading has its meaning, in the glossary too (the formulae columns by their family).
    const titles = await page.$$eval('#results th', (list) => list.map((th) => [th.textContent, th.title]));
    assert.equal(titles.length, 17 + 3 + 17 + 3 * 22); // with the means, Monte-Carlo, formulae
    for (const [name, title] of titles) assert.ok(title.length > 10, name);
    // Sample, T, P and note first, by their columns' roles; numbers aligned, sample and note
    // styled apart, every cell as its heading.
    assert.deepEqual(titles.slice(0, 4).map(([name]) => name), ['sample', 'T_C', 'P_kbar', 'note']);
    const classes = await page.$$eval('#results tr', (rows) => rows.map((tr) => [...tr.cells].map((c) => c.className)));
    assert.deepEqual(classes[0].slice(0, 4), ['sample', 'num', 'num', 'note']);
    assert.deepEqual(classes[0].filter((c) => !['', 'num'].includes(c)), ['sample', 'note']);
    for (const row of classes.slice(1)) assert.deepEqual(row, classes[0]);
    const glossary = await page.$eval('#glossary', (e) => e.textContent);
    for (const [name] of titles) if (!/^(grt|cpx|phe)_/.test(name) || /_(label|total|sum)$/.test(name)) assert.ok(glossary.includes(name), name);
    const inView = () =>
        page.evaluate(() => {
            const region = document.getElementById('table-region').getBoundingClientRect();
            const at = (name) => [...document.querySelectorAll('#results th')].find((th) => th.textContent === name).getBoundingClientRect();
            return ['sample', 'P_kbar', 'note'].map((name) => at(name).left >= region.left && at(name).left + 40 <= region.right);
        });
    for (const width of [1280, 390]) {
        await page.setViewport({ width, height: 800 });
        assert.deepEqual(await inView(), [true, true, true], `${width} px`);
    }
    // Each row's cells stand under their headings, an empty note too.
    assert.equal(await page.evaluate(() => {
        const left = (cell) => Math.round(cell.getBoundingClientRect().left);
        const heads = [...document.querySelectorAll('#results th')].map(left);
        return [...document.querySelectorAll('#results tbody tr')].every((tr) => [...tr.cells].every((td, i) => left(td) === heads[i]));
    }), true);
    // Scrolled to its far end, the table still shows the sample.
    await page.$eval('#table-region', (e) => (e.scrollLeft = e.scrollWidth));
    assert.equal(await page.evaluate(() => {
        const region = document.getElementById('table-region').getBoundingClientRect();
        return Math.abs(document.querySelector('#results th.sample').getBoundingClientRect().left - region.left) < 2;
    }), true);
    await page.setViewport({ width: 1200, height: 900 });
});

test('the diagram as SVG and PNG at the width chosen, 300 dpi', async () => {
    await compute([join(dir, 'SUITE.PRN')], suiteFields);
    // Laid out at each width, not scaled: the SVG in mm at its size.
    for (const mm of [85, 170]) {
        await page.select('#diagram-width', String(mm));
        await page.waitForSelector('#download-png[href]');
        const svg = (await download('download-svg')).bytes.toString('utf8');
        const [, h] = svg.match(new RegExp(`<svg [^>]*width="${mm}mm" height="([0-9.]+)mm" viewBox="0 0 ${mm} \\1"`));
        assert.ok(svg.includes('font-size="2.469"')); // 7 pt
        const png = await download('download-png');
        assert.equal(png.name, 'SUITE-varno96.png');
        assert.deepEqual([png.bytes.readUInt32BE(16), png.bytes.readUInt32BE(20)], [Math.round((mm / 25.4) * 300), Math.round((h / 25.4) * 300)], `${mm} mm`);
        const phys = png.bytes.indexOf('pHYs');
        assert.deepEqual([png.bytes.readUInt32BE(phys + 4), png.bytes.readUInt32BE(phys + 8), png.bytes[phys + 12]], [11811, 11811, 1]);
    }
    // Panels in GPa.
    await page.select('#diagram-layout', 'panels');
    await page.select('#diagram-units', 'GPa');
    await page.waitForSelector('#download-png[href]');
    const svg = (await download('download-svg')).bytes.toString('utf8');
    assert.ok(svg.includes('>P (GPa)</text>'));
    await page.select('#diagram-layout', 'overlay');
    await page.select('#diagram-units', 'kbar');
    await page.select('#diagram-width', '85');
});


test('a file that is no table shows its message and no result', async () => {
    const fields = { model: '7', temperature: '650' };
    await compute([join(dir, 'bad.csv')], fields);
    const b = runBatch(dir, ['bad.csv'], fields);
    assert.equal(b.status, 2);
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
    // Options in conflict are named as the page names them.
    await compute([join(dir, 'EC1.PRN')], { ...suiteFields, at: '600' });
    assert.match(await page.$eval('#at-error', (e) => e.textContent), /^not with “Powell/);
    assert.doesNotMatch(await page.$eval('#results-section', (e) => e.textContent), /--/);
    // So are they in the notes, which the batch words for its command line.
    await compute([join(source, 'examples', 'EPMA-EXPORT.csv')], suiteFields);
    const notes = (await table()).slice(1).map((r) => r[3]);
    assert.match(notes[0], /has 2 garnet analyses, .*; “Several analyses of a mineral”: “their mean” or “each combination” uses them$/);
    assert.ok(notes.every((n) => !n.includes('--')));
    // Beside the results, the fix in the page's words, and one press that applies it.
    assert.equal(await page.$eval('#hint', (e) => e.hidden), false);
    assert.match(await page.$eval('#hint-text', (e) => e.textContent), /^7 samples have several analyses of a mineral: choose “their mean” under /);
    await page.click('#use-mean');
    await page.waitForFunction(() => document.body.dataset.state === 'done' && document.querySelector('#hint').hidden, { timeout: 60000 });
    assert.equal(await page.$eval('#combine', (e) => e.value), 'mean');
    const combined = (await table()).slice(1);
    assert.equal(combined.length, 7);
    assert.ok(combined.every((r) => !r[3].includes('uses them')));
    // How to cite the run: varno96-batch --cite of the same options.
    const cite = runCite(['-m', '7', '-t', '650', '--powell', '--combine', 'mean']);
    assert.equal(await page.$eval('#cite-text', (e) => e.textContent), cite);
    assert.equal(await page.$eval('#cite-region', (e) => e.hidden), false);
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
    const expected = csvRows(b.csv.toString('utf8'));
    assert.deepEqual(batchOrder(await table(), expected[0]), expected);
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
        const rows = batchOrder(await table(), expected[0]);
        const first = 1 + 100 * (pages.length - 1);
        assert.deepEqual(rows, [expected[0], ...expected.slice(first, first + 100)]);
        if (await page.$eval('#next-rows', (b) => b.disabled)) break;
        await page.click('#next-rows');
        await page.waitForSelector('#table-region:not([aria-busy])'); // the rows are made in slices
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
    assert.equal(await state(() => document.activeElement.id), 'compute');
    await page.waitForFunction(() => document.body.dataset.state === 'ready');
    await setOptions({ ...suiteFields, 'monte-carlo': false });
    await page.click('#compute');
    await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 60000 });
    assert.match(await page.$eval('#status', (e) => e.textContent), /^5000 rows;/);
    assert.equal((await table()).length, 101);
});

test('1,000 samples with Monte-Carlo: no task of the page over 100 ms, Compute kept until all is shown', async () => {
    const { suiteBatch } = await import('../bench/samples.mjs');
    writeFileSync(join(dir, 'THOUSAND.PRN'), suiteBatch(join(source, 'examples', 'SUITE.PRN'), 1000));
    await open();
    await (await page.$('#data-file')).uploadFile(join(dir, 'THOUSAND.PRN'));
    await page.waitForSelector('#file-list li');
    await setOptions({ ...suiteFields, 'monte-carlo': true });
    await page.evaluate(() => {
        window.longTasks = [];
        new PerformanceObserver((list) => window.longTasks.push(...list.getEntries().map((e) => e.duration))).observe({ type: 'longtask' });
        // Compute stays disabled while the status says something is still being made.
        window.saidWhileEnabled = [];
        new MutationObserver(() => {
            const status = document.getElementById('status').textContent;
            if (/Still making/.test(status) && !document.getElementById('compute').disabled) window.saidWhileEnabled.push(status);
        }).observe(document.getElementById('status'), { childList: true, characterData: true, subtree: true });
    });
    await page.click('#compute');
    await page.waitForFunction(() => /Still making/.test(document.getElementById('status').textContent), { timeout: 60000 });
    await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 120000 });
    await new Promise((r) => setTimeout(r, 200)); // the last frame
    assert.match(await page.$eval('#status', (e) => e.textContent), /^1000 rows;/);
    assert.deepEqual(await state(() => window.saidWhileEnabled), []);
    for (const id of ['download-csv', 'download-pairs', 'download-svg', 'download-png'])
        assert.equal(await page.$eval(`#${id}`, (a) => a.hasAttribute('href')), true, id);
    assert.deepEqual(await state(() => window.longTasks.filter((ms) => ms > 100)), []);
});

test('nothing left the computer in all of the above', () => {
    assert.deepEqual(requested, []);
});
