// The P-T diagram: drawn by the worker on the page's canvas, which it is handed with the
// batch, and as the SVG and PNG files; another width, unit, layout or reactions has the
// files drawn again.
import { $ } from './dom.js';
import { figure } from './controls.js';
import { downloadName, offer, withdraw } from './downloads.js';
import { made } from './status.js';
import { post } from './worker-client.js';

// A canvas can be handed over once: every batch gets a new one.
export function freshCanvas() {
    const canvas = document.createElement('canvas');
    canvas.id = 'diagram';
    canvas.width = 1260; // the worker's size: 7 px to the diagram's mm
    canvas.height = 1120;
    canvas.setAttribute('role', 'img');
    canvas.setAttribute('aria-label', 'P-T diagram of the samples');
    canvas.textContent = 'P-T diagram of the samples: download it as SVG or PNG.';
    $('diagram').replaceWith(canvas);
    return canvas;
}

// The batch's diagram has been painted: shown, its files offered.
export function showDiagram(msg) {
    $('figure').hidden = false;
    $('diagram').setAttribute('aria-label', `P-T diagram: ${msg.title}`);
    offerDiagram(msg);
    made('diagram');
}

// The files of a drawing, unless the figure's controls have changed since it was asked for.
export function offerDiagram(msg) {
    if (msg.figure !== JSON.stringify(figure())) return askDiagram();
    if (msg.svg) offer('download-svg', msg.svg, downloadName('-varno96.svg'));
    if (msg.png) offer('download-png', msg.png, downloadName('-varno96.png'));
}

// The drawing as the figure's controls now ask it.
export function askDiagram() {
    withdraw(['download-svg', 'download-png']);
    post({ type: 'drawing', figure: figure() });
}

export const figureShown = () => !$('figure').hidden;

export function hideFigure() {
    $('figure').hidden = true;
    freshCanvas();
}
