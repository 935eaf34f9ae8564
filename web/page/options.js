// The module's table of options as the page knows it: the controls are made from it, and the
// batch's texts that name an option by its flag (refusals, notes, messages) are said in the
// page's words from it.

// The table as the module gives it, once it is ready; empty until then.
export const options = [];
const labels = new Map(); // an option's name -> its label on the page

export function learnOptions(table) {
    options.push(...(table ?? []));
    for (const o of options) labels.set(o.name, o.label);
}

// Choices written as '|'-separated text (the table's choices and pageChoices) as a list;
// none for no text.
export const choices = (text) => (text ? text.split('|') : []);

// An option by its label on the page; an unknown name as it is.
export const optionLabel = (name) => labels.get(name) ?? name;

// The options named as the page names them, for the notes and messages that name the batch's
// flags ("--combine mean or --combine each uses them").
export function inPageWords(text) {
    // A choice ("--combine mean") as the page's menu words it.
    for (const o of options.filter((o) => o.kind === 'choice')) {
        const values = choices(o.choices), words = choices(o.pageChoices).slice(1);
        const said = (value) => `“${words[values.indexOf(value)] ?? value}”`;
        const one = `--${o.name} (${values.join('|')})`;
        text = text
            .replace(new RegExp(`${one} or ${one}`, 'g'), (_, a, b) => `“${o.label}”: ${said(a)} or ${said(b)}`)
            .replace(new RegExp(one, 'g'), (_, a) => `“${o.label}”: ${said(a)}`);
    }
    return text.replace(/(^|[\s(])--([a-z][a-z-]*)/g, (all, before, name) => (labels.get(name) ? `${before}“${labels.get(name)}”` : all));
}
