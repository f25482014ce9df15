// Long runs: the fixed-point iteration from 900 takes four million steps. Left alone it
// completes with the page answering throughout and its log the native one; stopped, it
// must end within a second, keep what it has shown, and offer the log it had written so
// far: whole records only, each the native program's.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import * as h from './harness.mjs';

const LONG_RUN = { values: { 'fixpunkt-x0': '900' }, methods: ['fixpunkt'] };

let browser;
before(async () => { browser = await h.launch(); });
after(async () => { await browser?.close(); });

// The long run begun on a ready page, or while the page is still loading its programs
// (on a slow device), which must then hold the run's state once they are loaded, or in a
// browser that cannot read the log back, which must then say so in place of the link.
const STOPS = [
    { name: 'begun on a ready page' },
    { name: 'begun while the programs load', slow_compile: 5000 },
    { name: 'a log the browser cannot read', unreadable_blobs: true },
];

const UNREADABLE = 'Das Protokoll ist zu groß für diesen Browser und kann nicht angeboten werden.';

async function stopped_run(t, stop) {
    const page = await h.open(browser, '', stop);
    try {
        await h.fill(page, LONG_RUN.values, LONG_RUN.methods);
        const values = await h.form(page);
        assert.equal(await h.state(page), stop.slow_compile ? 'lädt' : 'bereit');
        await page.click('#rechnen');
        // Running, with steps counted, and Rechnen closed meanwhile.
        await page.waitForSelector('#ergebnis-fixpunkt pre', { timeout: 30000 });
        await new Promise((resolve) => setTimeout(resolve, 1000));
        assert.equal(await h.state(page), 'läuft');
        assert.equal(await page.$eval('#rechnen', (b) => b.disabled), true);

        // Stopped from the keyboard, as the button is the one control only a run enables.
        await page.focus('#anhalten');
        const clicked = performance.now();
        await page.keyboard.press('Enter');
        assert.equal(await h.ended(page, 5000), 'angehalten');
        const took = performance.now() - clicked;
        t.diagnostic(`stopped ${Math.round(took)} ms after Anhalten`);
        assert.ok(took < 1000, `the run went on for ${Math.round(took)} ms`);

        // Its worker is gone too. Chromium lets a busy worker it was told to end run for
        // up to two seconds more before cutting it off, hence the wider limit here.
        while (page.workers().length > 0 && performance.now() - clicked < 3000) {
            await new Promise((resolve) => setTimeout(resolve, 20));
        }
        t.diagnostic(`worker gone ${Math.round(performance.now() - clicked)} ms after Anhalten`);
        assert.equal(page.workers().length, 0, 'the run goes on in its worker');

        assert.deepEqual(await page.evaluate(() => ({
            rechnen: document.getElementById('rechnen').disabled,
            anhalten: document.getElementById('anhalten').disabled
                || document.getElementById('anhalten').offsetParent === null,
        })), { rechnen: false, anhalten: true });
        const shown = (await h.text(page, '#ergebnis-fixpunkt pre')) ?? '';
        assert.ok(shown.trim(), 'the steps shown so far are gone');
        const status = await h.text(page, '#status');
        if (stop.unreadable_blobs) {
            assert.equal(await page.$('a[download]'), null, 'a log offered that cannot be read');
            assert.equal(await h.text(page, '#log-fixpunkt-fehlt'), `fixpk_f1.dat: ${UNREADABLE}`);
            assert.match(status, /^Angehalten: Fixpunktiteration nach mindestens \d+ Schritten/);
            assert.deepEqual(page.errors, []);
            return;
        }

        const log = await h.download_digest(page, 'log-fixpunkt');
        assert.ok(log, 'no log-fixpunkt after the stop');
        assert.equal(log.last, 0x0a, 'the log ends inside a record');
        assert.ok(log.lines > 2, `only ${log.lines} lines kept`);
        assert.ok(log.lines < 4000000, 'the run was not stopped');
        t.diagnostic(`${log.lines} lines kept`);
        // The steps named are the log's: its records, the line before them aside.
        assert.ok(status.startsWith(`Angehalten: Fixpunktiteration nach ${log.lines - 1} Schritten;`), status);
        // A long run shows its first and last steps only, not a line of the page per step.
        const lines_shown = shown.split('\n').length;
        assert.ok(lines_shown < 1100, `${lines_shown} lines shown of ${log.lines}`);

        // The same steps natively, limited to as many as the page's log holds.
        const native = h.native({ ...values, values: { ...values.values,
            'max-schritte': String(log.lines) } }, false);
        const whole = native.logs[log.name];
        assert.ok(whole, `quarlen writes no ${log.name}`);
        assert.ok(whole.length >= log.size, 'the page kept more than quarlen writes');
        assert.equal(log.sha256, h.sha256(whole.subarray(0, log.size)),
            'the kept records are not the start of quarlen\'s log');
        assert.deepEqual(page.errors, []);
    } finally {
        await page.close();
    }
}

