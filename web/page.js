// The page: files and options in, the worker computes, the table, messages, diagram and
// downloads out. Numbers come only from the WebAssembly module.
'use strict';
(() => {
    const $ = (id) => document.getElementById(id);
    const fieldIds = ['model', 'temperature', 'at', 'uncertainty', 'seed', 'combine'];
    const flagIds = ['one-site', 'powell', 'monte-carlo', 'formulae'];
    const svgNS = 'http://www.w3.org/2000/svg';

    let worker = null;
    let nextId = 1;
    let files = []; // { id, name, bytes, sheets, sheet }
    let busy = false;
    let urls = [];

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
            document.body.dataset.state = 'done';
            say(`The calculation stopped: ${e.message || 'an error in the page'}.`, true);
        };
        worker.postMessage({ type: 'init' });
        for (const f of files) worker.postMessage({ type: 'open', id: f.id, name: f.name, bytes: f.bytes });
    }

    function receive(msg) {
        if (msg.type === 'ready') {
            document.body.dataset.state = 'ready';
            const select = $('model');
            if (select.options.length === 1)
                msg.models.forEach((title, i) => select.add(new Option(`${i + 1}: ${title}`, String(i + 1))));
        } else if (msg.type === 'opened') {
            const f = files.find((g) => g.id === msg.id);
            if (f) {
                f.sheets = msg.sheets;
                if (f.sheets && !f.sheets.includes(f.sheet)) f.sheet = f.sheets[0];
                showFiles();
            }
        } else if (msg.type === 'checked') {
            showFieldErrors(msg.errors, true);
        } else if (msg.type === 'progress') {
            $('progress').max = Math.max(1, msg.total);
            $('progress').value = msg.done;
        } else if (msg.type === 'result') {
            finish();
            show(msg);
        } else if (msg.type === 'diagram') {
            showDiagram(msg.diagram);
        } else if (msg.type === 'pairs') {
            offer('download-pairs', msg.bytes, 'text/csv', `${baseName()}-pt.csv`);
        } else if (msg.type === 'finished') {
            document.body.dataset.state = 'done'; // table, diagram and files all shown
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
            document.body.dataset.state = 'done';
            say(`The calculation stopped: ${msg.error}`, true);
        }
    }

    // ---- Input --------------------------------------------------------------------------

    async function addFiles(list) {
        for (const file of list) {
            const bytes = await file.arrayBuffer();
            const f = { id: nextId++, name: file.name, bytes, sheets: undefined, sheet: undefined };
            files.push(f);
            worker.postMessage({ type: 'open', id: f.id, name: f.name, bytes });
        }
        showFiles();
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
                select.addEventListener('change', () => (f.sheet = select.value));
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
                showFiles();
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
        return f;
    }

    // While the form is being filled in, only the fields already changed show their refusal.
    const touched = new Set();
    function showFieldErrors(errors, onlyTouched = false) {
        for (const id of fieldIds) {
            const why = onlyTouched && !touched.has(id) ? '' : errors[id] ?? '';
            $(`${id}-error`).textContent = why;
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
        busy = true;
        document.body.dataset.state = 'busy';
        $('compute').disabled = true;
        $('stop').hidden = false;
        $('progress').hidden = false;
        $('progress').value = 0;
        say('Computing…');
        worker.postMessage({ type: 'compute', inputs, paste, fields: fields() });
    }

    function finish() {
        busy = false;
        $('compute').disabled = false;
        $('stop').hidden = true;
        $('progress').hidden = true;
    }

    function stop() {
        worker.terminate();
        finish();
        document.body.dataset.state = 'done';
        startWorker();
        say('Stopped: nothing was computed.');
    }

    function say(text, alarm = false) {
        $('status').textContent = text;
        $('status').classList.toggle('alarm', alarm);
    }

    // ---- Results ------------------------------------------------------------------------

    function clearResults() {
        $('results').tHead.replaceChildren();
        $('results').tBodies[0].replaceChildren();
        $('pager').hidden = true;
        $('table-region').hidden = true;
        $('figure').hidden = true;
        $('messages').replaceChildren();
        $('diagram').replaceChildren();
        for (const url of urls) URL.revokeObjectURL(url);
        urls = [];
        for (const id of ['download-csv', 'download-pairs', 'download-svg']) {
            $(id).removeAttribute('href');
            $(id).setAttribute('aria-disabled', 'true');
        }
    }

    function show(r) {
        clearResults();
        if (r.optionErrors) {
            showFieldErrors(r.optionErrors);
            const elsewhere = Object.entries(r.optionErrors).filter(([id]) => !fieldIds.includes(id));
            say(`Nothing computed: an option is refused (${elsewhere.map(([id, why]) => `${id}: ${why}`).join('; ') || 'see the field'}).`, true);
            document.querySelector('[aria-invalid="true"]')?.focus();
            return;
        }
        showFieldErrors({});
        fieldIds.forEach((id) => touched.add(id));
        for (const text of r.messages ?? []) {
            const li = document.createElement('li');
            li.textContent = text;
            $('messages').append(li);
        }
        if (r.error) {
            say(`Nothing computed: ${r.error}`, true);
            return;
        }
        const rows = r.rows.split('\x1e').slice(0, -1).map((row) => row.split('\x1f'));
        const n = rows.length;
        if (n === 0) {
            say('No sample was read: see the messages.', true);
            return;
        }
        const without = r.ok.filter((ok) => !ok).length;
        const base = baseName();
        let text = `${n} ${n === 1 ? 'row' : 'rows'}`;
        if (without) text += `, ${without} without a result (the note says why)`;
        if (r.monteCarlo) text += `; Monte-Carlo seed ${r.seed}`;
        text += `; computed in ${(r.ms / 1000).toFixed(2)} s.`;
        say(text, without > 0 || r.failed > 0);
        showTable(r.columns, rows, r.ok);
        offer('download-csv', r.csv, 'text/csv', `${base}.csv`);
    }

    function showDiagram(d) {
        if (!$('results').tBodies[0].rows.length) return; // no sample read
        $('figure').hidden = false;
        drawDiagram($('diagram'), d);
        $('download-svg').download = `${baseName()}.svg`;
        $('download-svg').href = '#diagram';
        $('download-svg').removeAttribute('aria-disabled');
    }

    function baseName() {
        const first = files.find((f) => !f.error);
        return first ? first.name.replace(/\.[^.]*$/, '') || 'varno96' : 'varno96';
    }

    function offer(id, data, type, name) {
        const url = URL.createObjectURL(new Blob([data], { type }));
        urls.push(url);
        $(id).href = url;
        $(id).download = name;
        $(id).removeAttribute('aria-disabled');
    }

    // The table a hundred rows at a time: a browser lays out thousands of rows of thirty
    // columns slowly, and nobody reads them on one screen.
    const pageRows = 100;
    let table = null; // { columns, rows, ok, first }

    function showTable(columns, rows, ok) {
        table = { columns, rows, ok, first: 0 };
        const head = document.createElement('tr');
        for (const c of columns) {
            const th = document.createElement('th');
            th.scope = 'col';
            th.textContent = c.name;
            if (c.kind !== 'text') th.className = 'num';
            head.append(th);
        }
        $('results').tHead.replaceChildren(head);
        $('table-region').hidden = false;
        showRows();
    }

    function showRows() {
        const { columns, rows, ok, first } = table;
        const numeric = columns.map((c) => c.kind !== 'text');
        const body = document.createDocumentFragment();
        for (let i = first; i < Math.min(rows.length, first + pageRows); i++) {
            const tr = document.createElement('tr');
            if (!ok[i]) tr.className = 'no-result';
            rows[i].forEach((text, k) => {
                const td = document.createElement('td');
                td.textContent = text;
                if (numeric[k]) td.className = 'num';
                else if (columns[k].name === 'note' && text) td.className = 'note';
                tr.append(td);
            });
            body.append(tr);
        }
        $('results').tBodies[0].replaceChildren(body);
        $('pager').hidden = rows.length <= pageRows;
        $('page-rows').textContent = `Rows ${first + 1}–${Math.min(rows.length, first + pageRows)} of ${rows.length}`;
        $('previous-rows').disabled = first === 0;
        $('next-rows').disabled = first + pageRows >= rows.length;
    }

    function turn(by) {
        table.first = Math.max(0, Math.min(table.rows.length - 1, table.first + by * pageRows));
        showRows();
    }

    // ---- The diagram --------------------------------------------------------------------
    // Laid out by the module with the rules of the PLplot pictures (scene, names placed
    // clear); drawn here in their colours: Okabe & Ito orange for pass 2, black marks.

    const ink = '#000', dark = 'rgb(128,78,0)', faint = 'rgba(128,78,0,0.6)', grey = 'rgb(110,110,110)';
    const font = 'DejaVu Sans, Verdana, Arial, sans-serif';

    function el(parent, name, attributes, text) {
        const e = document.createElementNS(svgNS, name);
        for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, typeof v === 'number' ? +v.toFixed(3) : v);
        if (text !== undefined) e.textContent = text;
        parent.append(e);
        return e;
    }

    // Round steps of 1, 2 or 5 times a power of ten, about six over the range.
    function ticks(lo, hi) {
        const raw = (hi - lo) / 6;
        const power = 10 ** Math.floor(Math.log10(raw));
        const step = [1, 2, 5, 10].map((m) => m * power).find((s) => s >= raw);
        const out = [];
        for (let v = Math.ceil(lo / step) * step; v <= hi + step * 1e-9; v += step) out.push(+v.toFixed(10));
        return out;
    }

    function drawDiagram(svg, d) {
        svg.replaceChildren();
        svg.setAttribute('viewBox', `0 0 ${d.width} ${d.height}`);
        svg.setAttribute('font-family', font);
        el(svg, 'title', { id: 'diagram-title' }, `P-T diagram: ${d.title}`);
        el(svg, 'rect', { x: 0, y: 0, width: d.width, height: d.height, fill: '#fff' });
        const f = d.frame, cs = d.charSize;
        const x = (t) => f.x0 + ((t - d.tAxis[0]) / (d.tAxis[1] - d.tAxis[0])) * (f.x1 - f.x0);
        const y = (p) => f.y1 - ((p - d.pAxis[0]) / (d.pAxis[1] - d.pAxis[0])) * (f.y1 - f.y0);

        // Titles: a long one is set smaller to stay within the page.
        const fit = (text, size) => Math.min(size, (0.96 * d.width) / (0.6 * Math.max(1, text.length)));
        const titleY = d.subtitle ? f.y0 - 2.3 * cs * 0.8 : f.y0 - 1.4 * cs * 0.8;
        el(svg, 'text', { x: d.width / 2, y: titleY, 'text-anchor': 'middle', 'font-size': fit(d.title, 1.25 * cs) }, d.title);
        if (d.subtitle)
            el(svg, 'text', { x: d.width / 2, y: f.y0 - 0.9 * cs * 0.8, 'text-anchor': 'middle', 'font-size': fit(d.subtitle, 0.9 * cs) }, d.subtitle);

        // Axes: box, ticks inside, numbers outside.
        const axes = el(svg, 'g', { stroke: ink, 'stroke-width': 0.25, fill: 'none' });
        el(axes, 'rect', { x: f.x0, y: f.y0, width: f.x1 - f.x0, height: f.y1 - f.y0 });
        const numbers = el(svg, 'g', { 'font-size': 0.9 * cs, fill: ink });
        if (!d.sampleAxis)
            for (const t of ticks(d.tAxis[0], d.tAxis[1])) {
                el(axes, 'path', { d: `M${x(t).toFixed(3)} ${f.y1}v-1.5M${x(t).toFixed(3)} ${f.y0}v1.5` });
                el(numbers, 'text', { x: x(t), y: f.y1 + 0.9 * cs + 1.2, 'text-anchor': 'middle' }, String(t));
            }
        for (const p of ticks(d.pAxis[0], d.pAxis[1])) {
            el(axes, 'path', { d: `M${f.x0} ${y(p).toFixed(3)}h1.5M${f.x1} ${y(p).toFixed(3)}h-1.5` });
            el(numbers, 'text', { x: f.x0 - 1.5, y: y(p) + 0.3 * cs, 'text-anchor': 'end' }, String(p));
        }
        el(svg, 'text', { x: (f.x0 + f.x1) / 2, y: f.y1 + (d.sampleAxis ? 1.4 : 2.6) * cs + 1.5, 'text-anchor': 'middle', 'font-size': cs }, d.tLabel);
        el(svg, 'text', { transform: `translate(${(f.x0 - 4.3 * cs).toFixed(3)} ${((f.y0 + f.y1) / 2).toFixed(3)}) rotate(-90)`, 'text-anchor': 'middle', 'font-size': cs }, 'P (kbar)');

        // Ellipses and bars, then the marks above them, then the names above everything.
        const spreads = el(svg, 'g', { fill: 'none' });
        const path = (start, end) => {
            let s = '';
            for (let i = start; i < end; i += 2) s += `${i === start ? 'M' : 'L'}${d.points[i].toFixed(2)} ${d.points[i + 1].toFixed(2)}`;
            return s;
        };
        const bar = (b, width, cap) => {
            let s = `M${b.x.toFixed(3)} ${b.y0.toFixed(3)}V${b.y1.toFixed(3)}`;
            if (cap) for (const yy of [b.y0, b.y1]) s += `M${(b.x - cap / 2).toFixed(3)} ${yy.toFixed(3)}h${cap}`;
            el(spreads, 'path', { d: s, stroke: dark, 'stroke-width': width });
        };
        for (const m of d.marks) {
            if (m.ellipse2) el(spreads, 'path', { d: path(...m.ellipse2), stroke: faint, 'stroke-width': 0.25, 'stroke-dasharray': '1.6 1' });
            if (m.ellipse1) el(spreads, 'path', { d: path(...m.ellipse1), stroke: dark, 'stroke-width': 0.4 });
            if (m.bar2) bar(m.bar2, 0.25, 2);
            if (m.bar1) bar(m.bar1, 0.75, 0);
        }
        const marks = el(svg, 'g', { fill: ink });
        for (const m of d.marks) el(marks, 'circle', { cx: m.x, cy: m.y, r: 0.9 });
        const names = el(svg, 'g', { 'font-size': d.labelSize, fill: ink });
        for (const m of d.marks) {
            if (!m.box) continue; // no room for the name
            if (m.leader) el(names, 'line', { x1: m.leader[0], y1: m.leader[1], x2: m.leader[2], y2: m.leader[3], stroke: grey, 'stroke-width': 0.15 });
            const b = m.box, h = b.y1 - b.y0;
            el(names, 'rect', { x: b.x0, y: b.y0 + 0.1 * h, width: b.x1 - b.x0, height: 0.8 * h, fill: 'rgba(255,255,255,0.8)' });
            el(names, 'text', { x: b.x0 + d.labelInset, y: (b.y0 + b.y1) / 2 + 0.35 * d.labelSize * 0.8 }, m.label);
        }

        // Legend in the lower margin, a row for each entry.
        const legend = el(svg, 'g', { 'font-size': 0.8 * cs });
        for (const e of d.legend) {
            const x0 = e.x, yy = e.y;
            if (e.kind === 'mark') el(legend, 'circle', { cx: x0 + 4, cy: yy, r: 0.9, fill: ink });
            else if (e.kind === 'ellipse1') el(legend, 'path', { d: `M${x0} ${yy}h8`, stroke: dark, 'stroke-width': 0.4 });
            else if (e.kind === 'ellipse2') el(legend, 'path', { d: `M${x0} ${yy}h8`, stroke: faint, 'stroke-width': 0.25, 'stroke-dasharray': '1.6 1' });
            else if (e.kind === 'bar1') el(legend, 'path', { d: `M${x0} ${yy}h8`, stroke: dark, 'stroke-width': 0.75 });
            else el(legend, 'path', { d: `M${x0} ${yy}h8`, stroke: dark, 'stroke-width': 0.25 });
            el(legend, 'text', { x: x0 + 11, y: yy + 0.3 * 0.8 * cs }, e.text);
        }
    }

    // ---- Wiring -------------------------------------------------------------------------

    $('form').addEventListener('submit', (e) => {
        e.preventDefault();
        compute();
    });
    $('stop').addEventListener('click', stop);
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
    // Each option is checked as it is left, with the batch's words.
    for (const id of [...fieldIds, ...flagIds])
        $(id).addEventListener('change', () => {
            touched.add(id);
            if (id === 'powell') touched.add('at'); // --at excludes --powell
            worker.postMessage({ type: 'check', fields: fields() });
        });
    for (const id of ['download-csv', 'download-pairs', 'download-svg'])
        $(id).addEventListener('click', (e) => {
            if ($(id).getAttribute('aria-disabled') === 'true') e.preventDefault();
        });
    // The SVG file is written when it is asked for: a thousand ellipses make megabytes.
    $('download-svg').addEventListener('click', () => {
        if ($('download-svg').getAttribute('href') !== '#diagram') return;
        const svg = new XMLSerializer().serializeToString($('diagram'));
        const url = URL.createObjectURL(new Blob([`<?xml version="1.0" encoding="UTF-8"?>\n${svg}\n`], { type: 'image/svg+xml' }));
        urls.push(url);
        $('download-svg').href = url;
    });

    startWorker();
})();
