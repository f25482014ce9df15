// What every browser test shares: Debian's chromium driven by puppeteer-core, the page
// opened from disk as a student opens it, the page's state and downloads read back,
// and the native programs run on the same inputs for the bytes to compare with.
//
// The tests find their tools in the environment (CTest sets it):
//   QUARLEN_CHROMIUM  the browser (default /usr/bin/chromium)
//   QUARLEN_SITE      the built page's folder (build/web/site)
//   QUARLEN_NATIVE    the native build (build/web/native), with quarlen/quarlen and
//                     konvergenz/konvergenz
import { spawnSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import {
    closeSync, mkdirSync, mkdtempSync, openSync, readFileSync, readdirSync, rmSync,
    writeFileSync,
} from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

export const CHROMIUM = process.env.QUARLEN_CHROMIUM ?? '/usr/bin/chromium';
export const SITE = resolve(process.env.QUARLEN_SITE ?? 'build/web/site');
export const NATIVE = resolve(process.env.QUARLEN_NATIVE ?? 'build/web/native');
export const PAGE_URL = pathToFileURL(join(SITE, 'index.html')).href;

// The methods in quarlen's order, by their -m names, and what each asks for first.
export const METHODS = ['bisektion', 'regula-falsi', 'illinois', 'newton', 'sekante',
    'fixpunkt', 'steffensen'];
const STARTS = {
    bisektion: ['a', 'b'], 'regula-falsi': ['a', 'b'], illinois: ['a', 'b'],
    newton: ['newton-x0'], sekante: ['sekante-x0', 'sekante-x1'],
    fixpunkt: ['fixpunkt-x0'], steffensen: ['fixpunkt-x0'],
};
export const TEXT_FIELDS = ['f', 'ableitung', 'g', 'toleranz', 'max-schritte', 'a', 'b',
    'newton-x0', 'sekante-x0', 'sekante-x1', 'fixpunkt-x0'];
export const CONTROLS = [...TEXT_FIELDS, ...METHODS.map((m) => `m-${m}`), 'rechnen'];

// How a run ends, as the page shows on document.body.dataset.zustand ("fehler": the
// page itself failed).
export const ENDED = ['fertig', 'angehalten', 'abgelehnt', 'fehler'];

// A headless chromium with default settings (files may not fetch other files), closed
// again by the caller's `finally`.
export function launch() {
    return puppeteer.launch({
        executablePath: CHROMIUM,
        headless: true,
        args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--lang=de-DE'],
    });
}

// A new tab on the page, with FRAGMENT after '#' when given, its programs loaded. Every
// request it makes is recorded in `page.requests`; errors of its script fail the test.
// With SLOW_COMPILE (ms), compiling each WebAssembly module takes that much longer, as on
// a slow device, and the tab is handed over still loading them. With UNREADABLE_BLOBS,
// reading a Blob fails as Chromium's read of one of half a gigabyte does; with MEMORY
// (bytes), the run's worker gets no buffer larger than that, as when the browser grants
// no more.
export async function open(browser, fragment = '',
    { slow_compile = 0, unreadable_blobs = false, memory = 0 } = {}) {
    const page = await browser.newPage();
    page.requests = [];
    page.errors = [];
    page.on('request', (request) => page.requests.push(request.url()));
    page.on('pageerror', (error) => page.errors.push(String(error)));
    if (unreadable_blobs) {
        await page.evaluateOnNewDocument(() => {
            Blob.prototype.arrayBuffer = () => Promise.reject(
                new DOMException('The requested file could not be read', 'NotReadableError'));
        });
    }
    if (memory) {
        // The page's worker, its source (which the page declares) behind the limit.
        await page.evaluateOnNewDocument((bytes) => {
            const Plain = Worker;
            window.Worker = function () {
                const limit = `self.Uint8Array = class extends Uint8Array {
                    constructor(...args) {
                        if (typeof args[0] === 'number' && args[0] > ${bytes}) throw new RangeError('Array buffer allocation failed');
                        super(...args);
                    }
                };\n`;
                return new Plain(URL.createObjectURL(new Blob([limit, WORKER_SOURCE], { type: 'text/javascript' })));
            };
        }, memory);
    }
    if (slow_compile) {
        await page.evaluateOnNewDocument((ms) => {
            const compile = WebAssembly.compile.bind(WebAssembly);
            WebAssembly.compile = (bytes) =>
                new Promise((resolve) => { setTimeout(() => resolve(compile(bytes)), ms); });
        }, slow_compile);
    }
    await page.goto(PAGE_URL + (fragment ? `#${fragment}` : ''), { waitUntil: 'load' });
    if (!slow_compile) {
        await page.waitForFunction(() => document.body.dataset.zustand === 'bereit'
            && !document.getElementById('rechnen').disabled, { timeout: 20000 });
    }
    return page;
}

export const state = (page) => page.evaluate(() => document.body.dataset.zustand ?? '');

// Waits until the run has ended one way or another, and returns how.
export async function ended(page, timeout = 60000) {
    await page.waitForFunction((ends) => ends.includes(document.body.dataset.zustand),
        { timeout, polling: 50 }, ENDED);
    return state(page);
}

// The form as the page holds it: text fields by id, ticked methods in quarlen's order.
export function form(page) {
    return page.evaluate((fields, methods) => ({
        values: Object.fromEntries(fields.map((id) => [id, document.getElementById(id).value])),
        methods: methods.filter((m) => document.getElementById(`m-${m}`).checked),
    }), TEXT_FIELDS, METHODS);
}

// Sets the fields of VALUES (by id) and, when METHODS is given, exactly those ticks,
// as a user would: through the controls' own events.
export async function fill(page, values, methods) {
    for (const [id, value] of Object.entries(values)) {
        await page.$eval(`#${id}`, (field) => { field.value = ''; });
        await page.type(`#${id}`, value);
    }
    if (methods) {
        for (const m of METHODS) {
            const ticked = await page.$eval(`#m-${m}`, (box) => box.checked);
            if (ticked !== methods.includes(m)) await page.click(`#m-${m}`);
        }
    }
}

// Every download the page offers, by id: its file name and bytes, read through the
// link's own blob URL inside the page.
export function downloads(page) {
    return page.evaluate(async () => {
        const found = {};
        for (const link of document.querySelectorAll('a[download]')) {
            const bytes = new Uint8Array(await (await fetch(link.href)).arrayBuffer());
            let text = '';
            for (const byte of bytes) text += String.fromCharCode(byte);
            found[link.id] = { name: link.getAttribute('download'), base64: btoa(text) };
        }
        return found;
    }).then((found) => Object.fromEntries(Object.entries(found).map(([id, d]) =>
        [id, { name: d.name, bytes: Buffer.from(d.base64, 'base64') }])));
}

// A large download, summed up inside the page: its name, size, lines and last byte,
// and the SHA-256 of its bytes.
export function download_digest(page, id) {
    return page.evaluate(async (id) => {
        const link = document.getElementById(id);
        if (!link?.hasAttribute('download')) return null;
        const bytes = new Uint8Array(await (await fetch(link.href)).arrayBuffer());
        const hash = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
        let lines = 0;
        for (const byte of bytes) if (byte === 10) lines += 1;
        return { name: link.getAttribute('download'), size: bytes.length, lines,
            last: bytes.at(-1), sha256: [...hash].map((b) => b.toString(16).padStart(2, '0')).join('') };
    }, id);
}

export const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');

export const text = (page, selector) =>
    page.$eval(selector, (element) => element.textContent).catch(() => null);

// quarlen's command line and standard input for the form's values, as a person at the
// console would give them: each start value once, before the first method needing it.
export function quarlen_inputs({ values, methods }) {
    const args = ['-m', methods.join(',')];
    const options = { f: '-f', ableitung: '--ableitung', g: '-g', toleranz: '-t',
        'max-schritte': '-n' };
    for (const [id, option] of Object.entries(options)) {
        if (values[id] !== '') args.push(option, values[id]);
    }
    const asked = [];
    for (const m of methods) {
        for (const id of STARTS[m]) if (!asked.includes(id)) asked.push(id);
    }
    return { args, input: asked.map((id) => `${values[id]}\n`).join('') };
}

export function temp_folder() {
    return mkdtempSync(join(tmpdir(), 'quarlen-browser-'));
}

// PROGRAM of the native build in FOLDER/run, its standard input from a file, so that a
// program refusing its arguments before reading finds nothing left unread.
function run_native(program, args, folder, input = '') {
    const run_in = join(folder, 'run');
    mkdirSync(run_in, { recursive: true });
    writeFileSync(join(folder, 'input'), input);
    const stdin = openSync(join(folder, 'input'), 'r');
    try {
        const run = spawnSync(join(NATIVE, program, program), args,
            { cwd: run_in, stdio: [stdin, 'pipe', 'pipe'], maxBuffer: 1 << 30 });
        if (run.error) throw run.error;
        return { status: run.status, out: run.stdout, err: run.stderr.toString() };
    } finally {
        closeSync(stdin);
    }
}

// The native programs on the form's values in a temporary folder: quarlen's status and
// message, each log by file name, and unless ANALYSE is false konvergenz's table, CSV
// and chart.
export function native(formValues, analyse = true) {
    const folder = temp_folder();
    try {
        const { args, input } = quarlen_inputs(formValues);
        const quarlen = run_native('quarlen', args, folder, input);
        const logs = {};
        for (const name of readdirSync(join(folder, 'run'))) {
            logs[name] = readFileSync(join(folder, 'run', name));
        }
        const result = { quarlen, logs };
        if (analyse && (quarlen.status === 0 || quarlen.status === 1)) {
            result.table = run_native('konvergenz', [], folder).out;
            result.chart = readFileSync(join(folder, 'run', 'konvergenz.svg'));
            result.csv = run_native('konvergenz', ['--csv', '--kein-diagramm'], folder).out;
        }
        return result;
    } finally {
        rmSync(folder, { recursive: true, force: true });
    }
}

// quarlen's message for arguments and input it refuses, without its name in front.
export function native_refusal(formValues) {
    const folder = temp_folder();
    try {
        const { args, input } = quarlen_inputs(formValues);
        const run = run_native('quarlen', args, folder, input);
        return { status: run.status, message: run.err.trim().replace(/^quarlen: /, '') };
    } finally {
        rmSync(folder, { recursive: true, force: true });
    }
}

// axe-core in the page; the violations of impact serious or critical.
export async function serious_violations(page) {
    const axe = readFileSync(new URL('./node_modules/axe-core/axe.min.js', import.meta.url),
        'utf8');
    await page.addScriptTag({ content: axe });
    const results = await page.evaluate(() => window.axe.run(document));
    return results.violations
        .filter((v) => v.impact === 'serious' || v.impact === 'critical')
        .map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
}