for (const stop of STOPS) {
    test(`Anhalten, from the keyboard, ends a long run within a second and keeps its whole records: ${stop.name}`,
        (t) => stopped_run(t, stop));
}

// Runs the browser cannot hold whole: quarlen ends, but a log cannot be offered, or it
// could not be written to the end (status 3, as on a full disk).
const LIMITS = [
    { name: 'no log can be read back', open: { unreadable_blobs: true }, status: '0',
        says: /^quarlen ist fertig; /, missing: ['bisektion', 'newton', 'fixpunkt'] },
    { name: 'no memory for more of a log', open: { memory: 1.5 * 2 ** 20 },
        values: { 'max-schritte': '20000', 'newton-x0': '4', 'fixpunkt-x0': '900' },
        methods: ['newton', 'fixpunkt'], status: '3',
        says: /^quarlen konnte ein Protokoll nicht schreiben; /, message: /fixpk_f1\.dat.*kein Platz/ },
];

for (const limit of LIMITS) {
    test(`a run beyond what the browser holds ends and says so: ${limit.name}`, async () => {
        const page = await h.open(browser, '', limit.open);
        try {
            await h.fill(page, limit.values ?? {}, limit.methods);
            // The status line as quarlen ends, before konvergenz's figures replace it.
            await page.evaluate(() => {
                window.gesagt = [];
                new MutationObserver(() => window.gesagt.push(document.getElementById('status').textContent))
                    .observe(document.getElementById('status'), { childList: true, characterData: true, subtree: true });
            });
            await page.click('#rechnen');
            assert.equal(await h.ended(page), 'fertig');
            assert.equal(await page.evaluate(() => document.body.dataset.status), limit.status);
            assert.ok((await page.evaluate(() => window.gesagt)).some((said) => limit.says.test(said)));
            for (const m of limit.missing ?? []) {
                assert.equal(await page.$(`#log-${m}`), null, `log-${m} offered`);
                assert.match(await h.text(page, `#log-${m}-fehlt`), new RegExp(`${UNREADABLE}$`));
            }
            if (limit.message) assert.match(await h.text(page, '#ergebnis-fixpunkt .meldungen'), limit.message);
            assert.deepEqual(page.errors, []);
        } finally {
            await page.close();
        }
    });
}

test('four million steps complete, the page answering throughout, the log quarlen\'s', async (t) => {
    const page = await h.open(browser);
    try {
        await h.fill(page, LONG_RUN.values, LONG_RUN.methods);
        const values = await h.form(page);
        const started = performance.now();
        await page.click('#rechnen');
        // The page's own thread is asked again and again while the worker computes.
        let slowest = 0;
        for (;;) {
            const asked = performance.now();
            const now = await h.state(page);
            slowest = Math.max(slowest, performance.now() - asked);
            if (h.ENDED.includes(now)) break;
            assert.ok(performance.now() - started < 120000, 'the run does not end');
            await new Promise((resolve) => setTimeout(resolve, 100));
        }
        t.diagnostic(`ended after ${Math.round(performance.now() - started)} ms; the page `
            + `answered within ${Math.round(slowest)} ms throughout`);
        assert.equal(await h.state(page), 'fertig');
        assert.ok(slowest < 1000, `the page did not answer for ${Math.round(slowest)} ms`);

        const log = await h.download_digest(page, 'log-fixpunkt');
        const native = h.native(values, false);
        assert.ok(log.lines > 4000000, `${log.lines} lines`);
        assert.equal(log.sha256, h.sha256(native.logs[log.name]), 'the log differs from quarlen\'s');
        assert.deepEqual(page.errors, []);
    } finally {
        await page.close();
    }
});
