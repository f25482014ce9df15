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

test('a copied link opens the page with the same values, verbatim', async () => {
    const typed = { f: 'x^3 - 2*x - 5', toleranz: '1e-10', 'max-schritte': '40', a: '0,5',
        b: '3', 'newton-x0': '+2', 'fixpunkt-x0': '2.50' };
    let link;
    let values;
    await with_page('', async (page) => {
        await h.fill(page, typed, ['regula-falsi', 'newton', 'steffensen']);
        await page.click('#rechnen');
        await h.ended(page);
        link = new URL(page.url()).hash.slice(1);
        values = await h.form(page);
    });
    assert.ok(link.includes('1e-10'), `1e-10 not kept as such in #${link}`);
    await with_page(link, async (page) => {
        assert.deepEqual(await h.form(page), values);
        await no_download(page);
    });
});

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
