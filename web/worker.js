// The page's work, off the main thread so that the page stays responsive: workbooks read
// with SheetJS, tables computed by the WebAssembly module. Messages in: init, open, check,
// compute, drawing; out: ready, opened, checked, progress, result, diagram, drawing, pairs,
// finished, failed.
/* global varno96Module, XLSX, diagramShapes, diagramSvg, diagramPaint, diagramPng */
'use strict';

const ready = varno96Module();
ready.catch((err) =>
    postMessage({ type: 'failed', error: `this browser cannot run the calculation (${err?.message ?? err})` }));
const opened = new Map(); // id -> { name, bytes } or { name, book }
// The last batch, kept for its figure at another width, unit, layout or reactions, and the
// page's canvas it is painted on.
let kept = null, keptCanvas = null;

// The figure as `figure` asks, painted on the page's canvas; its files: the SVG, and the PNG
// at 300 dpi where this browser draws off the page (OffscreenCanvas).
async function diagramFiles(figure) {
    const d = kept.diagram(figure);
    if (!d) return null;
    const shapes = diagramShapes(d);
    if (keptCanvas) diagramPaint(keptCanvas, d, shapes, keptCanvas.width / d.width);
    const png = typeof OffscreenCanvas === 'undefined' ? undefined : await diagramPng(d, shapes, 300);
    return { title: d.title, figure: JSON.stringify(figure), svg: diagramSvg(d, shapes), png };
}

// A workbook by its name, or by its first bytes (zip: xlsx, ods; OLE: xls).
function isWorkbook(name, bytes) {
    if (/\.(xlsx|xlsm|xlsb|xls|ods|fods)$/i.test(name)) return true;
    const zip = bytes[0] === 0x50 && bytes[1] === 0x4b;
    const ole = bytes[0] === 0xd0 && bytes[1] === 0xcf && bytes[2] === 0x11 && bytes[3] === 0xe0;
    return zip || ole;
}

// A file of neither kind: a NUL byte or many control characters near its start (a picture,
// a PDF, a zip that is no workbook). UTF-16 text, with its byte-order mark, holds NULs.
function isBinary(bytes) {
    if ((bytes[0] === 0xff && bytes[1] === 0xfe) || (bytes[0] === 0xfe && bytes[1] === 0xff)) return false;
    const head = bytes.subarray(0, 8192);
    let control = 0;
    for (const b of head) {
        if (b === 0) return true;
        if (b < 0x20 && b !== 0x09 && b !== 0x0a && b !== 0x0d && b !== 0x0c) control++;
    }
    return control > head.length / 20;
}

// The sheet a workbook opens on: the first whose header row (within its first 50 rows) names
// oxides, as the reader looks for them; else the first. A book often begins with a sheet of
// notes or a summary.
const oxideName = /^(sio2|tio2|al2o3|fe2o3|feo|mno|mgo|cao|na2o|k2o)/;
function analysesSheet(book) {
    for (const name of book.SheetNames) {
        const sheet = book.Sheets[name];
        if (!sheet || !sheet['!ref']) continue;
        const range = XLSX.utils.decode_range(sheet['!ref']);
        range.e.r = Math.min(range.e.r, range.s.r + 49);
        const rows = XLSX.utils.sheet_to_json(sheet, { header: 1, range, raw: true, blankrows: false, defval: '' });
        const names = (cell) =>
            oxideName.test(String(cell).toLowerCase().replace(/[₀-₉]/g, (d) => String(d.charCodeAt(0) - 0x2080)).replace(/[^a-z0-9]/g, ''));
        if (rows.some((row) => row.filter(names).length >= 3)) return name;
    }
    return book.SheetNames[0];
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
            postMessage({ type: 'ready', models: m.modelTitles(), options: m.options(), columns: m.columns(), references: m.references(), version: m.version() });
        } else if (msg.type === 'open') {
            const bytes = new Uint8Array(msg.bytes);
            if (isWorkbook(msg.name, bytes)) {
                const book = XLSX.read(bytes, { type: 'array', dense: false });
                opened.set(msg.id, { name: msg.name, book });
                postMessage({ type: 'opened', id: msg.id, sheets: book.SheetNames, sheet: analysesSheet(book) });
            } else if (isBinary(bytes)) {
                postMessage({ type: 'failed', id: msg.id, error: 'not a text table or workbook' });
            } else {
                opened.set(msg.id, { name: msg.name, bytes });
                postMessage({ type: 'opened', id: msg.id, sheets: null });
            }
        } else if (msg.type === 'forget') {
            opened.delete(msg.id);
        } else if (msg.type === 'check') {
            postMessage({ type: 'checked', errors: m.checkOptions(msg.fields) });
        } else if (msg.type === 'drawing') {
            const files = kept && (await diagramFiles(msg.figure));
            if (files) postMessage({ type: 'drawing', ...files });
        } else if (msg.type === 'compute') {
            if (kept) kept.delete();
            kept = null;
            keptCanvas = msg.canvas ?? null;
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
                // Files as Blobs: made here, they cost the page nothing.
                if (r.csv) r.csv = new Blob([r.csv], { type: 'text/csv' });
                if (r.bibtex) r.bibtex = new Blob([r.bibtex], { type: 'application/x-bibtex' });
                postMessage(r);
                // The diagram and the pairs file after the table: the page shows it meanwhile.
                kept = batch;
                const files = await diagramFiles(msg.figure);
                if (files) {
                    postMessage({ type: 'diagram', ...files });
                    await new Promise((r) => setTimeout(r, 0)); // the canvas is shown meanwhile
                }
                if (r.monteCarlo && r.csv) {
                    const blob = new Blob([batch.pairs()], { type: 'text/csv' });
                    postMessage({ type: 'pairs', blob, ms: performance.now() - started });
                }
            } finally {
                if (kept !== batch) batch.delete();
                postMessage({ type: 'finished' });
            }
        }
    } catch (err) {
        postMessage({ type: 'failed', id: msg.id, error: String(err?.message ?? err) });
    }
};
