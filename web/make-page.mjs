// Makes the one-file page: page.html with its style, its script, and the worker's code (the
// WebAssembly module as JavaScript, SheetJS, worker.js) put in place.
//   node make-page.mjs MODULE.js xlsx.full.min.js VERSION OUT.html
import { readFileSync, renameSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const [modulePath, sheetjsPath, version, out] = process.argv.slice(2);
if (!out) {
    console.error('usage: node make-page.mjs MODULE.js xlsx.full.min.js VERSION OUT.html');
    process.exit(2);
}
const here = dirname(fileURLToPath(import.meta.url));
const source = (name) => readFileSync(join(here, name), 'utf8');

// Inside <script> nothing may open or close a script element.
const scriptText = (what, text) => {
    if (/<\/?script/i.test(text)) throw new Error(`${what} holds a script tag: it cannot be inlined`);
    return text;
};
const pieces = {
    '@VERSION@': version,
    '/*@STYLE@*/': source('page.css'),
    '/*@PAGE@*/': scriptText('page.js', source('page.js')),
    '/*@WORKER@*/': [
        scriptText('the module', readFileSync(modulePath, 'utf8')),
        scriptText('SheetJS', readFileSync(sheetjsPath, 'utf8')),
        scriptText('diagram.js', source('diagram.js')),
        scriptText('worker.js', source('worker.js')),
    ].join('\n;\n'),
};
let page = source('page.html');
for (const [mark, text] of Object.entries(pieces)) {
    if (!page.includes(mark)) throw new Error(`page.html has no ${mark}`);
    page = page.split(mark).join(text); // a function-free replace: $ in the code stays as it is
}
writeFileSync(out + '.part', page);
renameSync(out + '.part', out);
