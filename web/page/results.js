// The results of a batch: the messages, the fix of samples with several analyses in one
// press, the status's summary, the table, how to cite the run and the table's downloads; all
// cleared when the page computes again.
import { $ } from './dom.js';
import { setControl, showFieldErrors, touchFields } from './controls.js';
import { downloadName, offer, withdrawAll } from './downloads.js';
import { hideFigure } from './figure.js';
import { inPageWords, optionLabel } from './options.js';
import { awaiting, clearRun, finish, nothingComputed, say } from './status.js';
import { clearTable, showTable } from './table.js';

let hint = null; // { control, value }: what the hint's action sets

export function clearResults() {
    clearRun();
    clearTable();
    $('messages').replaceChildren();
    $('hint').hidden = true;
    $('cite-region').hidden = true;
    $('copy-cite').textContent = 'Copy the text';
    hideFigure();
    withdrawAll();
}

// A batch's result from the worker.
export function showResult(r) {
    if (r.optionErrors) {
        finish();
        nothingComputed();
        showFieldErrors(r.optionErrors);
        const elsewhere = Object.entries(r.optionErrors).filter(([id]) => !$(`${id}-error`));
        const why = elsewhere.map(([id, text]) => `${optionLabel(id)}: ${inPageWords(text)}`).join('; ');
        say(`Nothing computed: an option is refused (${why || 'see beside it'}).`, true);
        document.querySelector('[aria-invalid="true"]')?.focus();
        return;
    }
    showFieldErrors({});
    touchFields();
    for (const text of r.messages ?? []) {
        const li = document.createElement('li');
        li.textContent = inPageWords(text);
        $('messages').append(li);
    }
    if (r.error) {
        finish();
        say(`Nothing computed: ${r.error}`, true);
        return;
    }
    const rows = r.rows.split('\x1e').slice(0, -1); // a row's cells are split when shown
    const n = rows.length;
    if (n === 0) {
        finish();
        say('No sample was read: see the messages.', true);
        return;
    }
    // Rows without a result for several analyses of a mineral: the fix, in one press.
    $('hint-text').textContent = r.hint ? `${r.hint}.` : '';
    hint = { control: r.hintControl, value: r.hintValue };
    $('hint').hidden = !r.hint;
    const without = r.ok.filter((ok) => !ok).length;
    let text = `${n} ${n === 1 ? 'row' : 'rows'}`;
    if (without) text += `, ${without} without a result (the note says why)`;
    if (r.monteCarlo) text += `; Monte-Carlo seed ${r.seed}`;
    text += `; computed in ${(r.ms / 1000).toFixed(2)} s.`;
    awaiting(text, without > 0 || r.failed > 0, ['table', 'diagram', ...(r.monteCarlo ? ['pairs'] : [])]);
    offer('download-csv', r.csv, downloadName('-varno96.csv'));
    // How to cite this run: the paragraph and references as text, kept in its lines.
    $('cite-text').textContent = r.cite;
    $('cite-region').hidden = !r.cite;
    if (r.bibtex) offer('download-bibtex', r.bibtex, downloadName('-varno96.bib'));
    showTable(r.columns, rows, r.ok);
}

// The hint's action: its option set as the hint says (then computed again).
export function applyHint() {
    setControl(hint.control, hint.value);
}

// The citation copied, or selected where the clipboard is out of reach.
export function watchCite() {
    $('copy-cite').addEventListener('click', async () => {
        try {
            await navigator.clipboard.writeText($('cite-text').textContent);
            $('copy-cite').textContent = 'Copied';
        } catch {
            // Without the clipboard (a page opened from disk in some browsers): select it.
            getSelection().selectAllChildren($('cite-text'));
        }
    });
}
