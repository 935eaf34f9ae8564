// A calculation: asked of the worker with the inputs, options and figure; the worker's
// messages handed to the parts of the page that show them; stopped with the worker.
import { showGlossary, showReferences } from './about.js';
import { fields, figure, makeControls, makeFigureControls, showFieldErrors } from './controls.js';
import { downloadName, offer } from './downloads.js';
import { inputs, opened, pasted, reopenFiles, unreadable } from './files.js';
import { freshCanvas, offerDiagram, showDiagram } from './figure.js';
import { learnOptions, options } from './options.js';
import { clearResults, showResult } from './results.js';
import { begin, finish, isBusy, made, notComing, pageState, progress, resultsShown, say, waitingFor, workerReady } from './status.js';
import { endWorker, post, startWorker } from './worker-client.js';

function receive(msg) {
    if (msg.type === 'ready') {
        workerReady();
        if (options.length === 0) {
            learnOptions(msg.options);
            makeControls(msg.references);
            makeFigureControls(msg.figureOptions);
            showReferences(msg.references);
            showGlossary(msg.columns);
        }
    } else if (msg.type === 'opened') {
        opened(msg);
    } else if (msg.type === 'checked') {
        showFieldErrors(msg.errors, true);
    } else if (msg.type === 'progress') {
        progress(msg.done, msg.total);
    } else if (msg.type === 'result') {
        showResult(msg);
    } else if (msg.type === 'diagram') {
        if (waitingFor('diagram')) showDiagram(msg);
    } else if (msg.type === 'drawing') {
        if (resultsShown()) offerDiagram(msg);
    } else if (msg.type === 'pairs') {
        if (!waitingFor('pairs')) return;
        offer('download-pairs', msg.blob, downloadName('-varno96-pairs.csv'));
        made('pairs');
    } else if (msg.type === 'finished') {
        // Whatever the worker did not send (a batch that stopped short) is not coming.
        notComing('diagram', 'pairs');
        made('worker');
    } else if (msg.type === 'failed') {
        if (msg.id !== undefined) {
            unreadable(msg.id, msg.error);
            return;
        }
        finish();
        say(`The calculation stopped: ${msg.error}`, true);
    }
}

// A worker started, and given the files chosen so far.
export function startCalculating() {
    startWorker(receive, (why) => {
        finish();
        say(`The calculation stopped: ${why}.`, true);
    });
    reopenFiles();
}

export function compute() {
    if (isBusy()) return;
    const what = inputs();
    const paste = pasted();
    if (what.length === 0 && paste.trim() === '') {
        say('Choose a file, drop one on the page or paste cells first.', true);
        pageState('done');
        return;
    }
    clearResults();
    begin();
    const canvas = freshCanvas().transferControlToOffscreen?.();
    post({ type: 'compute', inputs: what, paste, fields: fields(), canvas, figure: figure() }, canvas ? [canvas] : []);
}

export function stop() {
    endWorker();
    clearResults();
    finish();
    startCalculating();
    say('Stopped: nothing was computed.');
}
