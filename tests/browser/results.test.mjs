// Runs in the page against the native programs on the same values: every log offered
// for download, konvergenz's table, CSV and chart must be their bytes, and a method
// that ends without converging shows quarlen's message in its own section, marked.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { pathToFileURL } from 'node:url';

import * as h from './harness.mjs';

const CUBIC_STARTS = { a: '2', b: '3', 'newton-x0': '2', 'sekante-x0': '2', 'sekante-x1': '3',
    'fixpunkt-x0': '2' };

// How quarlen's messages name each method.
const SPOKEN = { bisektion: 'Bisektion', 'regula-falsi': 'Regula falsi',
    illinois: 'Illinois-Verfahren', newton: 'Newton-Verfahren', sekante: 'Sekantenverfahren',
    fixpunkt: 'Fixpunktiteration', steffensen: 'Steffensen-Verfahren' };

// VALUES are typed over the page's own; METHODS, when given, are the ticks.
const RUNS = [
    { name: 'the default run, as the page opens', values: {} },
    {
        name: 'all seven methods on a typed cubic and its fixed-point form, tolerance 1e-10',
        values: { f: 'x^3 - 2*x - 5', g: '(2*x + 5)^(1/3)', toleranz: '1e-10', ...CUBIC_STARTS },
        methods: h.METHODS,
    },
    {
        name: 'a typed derivative, g from f, and a step limit some methods end on',
        values: { f: 'cos(x) - x', ableitung: '-sin(x) - 1', toleranz: '1e-12',
            'max-schritte': '6', a: '0', b: '1', 'newton-x0': '0', 'sekante-x0': '0',
            'sekante-x1': '1', 'fixpunkt-x0': '0' },
        methods: ['regula-falsi', 'illinois', 'newton', 'sekante', 'steffensen'],
    },
    {
        name: 'values written as a person may write them: comma, exponent, blanks',
        values: { f: 'x^2 - 2', a: '0,5', b: ' 2E0', 'newton-x0': '1.', 'fixpunkt-x0': '1' },
        methods: ['bisektion', 'newton'],
    },
    { name: 'regula falsi and Illinois, asking for nothing, break down before their first line',
        values: { f: 'x^2+1', a: '1', b: '1' }, methods: ['bisektion', 'regula-falsi', 'illinois'] },
    { name: 'Steffensen, asking for nothing, breaks down before its first line',
        values: { f: 'x', g: 'sqrt(x)', 'fixpunkt-x0': '-1' }, methods: ['fixpunkt', 'steffensen'] },
];

// Only the page's own files and the blobs it makes: nothing from elsewhere.
function is_own(url) {
    return url.startsWith(pathToFileURL(h.SITE).href + '/') || url.startsWith('blob:')
        || url.startsWith('data:');
}

let browser;
before(async () => { browser = await h.launch(); });
after(async () => { await browser?.close(); });

for (const run of RUNS) {
    test(run.name, async (t) => {
        const page = await h.open(browser);
        try {
            await h.fill(page, run.values, run.methods);
            const values = await h.form(page);
            const expected = h.native(values);
            assert.ok(expected.quarlen.status <= 1, expected.quarlen.err);

            const started = performance.now();
            await page.click('#rechnen');
            await page.waitForSelector('[id^="ergebnis-"]', { timeout: 60000 });
            t.diagnostic(`first result ${Math.round(performance.now() - started)} ms after Rechnen`);
            assert.equal(await h.ended(page), 'fertig');
            // The last status line says in words whether every method converged.
            assert.match(await h.text(page, '#status'), expected.quarlen.status === 0
                ? /^Fertig nach [\d,]+ s: alle Verfahren haben konvergiert; quarlen endete/
                : /^Fertig nach [\d,]+ s: nicht jedes Verfahren hat konvergiert; quarlen endete/);

            const offered = await h.downloads(page);
            for (const method of values.methods) {
                const log = offered[`log-${method}`];
                assert.ok(log, `no log-${method}`);
                assert.ok(expected.logs[log.name], `log-${method} named ${log.name}`);
                assert.ok(log.bytes.equals(expected.logs[log.name]),
                    `log-${method} (${log.name}) differs from quarlen's`);
            }
            assert.deepEqual(Object.keys(offered).filter((id) => id.startsWith('log-')).sort(),
                values.methods.map((m) => `log-${m}`).sort());
            assert.equal(await h.text(page, 'pre#tabelle'), expected.table.toString());
            assert.ok(offered.csv?.bytes.equals(expected.csv), 'csv differs from konvergenz --csv');
            assert.ok(offered['diagramm-svg']?.bytes.equals(expected.chart),
                'diagramm-svg differs from konvergenz.svg');
            assert.equal(offered['diagramm-svg'].name, 'konvergenz.svg');
            assert.ok(await page.$('#diagramm svg'), 'no chart shown in #diagramm');

            // The sections' console lines are quarlen's, in its order, with no step left
            // out (these runs are too short for the page to shorten them).
            const console_lines = (await page.$$eval('[id^="ergebnis-"] pre',
                (pres) => pres.map((pre) => pre.textContent).join(''))).split('\n');
            const quarlen_lines = expected.quarlen.out.toString().split('\n');
            let at = 0;
            for (const line of console_lines.filter(Boolean)) {
                at = quarlen_lines.indexOf(line, at) + 1;
                assert.ok(at > 0, `not quarlen's line, or out of order: "${line}"`);
            }
            const steps = (lines) => lines.filter((line) => /^ +\d+ /.test(line)).length;
            assert.equal(steps(console_lines), steps(quarlen_lines), 'steps left out');

            // Each message of a method ending without convergence in that method's section
            // alone, and the sections of those methods, and no others, marked.
            const said = expected.quarlen.err.split('\n').filter(Boolean);
            const own = (m) => said.filter((line) => line.startsWith(`quarlen: ${SPOKEN[m]} `));
            assert.deepEqual(values.methods.flatMap(own).sort(), said.sort(), 'messages of no method');
            for (const m of values.methods) {
                assert.deepEqual(await page.$$eval(`#ergebnis-${m} .meldung .text`,
                    (spans) => spans.map((span) => span.textContent)), own(m), `ergebnis-${m}`);
                assert.equal(await page.$eval(`#ergebnis-${m}`,
                    (s) => s.classList.contains('nicht-konvergiert')), own(m).length > 0,
                    `ergebnis-${m} marked`);
            }
            assert.deepEqual(page.requests.filter((url) => !is_own(url)), []);
            assert.deepEqual(page.errors, []);
        } finally {
            await page.close();
        }
    });
}
