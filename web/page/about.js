// The About section's parts that the module holds: the publications of the garnet models and
// of the calibrations the page cites, and the glossary of the table's columns.
import { $, element } from './dom.js';
import { choices, inPageWords, options } from './options.js';

// The publications, as the module holds them: of the garnet models, and where the page
// cites a calibration.
export function showReferences(references) {
    const titles = choices(options.find((o) => o.kind === 'integer' && o.pageChoices)?.pageChoices).slice(1);
    references.models.forEach((reference, i) => {
        const title = (titles[i] ?? '').replace(/^\d+: /, '');
        $('model-references').append(element('li', {}, reference ? `${title}: ${reference}` : `${title}: all γ = 1.`));
    });
    for (const span of document.querySelectorAll('[data-reference]'))
        span.textContent = references.calibrations.find((c) => c.key === span.dataset.reference)?.reference ?? '';
    for (const span of document.querySelectorAll('[data-cited]'))
        span.textContent = references.calibrations.find((c) => c.key === span.dataset.cited)?.cited ?? '';
    // Where each calibration was calibrated and the error its authors state, in their words.
    for (const span of document.querySelectorAll('[data-stated]')) {
        const c = references.calibrations.find((c) => c.key === span.dataset.stated);
        span.textContent = c ? `Calibrated on ${c.range}. Stated error: ${c.error}.` : '';
    }
}

// Every column of the table, said in a line, as the module's table of columns says it.
export function showGlossary(columns) {
    const dl = $('glossary');
    for (const c of columns) {
        const dt = document.createElement('dt');
        c.names.forEach((n, i) => {
            const code = document.createElement('code');
            code.textContent = n;
            dt.append(...(i ? [', ', code] : [code]));
        });
        const dd = document.createElement('dd');
        dd.textContent = [c.meaning, c.unit && `Unit: ${c.unit}.`, c.option && `With ${c.option}.`].filter(Boolean).map(inPageWords).join(' ');
        dl.append(dt, dd);
    }
}
