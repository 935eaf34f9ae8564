// The page's work, off the main thread so that the page stays responsive: workbooks read
// with SheetJS, tables computed by the WebAssembly module. Messages in: init, open, forget,
// check, compute, drawing; out: ready, opened, checked, progress, result, diagram, drawing,
// pairs, finished, failed.
/* global varno96Module */
import { diagramPaint, diagramPng, diagramShapes, diagramSvg } from './diagram.js';
import { forgetFile, openFile, tables } from './reading.js';

const ready = varno96Module();
ready.catch((err) =>
    postMessage({ type: 'failed', error: `this browser cannot run the calculation (${err?.message ?? err})` }));
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

onmessage = async (event) => {
    const m = await ready;
    const msg = event.data;
    try {
        if (msg.type === 'init') {
            postMessage({ type: 'ready', models: m.modelTitles(), options: m.options(), figureOptions: m.figureOptions(), columns: m.columns(), references: m.references(), version: m.version() });
        } else if (msg.type === 'open') {
            postMessage(openFile(msg.id, msg.name, msg.bytes));
        } else if (msg.type === 'forget') {
            forgetFile(msg.id);
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
