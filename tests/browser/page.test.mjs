// The page as a person uses it, apart from the numbers: refused input, the link that
// repeats a run, the keyboard, and what axe-core finds.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import * as h from './harness.mjs';

const MARKUP = '<img src=x onerror="window.eingeschleust=1">';

let browser;
before(async () => { browser = await h.launch(); });
after(async () => { await browser?.close(); });

// A fresh tab for each test, closed whatever happens.
async function with_page(fragment, body) {
    const page = await h.open(browser, fragment);
    try {
        await body(page);
        assert.deepEqual(page.errors, []);
    } finally {
        await page.close();
    }
}

// Nothing of a text the user gave became markup or script.
async function nothing_injected(page) {
    assert.deepEqual(await page.evaluate(() => ({
        images: document.querySelectorAll('img').length,
        ran: window.eingeschleust ?? null,
    })), { images: 0, ran: null });
}

const no_download = async (page) => assert.equal(await page.$('a[download]'), null);

// Input quarlen refuses: its own message, as an alert; nothing runs, nothing offered.
const REFUSED = [
    { name: 'a formula that does not parse', values: { f: 'x^^2' } },
    { name: 'a formula with markup in it', values: { f: MARKUP } },
    { name: 'an interval end that is no number', values: { a: 'zehn' } },
    { name: 'a start value that is no number', values: { 'fixpunkt-x0': '4 5' } },
    { name: 'a negative tolerance', values: { toleranz: '-1' } },
    { name: 'a derivative of a formula that is not there', values: { f: '', ableitung: '2*x' } },
];

for (const refused of REFUSED) {
    test(`refused: ${refused.name}`, () => with_page('', async (page) => {
        await no_download(page);
        await h.fill(page, refused.values);
        const expected = h.native_refusal(await h.form(page));
        assert.equal(expected.status, 2, 'quarlen takes it');
        await page.click('#rechnen');
        assert.equal(await h.ended(page), 'abgelehnt');
        const alert = await h.text(page, '[role="alert"]');
        assert.ok(alert?.includes(expected.message), `alert "${alert}", quarlen: ${expected.message}`);
        assert.equal(await page.$('[id^="ergebnis-"]'), null, 'a method ran');
        await no_download(page);
        await nothing_injected(page);
    }));
}

// Links that must open the page with these values: copied after typing them and running
// (the address showing each of KEPT as it stands), or written by hand.
const LINKS = [
    {
        name: 'copied after a run, 1e-10 and a formula with blanks kept readable',
        typed: { f: 'x^3 - 2*x - 5', g: '(2*x + 5)^(1/3)', toleranz: '1e-10', 'max-schritte': '40',
            a: '0,5', b: '3', 'newton-x0': '+2', 'fixpunkt-x0': '2.50' },
        methods: ['regula-falsi', 'newton', 'steffensen'],
        kept: ['g=(2*x%20+%205)^(1/3)&', 'toleranz=1e-10&', 'newton-x0=+2&'],
    },
    { name: 'copied, with what a link must escape', typed: { ableitung: '2 & x = 1 # 100%' },
        kept: ['ableitung=2%20%26%20x%20%3D%201%20%23%20100%25&'] },
    { name: 'written by hand, + a plus', fragment: 'f=x^2+1-3&m=newton',
        values: { f: 'x^2+1-3' }, methods: ['newton'] },
    { name: 'written by hand, escaped, = in a value, a broken escape taken as written',
        fragment: 'g=x%20%2B%201%3D&toleranz=1e-3=&f=x%E0%A4%A&b=%zz',
        values: { g: 'x + 1=', toleranz: '1e-3=', f: 'x%E0%A4%A', b: '%zz' } },
];

for (const link of LINKS) {
    test(`a link opens the page with the same values: ${link.name}`, async () => {
        let { fragment } = link;
        let expected = link;
        if (link.typed) {
            await with_page('', async (page) => {
                await h.fill(page, link.typed, link.methods);
                await page.click('#rechnen');
                await h.ended(page);
                fragment = new URL(page.url()).hash.slice(1);
                expected = await h.form(page);
            });
            for (const kept of link.kept) assert.ok(fragment.includes(kept), `no ${kept} in #${fragment}`);
        }
        await with_page(fragment, async (page) => {
            const { values, methods } = await h.form(page);
            for (const [id, value] of Object.entries(expected.values)) assert.equal(values[id], value, id);
            if (expected.methods) assert.deepEqual(methods, expected.methods);
            await no_download(page);
        });
    });
}

// An empty formula field's hint, typed in, gives the steps of the field left empty: the
// logs' records alike (their header names a typed formula).
const HINTS = [
    { name: 'f and g empty', values: {} },
    { name: 'g empty under a typed f', values: { f: 'cos(x) - x', 'fixpunkt-x0': '0' },
        methods: ['fixpunkt', 'steffensen'] },
];
const records = (run) => Object.entries(run.logs).map(([name, log]) =>
    [name, log.toString().replace(/^.*\n/, '')]);

for (const hint of HINTS) {
    test(`an empty formula field's hint is what it stands for: ${hint.name}`, () =>
        with_page('', async (page) => {
            await h.fill(page, hint.values, hint.methods);
            const empty = await h.form(page);
            const hinted = structuredClone(empty);
            for (const id of ['f', 'g'].filter((id) => empty.values[id] === '')) {
                hinted.values[id] = (await page.$eval(`#${id}`, (field) => field.placeholder))
                    .replace(/^leer: /, '');
            }
            assert.deepEqual(records(h.native(hinted, false)), records(h.native(empty, false)));
        }));
}

test('a link is text: markup in the fragment stays in the fields', async () => {
    let link;
    await with_page('', async (page) => {
        await h.fill(page, { f: MARKUP, g: '</script><script>window.eingeschleust=2</script>' });
        link = new URL(page.url()).hash.slice(1);
    });
    await with_page(link, async (page) => {
        const { values } = await h.form(page);
        assert.equal(values.f, MARKUP);
        await nothing_injected(page);
    });
    for (const fragment of [encodeURIComponent(MARKUP), MARKUP, `f=${encodeURIComponent(MARKUP)}`,
        '%E0%A4%A', '&&==&', `${link}&${link}`]) {
        await with_page(fragment, nothing_injected);
    }
});

test('the keyboard reaches every control, ticks a box, and Enter runs', () =>
    with_page('', async (page) => {
        const reached = new Set();
        for (let i = 0; i < 3 * h.CONTROLS.length; i++) {
            await page.keyboard.press('Tab');
            reached.add(await page.evaluate(() => document.activeElement?.id));
        }
        assert.deepEqual(h.CONTROLS.filter((id) => !reached.has(id)), []);

        await page.focus('#m-sekante');
        const before_space = await page.$eval('#m-sekante', (box) => box.checked);
        await page.keyboard.press('Space');
        assert.equal(await page.$eval('#m-sekante', (box) => box.checked), !before_space);

        await page.focus('#fixpunkt-x0');
        await page.keyboard.press('Enter');
        assert.equal(await h.ended(page), 'fertig');
        assert.ok(await page.$('a#log-fixpunkt[download]'), 'Enter ran nothing');
    }));

test('axe-core finds nothing serious, before and after a run', () =>
    with_page('', async (page) => {
        assert.deepEqual(await h.serious_violations(page), []);
        await page.click('#rechnen');
        assert.equal(await h.ended(page), 'fertig');
        assert.deepEqual(await h.serious_violations(page), []);
    }));
