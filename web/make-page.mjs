// Makes the one-file page: page.html with its style, its script (the modules of page/ put
// together by inline-modules.mjs), and the worker's code (the WebAssembly module as
// JavaScript, SheetJS, and the modules of worker/ put together likewise) put in place. DEPFILE, if given, lists the
// files read, for the build to make the page again when one of them changes.
//   node make-page.mjs MODULE.js xlsx.full.min.js VERSION OUT.html [DEPFILE]
import { readFileSync, renameSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { inlineModules } from './inline-modules.mjs';

const [modulePath, sheetjsPath, version, out, depfile] = process.argv.slice(2);
if (!out) {
    console.error('usage: node make-page.mjs MODULE.js xlsx.full.min.js VERSION OUT.html [DEPFILE]');
    process.exit(2);
}
const here = dirname(fileURLToPath(import.meta.url));
const source = (name) => readFileSync(join(here, name), 'utf8');

const script = inlineModules(join(here, 'page', 'main.js'), here);
const workerScript = inlineModules(join(here, 'worker', 'main.js'), here);

// Inside <script> nothing may open or close a script element.
const scriptText = (what, text) => {
    if (/<\/?script/i.test(text)) throw new Error(`${what} holds a script tag: it cannot be inlined`);
    return text;
};
const pieces = {
    '@VERSION@': version,
    '/*@STYLE@*/': source('page.css'),
    '/*@PAGE@*/': scriptText("the page's script", script.script),
    '/*@WORKER@*/': [
        scriptText('the module', readFileSync(modulePath, 'utf8')),
        scriptText('SheetJS', readFileSync(sheetjsPath, 'utf8')),
        scriptText("the worker's script", workerScript.script),
    ].join('\n;\n'),
};
let page = source('page.html');
for (const [mark, text] of Object.entries(pieces)) {
    if (!page.includes(mark)) throw new Error(`page.html has no ${mark}`);
    page = page.split(mark).join(text); // a function-free replace: $ in the code stays as it is
}
writeFileSync(out + '.part', page);
renameSync(out + '.part', out);
if (depfile) {
    const files = [...script.files, ...workerScript.files, join(here, 'page.html'), join(here, 'page.css')];
    writeFileSync(depfile, `${out}: ${files.map((f) => f.replaceAll(' ', '\\ ')).join(' \\\n  ')}\n`);
}
