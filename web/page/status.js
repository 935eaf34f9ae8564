// The course of a calculation as the page shows it: the status line, Compute and Stop, what
// is still being made after the table, and whether the results shown still follow the files
// and options.
import { $ } from './dom.js';

let busy = false;
// Inputs and options change `edits`; results computed from an older count are out of date.
let edits = 0;
let computedAt = -1; // the count the results shown were computed from; -1: none shown
// What is still being made after the table: 'table', 'diagram', 'pairs', 'worker'.
const pending = new Set();
let summary = null; // { text, alarm }: the status once everything is ready
let started = 0; // when Compute was pressed
let run = 0; // every computing or clearing starts a new run; slices of an old one stop

export function say(text, alarm = false) {
    $('status').textContent = text;
    $('status').classList.toggle('alarm', alarm);
}

// The page's state for its tests and styles: ready, busy or done.
export function pageState(state) {
    document.body.dataset.state = state;
}

export const isBusy = () => busy;

// The worker is ready: so is the page, unless it is computing.
export function workerReady() {
    if (!busy) pageState('ready');
}

// The results shown no longer follow the files and options: said until Compute is pressed.
export function edited() {
    edits++;
    showStale();
}
export function showStale() {
    const stale = computedAt >= 0 && computedAt !== edits;
    $('stale').hidden = !stale;
    $('stale').textContent = stale
        ? 'Out of date: a file or an option changed after these results were computed. Press Compute to bring them up to date.'
        : '';
    $('results-section').classList.toggle('out-of-date', stale);
}

export const resultsShown = () => computedAt >= 0;
export const currentRun = () => run;

// The results are cleared: a new run, nothing shown.
export function clearRun() {
    run++;
    computedAt = -1;
    showStale();
}

// Nothing was computed (an option is refused): no results to be out of date.
export function nothingComputed() {
    computedAt = -1;
}

// Compute is pressed: the page waits for the worker, Stop in place of Compute.
export function begin() {
    busy = true;
    computedAt = edits;
    started = performance.now();
    pending.clear();
    pending.add('worker');
    pageState('busy');
    $('compute').disabled = true;
    $('stop').hidden = false;
    $('progress').hidden = false;
    $('progress').value = 0;
    say('Computing…');
}

// The worker's count of the samples computed.
export function progress(done, total) {
    $('progress').max = Math.max(1, total);
    $('progress').value = done;
}

// The table has come: said with `text` once `more` (the table, diagram, pairs) are made too.
export function awaiting(text, alarm, more) {
    summary = { text, alarm };
    for (const what of more) pending.add(what);
    showStale();
    made('result'); // says what is still being made
}

export const waitingFor = (what) => pending.has(what);

// Whatever the worker did not send (a batch that stopped short) is not coming.
export function notComing(...whats) {
    for (const what of whats) pending.delete(what);
}

// Everything asked for is shown (or the calculation ended): Compute again, with the focus
// on it unless the reader has moved elsewhere meanwhile.
export function finish() {
    busy = false;
    pending.clear();
    $('compute').disabled = false;
    $('stop').hidden = true;
    $('progress').hidden = true;
    pageState('done');
    const at = document.activeElement;
    if (!at || at === document.body || at === $('compute') || at === $('stop')) $('compute').focus();
}

// One of the things still being made is ready.
export function made(what) {
    pending.delete(what);
    if (!busy) return;
    if (pending.size === 0) {
        finish();
        say(`${summary.text} Everything shown after ${((performance.now() - started) / 1000).toFixed(2)} s.`, summary.alarm);
        return;
    }
    const words = { table: 'the table', diagram: 'the diagram', pairs: 'the Monte-Carlo pairs' };
    const left = [...pending].map((w) => words[w]).filter(Boolean);
    if (left.length)
        say(`${summary.text} Still making ${left.join(', ').replace(/, ([^,]*)$/, ' and $1')}…`, summary.alarm);
    $('progress').removeAttribute('value'); // no count for these: a moving bar
}
