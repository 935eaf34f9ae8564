// The P-T figure drawn in the worker: laid out by the module with the rules of the PLplot
// pictures (scene, sizes in points at the figure's width, names placed clear), in mm on its
// page; drawn here: each calibration in its colour and marker, spreads black, barometer lines
// and reactions grey. The drawing is a list of shapes, painted on the page's canvas and on the
// PNG's, and written as the SVG file, all off the page's thread.

const diagramInk = '#000', diagramGrey = 'rgb(110,110,110)';
const diagramBarometer = 'rgb(100,100,100)', diagramReaction = 'rgb(140,140,140)';
const diagramFont = 'DejaVu Sans, Verdana, Arial, sans-serif';
const ptMm = 25.4 / 72; // line widths are given in points

const n3 = (v) => +v.toFixed(3);

// The ticks of a step over a range.
function ticks(lo, hi, step) {
    const out = [];
    for (let v = Math.ceil(lo / step - 1e-9) * step; v <= hi + step * 1e-9; v += step) out.push(+v.toFixed(10));
    return out;
}

// The shapes, in drawing order: ['rect', x, y, w, h, fill], ['path', d, stroke, width,
// dash], ['circle', x, y, r, fill], ['text', x, y, size, anchor, text, turn], ['fill', d,
// fill] (a closed outline filled).
export function diagramShapes(d) {
    const out = [];
    const sz = d.sizes;
    out.push(['rect', 0, 0, d.width, d.height, '#fff']);
    if (d.title) out.push(['text', d.width / 2, d.titleY, sz.title, 'middle', d.title, 0]);

    // Each frame: box, ticks inside, numbers and titles outside where the layout asks.
    for (const f of d.frames) {
        const x = (t) => f.x0 + ((t - d.tAxis[0]) / (d.tAxis[1] - d.tAxis[0])) * (f.x1 - f.x0);
        const y = (p) => f.y1 - ((p - d.pAxis[0]) / (d.pAxis[1] - d.pAxis[0])) * (f.y1 - f.y0);
        let axes = `M${n3(f.x0)} ${n3(f.y0)}H${n3(f.x1)}V${n3(f.y1)}H${n3(f.x0)}Z`;
        // Numbers with the decimals of their step, all alike: 1.5, 2.0, 2.5.
        const decimals = (step) => (step >= 1 ? 0 : Math.ceil(-Math.log10(step) - 1e-9));
        if (!d.sampleAxis)
            for (const t of ticks(d.tAxis[0], d.tAxis[1], d.tStep)) {
                axes += `M${n3(x(t))} ${n3(f.y1)}v-1.2M${n3(x(t))} ${n3(f.y0)}v1.2`;
                if (f.tNumbers) out.push(['text', x(t), f.y1 + 0.8 + 0.75 * sz.tick, sz.tick, 'middle', t.toFixed(decimals(d.tStep)), 0]);
            }
        for (const p of ticks(d.pAxis[0], d.pAxis[1], d.pStep)) {
            axes += `M${n3(f.x0)} ${n3(y(p))}h1.2M${n3(f.x1)} ${n3(y(p))}h-1.2`;
            if (f.pNumbers) out.push(['text', f.x0 - 0.8, y(p) + 0.35 * sz.tick, sz.tick, 'end', p.toFixed(decimals(d.pStep)), 0]);
        }
        out.push(['path', axes, diagramInk, 0.6 * ptMm, '']);
        if (f.tNumbers) out.push(['text', (f.x0 + f.x1) / 2, f.y1 + 1.6 + sz.tick + 0.75 * sz.axisTitle, sz.axisTitle, 'middle', d.tLabel, 0]);
        if (f.pNumbers) out.push(['text', f.x0 - 1.8 - 2 * sz.tick, (f.y0 + f.y1) / 2, sz.axisTitle, 'middle', d.pLabel, -90]);
    }

    const path = ([start, end]) => {
        let s = '';
        for (let i = start; i < end; i += 2) s += `${i === start ? 'M' : 'L'}${d.points[i].toFixed(2)} ${d.points[i + 1].toFixed(2)}`;
        return s;
    };
    const colour = (k) => d.thermometerColours[k % d.thermometerColours.length];
    // A calibration's marker: its outline from the module, about (cx, cy).
    const marker = (k, cx, cy, scale) => {
        const o = d.markers[k % d.markers.length];
        let s = '';
        for (let i = 0; i < o.length; i += 2) s += `${i ? 'L' : 'M'}${(cx + scale * o[i]).toFixed(2)} ${(cy + scale * o[i + 1]).toFixed(2)}`;
        return ['fill', `${s}Z`, colour(k)];
    };
    // Reactions and barometer lines beneath everything, then densities or spreads, the marks,
    // the names and labels.
    for (const r of d.reactions) out.push(['path', path(r), diagramReaction, 0.6 * ptMm, d.reactionDash]);
    for (const m of d.marks) if (m.lowestPressure) out.push(['path', path(m.lowestPressure), diagramReaction, 0.6 * ptMm, d.lowestPressureDash]);
    for (const m of d.marks) if (m.barometer) out.push(['path', path(m.barometer), diagramBarometer, 0.4 * ptMm, '']);
    for (const b of d.bins) {
        let s = '';
        for (let k = 0; k < 6; k++) {
            const a = ((30 + 60 * k) * Math.PI) / 180;
            s += `${k ? 'L' : 'M'}${(b.x + d.hexRadius * Math.cos(a)).toFixed(2)} ${(b.y + d.hexRadius * Math.sin(a)).toFixed(2)}`;
        }
        const rgb = b.colour < 0 ? 'rgb(60,60,60)' : colour(b.colour);
        out.push(['fill', `${s}Z`, rgb.replace('rgb(', 'rgba(').replace(')', `,${(0.15 + 0.75 * b.weight).toFixed(2)})`)]);
    }
    for (const m of d.marks) {
        if (m.ellipse1) out.push(['path', path(m.ellipse1), diagramInk, 0.75 * ptMm, '']);
        if (m.bar1) {
            const [bx, y0, y1] = m.bar1.map(n3);
            out.push(['path', `M${bx} ${y0}V${y1}M${n3(bx - 0.6)} ${y0}h1.2M${n3(bx - 0.6)} ${y1}h1.2`, diagramInk, 0.75 * ptMm, '']);
        }
        for (const x of m.intersections) if (x.ellipse1) out.push(['path', path(x.ellipse1), colour(x.colour), 0.75 * ptMm, '']);
    }
    // The thin lines from each value as entered to the mean of its runs, beneath the marks.
    const joined = ([x1, y1, x2, y2]) => `M${n3(x1)} ${n3(y1)}L${n3(x2)} ${n3(y2)}`;
    for (const m of d.marks) {
        if (m.centre) out.push(['path', joined(m.centre), diagramInk, 0.4 * ptMm, '']);
        for (const x of m.intersections) if (x.centre) out.push(['path', joined(x.centre), colour(x.colour), 0.4 * ptMm, '']);
    }
    for (const m of d.marks) if (m.point) out.push(['circle', m.x, m.y, d.sampleRadius * d.markScale, diagramInk]);
    for (const m of d.marks) for (const x of m.intersections) out.push(marker(x.colour, x.x, x.y, d.markScale));
    for (const m of d.marks) {
        if (d.frames.length > 1) {
            const f = d.frames[m.frame];
            out.push(['text', f.x0 + 1.5, f.y0 + 1.5 + 0.75 * sz.name, sz.name, 'start', m.label, 0]); // below the ticks
            continue;
        }
        if (!m.box) continue; // no room for the name
        if (m.leader) {
            const [x1, y1, x2, y2] = m.leader.map(n3);
            out.push(['path', `M${x1} ${y1}L${x2} ${y2}`, diagramGrey, 0.35 * ptMm, '']);
        }
        const b = m.box;
        out.push(['text', b.x0 + d.labelInset, (b.y0 + b.y1) / 2 + 0.35 * sz.name, sz.name, 'start', m.label, 0]);
    }
    for (const t of d.reactionLabels) out.push(['text', t.x, t.y, t.size, 'start', t.text, t.angle]);

    // The legend below the frames, each entry where the layout puts it.
    for (const e of d.legend) {
        const mid = e.x + d.legendSymbol / 2, yy = e.y;
        if (e.kind === 'mark') out.push(['circle', mid, yy, d.sampleRadius, diagramInk]);
        else if (e.kind === 'ellipse1' || e.kind === 'ellipse2') {
            let s = '';
            for (let k = 0; k <= 32; k++) {
                const a = (2 * Math.PI * k) / 32;
                s += `${k ? 'L' : 'M'}${(mid + 2 * Math.cos(a)).toFixed(2)} ${(yy + 0.9 * Math.sin(a)).toFixed(2)}`;
            }
            out.push(['path', s, diagramInk, 0.75 * ptMm, '']);
        } else if (e.kind === 'bar1' || e.kind === 'bar2') out.push(['path', `M${n3(mid)} ${n3(yy - 1.2)}v2.4`, diagramInk, 0.75 * ptMm, '']);
        else if (e.kind === 'barometer') out.push(['path', `M${n3(e.x)} ${n3(yy)}h${d.legendSymbol}`, diagramBarometer, 0.4 * ptMm, '']);
        else if (e.kind === 'thermometer') out.push(marker(e.colour, mid, yy, 1));
        else if (e.kind === 'lowestPressure') out.push(['path', `M${n3(e.x)} ${n3(yy)}h${d.legendSymbol}`, diagramReaction, 0.6 * ptMm, d.lowestPressureDash]);
        else if (e.kind === 'centre') {
            out.push(['path', `M${n3(e.x)} ${n3(yy)}h${d.legendSymbol}`, diagramInk, 0.4 * ptMm, '']);
            out.push(['circle', e.x + 0.6, yy, d.sampleRadius, diagramInk]);
        }
        else out.push(['circle', mid, yy, 1.1, 'rgba(60,60,60,0.5)']);
        out.push(['text', e.x + d.legendSymbol + 0.8, yy + 0.35 * sz.legend, sz.legend, 'start', e.text, 0]);
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

// The SVG file at the figure's size in mm, its units the figure's mm.
export function diagramSvg(d, shapes) {
    const head = `<?xml version="1.0" encoding="UTF-8"?>\n<svg xmlns="http://www.w3.org/2000/svg" width="${n3(d.width)}mm" height="${n3(d.height)}mm" viewBox="0 0 ${n3(d.width)} ${n3(d.height)}" font-family="${diagramFont}">\n<title>P-T diagram</title>\n`;
    return new Blob([head, shapes.map(svgShape).join('\n'), '\n</svg>\n'], { type: 'image/svg+xml' });
}

// The shapes on a canvas (an OffscreenCanvas), `pxPerMm` pixels to the diagram's mm.
export function diagramPaint(canvas, d, shapes, pxPerMm) {
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

// The PNG at the figure's width at `dpi`, with its resolution written in (a pHYs chunk after
// the header), so that a journal's tools size it as meant.
export async function diagramPng(d, shapes, dpi) {
    const canvas = new OffscreenCanvas(1, 1);
    diagramPaint(canvas, d, shapes, dpi / 25.4);
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
