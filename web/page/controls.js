// The option controls, made from the module's table of options when it is ready: fields,
// menus, check boxes, lists of check boxes (<name>-<choice>) and a menu per mineral
// (<name>-<mineral>); their values as the module's fields, their refusals beside them. And
// the figure's controls, written in page.html.
import { $, element } from './dom.js';
import { choices, options, inPageWords } from './options.js';
import { edited } from './status.js';
import { post } from './worker-client.js';

const fieldIds = [];
const flagIds = [];
const lists = []; // { name, boxes }
// Choices made per mineral (ferric iron), <name>-<mineral>, given as "grt=…,cpx=…,phe=…".
const minerals = [['grt', 'Garnet'], ['cpx', 'Clinopyroxene'], ['phe', 'Phengite']];
const perMineral = []; // { name, selects }
// While the form is being filled in, only the fields already changed show their refusal.
const touched = new Set();

// The option fields as the module takes them, by the options' names.
export function fields() {
    const f = {};
    for (const id of fieldIds) f[id] = $(id).value;
    for (const id of flagIds) f[id] = $(id).checked;
    for (const { name, boxes } of lists) f[name] = boxes.filter((b) => b.checked).map((b) => b.id.slice(name.length + 1)).join(',');
    for (const { name, selects } of perMineral) {
        const words = selects.map((s) => s.value);
        f[name] = words.every((w) => w === words[0]) ? words[0] : minerals.map(([m], k) => `${m}=${words[k]}`).join(',');
    }
    return f;
}

// The page's explanation of an option, which may hold <sub> and <sup>.
function help(id, html) {
    const p = element('p', { class: 'help', id: `${id}-help` });
    p.innerHTML = html;
    return p;
}

// The controls of the options with a page's explanation: fields in the table's order, the
// flags together, then each list as a check box per choice.
export function makeControls(references) {
    const where = $('option-fields');
    const checks = element('fieldset', { class: 'field wide checks' }, element('legend', {}, 'Choices'));
    const listSets = [];
    for (const o of options.filter((o) => o.pageHelp)) {
        const id = o.name;
        if (o.kind === 'flag') {
            const box = element('input', { type: 'checkbox', id, 'aria-describedby': `${id}-help` });
            checks.append(element('div', { class: 'check' }, element('label', {}, box, ` ${o.label}`), help(id, o.pageHelp)));
            flagIds.push(id);
        } else if (o.kind === 'list') {
            const set = element('fieldset', { class: 'field wide checks', 'aria-describedby': `${id}-help` }, element('legend', {}, o.label), help(id, o.pageHelp));
            const boxes = [];
            for (const key of choices(o.choices)) {
                const about = references.calibrations.find((c) => c.key === key);
                const box = element('input', { type: 'checkbox', id: `${id}-${key}`, 'aria-describedby': `${id}-${key}-help` });
                const words = about ? `${key}: ${about.cited}` : key;
                set.append(element('div', { class: 'check' }, element('label', {}, box, ` ${words}`), element('p', { class: 'help', id: `${id}-${key}-help` }, about ? `${about.note[0].toUpperCase()}${about.note.slice(1)}.` : '')));
                boxes.push(box);
            }
            lists.push({ name: id, boxes });
            listSets.push(set);
        } else if (o.valueName?.startsWith('[MINERAL=]')) {
            // A choice for each mineral, each of the option's values; a value "m=word" is the
            // mineral m's alone.
            const values = choices(o.choices), words = choices(o.pageChoices).slice(1);
            const set = element('fieldset', { class: 'field', 'aria-describedby': `${id}-help ${id}-error` }, element('legend', {}, o.label));
            const selects = minerals.map(([m, mineral]) => {
                const select = element('select', { id: `${id}-${m}` });
                values.forEach((value, i) => {
                    const [own, word] = value.includes('=') ? value.split('=') : [m, value];
                    if (own === m) select.add(new Option(words[i] ?? word, word));
                });
                set.append(element('label', {}, `${mineral} `, select));
                select.addEventListener('change', edited);
                return select;
            });
            set.append(help(id, o.pageHelp), element('p', { class: 'error', id: `${id}-error` }));
            where.append(set);
            perMineral.push({ name: id, selects });
        } else {
            const menu = choices(o.pageChoices);
            let control;
            if (menu.length) {
                // The words of no choice, then those of each value.
                const values = o.kind === 'integer' ? menu.slice(1).map((_, i) => String(o.min + i)) : choices(o.choices);
                control = element('select', { id, 'aria-describedby': `${id}-help ${id}-error` }, new Option(menu[0], ''));
                menu.slice(1).forEach((words, i) => control.add(new Option(words, values[i])));
            } else {
                control = element('input', { id, type: 'text', inputmode: o.kind === 'integer' ? 'numeric' : o.kind === 'text' ? 'text' : 'decimal', autocomplete: 'off', 'aria-describedby': `${id}-help ${id}-error` });
                if (o.default) control.value = o.default;
            }
            const wide = o.kind === 'integer' && menu.length ? ' wide' : '';
            where.append(element('div', { class: `field${wide}` }, element('label', { for: id }, o.label), control, help(id, o.pageHelp), element('p', { class: 'error', id: `${id}-error` })));
            fieldIds.push(id);
        }
    }
    where.append(checks, ...listSets);
    // Each option is checked as it is left, with the batch's words; any change makes the
    // results shown out of date at once.
    for (const id of [...fieldIds, ...flagIds]) {
        $(id).addEventListener('input', edited);
        $(id).addEventListener('change', () => {
            touched.add(id);
            // Options that exclude each other are both shown refused.
            for (const o of options) {
                if (o.name === id && o.excludes) touched.add(o.excludes);
                if (o.excludes === id) touched.add(o.name);
            }
            post({ type: 'check', fields: fields() });
        });
    }
    for (const { boxes } of lists) for (const box of boxes) box.addEventListener('change', edited);
}

