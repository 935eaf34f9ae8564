// The module under node against varno96-batch: the example files and tables of every layout,
// for a grid of options, give the same CSV, pairs and messages, byte for byte; and the option
// fields are refused in the batch's words.
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { test } from 'node:test';
import { suiteBatch } from '../bench/samples.mjs';
import { batchArgs, computeBatch, loadModule, runBatch, runCite, scratchInputs, source } from './common.mjs';

const M = await loadModule();
const { dir, names } = scratchInputs();
const inputs = names.map((name) => ({ name, bytes: new Uint8Array(readFileSync(join(dir, name))) }));

// Every option value at least once, across the seven garnet models.
const variants = [
    {},
    { powell: true },
    { at: '600' },
    { 'one-site': true, uncertainty: '2.5' },
    { 'monte-carlo': true, seed: '-42', powell: true },
    { 'monte-carlo': true, seed: '-7', 'one-site': true, uncertainty: '.5' },
    { combine: 'mean', formulae: true },
    { combine: 'each', 'monte-carlo': true, seed: '-3', powell: true },
    { thermometers: 'KR00,EG79,GH82', 'monte-carlo': true, seed: '-9' },
    { thermometers: 'P85,K88,A94,KR78', powell: true, combine: 'mean' },
    { thermometers: 'EG79,KR78', 'monte-carlo': true, seed: '-5', 'ferric-in-runs': 'once', ferric: 'none' },
    { thermometers: 'KR00,GH82', 'monte-carlo': true, seed: '-5', ferric: 'grt=estimate,cpx=none,phe=none', formulae: true },
    { 'monte-carlo': true, seed: '-11', ferric: 'phe=none', 'ferric-in-runs': 'each' },
    { thermometers: 'EG79', 'monte-carlo': true, seed: '-13', ferric: 'grt=none,cpx=sites', formulae: true },
];
const grid = [];
for (let model = 1; model <= 7; model++)
    for (const v of variants) grid.push({ model: String(model), temperature: String(550 + 25 * model), ...v });

test('every file and layout, a grid of options: the CSV, pairs and messages of varno96-batch', () => {
    for (const fields of grid) {
        const what = batchArgs(fields).join(' ');
        const r = computeBatch(M, inputs, fields);
        const b = runBatch(dir, names, fields);
        assert.equal(r.error, undefined, what);
        assert.equal(Buffer.from(r.csv).toString('latin1'), b.csv.toString('latin1'), what);
        if (fields['monte-carlo']) assert.equal(Buffer.from(r.pairs).toString('latin1'), b.pairs.toString('latin1'), what);
        else assert.equal(r.pairs, undefined, what);
        assert.deepEqual(r.messages, b.messages, what);
        assert.equal(r.failed > 0, b.status !== 0, what);
        assert.equal(r.rows.length, b.csv.toString('latin1').split('\r\n').length - 2, what);
    }
});

test('a mistyped oxide of a data file gives its sample no result, named in its note, as in varno96-batch', () => {
    const suite = inputs.find((i) => i.name === 'SUITE.PRN');
    const text = Buffer.from(suite.bytes).toString('latin1');
    for (const typed of ['abc', '55,6', '1.2.3', '12x']) {
        const name = 'TYPO.PRN';
        writeFileSync(join(dir, name), text.replace('   55.60 ', `   ${typed} `));
        const fields = { model: '7', temperature: '650' };
        const r = computeBatch(M, [{ name, bytes: new Uint8Array(readFileSync(join(dir, name))) }], fields);
        const b = runBatch(dir, [name], fields);
        assert.equal(Buffer.from(r.csv).toString('latin1'), b.csv.toString('latin1'), typed);
        const ec1 = r.rows[0];
        assert.equal(ec1[1], 'EC1');
        assert.equal(ec1[r.columns.findIndex((c) => c.name === 'P_kbar')], '', typed);
        assert.ok(ec1[r.columns.findIndex((c) => c.name === 'note')].includes(`"${typed}" is not a number`), typed);
    }
});

test('each file alone, as a page with one file computes it', () => {
    const fields = { model: '7', temperature: '650', combine: 'mean' };
    for (const input of inputs) {
        const r = computeBatch(M, [input], fields);
        const b = runBatch(dir, [input.name], fields);
        assert.equal(Buffer.from(r.csv).toString('latin1'), b.csv.toString('latin1'), input.name);
        assert.deepEqual(r.messages, b.messages, input.name);
    }
});

