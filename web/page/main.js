// The page: files and options in, the worker computes, the table, messages, diagram and
// downloads out. Numbers come only from the WebAssembly module. This module wires the page's
// controls to the parts that answer them and starts the worker.
import { $ } from './dom.js';
import { compute, startCalculating, stop } from './compute.js';
import { watchFigure } from './controls.js';
import { guardDownloads } from './downloads.js';
import { askDiagram, figureShown } from './figure.js';
import { watchInputs } from './files.js';
import { applyHint, watchCite } from './results.js';
import { edited } from './status.js';
import { watchPager } from './table.js';

$('form').addEventListener('submit', (e) => {
    e.preventDefault();
    compute();
});
$('stop').addEventListener('click', stop);
watchCite();
$('use-mean').addEventListener('click', () => {
    applyHint();
    edited();
    compute();
});
watchPager();
watchInputs();
watchFigure(() => {
    if (figureShown()) askDiagram();
});
guardDownloads();

startCalculating();
