// The page's script and the worker's as make-page.mjs puts them together from the modules of
// web/page/ and web/worker/: each module in its own scope after those it imports, what cannot
// be put together refused, every module of the folders in the page; and none of them names an
// option or a column (the module's tables give the names, the columns' roles the order and
// style).
import assert from 'node:assert/strict';
import { mkdirSync, mkdtempSync, readFileSync, readdirSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { test } from 'node:test';
import { inlineModules } from '../inline-modules.mjs';
import { computeBatch, loadModule } from './common.mjs';

const web = join(dirname(fileURLToPath(import.meta.url)), '..');

// Modules written to a fresh folder, `files` by name; the script of `main.js` among them.
function put(files) {
    const dir = mkdtempSync(join(tmpdir(), 'varno96-modules-'));
    for (const [name, text] of Object.entries(files)) {
        mkdirSync(dirname(join(dir, 'page', name)), { recursive: true });
        writeFileSync(join(dir, 'page', name), text);
    }
    return inlineModules(join(dir, 'page', 'main.js'), dir);
}

test('modules put together: in the order a browser evaluates them, each in its own scope', () => {
    const { script, files } = put({
        'main.js': "import { log } from './log.js';\nimport { twice as double, counter } from './b.js';\nimport { a } from './a.js';\nlog.push(`main ${double(a)} ${counter.n}`);\n",
        'a.js': "import { log } from './log.js';\nconst hidden = 'a';\nlog.push(hidden);\nexport const a = 21;\n",
        'b.js': "import { log } from './log.js';\nimport { a } from './a.js';\nconst hidden = 'b';\nlog.push(hidden + a);\nexport const counter = { n: 0 };\nexport function twice(x) {\n    counter.n++;\n    return 2 * x;\n}\n",
        'log.js': 'export const log = [];\nglobalThis.moduleLog = log;\n',
    });
    assert.deepEqual(files.map((f) => basename(f)), ['log.js', 'a.js', 'b.js', 'main.js']);
    new Function(script)();
    // a before b, which imports it; the same `hidden` in each; the state seen through the
    // exported object after the call.
    assert.deepEqual(globalThis.moduleLog, ['a', 'b21', 'main 42 1']);
    delete globalThis.moduleLog;
    // Strict as modules are, after other code too (the worker's script follows SheetJS).
    assert.throws(() => new Function(`var before = 1;\n${put({ 'main.js': 'leaked = 1;\n' }).script}`)(), ReferenceError);
});

test('what cannot be put together as the browser would evaluate it is refused', () => {
    const main = (text) => ({ 'main.js': text });
    const cases = [
        [{ 'main.js': "import { b } from './b.js';\n", 'b.js': "import { c } from './main.js';\nexport const b = 1;\n" }, /modules import each other: page\/main\.js -> page\/b\.js -> page\/main\.js/],
        [{ 'main.js': "import { b } from './b.js';\n", 'b.js': 'export const c = 1;\n' }, /page\/main\.js: page\/b\.js exports no b/],
        [{ 'main.js': "import { b } from './b.js';\n", 'b.js': 'export let b = 1;\n' }, /page\/b\.js: cannot be put together: export let b = 1;/],
        [main('export default 1;\n'), /cannot be put together: export default 1;/],
        [main('const a = 1;\nexport { a };\n'), /cannot be put together: export \{ a \};/],
        [main("import * as b from './b.js';\n"), /cannot be put together: import \* as b/],
        [main("const b = await import('./b.js');\n"), /cannot be put together: import\('\.\/b\.js'\)/],
        [main("import { b } from 'b';\n"), /only a module's own files/],
        [main("import { b } from '../../b.js';\n"), /outside/],
        [main("import { b } from './none.js';\n"), /no such file/],
        [main("import { b-c } from './b.js';\n"), /import of 'b-c'/],
        [main('const moduleExports = 1;\n'), /the name moduleExports is the script's own/],
    ];
    for (const [files, refusal] of cases) assert.throws(() => put(files), refusal, JSON.stringify(files));
});

test("the page's and the worker's scripts: every module of web/page and web/worker, nothing left of import and export", () => {
    for (const folder of ['page', 'worker']) {
        const { script, files } = inlineModules(join(web, folder, 'main.js'), web);
        const all = readdirSync(join(web, folder)).filter((f) => f.endsWith('.js')).map((f) => join(web, folder, f));
        assert.deepEqual([...files].sort(), all.sort(), folder);
        assert.doesNotThrow(() => new Function(script), folder);
        assert.doesNotMatch(script, /^\s*(import|export)\b/m, folder);
        assert.equal(files.at(-1), join(web, folder, 'main.js'));
    }
});

// The string literals of a script, each with its line: '…', "…", the texts of `…` between
// its ${…}, and the literals inside those; comments and regular expressions skipped.
function literals(text) {
    const found = [];
    let i = 0;
    const out = { push: (s) => found.push({ s, line: text.slice(0, i).split('\n').length }) };
    // Code up to the end, or up to the } that closes a template's ${.
    const code = (inside) => {
        let depth = 0, last = ''; // the last token: a regular expression may follow some
        while (i < text.length) {
            const c = text[i];
            if (text.startsWith('//', i)) i = text.includes('\n', i) ? text.indexOf('\n', i) : text.length;
            else if (text.startsWith('/*', i)) i = text.indexOf('*/', i) + 2;
            else if (c === "'" || c === '"') out.push(quoted(c)), (last = 'x');
            else if (c === '`') template(), (last = 'x');
            else if (c === '/' && /^([(,=:[!&|?{};>]|return)?$/.test(last)) regex(), (last = 'x');
            else {
                if (c === '}' && inside && depth === 0) return i++;
                depth += c === '{' ? 1 : c === '}' ? -1 : 0;
                if (!/\s/.test(c)) last = /[\w$]/.test(c) && /[\w$]$/.test(last) ? last + c : c;
                i++;
            }
        }
    };
    const quoted = (q) => {
        let s = '';
        for (i++; text[i] !== q; i++) s += text[i] === '\\' ? text[++i] : text[i];
        i++;
        return s;
    };
    const template = () => {
        let s = '';
        for (i++; text[i] !== '`'; ) {
            if (text[i] === '\\') (s += text[i + 1]), (i += 2);
            else if (text.startsWith('${', i)) out.push(s), (s = ''), (i += 2), code(true);
            else s += text[i++];
        }
        out.push(s);
        i++;
    };
    const regex = () => {
        for (i++; text[i] !== '/'; i++) {
            if (text[i] === '\\') i++;
            else if (text[i] === '[') while (text[++i] !== ']') if (text[i] === '\\') i++;
        }
        i++;
    };
    code(false);
    return found;
}

test('the page names no option and no column: they come from the module, ordered and styled by role', async () => {
    const some = "a('x', \"y\") // 'z'\n/* 'w' */ b(`t${c('u')}v`, /'r'/g, n / 2); return /q'/;";
    assert.deepEqual(literals(some).map(({ s, line }) => [s, line]), [['x', 1], ['y', 1], ['t', 2], ['u', 2], ['v', 2]]);
    const M = await loadModule();
    const options = M.options().map((o) => o.name);
    // Every column a batch can have: each family and each thermometer.
    const every = { model: '7', temperature: '650', combine: 'each', formulae: true, 'monte-carlo': true, seed: '-1', thermometers: M.options().find((o) => o.kind === 'list').choices.replaceAll('|', ',') };
    const suite = { name: 'SUITE.PRN', bytes: new Uint8Array(readFileSync(join(web, '..', 'examples', 'SUITE.PRN'))) };
    const columns = [...computeBatch(M, [suite], every).columns.map((c) => c.name), ...M.columns().flatMap((c) => c.names)];
    const roles = new Set(M.columns().map((c) => c.role));
    // The minerals' keys of a choice per mineral (grt=…), which one column also has as its name.
    const minerals = ['grt', 'cpx', 'phe'];
    const names = new Set([...options, ...columns.filter((n) => !minerals.includes(n))]);
    assert.ok(names.has('T_C') && names.has('P_kbar') && names.has('seed'));
    const code = ['page', 'worker'].flatMap((folder) => readdirSync(join(web, folder)).map((f) => join(folder, f)));
    for (const file of code) {
        const text = readFileSync(join(web, file), 'utf8'), lines = text.split('\n');
        // A role may share its word with a column or an option (sample, temperature): a role
        // is written where the line speaks of roles.
        const named = literals(text)
            .filter(({ s, line }) => names.has(s) && !(roles.has(s) && /role/i.test(lines[line - 1])))
            .map(({ s, line }) => `${file}:${line}: '${s}'`);
        assert.deepEqual(named, []);
    }
});