test('option fields refused as varno96-batch refuses them, under the field concerned', () => {
    const base = { model: '7', temperature: '650' };
    const cases = [
        ['model', { model: '' }],
        ['model', { model: '8' }],
        ['temperature', { temperature: '' }],
        ['temperature', { temperature: '650,5' }],
        ['temperature', { temperature: 'x' }],
        ['at', { at: '1e999' }],
        ['at', { at: '600', powell: true }],
        ['uncertainty', { uncertainty: '-1' }],
        ['uncertainty', { uncertainty: 'abc' }],
        ['seed', { seed: '5' }],
        ['seed', { seed: '-100' }],
        ['seed', { seed: '-4.5' }],
        ['combine', { combine: 'all' }],
    ];
    for (const [field, change] of cases) {
        const fields = { ...base, ...change };
        const errors = M.checkOptions(fields);
        const b = runBatch(dir, ['EC1.PRN'], fields);
        assert.equal(b.status, 2, JSON.stringify(change));
        // "--seed: must be ...", "--model is required"; two options that exclude each other
        // are named in each front end's own words.
        const said = b.messages[0].replace(/^--[a-z-]+: /, '').replace(/^--[a-z-]+ is required$/, 'required');
        assert.deepEqual(Object.keys(errors), [field], JSON.stringify(change));
        if (change.powell) assert.equal(errors[field], 'not with “Powell (1985) temperature”');
        else assert.equal(errors[field], said, JSON.stringify(change));
        assert.deepEqual(computeBatch(M, inputs, fields).optionErrors, errors);
    }
    assert.deepEqual(M.checkOptions({ ...base, at: '600', uncertainty: '0', seed: '-99', combine: 'each' }), {});
});

test('every option of the table has the page\'s words, and every column its meaning', () => {
    // The threads are the page's own: one per Web Worker.
    for (const o of M.options()) {
        assert.ok(o.help.length > 0 && o.label.length > 0, o.name);
        assert.equal(o.pageHelp.length > 0, o.name !== 'jobs', o.name);
    }
    for (const c of M.columns()) assert.ok(c.names.length > 0 && c.meaning.length > 0, c.names[0]);
    // The figure's controls are made of its table: a control for each option with the page's
    // words, keyed by the name the diagram reads; the title has none.
    const figure = M.figureOptions();
    assert.deepEqual(figure.filter((o) => o.pageHelp).map((o) => o.python), ['width', 'units', 'layout', 'reactions']);
    for (const o of figure) assert.ok(o.python.length > 0 && o.label.length > 0 && o.name.startsWith('plot-'), o.name);
    const refs = M.references();
    assert.equal(refs.models.length, M.modelTitles().length);
    for (const c of refs.calibrations) assert.match(c.reference, new RegExp(`^${c.cited.split(' ')[0]}.* \\(\\d{4}\\) .*, \\d+–\\d+\\.( doi:\\S+)?$`), c.key);
});

test('the columns\' roles and the hint\'s action, as the page orders its table and applies the fix', () => {
    // The thermometers' columns by their family's template ({key}), pass 2's and the point's by
    // name; the statistics by what they are of.
    const role = (name) => {
        const fixed = { file: 'file', sample: 'sample', T_C: 'temperature', P_kbar: 'pressure', note: 'note', mc_seed: 'seed', P_minus50_kbar: 'pressure_minus50', P_plus50_kbar: 'pressure_plus50', rho2: 'rho', 'T_{key}_C': 'temperature', 'P_{key}_kbar': 'pressure', 'rho_{key}': 'rho', 'n_{key}': 'runs', lna_jd: 'ln_a_jd', P_min_jd_kbar: 'lowest_pressure' }[name.replace(/^(T|P|rho|n)_[A-Z]+[0-9]+(?=_|$)/, '$1_{key}')];
        if (fixed) return fixed;
        const stat = name.match(/^([TP])(2|_[A-Z]+[0-9]+|_\{key\})_(mean|sd|p16|p50|p84)_(C|kbar)$/);
        if (stat) return `${stat[1].toLowerCase()}_${stat[3]}`;
        return /^(grt|cpx|phe|rt)_label$/.test(name) ? 'label' : '';
    };
    for (const c of M.columns()) for (const name of c.names) assert.equal(c.role, role(name), name);
    const fields = { model: '7', temperature: '650', combine: 'each', formulae: true, 'monte-carlo': true, seed: '-1', thermometers: 'KR00' };
    const r = computeBatch(M, inputs.filter((i) => i.name === 'SUITE.PRN'), fields);
    assert.deepEqual(r.columns.filter((c) => c.role === 'label').map((c) => c.name), ['grt_label', 'cpx_label', 'phe_label']);
    for (const c of r.columns) assert.equal(c.role, role(c.name), c.name);
    // The fix of samples with several analyses: a value of the option it names.
    const several = computeBatch(M, [{ name: 'EPMA-EXPORT.csv', bytes: new Uint8Array(readFileSync(join(source, 'examples', 'EPMA-EXPORT.csv'))) }], { model: '7', temperature: '650' });
    assert.match(several.hint, /several analyses/);
    assert.ok(M.options().find((o) => o.name === several.hintControl).choices.split('|').includes(several.hintValue));
});

