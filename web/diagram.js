// The P-T diagram drawn in the worker: laid out by the module with the rules of the PLplot
// pictures (scene, names placed clear), in mm on its page; drawn here in their colours: Okabe
// & Ito orange darkened for pass 2, black marks, and with thermometers grey barometer lines
// and the thermometers' markers in the module's colours. The drawing is a list of shapes, painted on
// the page's canvas and on the PNG's, and written as the SVG file, all off the page's thread.
/* exported diagramShapes, diagramSvg, diagramPaint, diagramPng */
'use strict';

const diagramInk = '#000', diagramDark = 'rgb(128,78,0)', diagramGrey = 'rgb(110,110,110)';
const diagramBarometer = 'rgb(90,90,90)';
const diagramFont = 'DejaVu Sans, Verdana, Arial, sans-serif';

const n3 = (v) => +v.toFixed(3);

// Round steps of 1, 2 or 5 times a power of ten, about six over the range.
function ticks(lo, hi) {
    const raw = (hi - lo) / 6;
    const power = 10 ** Math.floor(Math.log10(raw));
    const step = [1, 2, 5, 10].map((m) => m * power).find((s) => s >= raw);
    const out = [];
    for (let v = Math.ceil(lo / step) * step; v <= hi + step * 1e-9; v += step) out.push(+v.toFixed(10));
    return out;
}

