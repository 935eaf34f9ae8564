// The files the page has opened, as the worker holds them: text tables as their bytes,
// workbooks read with SheetJS; and the tables of a batch made from them.
/* global XLSX */

const opened = new Map(); // id -> { name, bytes } or { name, book }

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

// A file the page has opened, kept under its id; the answer to the page: a workbook's sheets
// and the one it opens on, or why the file cannot be read.
export function openFile(id, name, buffer) {
    const bytes = new Uint8Array(buffer);
    if (isWorkbook(name, bytes)) {
        const book = XLSX.read(bytes, { type: 'array', dense: false });
        opened.set(id, { name, book });
        return { type: 'opened', id, sheets: book.SheetNames, sheet: analysesSheet(book) };
    }
    if (isBinary(bytes)) return { type: 'failed', id, error: 'not a text table or workbook' };
    opened.set(id, { name, bytes });
    return { type: 'opened', id, sheets: null };
}

export function forgetFile(id) {
    opened.delete(id);
}

// The batch's tables: each file's bytes, a workbook's sheet as text named after it, then the
// cells pasted.
export function tables(inputs, paste) {
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