test('progress counts every row and ends at the total', () => {
    const seen = [];
    const r = computeBatch(M, [inputs[0]], { model: '7', temperature: '650' }, (done, total) => seen.push([done, total]));
    assert.deepEqual(seen.at(-1), [r.rows.length, r.rows.length]);
    assert.ok(seen.every(([done, total], i) => total === r.rows.length && (i === 0 || done >= seen[i - 1][0])));
});

test('how to cite a run with a seed drawn from the clock: that seed, as varno96-batch --cite gives it', () => {
    const suite = inputs.find((i) => i.name === 'SUITE.PRN');
    const r = computeBatch(M, [suite], { model: '7', temperature: '650', 'monte-carlo': true });
    assert.match(r.cite, new RegExp(`seed ${r.seed}\\b`));
    assert.equal(r.cite, runCite(['-m', '7', '-t', '650', '--monte-carlo', '--seed', String(r.seed)]));
});

test('the diagram: a mark and a name for each row with a result, spreads as --plot draws them', () => {
    const suite = inputs.find((i) => i.name === 'SUITE.PRN');
    const cases = [
        [{ powell: true, 'monte-carlo': true, seed: '-42' }, 'ellipses'],
        [{ 'monte-carlo': true, seed: '-42' }, 'bars'],
        [{ at: '600' }, 'none'],
    ];
    for (const [change, spread] of cases) {
        const batch = new M.Batch([suite], { model: '7', temperature: '650', ...change }, () => {});
        const r = batch.result(), d = batch.diagram({ width: 85 });
        batch.delete();
        const names = r.rows.split('\x1e').slice(0, -1).map((row) => row.split('\x1f')).filter((_, i) => r.ok[i]).map((row) => row[1]);
        assert.deepEqual(d.marks.map((m) => m.label), names);
        // No title (a journal sets its caption); what is left out said apart.
        assert.equal(d.title, '');
        assert.equal(d.subtitle, '1 sample without a result not shown');
        assert.equal(d.width, 85);
        // Texts in points at the final width: 6 pt or more, axis titles and legend 7 or more.
        for (const [what, mm] of Object.entries(d.sizes)) assert.ok(mm >= ((what === 'name' ? 6 : 7) * 25.4) / 72 - 1e-9, what);
        // At one temperature the samples stand side by side along the axis, in batch order.
        assert.equal(d.sampleAxis, spread !== 'ellipses');
        for (const m of d.marks) {
            assert.equal(Boolean(m.ellipse1), spread === 'ellipses');
            assert.equal(Boolean(m.bar1), spread === 'bars');
            // The name beside its mark, inside the page; a leader where it stands apart.
            assert.ok(m.box.x0 >= 0 && m.box.x1 <= d.width && m.box.y0 >= 0 && m.box.y1 <= d.height);
            assert.ok(Math.hypot(m.x - (m.box.x0 + m.box.x1) / 2, m.y - (m.box.y0 + m.box.y1) / 2) < 20 || m.leader);
        }
    }
});