// The shapes, in drawing order: ['rect', x, y, w, h, fill], ['path', d, stroke, width,
// dash], ['circle', x, y, r, fill], ['text', x, y, size, anchor, text, turn], ['fill', d,
// fill] (a closed outline filled).
function diagramShapes(d) {
    const out = [];
    const f = d.frame, cs = d.charSize;
    const x = (t) => f.x0 + ((t - d.tAxis[0]) / (d.tAxis[1] - d.tAxis[0])) * (f.x1 - f.x0);
    const y = (p) => f.y1 - ((p - d.pAxis[0]) / (d.pAxis[1] - d.pAxis[0])) * (f.y1 - f.y0);
    out.push(['rect', 0, 0, d.width, d.height, '#fff']);

    // Titles: a long one is set smaller to stay within the page.
    const fit = (text, size) => Math.min(size, (0.96 * d.width) / (0.6 * Math.max(1, text.length)));
    const titleY = d.subtitle ? f.y0 - 2.3 * cs * 0.8 : f.y0 - 1.4 * cs * 0.8;
    out.push(['text', d.width / 2, titleY, fit(d.title, 1.25 * cs), 'middle', d.title, 0]);
    if (d.subtitle) out.push(['text', d.width / 2, f.y0 - 0.9 * cs * 0.8, fit(d.subtitle, 0.9 * cs), 'middle', d.subtitle, 0]);

    // Axes: box, ticks inside, numbers outside.
    let axes = `M${f.x0} ${f.y0}H${f.x1}V${f.y1}H${f.x0}Z`;
    if (!d.sampleAxis)
        for (const t of ticks(d.tAxis[0], d.tAxis[1])) {
            axes += `M${n3(x(t))} ${f.y1}v-1.5M${n3(x(t))} ${f.y0}v1.5`;
            out.push(['text', x(t), f.y1 + 0.9 * cs + 1.2, 0.9 * cs, 'middle', String(t), 0]);
        }
    for (const p of ticks(d.pAxis[0], d.pAxis[1])) {
        axes += `M${f.x0} ${n3(y(p))}h1.5M${f.x1} ${n3(y(p))}h-1.5`;
        out.push(['text', f.x0 - 1.5, y(p) + 0.3 * cs, 0.9 * cs, 'end', String(p), 0]);
    }
    out.push(['path', axes, diagramInk, 0.25, '']);
    out.push(['text', (f.x0 + f.x1) / 2, f.y1 + (d.sampleAxis ? 1.4 : 2.6) * cs + 1.5, cs, 'middle', d.tLabel, 0]);
    out.push(['text', f.x0 - 4.3 * cs, (f.y0 + f.y1) / 2, cs, 'middle', 'P (kbar)', -90]);

    // Ellipses and bars, then the marks above them, then the names above everything. The
    // 2σ line is as dark as the 1σ one (a lighter line fades below 3:1 on white), dashed and
    // thinner.
    const path = (start, end) => {
        let s = '';
        for (let i = start; i < end; i += 2) s += `${i === start ? 'M' : 'L'}${d.points[i].toFixed(2)} ${d.points[i + 1].toFixed(2)}`;
        return s;
    };
    const bar = (b, width, cap) => {
        let s = `M${n3(b.x)} ${n3(b.y0)}V${n3(b.y1)}`;
        if (cap) for (const yy of [b.y0, b.y1]) s += `M${n3(b.x - cap / 2)} ${n3(yy)}h${cap}`;
        return ['path', s, diagramDark, width, ''];
    };
    // A thermometer's marker: its outline from the module, about (cx, cy).
    const marker = (colour, cx, cy) => {
        const o = d.markers[colour % d.markers.length];
        let s = '';
        for (let i = 0; i < o.length; i += 2) s += `${i ? 'L' : 'M'}${(cx + o[i]).toFixed(2)} ${(cy + o[i + 1]).toFixed(2)}`;
        return ['fill', `${s}Z`, d.thermometerColours[colour % d.thermometerColours.length]];
    };
    // With thermometers, each sample's barometer line beneath everything else, and each
    // intersection's 1σ ellipse and marker in the thermometer's colour.
    for (const m of d.marks)
        if (m.barometer) {
            const [x1, y1, x2, y2] = m.barometer.map(n3);
            out.push(['path', `M${x1} ${y1}L${x2} ${y2}`, diagramBarometer, 0.25, '']);
        }
    for (const m of d.marks) {
        if (m.ellipse2) out.push(['path', path(...m.ellipse2), diagramDark, 0.25, '1.6 1']);
        if (m.ellipse1) out.push(['path', path(...m.ellipse1), diagramDark, 0.4, '']);
        if (m.bar2) out.push(bar(m.bar2, 0.25, 2));
        if (m.bar1) out.push(bar(m.bar1, 0.75, 0));
    }
    for (const m of d.marks)
        for (const x of m.intersections ?? [])
            if (x.ellipse1) out.push(['path', path(...x.ellipse1), d.thermometerColours[x.colour % d.thermometerColours.length], 0.3, '']);
    for (const m of d.marks) out.push(['circle', m.x, m.y, 0.9, diagramInk]);
    for (const m of d.marks) for (const x of m.intersections ?? []) out.push(marker(x.colour, x.x, x.y));
    for (const m of d.marks) {
        if (!m.box) continue; // no room for the name
        if (m.leader) {
            const [x1, y1, x2, y2] = m.leader.map(n3);
            out.push(['path', `M${x1} ${y1}L${x2} ${y2}`, diagramGrey, 0.15, '']);
        }
        const b = m.box, h = b.y1 - b.y0;
        out.push(['rect', b.x0, b.y0 + 0.1 * h, b.x1 - b.x0, 0.8 * h, 'rgba(255,255,255,0.8)']);
        out.push(['text', b.x0 + d.labelInset, (b.y0 + b.y1) / 2 + 0.35 * d.labelSize * 0.8, d.labelSize, 'start', m.label, 0]);
    }

    // Legend in the lower margin, a row for each entry where the layout puts it.
    for (const e of d.legend) {
        const x0 = e.x, yy = e.y;
        const line = `M${n3(x0)} ${n3(yy)}h8`;
        if (e.kind === 'mark') out.push(['circle', x0 + 4, yy, 0.9, diagramInk]);
        else if (e.kind === 'ellipse1') out.push(['path', line, diagramDark, 0.4, '']);
        else if (e.kind === 'ellipse2') out.push(['path', line, diagramDark, 0.25, '1.6 1']);
        else if (e.kind === 'bar1') out.push(['path', line, diagramDark, 0.75, '']);
        else if (e.kind === 'barometer') out.push(['path', line, diagramBarometer, 0.25, '']);
        else if (e.kind === 'thermometer') out.push(marker(e.colour, x0 + 4, yy));
        else out.push(['path', line, diagramDark, 0.25, '']);
        out.push(['text', x0 + 11, yy + 0.3 * 0.8 * cs, 0.8 * cs, 'start', e.text, 0]);
    }
    return out;
}

const escapeXml = (s) => s.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);

