// The page's division of quarlen's console among the methods, tried on the console of
// the native program: each method's records must be the lines of its own log, and all
// parts together the console itself, however the writes cut the lines.
//
//   node console_split.js WORKER_JS NATIVE_QUARLEN
'use strict';
const assert = require('assert');
const {spawnSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const [workerScript, quarlen] = process.argv.slice(2).map((p) => path.resolve(p));
const {Console, HEAD_LINES, TAIL_LINES} = require(workerScript);

// Each method as the page describes it to the worker; its log by quarlen's naming.
const METHOD = {
    bisektion: ['bisec_f1.dat', true], 'regula-falsi': ['regfa_f1.dat', true],
    illinois: ['illin_f1.dat', true], newton: ['newto_f1.dat', false],
    sekante: ['sekan_f1.dat', false], fixpunkt: ['fixpk_f1.dat', false],
    steffensen: ['steff_f1.dat', false],
};

const CASES = [
    {name: 'default run', methods: 'bisektion:3 newton:1 fixpunkt:1', input: '0 10 4 4'},
    {name: 'all seven, shared values asked once', input: '0 10 0 0 10 0',
     methods: 'bisektion:3 regula-falsi:0 illinois:0 newton:1 sekante:3 fixpunkt:1 steffensen:0'},
    {name: 'typed functions, step limit and a breakdown (status 1)', input: '2 3 2 2 3 2',
     args: ['--funktion=x^3 - 2x - 5', '--toleranz=1e-10', '--max-schritte=20'], preamble: 2,
     methods: 'bisektion:3 regula-falsi:0 illinois:0 newton:1 sekante:3 fixpunkt:1 steffensen:0'},
    {name: 'methods out of their groups', methods: 'illinois:3 steffensen:1', input: '0 10 0'},
    {name: 'a long run: first and last lines kept', methods: 'sekante:3 fixpunkt:1',
     input: '0 10 900', args: ['--max-schritte=3000']},
];

// A repeatable mix of write sizes, from a single byte to more than quarlen's blocks of
// 64 KiB, so that lines and characters are cut anywhere.
function* pieces(bytes)
{
    let seed = 12345;
    for (let at = 0; at < bytes.length;) {
        seed = (seed * 1103515245 + 12345) % 2147483648;
        const size = 1 + [seed % 7, seed % 9000, seed % 80000][seed % 3];
        yield bytes.subarray(at, at + size);
        at += size;
    }
}

const linesOf = (text) => text.split('\n').slice(0, -1);

let failures = 0;
for (const c of CASES) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'console-split-'));
    try {
        const plans = c.methods.split(' ').map((m) => {
            const [name, prompts] = m.split(':');
            return {name, prompts: Number(prompts), bracketing: METHOD[name][1]};
        });
        const args = (c.args || []).concat(`--verfahren=${plans.map((s) => s.name).join(',')}`);
        const run = spawnSync(quarlen, args, {cwd: dir, input: c.input.split(' ').join('\n') + '\n'});
        assert.ok(run.status === 0 || run.status === 1, `quarlen ended with ${run.status}: ${run.stderr}`);

        const view = new Console(plans);
        for (const piece of pieces(new Uint8Array(run.stdout))) view.output(piece);
        const whole = linesOf(run.stdout.toString());
        assert.deepStrictEqual(view.preamble, whole.slice(0, c.preamble || 0), 'preamble');

        let seen = view.preamble.length;
        view.methods.forEach((m, i) => {
            const own = whole.slice(seen, seen + m.lines);
            seen += m.lines;
            const log = linesOf(fs.readFileSync(path.join(dir, METHOD[m.name][0]), 'utf8'));
            const records = own.slice(plans[i].prompts, plans[i].prompts + m.steps);
            assert.deepStrictEqual(records, log.slice(1), `${m.name}: its records are its log's`);
            assert.ok(own.slice(0, plans[i].prompts).every((l) => /^(Bitte|a= |b= |x0= |x1= )/.test(l)),
                      `${m.name}: starts with its prompts`);
            const after = m.lines - plans[i].prompts - m.steps;
            assert.strictEqual(after, plans[i].bracketing ? 1 : 0, `${m.name}: lines after its records`);
            const report = m.report();
            if (m.lines <= HEAD_LINES + TAIL_LINES) {
                assert.deepStrictEqual(report.head.concat(report.tail), own, `${m.name}: all its lines`);
            } else {
                assert.deepStrictEqual(report.head, own.slice(0, HEAD_LINES), `${m.name}: first lines`);
                assert.deepStrictEqual(report.tail, own.slice(-TAIL_LINES), `${m.name}: last lines`);
            }
        });
        assert.strictEqual(seen, whole.length, 'every line has its place');
        console.log(`ok   ${c.name}`);
    } catch (e) {
        failures += 1;
        console.log(`FAIL ${c.name}: ${e.message.slice(0, 1500)}`);
    } finally {
        fs.rmSync(dir, {recursive: true, force: true});
    }
}
process.exit(failures === 0 ? 0 : 1);
