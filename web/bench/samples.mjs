// A batch of n eclogites for the benchmarks: the example suite's six samples with results,
// their FeO, MnO, MgO, CaO and Na2O scaled by up to two per cent, differently for every copy,
// so that the samples spread over the diagram as a real suite does. (Some copies get Powell
// temperatures far from their original's: the charge-balance estimate of Fe3+ in omphacite
// moves much with small changes.)
import { readFileSync } from 'node:fs';

export function suiteBatch(suitePath, n) {
    const lines = readFileSync(suitePath, 'latin1').split(/\r?\n/).filter((l) => l.trim());
    const byName = new Map();
    for (const l of lines.slice(1)) {
        const f = l.trim().split(/\s+/);
        if (f[1] === 'RT2') continue; // no result: no Mg in its garnet
        if (!byName.has(f[1])) byName.set(f[1], []);
        byName.get(f[1]).push(f);
    }
    const samples = [...byName.values()];
    let state = 12345; // a fixed linear congruential stream: the same batch every run
    const next = () => ((state = (state * 1103515245 + 12345) % 2147483648) / 2147483648);
    const out = [lines[0]];
    for (let i = 0; i < n; i++) {
        for (const f of samples[i % samples.length]) {
            const g = f.slice();
            g[1] = `${f[1]}-${i + 1}`;
            for (let k = 10; k < 15; k++) g[k] = (Number(f[k]) * (0.98 + 0.04 * next())).toFixed(2);
            out.push(g.join(' '));
        }
    }
    return new TextEncoder().encode(out.join('\r\n') + '\r\n');
}
