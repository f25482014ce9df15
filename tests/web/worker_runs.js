// The page's worker, taken out of the built page and run under node as the browser runs
// it: what it hands the page must be the native programs' bytes. The logs are put
// together from the writes it reports, where it reports them; konvergenz's table, CSV
// and charts come whole. Refused input must bring quarlen's own message and no run.
//
//   node worker_runs.js SITE_INDEX_HTML NATIVE_BUILD
'use strict';
const assert = require('assert');
const {spawnSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');

const [indexHtml, native] = process.argv.slice(2).map((p) => path.resolve(p));

// The page's inlined worker and modules, as the page's script declares them.
const page = fs.readFileSync(indexHtml, 'utf8');
const inlined = (name) => JSON.parse(page.match(new RegExp(`^const ${name} = (".*");$`, 'm'))[1]);
const SOURCE = inlined('WORKER_SOURCE');
const compiled = (name) => new WebAssembly.Module(zlib.gunzipSync(Buffer.from(inlined(name), 'base64')));
const MODULES = {quarlen: compiled('QUARLEN_WASM'), konvergenz: compiled('KONVERGENZ_WASM')};

// A fresh worker scope per run: the globals a browser's worker has and node lacks, and
// none of node's own.
// With `memory`, no buffer larger than that many bytes can be had, as when the browser
// grants no more; with `largest`, no file in memory may grow past that many bytes.
function startWorker(job, {memory, largest})
{
    const source = largest ? SOURCE.replace(/^const LARGEST_FILE = .*$/m, `const LARGEST_FILE = ${largest};`)
                           : SOURCE;
    assert.ok(!largest || source !== SOURCE, 'the worker names no largest file');
    return new Promise((resolve) => {
        const messages = [];
        const scope = {
            importScripts() {},
            location: {href: 'blob:null/worker'},
            postMessage(message) {
                messages.push(message);
                if (['abgelehnt', 'konvergenz', 'fehler'].includes(message.art)) resolve(messages);
            },
        };
        // No node in a browser: `process` and `require` are not there.
        class Bytes extends Uint8Array {
            constructor(...args) {
                if (memory && typeof args[0] === 'number' && args[0] > memory) {
                    throw new RangeError('Array buffer allocation failed');
                }
                super(...args);
            }
        }
        const worker = new Function('self', 'importScripts', 'location', 'postMessage', 'Uint8Array',
                                    'process', 'require', `${source}\nreturn onmessage;`);
        const onmessage = worker(scope, scope.importScripts, scope.location, scope.postMessage, Bytes);
        onmessage({data: {run: {quarlen: MODULES.quarlen, konvergenz: MODULES.konvergenz, ...job}}});
    });
}

const GROUP = {bisektion: 'ab', 'regula-falsi': 'ab', illinois: 'ab', newton: 'n', sekante: 's',
               fixpunkt: 'x', steffensen: 'x'};
const PROMPTS = {ab: 3, n: 1, s: 3, x: 1};

// The job the page makes of a form: options, the methods, the values one a line.
function job(c)
{
    const seen = new Set();
    const methods = c.methods.split(',').map((name) => {
        const first = !seen.has(GROUP[name]);
        seen.add(GROUP[name]);
        return {name, prompts: first ? PROMPTS[GROUP[name]] : 0, bracketing: GROUP[name] === 'ab'};
    });
    const args = (c.options || []).concat(`--verfahren=${c.methods}`);
    return {args, stdin: c.input.map((v) => `${v}\n`).join(''), methods};
}

function nativeRun(c, dir)
{
    const {args, stdin} = job(c);
    const run = (program, programArgs, input) =>
        spawnSync(path.join(native, program, program), programArgs, {cwd: dir, input});
    const quarlen = run('quarlen', args, stdin);
    if (quarlen.status === 2) return {quarlen};
    return {quarlen, table: run('konvergenz', [], ''), csv: run('konvergenz', ['--csv', '--kein-diagramm'], '')};
}

const CASES = [
    {name: 'the default run', methods: 'bisektion,newton,fixpunkt', input: [0, 10, 4, 4]},
    {name: 'all seven on a typed f, a step limit and a breakdown (status 1)',
     methods: 'bisektion,regula-falsi,illinois,newton,sekante,fixpunkt,steffensen',
     options: ['--funktion=x^3 - 2x - 5', '--toleranz=1e-10', '--max-schritte=20'],
     input: [2, 3, 2, 2, 3, 2]},
    {name: 'own derivative and g', methods: 'newton,fixpunkt,steffensen',
     options: ['--funktion=cos(x) - x', '--ableitung=-sin(x) - 1', '--fixpunkt=cos(x)'], input: ['0.5', '1e-1']},
    {name: 'a step limit that holds no method back', methods: 'newton,sekante',
     options: ['--max-schritte=50'], input: [4, 0, 10]},
    {name: 'a log written in several blocks', methods: 'fixpunkt', options: ['--max-schritte=3000'],
     input: [900]},
    {name: 'no memory for more of a log: quarlen ends as on a full disk', methods: 'newton,fixpunkt',
     options: ['--max-schritte=20000'], input: [4, 900], memory: 1.5 * 2 ** 20},
    {name: 'a log at the largest size a file may have: quarlen ends as on a full disk',
     methods: 'newton,fixpunkt', options: ['--max-schritte=20000'], input: [4, 900], largest: 2 ** 20},
    {name: 'refused: a formula', methods: 'newton', options: ['--funktion=x^2 +'], input: [1]},
    {name: 'refused: the last number', methods: 'bisektion,sekante', input: [0, 10, 0, '1O']},
    {name: 'refused: a number among others', methods: 'bisektion,newton', input: [0, 'zehn', 4]},
    {name: 'refused: a derivative without f', methods: 'newton', options: ['--ableitung=2x'], input: [1]},
    {name: 'refused: a step limit', methods: 'newton', options: ['--max-schritte=0'], input: [1]},
];

// Each log as the writes the worker reported leave it.
function logsFrom(messages)
{
    const logs = {};
    for (const m of messages.filter((m) => m.art === 'protokoll')) {
        const before = logs[m.datei] || Buffer.alloc(0);
        const after = Buffer.alloc(Math.max(before.length, m.stelle + m.bytes.length));
        before.copy(after);
        Buffer.from(m.bytes).copy(after, m.stelle);
        logs[m.datei] = after;
    }
    return logs;
}

// Out of memory or room for a log, quarlen must end with its own message and status 3,
// as on a full disk, the log holding whole records of the run as far as it got.
function full(messages, dir)
{
    const ended = messages.find((m) => m.art === 'quarlen-ende');
    assert.strictEqual(ended && ended.status, 3, 'quarlen\'s status');
    const progress = messages.filter((m) => m.art === 'fortschritt').pop();
    const fix = progress.verfahren.find((r) => r && r.name === 'fixpunkt');
    assert.match(fix.messages.join('\n'), /^quarlen: "fixpk_f1\.dat": .*kein Platz/m);
    const log = logsFrom(messages)['fixpk_f1.dat'];
    const whole = fs.readFileSync(path.join(dir, 'fixpk_f1.dat'));
    assert.ok(log.length > 0 && log.length < whole.length, `${log.length} of ${whole.length} bytes`);
    assert.ok(log.equals(whole.subarray(0, log.length)) && log[log.length - 1] === 10,
              'the log is the run\'s first records, whole');
}

async function check(c)
{
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'worker-runs-'));
    try {
        const expected = nativeRun(c, dir);
        const messages = await startWorker(job(c), c);
        const last = messages[messages.length - 1];
        if (c.memory || c.largest) return full(messages, dir);
        if (expected.quarlen.status === 2) {
            const lines = expected.quarlen.stderr.toString().trim().split('\n');
            assert.deepStrictEqual(last, {art: 'abgelehnt', text: lines[lines.length - 1]});
            assert.ok(!messages.some((m) => m.art === 'beginn' || m.art === 'protokoll'), 'nothing ran');
            return;
        }
        assert.strictEqual(last.art, 'konvergenz', last.text);
        const ended = messages.find((m) => m.art === 'quarlen-ende');
        assert.strictEqual(ended.status, expected.quarlen.status, 'quarlen\'s status');

        const logs = logsFrom(messages);
        const written = fs.readdirSync(dir).filter((name) => name.endsWith('.dat')).sort();
        assert.deepStrictEqual(Object.keys(logs).sort(), written, 'the logs written');
        for (const name of written) {
            assert.ok(logs[name].equals(fs.readFileSync(path.join(dir, name))), `${name} differs`);
        }
        assert.ok(Buffer.from(last.tabelle).equals(expected.table.stdout), 'the table differs');
        assert.ok(Buffer.from(last.csv).equals(expected.csv.stdout), 'the CSV differs');
        assert.strictEqual(last.status, expected.table.status, 'konvergenz\'s status');
        for (const chart of ['konvergenz.svg', 'verlauf.svg']) {
            assert.ok(Buffer.from(last.dateien[chart]).equals(fs.readFileSync(path.join(dir, chart))),
                      `${chart} differs`);
        }
    } finally {
        fs.rmSync(dir, {recursive: true, force: true});
    }
}

(async () => {
    let failures = 0;
    for (const c of CASES) {
        try {
            await check(c);
            console.log(`ok   ${c.name}`);
        } catch (e) {
            failures += 1;
            console.log(`FAIL ${c.name}: ${String(e.message).slice(0, 1500)}`);
        }
    }
    process.exit(failures === 0 ? 0 : 1);
})();
