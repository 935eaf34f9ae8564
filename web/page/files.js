// The inputs: data files and workbooks chosen or dropped (read by the worker, a workbook's
// sheet chosen beside its name), and cells pasted from a spreadsheet.
import { $ } from './dom.js';
import { edited } from './status.js';
import { post } from './worker-client.js';

let files = []; // { id, name, bytes, sheets, sheet, error }
let nextId = 1;

const sameBytes = (a, b) => {
    if (a.byteLength !== b.byteLength) return false;
    const x = new Uint8Array(a), y = new Uint8Array(b);
    for (let i = 0; i < x.length; i++) if (x[i] !== y[i]) return false;
    return true;
};

async function addFiles(list) {
    const twice = [];
    for (const file of list) {
        const bytes = await file.arrayBuffer();
        if (files.some((g) => g.name === file.name && sameBytes(g.bytes, bytes))) {
            twice.push(file.name);
            continue;
        }
        const f = { id: nextId++, name: file.name, bytes, sheets: undefined, sheet: undefined };
        files.push(f);
        post({ type: 'open', id: f.id, name: f.name, bytes });
    }
    $('file-note').textContent = twice.length
        ? `${twice.join(', ')} ${twice.length === 1 ? 'is' : 'are'} already in the list: taken once.`
        : '';
    showFiles();
    if (list.length > twice.length) edited();
}

function showFiles() {
    const ul = $('file-list');
    ul.replaceChildren();
    for (const f of files) {
        const li = document.createElement('li');
        const name = document.createElement('span');
        name.textContent = f.name;
        li.append(name);
        if (f.error) {
            const why = document.createElement('span');
            why.className = 'error';
            why.textContent = ` cannot be read: ${f.error}`;
            li.append(why);
        } else if (f.sheets && f.sheets.length > 1) {
            const id = `sheet-${f.id}`;
            const label = document.createElement('label');
            label.htmlFor = id;
            label.textContent = ' sheet ';
            const select = document.createElement('select');
            select.id = id;
            for (const s of f.sheets) select.add(new Option(s, s, false, s === f.sheet));
            select.addEventListener('change', () => {
                f.sheet = select.value;
                edited();
            });
            li.append(label, select);
        }
        const remove = document.createElement('button');
        remove.type = 'button';
        remove.className = 'remove';
        remove.textContent = 'Remove';
        remove.setAttribute('aria-label', `Remove ${f.name}`);
        remove.addEventListener('click', () => {
            files = files.filter((g) => g !== f);
            post({ type: 'forget', id: f.id });
            $('file-note').textContent = '';
            showFiles();
            edited();
            $('data-file').focus();
        });
        li.append(' ', remove);
        ul.append(li);
    }
}

// The worker has read a file: a workbook's sheets, the one it opens on.
export function opened(msg) {
    const f = files.find((g) => g.id === msg.id);
    if (f) {
        f.sheets = msg.sheets;
        if (f.sheets && !f.sheets.includes(f.sheet)) f.sheet = msg.sheet ?? f.sheets[0];
        showFiles();
    }
}

// The worker cannot read a file: said beside its name.
export function unreadable(id, error) {
    const f = files.find((g) => g.id === id);
    if (f) {
        f.error = error;
        showFiles();
    }
}

// A new worker reads the files again.
export function reopenFiles() {
    for (const f of files) if (!f.error) post({ type: 'open', id: f.id, name: f.name, bytes: f.bytes });
}

// What is to be computed: the files read, each with its sheet, and the cells pasted.
export const inputs = () => files.filter((f) => !f.error).map((f) => ({ id: f.id, sheet: f.sheet }));
export const pasted = () => $('paste').value;

// The downloads are named after the first file read, or "pasted".
export function baseName() {
    const first = files.find((f) => !f.error);
    if (!first) return 'pasted';
    return first.name.replace(/\.[^.]*$/, '') || 'varno96';
}

// Files chosen, dropped on the page, or cells pasted.
export function watchInputs() {
    $('data-file').addEventListener('change', () => {
        addFiles([...$('data-file').files]);
        $('data-file').value = '';
    });
    const drop = $('drop');
    drop.addEventListener('dragover', (e) => {
        e.preventDefault();
        drop.classList.add('over');
    });
    drop.addEventListener('dragleave', () => drop.classList.remove('over'));
    drop.addEventListener('drop', (e) => {
        e.preventDefault();
        drop.classList.remove('over');
        addFiles([...e.dataTransfer.files]);
    });
    $('paste').addEventListener('input', edited);
}