function svgShape(s) {
    switch (s[0]) {
        case 'rect':
            return `<rect x="${n3(s[1])}" y="${n3(s[2])}" width="${n3(s[3])}" height="${n3(s[4])}" fill="${s[5]}"/>`;
        case 'path':
            return `<path d="${s[1]}" fill="none" stroke="${s[2]}" stroke-width="${s[3]}"${s[4] ? ` stroke-dasharray="${s[4]}"` : ''}/>`;
        case 'circle':
            return `<circle cx="${n3(s[1])}" cy="${n3(s[2])}" r="${s[3]}" fill="${s[4]}"/>`;
        case 'fill':
            return `<path d="${s[1]}" fill="${s[2]}"/>`;
        default: {
            const anchor = s[4] === 'start' ? '' : ` text-anchor="${s[4]}"`;
            const place = s[6] ? `transform="translate(${n3(s[1])} ${n3(s[2])}) rotate(${s[6]})"` : `x="${n3(s[1])}" y="${n3(s[2])}"`;
            return `<text ${place} font-size="${n3(s[3])}"${anchor}>${escapeXml(s[5])}</text>`;
        }
    }
}

// The SVG file, its size in mm (`widthMm` wide), its units the diagram's mm.
function diagramSvg(d, shapes, widthMm) {
    const height = n3((widthMm * d.height) / d.width);
    const head = `<?xml version="1.0" encoding="UTF-8"?>\n<svg xmlns="http://www.w3.org/2000/svg" width="${widthMm}mm" height="${height}mm" viewBox="0 0 ${d.width} ${d.height}" font-family="${diagramFont}">\n<title>${escapeXml(`P-T diagram: ${d.title}`)}</title>\n`;
    return new Blob([head, shapes.map(svgShape).join('\n'), '\n</svg>\n'], { type: 'image/svg+xml' });
}

// The shapes on a canvas (an OffscreenCanvas), `pxPerMm` pixels to the diagram's mm.
function diagramPaint(canvas, d, shapes, pxPerMm) {
    canvas.width = Math.round(d.width * pxPerMm);
    canvas.height = Math.round(d.height * pxPerMm);
    const g = canvas.getContext('2d');
    g.setTransform(canvas.width / d.width, 0, 0, canvas.height / d.height, 0, 0);
    for (const s of shapes) {
        switch (s[0]) {
            case 'rect':
                g.fillStyle = s[5];
                g.fillRect(s[1], s[2], s[3], s[4]);
                break;
            case 'path':
                g.strokeStyle = s[2];
                g.lineWidth = s[3];
                g.setLineDash(s[4] ? s[4].split(' ').map(Number) : []);
                g.stroke(new Path2D(s[1]));
                break;
            case 'circle':
                g.fillStyle = s[4];
                g.beginPath();
                g.arc(s[1], s[2], s[3], 0, 2 * Math.PI);
                g.fill();
                break;
            case 'fill':
                g.fillStyle = s[2];
                g.fill(new Path2D(s[1]));
                break;
            default:
                g.save();
                g.fillStyle = diagramInk;
                g.font = `${s[3]}px ${diagramFont}`;
                g.textAlign = s[4] === 'middle' ? 'center' : s[4];
                g.translate(s[1], s[2]);
                if (s[6]) g.rotate((s[6] * Math.PI) / 180);
                g.fillText(s[5], 0, 0);
                g.restore();
        }
    }
}

// The PNG, `widthMm` wide at `dpi`, with its resolution written in (a pHYs chunk after the
// header), so that a journal's tools size it as meant.
async function diagramPng(d, shapes, widthMm, dpi) {
    const canvas = new OffscreenCanvas(1, 1);
    diagramPaint(canvas, d, shapes, ((widthMm / d.width) * dpi) / 25.4);
    const bytes = new Uint8Array(await (await canvas.convertToBlob({ type: 'image/png' })).arrayBuffer());
    const chunk = new Uint8Array(21);
    const view = new DataView(chunk.buffer);
    const perMetre = Math.round(dpi / 0.0254);
    view.setUint32(0, 9);
    chunk.set([0x70, 0x48, 0x59, 0x73], 4); // pHYs
    view.setUint32(8, perMetre);
    view.setUint32(12, perMetre);
    chunk[16] = 1; // the unit: the metre
    view.setUint32(17, crc32(chunk.subarray(4, 17)));
    const ihdrEnd = 8 + 25; // the signature, then IHDR: length, type, 13 bytes, CRC
    return new Blob([bytes.subarray(0, ihdrEnd), chunk, bytes.subarray(ihdrEnd)], { type: 'image/png' });
}

// CRC-32 of a PNG chunk (ISO 3309, as the PNG standard gives it).
function crc32(bytes) {
    let c = ~0;
    for (const b of bytes) {
        c ^= b;
        for (let k = 0; k < 8; k++) c = (c >>> 1) ^ (0xedb88320 & -(c & 1));
    }
    return ~c >>> 0;
}