test('the diagram with thermometers: colours by key, each barometer across the frame, a marker for each intersection', () => {
    const suite = inputs.find((i) => i.name === 'SUITE.PRN');
    const fields = { model: '7', temperature: '650', thermometers: 'KR00,EG79,GH82', 'monte-carlo': true, seed: '-9' };
    const batch = new M.Batch([suite], fields, () => {});
    const r = batch.result(), d = batch.diagram({ width: 85, units: 'GPa' });
    const wide = batch.diagram({ width: 170, reactions: false });
    batch.delete();
    const column = (name) => r.columns.findIndex((c) => c.name === name);
    const rows = r.rows.split('\x1e').slice(0, -1).map((row) => row.split('\x1f')).filter((_, i) => r.ok[i]);
    const keys = [['EG79', 0], ['KR00', 4], ['GH82', 6]]; // each its place in the table of calibrations
    assert.equal(d.sampleAxis, false);
    assert.equal(d.pLabel, 'P (GPa)');
    assert.deepEqual(d.legend.filter((e) => e.kind === 'thermometer').map((e) => [e.colour, e.text]), keys.map(([k, c]) => [c, k]));
    assert.deepEqual(wide.legend.filter((e) => e.kind === 'thermometer').map((e) => e.text),
        ['EG79 Ellis & Green (1979)', 'KR00 Krogh Ravna (2000)', 'GH82 Green & Hellman (1982)']);
    assert.ok(d.reactions.length > 0 && wide.reactions.length === 0);
    assert.match(d.reactionDash, /^[0-9.]+ [0-9.]+$/); // dashed, unlike the barometer lines
    const f = d.frames[0], e = 1e-6;
    const inside = (x, y) => x >= f.x0 - e && x <= f.x1 + e && y >= f.y0 - e && y <= f.y1 + e;
    assert.equal(d.marks.length, rows.length);
    let joined = 0;
    d.marks.forEach((m, i) => {
        const met = keys.filter(([key]) => rows[i][column(`T_${key}_C`)] !== '').map(([, c]) => c);
        assert.deepEqual(m.intersections.map((x) => x.colour), met, m.label);
        for (const x of m.intersections) assert.ok(inside(x.x, x.y) && x.ellipse1, m.label);
        // Each ellipse about the mean of its runs the table gives; where that mean lies apart
        // from its marker (the analyses as entered), a line from the one to the other.
        const at = (t, p) => [f.x0 + ((t - d.tAxis[0]) / (d.tAxis[1] - d.tAxis[0])) * (f.x1 - f.x0), f.y1 - ((p / 10 - d.pAxis[0]) / (d.pAxis[1] - d.pAxis[0])) * (f.y1 - f.y0)];
        for (const x of m.intersections) {
            const key = keys.find(([, c]) => c === x.colour)[0];
            const [mx, my] = at(+rows[i][column(`T_${key}_mean_C`)], +rows[i][column(`P_${key}_mean_kbar`)]);
            const outline = d.points.slice(...x.ellipse1);
            let cx = 0, cy = 0;
            for (let j = 0; j + 2 < outline.length; j += 2) (cx += outline[j]), (cy += outline[j + 1]);
            const n = outline.length / 2 - 1, near = (a, b) => Math.abs(a - b) < 0.05;
            assert.ok(near(cx / n, mx) && near(cy / n, my), `${m.label} ${key}`);
            if (Math.hypot(mx - x.x, my - x.y) > 2 * d.markScale + 0.05) assert.ok(x.centre, `${m.label} ${key}`);
            if (!x.centre) continue;
            joined++;
            assert.ok([x.x, x.y, mx, my].every((v, j) => near(v, x.centre[j])), `${m.label} ${key}`);
        }
        // The line from edge to edge of the frame.
        const [x1, y1, x2, y2] = d.points.slice(...m.barometer);
        assert.ok(inside(x1, y1) && inside(x2, y2), m.label);
        assert.ok([x1, x2].some((x) => Math.abs(x - f.x0) < e || Math.abs(x - f.x1) < e) || [y1, y2].some((y) => Math.abs(y - f.y0) < e || Math.abs(y - f.y1) < e), m.label);
    });
    assert.ok(joined > 0);
    assert.ok(d.legend.some((e) => e.kind === 'centre'));
    // Each colour at 3:1 or more against the white page (WCAG 2.1 relative luminance).
    assert.equal(d.markers.length, d.thermometerColours.length);
    for (const colour of d.thermometerColours) {
        const rgb = colour.match(/^rgb\((\d+),(\d+),(\d+)\)$/).slice(1).map((v) => v / 255);
        const l = rgb.map((v) => (v <= 0.04045 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4)).reduce((sum, v, i) => sum + [0.2126, 0.7152, 0.0722][i] * v, 0);
        assert.ok(1.05 / (l + 0.05) >= 3, colour);
    }
});

