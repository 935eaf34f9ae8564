// The page: files and options in, the worker computes, the table, messages, diagram and
// downloads out. Numbers come only from the WebAssembly module.
'use strict';
(() => {
    const $ = (id) => document.getElementById(id);
    // The option controls, made from the module's table of options when it is ready: fields,
    // check boxes, and lists of check boxes (<name>-<choice>).
    let options = [];
    let fieldIds = [];
    let flagIds = [];
    let lists = []; // { name, boxes }
    // Choices made per mineral (ferric iron), <name>-<mineral>, given as "grt=…,cpx=…,phe=…".
    const minerals = [['grt', 'Garnet'], ['cpx', 'Clinopyroxene'], ['phe', 'Phengite']];
    let perMineral = []; // { name, selects }
    const downloadIds = ['download-csv', 'download-pairs', 'download-svg', 'download-png', 'download-bibtex'];

    let worker = null;
    let nextId = 1;
    let files = []; // { id, name, bytes, sheets, sheet, error }
    let busy = false;
    let hintControl = null; // the option control that the hint's action sets
    let urls = [];
    // Inputs and options change `edits`; results computed from an older count are out of date.
    let edits = 0;
    let computedAt = -1; // the count the results shown were computed from; -1: none shown
    // What is still being made after the table: 'table', 'diagram', 'pairs', 'worker'.
    const pending = new Set();
    let summary = null; // { text, alarm }: the status once everything is ready
    let started = 0; // when Compute was pressed
    let run = 0; // every computing or clearing starts a new run; slices of an old one stop

    // ---- The worker ---------------------------------------------------------------------

    function startWorker() {
        const source = $('worker-source').textContent;
        const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
        worker = new Worker(url);
        URL.revokeObjectURL(url);
        worker.onmessage = (e) => receive(e.data);
        worker.onerror = (e) => {
            e.preventDefault();
            finish();
            say(`The calculation stopped: ${e.message || 'an error in the page'}.`, true);
        };
        worker.postMessage({ type: 'init' });
        for (const f of files) if (!f.error) worker.postMessage({ type: 'open', id: f.id, name: f.name, bytes: f.bytes });
    }

    function receive(msg) {
        if (msg.type === 'ready') {
            if (!busy) document.body.dataset.state = 'ready';
            if (options.length === 0) {
                learnOptions(msg.options, msg.references);
                showReferences(msg.references);
                showGlossary(msg.columns);
            }
        } else if (msg.type === 'opened') {
            const f = files.find((g) => g.id === msg.id);
            if (f) {
                f.sheets = msg.sheets;
                if (f.sheets && !f.sheets.includes(f.sheet)) f.sheet = msg.sheet ?? f.sheets[0];
                showFiles();
            }
        } else if (msg.type === 'checked') {
            showFieldErrors(msg.errors, true);
        } else if (msg.type === 'progress') {
            $('progress').max = Math.max(1, msg.total);
            $('progress').value = msg.done;
        } else if (msg.type === 'result') {
            show(msg);
        } else if (msg.type === 'diagram') {
            if (pending.has('diagram')) showDiagram(msg);
        } else if (msg.type === 'drawing') {
            if (computedAt >= 0) offerDiagram(msg);
        } else if (msg.type === 'pairs') {
            if (!pending.has('pairs')) return;
            offer('download-pairs', msg.blob, `${baseName()}-varno96-pairs.csv`);
            made('pairs');
        } else if (msg.type === 'finished') {
            // Whatever the worker did not send (a batch that stopped short) is not coming.
            for (const what of ['diagram', 'pairs']) pending.delete(what);
            made('worker');
        } else if (msg.type === 'failed') {
            if (msg.id !== undefined) {
                const f = files.find((g) => g.id === msg.id);
                if (f) {
                    f.error = msg.error;
                    showFiles();
                }
                return;
            }
            finish();
            say(`The calculation stopped: ${msg.error}`, true);
        }
    }

    // ---- Input --------------------------------------------------------------------------

    const sameBytes = (a, b) => {
        if (a.byteLength !== b.byteLength) return false;
        const x = new Uint8Array(a), y = new Uint8Array(b);
        for (let i = 0; i < x.length; i++) if (x[i] !== y[i]) return false;
        return true;
    };

    async function addFiles(list) {
        const twice = [];
        for (const file of list) {
            const bytes = await file.arrayBuffer();
            if (files.some((g) => g.name === file.name && sameBytes(g.bytes, bytes))) {
                twice.push(file.name);
                continue;
            }
            const f = { id: nextId++, name: file.name, bytes, sheets: undefined, sheet: undefined };
            files.push(f);
            worker.postMessage({ type: 'open', id: f.id, name: f.name, bytes });
        }
        $('file-note').textContent = twice.length
            ? `${twice.join(', ')} ${twice.length === 1 ? 'is' : 'are'} already in the list: taken once.`
            : '';
        showFiles();
        if (list.length > twice.length) edited();
    }

    function showFiles() {
        const ul = $('file-list');
        ul.replaceChildren();
        for (const f of files) {
            const li = document.createElement('li');
            const name = document.createElement('span');
            name.textContent = f.name;
            li.append(name);
            if (f.error) {
                const why = document.createElement('span');
                why.className = 'error';
                why.textContent = ` cannot be read: ${f.error}`;
                li.append(why);
            } else if (f.sheets && f.sheets.length > 1) {
                const id = `sheet-${f.id}`;
                const label = document.createElement('label');
                label.htmlFor = id;
                label.textContent = ' sheet ';
                const select = document.createElement('select');
                select.id = id;
                for (const s of f.sheets) select.add(new Option(s, s, false, s === f.sheet));
                select.addEventListener('change', () => {
                    f.sheet = select.value;
                    edited();
                });
                li.append(label, select);
            }
            const remove = document.createElement('button');
            remove.type = 'button';
            remove.className = 'remove';
            remove.textContent = 'Remove';
            remove.setAttribute('aria-label', `Remove ${f.name}`);
            remove.addEventListener('click', () => {
                files = files.filter((g) => g !== f);
                worker.postMessage({ type: 'forget', id: f.id });
                $('file-note').textContent = '';
                showFiles();
                edited();
                $('data-file').focus();
            });
            li.append(' ', remove);
            ul.append(li);
        }
    }

    // ---- Options ------------------------------------------------------------------------

    function fields() {
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

    // An element with its class and its children.
    function element(tag, attributes = {}, ...children) {
        const e = document.createElement(tag);
        for (const [key, value] of Object.entries(attributes)) e.setAttribute(key, value);
        e.append(...children);
        return e;
    }
    // The page's explanation of an option, which may hold <sub> and <sup>.
    function help(id, html) {
        const p = element('p', { class: 'help', id: `${id}-help` });
        p.innerHTML = html;
        return p;
    }

    // The controls of the options with a page's explanation: fields in the table's order, the
    // flags together, then each list as a check box per choice.
    function makeControls(references) {
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
                for (const key of o.choices.split('|')) {
                    const about = references.calibrations.find((c) => c.key === key);
                    const box = element('input', { type: 'checkbox', id: `${id}-${key}`, 'aria-describedby': `${id}-${key}-help` });
                    const words = about ? `${key}: ${about.cited}` : key;
                    set.append(element('div', { class: 'check' }, element('label', {}, box, ` ${words}`), element('p', { class: 'help', id: `${id}-${key}-help` }, about ? `${about.note[0].toUpperCase()}${about.note.slice(1)}.` : '')));
                    boxes.push(box);
                }
                lists.push({ name: id, boxes });
                listSets.push(set);
            } else if (o.valueName?.startsWith('[MINERAL=]')) {
                // A choice for each mineral, each of the option's values.
                const values = o.choices.split('|'), words = o.pageChoices.split('|').slice(1);
                const set = element('fieldset', { class: 'field', 'aria-describedby': `${id}-help ${id}-error` }, element('legend', {}, o.label));
                const selects = minerals.map(([m, mineral]) => {
                    const select = element('select', { id: `${id}-${m}` });
                    values.forEach((value, i) => select.add(new Option(words[i] ?? value, value)));
                    set.append(element('label', {}, `${mineral} `, select));
                    select.addEventListener('change', edited);
                    return select;
                });
                set.append(help(id, o.pageHelp), element('p', { class: 'error', id: `${id}-error` }));
                where.append(set);
                perMineral.push({ name: id, selects });
            } else {
                const menu = o.pageChoices.split('|').filter(Boolean);
                let control;
                if (menu.length) {
                    // The words of no choice, then those of each value.
                    const values = o.kind === 'integer' ? menu.slice(1).map((_, i) => String(o.min + i)) : o.choices.split('|');
                    control = element('select', { id, 'aria-describedby': `${id}-help ${id}-error` }, new Option(menu[0], ''));
                    menu.slice(1).forEach((words, i) => control.add(new Option(words, values[i])));
                } else {
                    control = element('input', { id, type: 'text', inputmode: o.kind === 'integer' ? 'numeric' : 'decimal', autocomplete: 'off', 'aria-describedby': `${id}-help ${id}-error` });
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
                worker.postMessage({ type: 'check', fields: fields() });
            });
        }
        for (const { boxes } of lists) for (const box of boxes) box.addEventListener('change', edited);
    }

    // The publications, as the module holds them: of the garnet models, and where the page
    // cites a calibration.
    function showReferences(references) {
        const titles = options.find((o) => o.kind === 'integer' && o.pageChoices)?.pageChoices.split('|').slice(1) ?? [];
        references.models.forEach((reference, i) => {
            const title = (titles[i] ?? '').replace(/^\d+: /, '');
            $('model-references').append(element('li', {}, reference ? `${title}: ${reference}` : `${title}: all γ = 1.`));
        });
        for (const span of document.querySelectorAll('[data-reference]'))
            span.textContent = references.calibrations.find((c) => c.key === span.dataset.reference)?.reference ?? '';
        for (const span of document.querySelectorAll('[data-cited]'))
            span.textContent = references.calibrations.find((c) => c.key === span.dataset.cited)?.cited ?? '';
    }

    // The options as the page names them (the module's table of options), for the notes and
    // messages that name the batch's flags ("--combine mean or --combine each uses them").
    const optionWords = {};
    function learnOptions(table, references) {
        options = table ?? [];
        for (const o of options) optionWords[o.name] = o.label;
        makeControls(references);
    }
    function inPageWords(text) {
        // A choice ("--combine mean") as the page's menu words it.
        for (const o of options.filter((o) => o.kind === 'choice')) {
            const values = o.choices.split('|'), words = o.pageChoices.split('|').slice(1);
            const said = (value) => `“${words[values.indexOf(value)] ?? value}”`;
            const one = `--${o.name} (${values.join('|')})`;
            text = text
                .replace(new RegExp(`${one} or ${one}`, 'g'), (_, a, b) => `“${o.label}”: ${said(a)} or ${said(b)}`)
                .replace(new RegExp(one, 'g'), (_, a) => `“${o.label}”: ${said(a)}`);
        }
        return text.replace(/(^|[\s(])--([a-z][a-z-]*)/g, (all, before, name) => (optionWords[name] ? `${before}“${optionWords[name]}”` : all));
    }

    // While the form is being filled in, only the fields already changed show their refusal.
    const touched = new Set();
    function showFieldErrors(errors, onlyTouched = false) {
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

    // ---- Computing ----------------------------------------------------------------------

    function compute() {
        if (busy) return;
        const inputs = files.filter((f) => !f.error).map((f) => ({ id: f.id, sheet: f.sheet }));
        const paste = $('paste').value;
        if (inputs.length === 0 && paste.trim() === '') {
            say('Choose a file, drop one on the page or paste cells first.', true);
            document.body.dataset.state = 'done';
            return;
        }
        clearResults();
        busy = true;
        computedAt = edits;
        started = performance.now();
        pending.clear();
        pending.add('worker');
        document.body.dataset.state = 'busy';
        $('compute').disabled = true;
        $('stop').hidden = false;
        $('progress').hidden = false;
        $('progress').value = 0;
        say('Computing…');
        const canvas = freshCanvas().transferControlToOffscreen?.();
        worker.postMessage({ type: 'compute', inputs, paste, fields: fields(), canvas, figure: figure() }, canvas ? [canvas] : []);
    }

    // Everything asked for is shown (or the calculation ended): Compute again, with the focus
    // on it unless the reader has moved elsewhere meanwhile.
    function finish() {
        busy = false;
        pending.clear();
        $('compute').disabled = false;
        $('stop').hidden = true;
        $('progress').hidden = true;
        document.body.dataset.state = 'done';
        const at = document.activeElement;
        if (!at || at === document.body || at === $('compute') || at === $('stop')) $('compute').focus();
    }

    // One of the things still being made is ready.
    function made(what) {
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

    function stop() {
        worker.terminate();
        clearResults();
        finish();
        startWorker();
        say('Stopped: nothing was computed.');
    }

    function say(text, alarm = false) {
        $('status').textContent = text;
        $('status').classList.toggle('alarm', alarm);
    }

    // The results shown no longer follow the files and options: said until Compute is pressed.
    function edited() {
        edits++;
        showStale();
    }
    function showStale() {
        const stale = computedAt >= 0 && computedAt !== edits;
        $('stale').hidden = !stale;
        $('stale').textContent = stale
            ? 'Out of date: a file or an option changed after these results were computed. Press Compute to bring them up to date.'
            : '';
        $('results-section').classList.toggle('out-of-date', stale);
    }

    // ---- Results ------------------------------------------------------------------------

    function clearResults() {
        run++;
        computedAt = -1;
        showStale();
        table = null;
        $('results').tHead.replaceChildren();
        $('results').tBodies[0].replaceChildren();
        $('pager').hidden = true;
        $('table-region').hidden = true;
        $('table-help').hidden = true;
        $('figure').hidden = true;
        $('messages').replaceChildren();
        $('hint').hidden = true;
        $('cite-region').hidden = true;
        $('copy-cite').textContent = 'Copy the text';
        freshCanvas();
        for (const url of urls) URL.revokeObjectURL(url);
        urls = [];
        for (const id of downloadIds) {
            $(id).removeAttribute('href');
            $(id).setAttribute('aria-disabled', 'true');
        }
    }

    function show(r) {
        if (r.optionErrors) {
            finish();
            computedAt = -1;
            showFieldErrors(r.optionErrors);
            const elsewhere = Object.entries(r.optionErrors).filter(([id]) => !$(`${id}-error`));
            const why = elsewhere.map(([id, text]) => `${optionWords[id] ?? id}: ${inPageWords(text)}`).join('; ');
            say(`Nothing computed: an option is refused (${why || 'see beside it'}).`, true);
            document.querySelector('[aria-invalid="true"]')?.focus();
            return;
        }
        showFieldErrors({});
        fieldIds.forEach((id) => touched.add(id));
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
        hintControl = r.hintControl;
        $('hint').hidden = !r.hint;
        const without = r.ok.filter((ok) => !ok).length;
        let text = `${n} ${n === 1 ? 'row' : 'rows'}`;
        if (without) text += `, ${without} without a result (the note says why)`;
        if (r.monteCarlo) text += `; Monte-Carlo seed ${r.seed}`;
        text += `; computed in ${(r.ms / 1000).toFixed(2)} s.`;
        summary = { text, alarm: without > 0 || r.failed > 0 };
        pending.add('table');
        pending.add('diagram');
        if (r.monteCarlo) pending.add('pairs');
        showStale();
        made('result'); // says what is still being made
        offer('download-csv', r.csv, `${baseName()}-varno96.csv`);
        // How to cite this run: the paragraph and references as text, kept in its lines.
        $('cite-text').textContent = r.cite;
        $('cite-region').hidden = !r.cite;
        if (r.bibtex) offer('download-bibtex', r.bibtex, `${baseName()}-varno96.bib`);
        showTable(r.columns, rows, r.ok);
    }

    function baseName() {
        const first = files.find((f) => !f.error);
        if (!first) return 'pasted';
        return first.name.replace(/\.[^.]*$/, '') || 'varno96';
    }

    function offer(id, blob, name) {
        const url = URL.createObjectURL(blob);
        urls.push(url);
        $(id).href = url;
        $(id).download = name;
        $(id).removeAttribute('aria-disabled');
    }

    // Work too long for one task is done in slices of at most 20 ms and `most` items, with a
    // frame drawn in between (the browser's own layout of each slice counts too), so that the
    // page answers throughout; `each` runs for item after item until it returns false. Ends
    // quietly when `alive` says the work is no longer wanted.
    async function inSlices(alive, each, most = Infinity) {
        for (let more = true; more; ) {
            if (!alive()) return false;
            const end = performance.now() + 20;
            for (let n = 0; more && n < most && performance.now() < end; n++) more = each();
            if (more) await new Promise((r) => setTimeout(r, 16));
        }
        return alive();
    }

    // ---- The table ----------------------------------------------------------------------
    // A hundred rows at a time: a browser lays out thousands of rows of thirty columns slowly,
    // and nobody reads them on one screen. Sample, T, P and the note come first, so that a
    // narrow screen shows them; the sample stays in view when the table scrolls sideways.

    const pageRows = 100;
    const firstColumns = ['sample', 'T_C', 'P_kbar', 'note'];
    let table = null; // { columns, order, rows, ok, first }

    // Every column of the table, said in a line, as the module's table of columns says it.
    function showGlossary(columns) {
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

    function showTable(columns, rows, ok) {
        const shown = firstColumns.map((name) => columns.findIndex((c) => c.name === name)).filter((k) => k >= 0);
        const order = [...shown, ...columns.map((_, k) => k).filter((k) => !shown.includes(k))];
        table = { columns, order, rows, ok, first: 0 };
        const head = document.createElement('tr');
        for (const k of order) {
            const c = columns[k];
            const th = document.createElement('th');
            th.scope = 'col';
            th.textContent = c.name;
            th.title = c.meaning;
            th.className = [c.kind !== 'text' && 'num', c.name === 'sample' && 'sample', c.name === 'note' && 'note']
                .filter(Boolean).join(' ');
            head.append(th);
        }
        $('results').tHead.replaceChildren(head);
        $('table-region').hidden = false;
        $('table-help').hidden = false;
        showRows();
    }

    let tableTurn = 0; // a page of rows being made stops when another is asked for
    async function showRows() {
        const mine = run, turnNow = ++tableTurn;
        const { columns, order, rows, ok, first } = table;
        const kind = order.map((k) => (columns[k].kind !== 'text' ? 'num' : columns[k].name === 'sample' ? 'sample' : columns[k].name === 'note' ? 'note' : ''));
        const body = $('results').tBodies[0];
        body.replaceChildren();
        $('table-region').setAttribute('aria-busy', 'true');
        const last = Math.min(rows.length, first + pageRows);
        let i = first;
        const done = await inSlices(() => mine === run && turnNow === tableTurn, () => {
            const cells = rows[i].split('\x1f');
            const tr = document.createElement('tr');
            if (!ok[i]) tr.className = 'no-result';
            order.forEach((k, j) => {
                const td = document.createElement('td');
                td.textContent = kind[j] === 'note' ? inPageWords(cells[k]) : cells[k];
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

    // ---- The diagram ----------------------------------------------------------------
    // Drawn by the worker on the page's canvas, which it is handed with the batch, and as the
    // SVG and PNG files; another width has the files drawn again.

    // A canvas can be handed over once: every batch gets a new one.
    function freshCanvas() {
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

    function showDiagram(msg) {
        $('figure').hidden = false;
        $('diagram').setAttribute('aria-label', `P-T diagram: ${msg.title}`);
        offerDiagram(msg);
        made('diagram');
    }

    // The figure as its controls ask it.
    function figure() {
        return {
            width: Number($('diagram-width').value),
            units: $('diagram-units').value,
            layout: $('diagram-layout').value,
            reactions: $('diagram-reactions').checked,
        };
    }

    function offerDiagram(msg) {
        if (msg.figure !== JSON.stringify(figure())) return askDiagram();
        if (msg.svg) offer('download-svg', msg.svg, `${baseName()}-varno96.svg`);
        if (msg.png) offer('download-png', msg.png, `${baseName()}-varno96.png`);
    }

    function askDiagram() {
        for (const id of ['download-svg', 'download-png']) {
            $(id).removeAttribute('href');
            $(id).setAttribute('aria-disabled', 'true');
        }
        worker.postMessage({ type: 'drawing', figure: figure() });
    }

    // ---- Wiring -------------------------------------------------------------------------

    $('form').addEventListener('submit', (e) => {
        e.preventDefault();
        compute();
    });
    $('stop').addEventListener('click', stop);
    $('copy-cite').addEventListener('click', async () => {
        try {
            await navigator.clipboard.writeText($('cite-text').textContent);
            $('copy-cite').textContent = 'Copied';
        } catch {
            // Without the clipboard (a page opened from disk in some browsers): select it.
            getSelection().selectAllChildren($('cite-text'));
        }
    });
    $('use-mean').addEventListener('click', () => {
        $(hintControl).value = 'mean';
        edited();
        compute();
    });
    $('previous-rows').addEventListener('click', () => turn(-1));
    $('next-rows').addEventListener('click', () => turn(1));
    $('data-file').addEventListener('change', () => {
        addFiles([...$('data-file').files]);
        $('data-file').value = '';
    });
    const drop = $('drop');
    drop.addEventListener('dragover', (e) => {
        e.preventDefault();
        drop.classList.add('over');
    });
    drop.addEventListener('dragleave', () => drop.classList.remove('over'));
    drop.addEventListener('drop', (e) => {
        e.preventDefault();
        drop.classList.remove('over');
        addFiles([...e.dataTransfer.files]);
    });
    $('paste').addEventListener('input', edited);
    for (const id of ['diagram-width', 'diagram-units', 'diagram-layout', 'diagram-reactions'])
        $(id).addEventListener('change', () => {
            if (!$('figure').hidden) askDiagram();
        });
    for (const id of downloadIds)
        $(id).addEventListener('click', (e) => {
            if ($(id).getAttribute('aria-disabled') === 'true') e.preventDefault();
        });

    startWorker();
})();
