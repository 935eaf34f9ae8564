// The page's ES modules put together as one classic script, for the one-file page (a page
// opened from disk loads no module from another file): each module in a function scope of
// its own, in the order a browser evaluates them (a module after those it imports, in the
// order it imports them), its imports taken from what those before it export.
//
// The modules keep to what this can put together without a parser, and anything else is
// refused:
//   import { a, b as c } from './x.js';     at the start of a line, a path relative to it
//   export function a / export async function a / export class a / export const a
// No export changes after its module is evaluated (no `export let`): state that other
// modules see is a const object, or behind the functions of its module. No cycles.
import { existsSync, readFileSync } from 'node:fs';
import { dirname, relative, resolve, sep } from 'node:path';

const importLine = /^import\s*\{([^}]*)\}\s*from\s*'([^']+)';[ \t]*$/gm;
const exportLine = /^export\s+(?:async\s+function\*?|function\*?|class|const)\s+([A-Za-z_$][\w$]*)/gm;
const exportsName = 'moduleExports'; // the script's table of each module's exports

// The script of the modules that `entry` imports, and `entry` last; with the files read.
// `root`: the folder the modules must stay in and are named from.
export function inlineModules(entry, root = dirname(entry)) {
    const modules = new Map(); // file -> { name, imports: [{ file, names }], exports, body }
    const order = [];
    const name = (file) => relative(root, file).split(sep).join('/');

    function read(file) {
        const text = readFileSync(file, 'utf8');
        const where = (what) => `${name(file)}: ${what}`;
        if (text.includes(exportsName)) throw new Error(where(`the name ${exportsName} is the script's own`));
        const imports = [];
        const body = text.replace(importLine, (_, list, path) => {
            const names = list.split(',').map((s) => s.trim()).filter(Boolean).map((s) => {
                const [, imported, local] = s.match(/^([A-Za-z_$][\w$]*)(?:\s+as\s+([A-Za-z_$][\w$]*))?$/) ?? [];
                if (!imported) throw new Error(where(`import of '${s}' from '${path}'`));
                return { imported, local: local ?? imported };
            });
            if (!path.startsWith('./') && !path.startsWith('../')) throw new Error(where(`import from '${path}': only a module's own files are put together`));
            const target = resolve(dirname(file), path);
            if (relative(root, target).startsWith('..')) throw new Error(where(`import from '${path}': outside ${root}`));
            if (!existsSync(target)) throw new Error(where(`import from '${path}': no such file`));
            imports.push({ file: target, path, names });
            return '';
        });
        const exported = [...body.matchAll(exportLine)].map((m) => m[1]);
        const plain = body.replace(exportLine, (line) => line.replace(/^export\s+/, ''));
        const other = plain.match(/^[ \t]*(?:import|export)\b.*$/m) ?? plain.match(/\bimport\s*\(.*$/m);
        if (other) throw new Error(where(`cannot be put together: ${other[0].trim()}`));
        return { name: name(file), imports, exports: exported, body: plain };
    }

    // Depth first, as a browser evaluates them; a module met again while its imports are
    // being read is a cycle.
    const reading = [];
    function visit(file) {
        if (reading.includes(file))
            throw new Error(`modules import each other: ${[...reading.slice(reading.indexOf(file)), file].map(name).join(' -> ')}`);
        if (modules.has(file)) return;
        reading.push(file);
        const m = read(file);
        for (const i of m.imports) {
            visit(i.file);
            const from = modules.get(i.file);
            for (const { imported } of i.names)
                if (!from.exports.includes(imported)) throw new Error(`${m.name}: ${from.name} exports no ${imported}`);
        }
        reading.pop();
        modules.set(file, m);
        order.push(m);
    }
    visit(resolve(entry));

    const parts = order.map((m) => {
        const imports = m.imports.map((i) => {
            const names = i.names.map(({ imported, local }) => (imported === local ? local : `${imported}: ${local}`));
            return `const { ${names.join(', ')} } = ${exportsName}['${modules.get(i.file).name}'];\n`;
        });
        return `// ---- ${m.name}\n${exportsName}['${m.name}'] = (() => {\n${imports.join('')}${m.body.replace(/\s*$/, '\n')}return { ${m.exports.join(', ')} };\n})();\n`;
    });
    // Strict, as modules are, wherever the script stands in another (the worker's follows the
    // module and SheetJS).
    const script = `(() => {\n'use strict';\nconst ${exportsName} = {};\n${parts.join('')}})();\n`;
    return { script, files: order.map((m) => resolve(root, m.name)) };
}
