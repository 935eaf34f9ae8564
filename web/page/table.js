// The result table, a hundred rows at a time: a browser lays out thousands of rows of thirty
// columns slowly, and nobody reads them on one screen. The columns of the sample, T, P and
// the note (by their roles in the module's columns) come first, so that a narrow screen shows
// them; the sample stays in view when the table scrolls sideways.
import { $, inSlices } from './dom.js';
import { inPageWords } from './options.js';
import { currentRun, made } from './status.js';

const pageRows = 100;
const firstRoles = ['sample', 'temperature', 'pressure', 'note'];
const styledRoles = ['sample', 'note']; // a class of their own (page.css)
let table = null; // { columns, order, rows, ok, first }
let tableTurn = 0; // a page of rows being made stops when another is asked for

// The columns in the page's order, by their index in the batch's: the first column of each
// of the first roles, then the others in the batch's order.
export function tableOrder(columns) {
    const shown = firstRoles.map((role) => columns.findIndex((c) => c.role === role)).filter((k) => k >= 0);
    return [...shown, ...columns.map((_, k) => k).filter((k) => !shown.includes(k))];
}

// A column's class: numbers aligned, the sample and the note styled apart.
export const columnClass = (c) => [c.kind !== 'text' && 'num', styledRoles.includes(c.role) && c.role].filter(Boolean).join(' ');

export function showTable(columns, rows, ok) {
    const order = tableOrder(columns);
    table = { columns, order, rows, ok, first: 0 };
    const head = document.createElement('tr');
    for (const k of order) {
        const c = columns[k];
        const th = document.createElement('th');
        th.scope = 'col';
        th.textContent = c.name;
        th.title = c.meaning;
        th.className = columnClass(c);
        head.append(th);
    }
    $('results').tHead.replaceChildren(head);
    $('table-region').hidden = false;
    $('table-help').hidden = false;
    showRows();
}

async function showRows() {
    const mine = currentRun(), turnNow = ++tableTurn;
    const { columns, order, rows, ok, first } = table;
    const kind = order.map((k) => columnClass(columns[k]));
    const note = order.map((k) => columns[k].role === 'note');
    const body = $('results').tBodies[0];
    body.replaceChildren();
    $('table-region').setAttribute('aria-busy', 'true');
    const last = Math.min(rows.length, first + pageRows);
    let i = first;
    const done = await inSlices(() => mine === currentRun() && turnNow === tableTurn, () => {
        const cells = rows[i].split('\x1f');
        const tr = document.createElement('tr');
        if (!ok[i]) tr.className = 'no-result';
        order.forEach((k, j) => {
            const td = document.createElement('td');
            td.textContent = note[j] ? inPageWords(cells[k]) : cells[k];
            if (kind[j]) td.className = kind[j];
            tr.append(td);
        });
        body.append(tr);
        return ++i < last;
    }, 10); // rows laid out ten at a time: the first layout of a row shapes all its text
    if (!done) return;
    $('table-region').removeAttribute('aria-busy');
    $('pager').hidden = rows.length <= pageRows;
    $('page-rows').textContent = `Rows ${first + 1}–${last} of ${rows.length}`;
    $('previous-rows').disabled = first === 0;
    $('next-rows').disabled = last >= rows.length;
    made('table');
}

function turn(by) {
    table.first = Math.max(0, Math.min(table.rows.length - 1, table.first + by * pageRows));
    showRows();
}

export function clearTable() {
    table = null;
    $('results').tHead.replaceChildren();
    $('results').tBodies[0].replaceChildren();
    $('pager').hidden = true;
    $('table-region').hidden = true;
    $('table-help').hidden = true;
}

// The pager's buttons.
export function watchPager() {
    $('previous-rows').addEventListener('click', () => turn(-1));
    $('next-rows').addEventListener('click', () => turn(1));
}
