// What the page's tests share: the build folders, a scratch folder holding every input table,
// and varno96-batch run on them.
import { spawnSync } from 'node:child_process';
import { copyFileSync, existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
export const source = resolve(here, '..', '..');
export const webBuild = resolve(process.env.VARNO96_WEB_BUILD ?? join(source, 'build-web'));
export const nativeBuild = resolve(process.env.VARNO96_NATIVE_BUILD ?? join(source, 'build'));
export const batchProgram = join(nativeBuild, 'varno96-batch');

// The example files, the tables of this folder, and two made here: the long table as Excel's
// "Unicode text" (UTF-16 with its byte-order mark, tab-separated) and a data file whose sample
// name is Latin-1, as older files have them.
export function scratchInputs() {
    const dir = mkdtempSync(join(tmpdir(), 'varno96-web-'));
    const names = [];
    const add = (name, bytes) => {
        writeFileSync(join(dir, name), bytes);
        names.push(name);
    };
    for (const f of ['SUITE.PRN', 'EC1.PRN', 'EC1D.PRN', 'EC1.TXT'])
        copyFileSync(join(source, 'examples', f), join(dir, f)), names.push(f);
    const tables = join(here, 'tables');
    for (const f of readdirSync(tables).sort()) add(f, readFileSync(join(tables, f)));
    const long = readFileSync(join(tables, 'long-bom.csv'), 'utf8').replace(/^\ufeff/, '').replaceAll(',', '\t');
    add('unicode.txt', Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(long, 'utf16le')]));
    const ec1 = readFileSync(join(source, 'examples', 'EC1.PRN'), 'latin1').replaceAll(' EC1 ', 'Grün ');
    add('latin1.prn', Buffer.from(ec1, 'latin1'));
    return { dir, names };
}

// The batch's arguments for the page's option fields.
export function batchArgs(fields) {
    const args = [];
    const value = (id, option) => {
        if (fields[id] !== undefined && fields[id] !== '') args.push(option, fields[id]);
    };
    value('model', '-m');
    value('temperature', '-t');
    value('at', '--at');
    value('uncertainty', '-u');
    value('seed', '--seed');
    value('combine', '--combine');
    value('thermometers', '--thermometers');
    for (const id of ['one-site', 'powell', 'monte-carlo', 'formulae']) if (fields[id]) args.push(`--${id}`);
    return args;
}

// varno96-batch on `names` in `dir`: its CSV, the pairs file, its messages, its status.
// The batch's table with the options its notes name as the page names them.
function inPageWords(csv) {
    const latin1 = (s) => Buffer.from(s, 'utf8').toString('latin1');
    const text = csv
        .toString('latin1')
        .replaceAll('--combine mean or --combine each', latin1('“Several analyses of a mineral”: “their mean” or “each combination”'))
        .replaceAll('--combine mean', latin1('“Several analyses of a mineral”: “their mean”'));
    return Buffer.from(text, 'latin1');
}

export function runBatch(dir, names, fields) {
    const args = ['-j', '1', ...batchArgs(fields)];
    const pairs = join(dir, 'pairs.out.csv');
    rmSync(pairs, { force: true }); // a usage error leaves none
    if (fields['monte-carlo']) args.push('--pt', pairs);
    const run = spawnSync(batchProgram, [...args, ...names], { cwd: dir, maxBuffer: 1 << 28 });
    const messages = run.stderr
        .toString('utf8')
        .split('\n')
        .filter((l) => l !== '')
        .map((l) => l.replace(/^varno96-batch: /, ''))
        // The fix of samples with several analyses: the page says it beside its results.
        .filter((l, i, all) => !(i === all.length - 1 && / several analyses of a mineral: /.test(l)))
        // The program's closing count of the rows without a result: the page's status says it.
        .filter((l, i, all) => !(i === all.length - 1 && / rows? without a result \(/.test(l)));
    return {
        csv: inPageWords(run.stdout),
        pairs: fields['monte-carlo'] && existsSync(pairs) ? readFileSync(pairs) : undefined,
        messages,
        status: run.status,
    };
}

// varno96-batch --cite of these arguments: the methods paragraph and references.
export function runCite(args) {
    return spawnSync(batchProgram, [...args, '--cite']).stdout.toString('utf8');
}

// The WebAssembly module as the page's worker loads it, here under node.
export function loadModule() {
    return createRequire(import.meta.url)(join(webBuild, 'web', 'varno96-module.js'))();
}

// A batch as the worker computes it: the result with its rows as arrays of texts, and the
// pairs file.
export function computeBatch(M, inputs, fields, progress = () => {}) {
    const batch = new M.Batch(inputs, fields, progress);
    try {
        const r = batch.result();
        if (typeof r.rows === 'string') r.rows = r.rows.split('\x1e').slice(0, -1).map((row) => row.split('\x1f'));
        r.pairs = batch.pairs();
        return r;
    } finally {
        batch.delete();
    }
}