test('the diagram of many samples: names up to 50, small marks beyond, densities beyond 500, panels', () => {
    const crowd = (n) => {
        const bytes = suiteBatch(join(source, 'examples', 'SUITE.PRN'), n);
        const batch = new M.Batch([{ name: 'CROWD.PRN', bytes }], { model: '7', temperature: '650', powell: true }, () => {});
        const d = batch.diagram({ width: 85 }), panels = batch.diagram({ width: 85, layout: 'panels' });
        batch.delete();
        return [d, panels];
    };
    const [d, panels] = crowd(40);
    assert.equal(d.marks.length, 40);
    assert.equal(panels.frames.length, 40);
    const boxes = d.marks.filter((m) => m.box).map((m) => m.box);
    assert.equal(boxes.length + d.unwrittenLabels, d.marks.length);
    const f = d.frames[0];
    for (const [i, b] of boxes.entries()) {
        assert.ok(b.x0 >= f.x0 && b.x1 <= f.x1 && b.y0 >= f.y0 && b.y1 <= f.y1);
        for (const c of boxes.slice(0, i)) assert.ok(b.x1 <= c.x0 || c.x1 <= b.x0 || b.y1 <= c.y0 || c.y1 <= b.y0);
    }
    const [many] = crowd(120);
    assert.ok(many.marks.every((m) => !m.box) && many.markScale < 1 && many.bins.length === 0);
    const [dense] = crowd(520);
    assert.ok(dense.bins.length > 0 && dense.marks.every((m) => !m.ellipse1));
});


test('the diagram in panels: each sample its albite = jadeite + quartz for its a(jd), dashed and labelled in its panel; none in the overlay', () => {
    const suite = inputs.find((i) => i.name === 'SUITE.PRN');
    for (const fields of [{ model: '7', temperature: '650' }, { model: '7', temperature: '650', thermometers: 'all', 'one-site': true }]) {
        const batch = new M.Batch([suite], fields, () => {});
        const r = batch.result(), d = batch.diagram({ width: 85, layout: 'panels', reactions: false }), overlay = batch.diagram({ width: 85 });
        batch.delete();
        const lnA = r.columns.findIndex((c) => c.role === 'ln_a_jd');
        const rows = r.rows.split('\x1e').slice(0, -1).map((row) => row.split('\x1f')).filter((_, i) => r.ok[i]);
        assert.ok(lnA >= 0 && d.lowestPressureDash !== d.reactionDash && !d.sampleAxis);
        assert.equal(d.marks.length, rows.length);
        d.marks.forEach((m, i) => {
            const f = d.frames[m.frame], a = +rows[i][lnA];
            const [x1, y1, x2, y2] = d.points.slice(...m.lowestPressure);
            // Holland (1980): P (bar) = 350 + 26.5 T(°C) − R T(K) ln(1/a_jd) / 1.734, at both ends.
            for (const [x, y] of [[x1, y1], [x2, y2]]) {
                const t = d.tAxis[0] + ((x - f.x0) / (f.x1 - f.x0)) * (d.tAxis[1] - d.tAxis[0]);
                const p = d.pAxis[0] + ((f.y1 - y) / (f.y1 - f.y0)) * (d.pAxis[1] - d.pAxis[0]);
                assert.ok(Math.abs(p - (350 + 26.5 * t + (8.3143 * (t + 273.15) * a) / 1.734) / 1000) < 5e-4, m.label);
            }
            assert.ok(Math.abs(x2 - x1) > 1, m.label);
            assert.equal(m.lowestPressureLabel, `a(jd) ${Math.exp(a).toFixed(2)}`);
            const inside = (t) => t.text === m.lowestPressureLabel && t.x > f.x0 && t.x < f.x1 && t.y > f.y0 && t.y < f.y1;
            assert.equal(d.reactionLabels.filter(inside).length, 1, m.label);
        });
        assert.equal(d.legend.filter((e) => e.kind === 'lowestPressure').length, 1);
        assert.ok(overlay.marks.every((m) => !m.lowestPressure) && !overlay.legend.some((e) => e.kind === 'lowestPressure'));
    }
});