// The refusals beside their fields (`errors`: name -> refusal); with `onlyTouched`, only
// beside the fields already changed.
export function showFieldErrors(errors, onlyTouched = false) {
    for (const id of [...fieldIds, ...flagIds]) {
        const where = $(`${id}-error`);
        if (!where) continue;
        const why = onlyTouched && !touched.has(id) ? '' : inPageWords(errors[id] ?? '');
        where.textContent = why;
        if (why) $(id).setAttribute('aria-invalid', 'true');
        else $(id).removeAttribute('aria-invalid');
    }
    return Object.keys(errors).length === 0;
}

// Once computed, every field shows its refusal as soon as it has one.
export function touchFields() {
    fieldIds.forEach((id) => touched.add(id));
}

// An option's control set, as the reader would set it.
export function setControl(name, value) {
    $(name).value = value;
}

// ---- The figure's controls ---------------------------------------------------------------
// Made from the module's table of the figure's options, beside the diagram's downloads: a menu
// for an option with the page's menu words (a number's words begin with its value), a box for a
// choice of two without them, ticked for its first. An option without a page's explanation has
// no control.

const figureControls = []; // { option, control }
let figureChanged = () => {};

export function makeFigureControls(table) {
    const where = $('figure-controls');
    for (const o of table.filter((o) => o.pageHelp)) {
        const id = `diagram-${o.python}`;
        const menu = choices(o.pageChoices).slice(1);
        let control, label;
        if (menu.length) {
            control = element('select', { id, title: o.pageHelp });
            const values = o.kind === 'number' ? menu.map((words) => String(parseFloat(words))) : choices(o.choices);
            menu.forEach((words, i) => control.add(new Option(words, values[i])));
            control.value = o.default;
            label = element('label', { class: 'inline', for: id }, `${o.label} `, control);
        } else {
            control = element('input', { type: 'checkbox', id, title: o.pageHelp });
            control.checked = o.default === choices(o.choices)[0];
            label = element('label', { class: 'inline' }, control, ` ${o.label}`);
        }
        control.addEventListener('change', () => figureChanged());
        where.append(label);
        figureControls.push({ option: o, control });
    }
}

// The figure as its controls ask it, by the options' Python names.
export function figure() {
    const f = {};
    for (const { option, control } of figureControls)
        f[option.python] = control.type === 'checkbox' ? control.checked : option.kind === 'number' ? Number(control.value) : control.value;
    return f;
}

// `changed` runs when the reader changes one of the figure's controls.
export function watchFigure(changed) {
    figureChanged = changed;
}
