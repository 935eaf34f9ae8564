// The page's calculation under node: 1,000 samples with both Monte-Carlo passes, Powell
// temperatures: the table, then the diagram laid out, then the pairs file, as the page's
// worker makes them. Best of five runs after one to warm up.
//   node web/bench/bench.mjs build-web
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { suiteBatch } from './samples.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const build = resolve(process.argv[2] ?? 'build-web');
const factory = createRequire(import.meta.url)(join(build, 'web', 'varno96-module.js'));
const M = await factory();
const bytes = suiteBatch(join(here, '..', '..', 'examples', 'SUITE.PRN'), 1000);
const options = { model: '7', temperature: '650', powell: true, 'monte-carlo': true, seed: '-42' };
// Wall time, and the processor time of this process: on a machine shared with other work the
// second says more about the calculation.
const times = [], cpu = [], diagramTimes = [], pairsTimes = [];
for (let run = 0; run < 6; run++) {
    const start = performance.now(), startCpu = process.cpuUsage();
    const batch = new M.Batch([{ name: 'BENCH.PRN', bytes }], options, () => {});
    const r = batch.result();
    const ms = performance.now() - start, used = process.cpuUsage(startCpu);
    const diagram = batch.diagram();
    if (run > 0) diagramTimes.push(performance.now() - start);
    const pairs = batch.pairs();
    if (run > 0) pairsTimes.push(performance.now() - start);
    batch.delete();
    if (r.error || r.optionErrors || r.ok.length !== 1000 || r.failed !== 0 || !pairs || diagram.marks.length !== 1000)
        throw new Error(`benchmark batch failed: ${r.error ?? JSON.stringify(r.optionErrors ?? r.failed)}`);
    if (run > 0) times.push(ms), cpu.push((used.user + used.system) / 1000);
}
const median = (list) => list.sort((a, b) => a - b)[2].toFixed(0);
console.log(`node: 1000 samples, both Monte-Carlo passes: best ${Math.min(...times).toFixed(0)} ms, ` +
            `median ${median(times)} ms (processor time: best ${Math.min(...cpu).toFixed(0)} ms, median ${median(cpu)} ms); ` +
            `with the diagram laid out: best ${Math.min(...diagramTimes).toFixed(0)} ms; and the pairs file: best ` +
            `${Math.min(...pairsTimes).toFixed(0)} ms`);
