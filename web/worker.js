// The page's work, off the main thread so that the page stays responsive: workbooks read
// with SheetJS, tables computed by the WebAssembly module. Messages in: init, open, check,
// compute; out: ready, opened, checked, progress, result, diagram, pairs, finished,
// failed.
/* global varno96Module, XLSX */
'use strict';

const ready = varno96Module();
ready.catch((err) =>
    postMessage({ type: 'failed', error: `this browser cannot run the calculation (${err?.message ?? err})` }));
const opened = new Map(); // id -> { name, bytes } or { name, book }

// A workbook by its name, or by its first bytes (zip: xlsx, ods; OLE: xls).
function isWorkbook(name, bytes) {
    if (/\.(xlsx|xlsm|xlsb|xls|ods|fods)$/i.test(name)) return true;
    const zip = bytes[0] === 0x50 && bytes[1] === 0x4b;
    const ole = bytes[0] === 0xd0 && bytes[1] === 0xcf && bytes[2] === 0x11 && bytes[3] === 0xe0;
    return zip || ole;
}

// A sheet as the reader's text: comma-separated, numbers as stored (not as formatted), one
// line per row from the sheet's first row, so that line numbers in notes are row numbers.
function sheetText(book, sheetName) {
    const sheet = book.Sheets[sheetName];
    if (!sheet || !sheet['!ref']) return new Uint8Array();
    const first = XLSX.utils.decode_range(sheet['!ref']).s.r;
    const csv = XLSX.utils.sheet_to_csv(sheet, { FS: ',', RS: '\n', rawNumbers: true, blankrows: true });
    return new TextEncoder().encode('\n'.repeat(first) + csv + '\n');
}

function tables(inputs, paste) {
    const out = [];
    for (const { id, sheet } of inputs) {
        const f = opened.get(id);
        if (!f) continue;
        if (!f.book) {
            out.push({ name: f.name, bytes: f.bytes });
            continue;
        }
        const names = sheet === undefined || sheet === '' ? [f.book.SheetNames[0]] : [sheet];
        for (const s of names) {
            const name = f.book.SheetNames.length > 1 ? `${f.name} [${s}]` : f.name;
            out.push({ name, bytes: sheetText(f.book, s) });
        }
    }
    if (paste.trim() !== '') out.push({ name: 'pasted cells', bytes: new TextEncoder().encode(paste) });
    return out;
}

onmessage = async (event) => {
    const m = await ready;
    const msg = event.data;
    try {
        if (msg.type === 'init') {
            postMessage({ type: 'ready', models: m.modelTitles(), version: m.version() });
        } else if (msg.type === 'open') {
            const bytes = new Uint8Array(msg.bytes);
            if (isWorkbook(msg.name, bytes)) {
                const book = XLSX.read(bytes, { type: 'array', dense: false });
                opened.set(msg.id, { name: msg.name, book });
                postMessage({ type: 'opened', id: msg.id, sheets: book.SheetNames });
            } else {
                opened.set(msg.id, { name: msg.name, bytes });
                postMessage({ type: 'opened', id: msg.id, sheets: null });
            }
        } else if (msg.type === 'forget') {
            opened.delete(msg.id);
        } else if (msg.type === 'check') {
            postMessage({ type: 'checked', errors: m.checkOptions(msg.fields) });
        } else if (msg.type === 'compute') {
            const started = performance.now();
            let shown = 0;
            const batch = new m.Batch(tables(msg.inputs, msg.paste), msg.fields, (done, total) => {
                const now = performance.now();
                if (now - shown > 50 || done === total) {
                    shown = now;
                    postMessage({ type: 'progress', done, total });
                }
            });
            try {
                const r = batch.result();
                r.type = 'result';
                r.ms = performance.now() - started;
                postMessage(r, r.csv ? [r.csv.buffer] : []);
                // The diagram and the pairs file after the table: the page shows it meanwhile.
                const diagram = batch.diagram();
                if (diagram) postMessage({ type: 'diagram', diagram, ms: performance.now() - started }, [diagram.points.buffer]);
                if (r.monteCarlo && r.csv) {
                    const bytes = batch.pairs();
                    postMessage({ type: 'pairs', bytes, ms: performance.now() - started }, [bytes.buffer]);
                }
            } finally {
                batch.delete();
                postMessage({ type: 'finished' });
            }
        }
    } catch (err) {
        postMessage({ type: 'failed', id: msg.id, error: String(err?.message ?? err) });
    }
};
