// The page: reads the form, runs quarlen and konvergenz in a worker (worker.js) and shows
// what they write. Nothing here computes a number; it only sorts the programs' lines.
//
// document.body.dataset.zustand tells where the page stands, for people and for tests:
//   "lädt"        the programs are being unpacked ("Rechnen" works already: its run is
//                 "läuft" at once and starts when they are ready)
//   "bereit"      no run yet; the form can be used
//   "läuft"       a run is going on ("Rechnen" disabled, "Anhalten" enabled)
//   "fertig"      quarlen and konvergenz have ended; results, downloads and chart are shown
//                 (document.body.dataset.status holds quarlen's exit status: 0, 1, or 3
//                 where a log could not be written)
//   "angehalten"  "Anhalten" ended the run; the records and logs so far are shown
//   "abgelehnt"   quarlen refused the input; its message is in #meldung, nothing ran
//   "fehler"      the worker failed; the reason is in #meldung
'use strict';

// quarlen's methods in its order: the -m name, the title quarlen gives it, its log, and
// which values it asks for (a bracketing method the interval, shared by all three).
const METHODS = [
    {name: 'bisektion', title: 'Bisektion', log: 'bisec_f1.dat', asks: 'intervall'},
    {name: 'regula-falsi', title: 'Regula falsi', log: 'regfa_f1.dat', asks: 'intervall'},
    {name: 'illinois', title: 'Illinois-Verfahren', log: 'illin_f1.dat', asks: 'intervall'},
    {name: 'newton', title: 'Newton-Verfahren', log: 'newto_f1.dat', asks: 'newton'},
    {name: 'sekante', title: 'Sekantenverfahren', log: 'sekan_f1.dat', asks: 'sekante'},
    {name: 'fixpunkt', title: 'Fixpunktiteration', log: 'fixpk_f1.dat', asks: 'fixpunkt'},
    {name: 'steffensen', title: 'Steffensen-Verfahren', log: 'steff_f1.dat', asks: 'fixpunkt'},
];
// The values each group asks for: the fields, and the prompt lines quarlen writes.
const ASKED = {
    intervall: {fields: ['a', 'b'], prompts: 3},
    newton: {fields: ['newton-x0'], prompts: 1},
    sekante: {fields: ['sekante-x0', 'sekante-x1'], prompts: 3},
    fixpunkt: {fields: ['fixpunkt-x0'], prompts: 1},
};
// The options, as quarlen names them, and their fields.
const OPTIONS = [
    ['f', '--funktion'], ['ableitung', '--ableitung'], ['g', '--fixpunkt'],
    ['toleranz', '--toleranz'], ['max-schritte', '--max-schritte'],
];
const FIELDS = ['f', 'ableitung', 'g', 'toleranz', 'max-schritte', 'a', 'b', 'newton-x0',
                'sekante-x0', 'sekante-x1', 'fixpunkt-x0'];

const $ = (id) => document.getElementById(id);
const UTF8 = new TextDecoder();
const field = (id) => $(id).value;
const BUILT_IN_G_HINT = $('g').placeholder;

let worker = null;
let run = null;        // the run going on or shown last
let urls = [];         // object URLs of the shown downloads

function setState(state)
{
    document.body.dataset.zustand = state;
    const running = state === 'läuft';
    $('rechnen').disabled = running;
    $('anhalten').disabled = !running;
}

// The status line is read out when it changes; the step count beside it, which changes
// all the time, is not.
function say(text, step)
{
    if ($('status').textContent !== text) $('status').textContent = text;
    $('schritt').textContent = step || '';
}

function alertText(text) { $('meldung').textContent = text; }

function ticked() { return METHODS.filter((m) => $(`m-${m.name}`).checked); }

// ---- The fragment: the form's values verbatim, so that a link repeats a run. ----
//
// A value is escaped only where it must be: '&', '=', '#', '%', blanks and whatever an
// address cannot hold. A formula's operators, parentheses and digits stay readable, and a
// '+' is a plus both ways: there is no form encoding here, in which it would be a blank.
const READABLE = /%(2B|2C|2F|3A|3B|3F|40|24|5E)/g;  // + , / : ; ? @ $ ^

const encodeValue = (text) => encodeURIComponent(text).replace(READABLE, decodeURIComponent);

// A fragment is typed by hand too: a malformed escape is taken as written.
function decodeValue(text)
{
    try {
        return decodeURIComponent(text);
    } catch {
        return text;
    }
}

function saveFragment()
{
    const pairs = FIELDS.map((id) => [id, field(id)]);
    pairs.push(['m', ticked().map((m) => m.name).join(',')]);
    history.replaceState(null, '', `#${pairs.map(([id, v]) => `${id}=${encodeValue(v)}`).join('&')}`);
}

// The fragment's values by name, each pair split at its first '='; where a name comes
// twice, the first counts.
function fragmentValues()
{
    const values = new Map();
    for (const pair of location.hash.slice(1).split('&')) {
        const at = pair.indexOf('=');
        if (at < 0) continue;
        const name = decodeValue(pair.slice(0, at));
        if (!values.has(name)) values.set(name, decodeValue(pair.slice(at + 1)));
    }
    return values;
}

function loadFragment()
{
    const values = fragmentValues();
    for (const id of FIELDS) {
        if (values.has(id)) $(id).value = values.get(id);
    }
    if (values.has('m')) {
        const names = values.get('m').split(',');
        for (const m of METHODS) $(`m-${m.name}`).checked = names.includes(m.name);
    }
    hintG();
}

// g's hint says what an empty g stands for, in the formula language: the built-in
// fixed-point form, or x + f(x) for the f typed.
function hintG()
{
    $('g').placeholder = field('f') === '' ? BUILT_IN_G_HINT : `leer: x + (${field('f')})`;
}

// ---- Building the run from the form. ----

// quarlen's command line and standard input: the options given, the ticked methods in
// quarlen's order, and the values in the order quarlen asks for them. A missing value
// is named, since quarlen would take the next line for it.
function job(methods)
{
    const args = [];
    for (const [id, option] of OPTIONS) {
        if (field(id) !== '') args.push(`${option}=${field(id)}`);
    }
    args.push(`--verfahren=${methods.map((m) => m.name).join(',')}`);
    const lines = [];
    const asked = new Set();
    const plans = [];
    for (const m of methods) {
        const first = !asked.has(m.asks);
        asked.add(m.asks);
        if (first) {
            for (const id of ASKED[m.asks].fields) {
                if (field(id).trim() === '') {
                    return {missing: `Bitte einen Wert für „${$(id).labels[0].textContent}“ eingeben.`, id};
                }
                lines.push(field(id));
            }
        }
        plans.push({name: m.name, title: m.title, prompts: first ? ASKED[m.asks].prompts : 0,
                    bracketing: m.asks === 'intervall'});
    }
    return {args, stdin: lines.map((l) => `${l}\n`).join(''), methods: plans};
}

// ---- What the programs write, shown. ----

function element(tag, attributes, text)
{
    const e = document.createElement(tag);
    for (const [k, v] of Object.entries(attributes || {})) e.setAttribute(k, v);
    if (text !== undefined) e.textContent = text;
    return e;
}

function download(id, name, parts, type, label)
{
    const url = URL.createObjectURL(new Blob(parts, {type}));
    urls.push(url);
    return element('a', {id, href: url, download: name}, label);
}

function clearResults()
{
    for (const url of urls) URL.revokeObjectURL(url);
    urls = [];
    $('ergebnisse').replaceChildren();
    $('vergleich').hidden = true;
    for (const id of ['tabelle', 'konvergenz-meldung', 'diagramm', 'vergleich-links', 'verlauf']) {
        $(id).replaceChildren();
    }
    alertText('');
}

// A section per method, filled as the lines come.
function sections(methods)
{
    const list = $('ergebnisse');
    const h = element('h2', {id: 'ergebnisse-titel'}, 'Die Schritte (quarlen)');
    list.append(h, element('pre', {id: 'vorspann', class: 'konsole', hidden: ''}));
    for (const m of methods) {
        const s = element('section', {id: `ergebnis-${m.name}`, 'aria-labelledby': `titel-${m.name}`});
        s.append(element('h3', {id: `titel-${m.name}`}, m.title),
                 element('pre', {class: 'konsole kopf', tabindex: '0'}),
                 element('p', {class: 'ausgelassen', hidden: ''}),
                 element('pre', {class: 'konsole ende', tabindex: '0', hidden: ''}),
                 element('div', {class: 'meldungen'}),
                 element('p', {class: 'links'}));
        list.append(s);
    }
}

function lines(list) { return list.map((l) => `${l}\n`).join(''); }

function showProgress(data)
{
    run.progress = data;
    if (data.vorspann.length) {
        $('vorspann').hidden = false;
        $('vorspann').textContent = lines(data.vorspann);
    }
    data.verfahren.forEach((r, i) => {
        if (!r) return;
        run.reports[i] = r;
        const s = $(`ergebnis-${r.name}`);
        const head = s.querySelector('.kopf');
        if (r.head) head.textContent = lines(r.head);
        const left = r.left;
        const gap = s.querySelector('.ausgelassen');
        gap.hidden = left <= 0;
        gap.textContent = left > 0 ? `… ${left.toLocaleString('de-DE')} Zeilen ausgelassen; das Protokoll enthält alle …` : '';
        const end = s.querySelector('.ende');
        end.hidden = r.tail.length === 0;
        end.textContent = lines(r.tail);
        const box = s.querySelector('.meldungen');
        box.replaceChildren(...r.messages.map((text) => {
            const p = element('p', {class: 'meldung'});
            p.append(element('strong', {}, 'Meldung von quarlen: '), element('span', {class: 'text'}, text));
            return p;
        }));
    });
    const now = run.methods[data.laufend];
    const report = run.reports[data.laufend];
    if (now && run.state === 'läuft') {
        say(`quarlen rechnet: ${now.title}`, `(Schritt ${report ? report.steps : 0})`);
    }
}

// A log as quarlen wrote it so far: a Blob, and the writes not yet folded into it. Big
// logs are folded a megabyte at a time, so that no single step copies them whole.
const FOLD_BYTES = 1 << 20;

function fold(log)
{
    if (log.parts.length) log.blob = new Blob([log.blob, ...log.parts]);
    log.parts = [];
    log.pending = 0;
}

// A write into a log: appended, or, where quarlen wrote at another place, put there.
function logWrite(data)
{
    const log = run.logs[data.datei] ||
        (run.logs[data.datei] = {blob: new Blob([]), parts: [], pending: 0, length: 0});
    if (data.stelle !== log.length) {
        fold(log);
        const end = data.stelle + data.bytes.length;
        const before = data.stelle < log.length
            ? log.blob.slice(0, data.stelle)
            : new Blob([log.blob, new Uint8Array(data.stelle - log.length)]);
        log.blob = new Blob([before, data.bytes, log.blob.slice(end)]);
        log.length = Math.max(log.length, end);
        return;
    }
    log.parts.push(data.bytes);
    log.pending += data.bytes.length;
    log.length += data.bytes.length;
    if (log.pending >= FOLD_BYTES) fold(log);
}

// The log up to its last line end, and its last whole line: what a stop leaves of a
// record is no record.
async function wholeLines(blob)
{
    for (let size = 1 << 16; ; size *= 4) {
        const start = Math.max(0, blob.size - size);
        const tail = new Uint8Array(await blob.slice(start).arrayBuffer());
        const end = tail.lastIndexOf(10);
        const begin = end > 0 ? tail.lastIndexOf(10, end - 1) + 1 : 0;
        if (end >= 0 && (begin > 0 || start === 0)) {
            return {blob: blob.slice(0, start + end + 1), last: UTF8.decode(tail.subarray(begin, end))};
        }
        if (start === 0) return {blob: blob.slice(0, 0), last: ''};
    }
}

// The steps a log holds: its last record's number plus one, as records count from 0.
function stepsLogged(line)
{
    const record = /^ *(\d+) /.exec(line);
    return record ? Number(record[1]) + 1 : 0;
}

// Chromium holds a Blob of half a gigabyte or more in a way it cannot read back: its
// download would break off empty. Such a log is named, not offered.
const UNREADABLE = 'Das Protokoll ist zu groß für diesen Browser und kann nicht angeboten werden.';

// The logs offered for download; `whole` cuts each at its last line end (after a stop).
// Resolves to the steps each log holds, by method name (null: it could not be read).
async function offerLogs(whole)
{
    const logs = run.logs;
    run.logs = {};
    const steps = {};
    for (const m of run.methods) {
        const log = logs[m.log];
        if (!log) continue;
        fold(log);
        const links = $(`ergebnis-${m.name}`).querySelector('.links');
        let blob = log.blob;
        try {
            if (whole) {
                const cut = await wholeLines(blob);
                blob = cut.blob;
                steps[m.name] = stepsLogged(cut.last);
            } else {
                await blob.slice(-1).arrayBuffer();
            }
        } catch {
            steps[m.name] = null;
            links.append(element('span', {id: `log-${m.name}-fehlt`, class: 'nicht-lesbar'}, `${m.log}: ${UNREADABLE}`));
            continue;
        }
        links.append(download(`log-${m.name}`, m.log, [blob], 'text/plain', `Protokoll ${m.log} herunterladen`));
    }
    return steps;
}

// How quarlen ended, for the status line: its exit statuses in words.
const ENDINGS = {
    0: 'quarlen ist fertig',
    1: 'quarlen ist fertig (nicht jedes Verfahren hat konvergiert)',
    2: 'quarlen hat eine Eingabe nicht angenommen',
    3: 'quarlen konnte ein Protokoll nicht schreiben',
};

// What a finished run says first on the status line.
const VERDICTS = {
    0: 'alle Verfahren haben konvergiert',
    1: 'nicht jedes Verfahren hat konvergiert',
};

function quarlenEnded(data)
{
    run.status = data.status;
    run.quarlenMs = data.ms;
    document.body.dataset.status = String(data.status);
    for (const m of run.methods) {
        const s = $(`ergebnis-${m.name}`);
        if (data.status === 1 && s.querySelector('.meldung')) {
            s.classList.add('nicht-konvergiert');
            for (const label of s.querySelectorAll('.meldung strong')) {
                label.textContent = 'Nicht konvergiert: ';
            }
        }
    }
    run.offered = offerLogs(false);
    const ending = ENDINGS[data.status] || `quarlen endete mit Status ${data.status}`;
    say(`${ending}; konvergenz vergleicht die Verfahren …`);
}

// konvergenz's chart, shown as its own SVG markup, without anything that could run.
function inlineSvg(bytes)
{
    const doc = new DOMParser().parseFromString(UTF8.decode(bytes), 'image/svg+xml');
    const svg = doc.documentElement;
    if (svg.nodeName !== 'svg') return null;
    for (const e of svg.querySelectorAll('script, foreignObject')) e.remove();
    for (const e of [svg, ...svg.querySelectorAll('*')]) {
        for (const a of [...e.attributes]) {
            if (/^on/i.test(a.name) || /^\s*javascript:/i.test(a.value)) e.removeAttribute(a.name);
        }
    }
    svg.setAttribute('role', 'img');
    return document.importNode(svg, true);
}

async function konvergenzEnded(data)
{
    $('vergleich').hidden = false;
    $('tabelle').textContent = UTF8.decode(data.tabelle);
    $('konvergenz-meldung').textContent = data.meldungen.trim();
    const links = $('vergleich-links');
    const chart = data.dateien['konvergenz.svg'];
    if (chart) {
        const svg = inlineSvg(chart);
        if (svg) {
            svg.setAttribute('aria-label', 'Konvergenzdiagramm: |f| je Schritt, logarithmisch');
            $('diagramm').append(svg);
        }
        links.append(download('diagramm-svg', 'konvergenz.svg', [chart], 'image/svg+xml', 'Diagramm konvergenz.svg'), ' ');
    }
    if (data.csv.length) links.append(download('csv', 'konvergenz.csv', [data.csv], 'text/csv', 'Tabelle als CSV'), ' ');
    const steps = data.dateien['verlauf.svg'];
    if (steps) {
        links.append(download('verlauf-svg', 'verlauf.svg', [steps], 'image/svg+xml', 'Die ersten Schritte: verlauf.svg'));
        const svg = inlineSvg(steps);
        if (svg) {
            svg.setAttribute('aria-label', 'Die ersten Schritte jedes Verfahrens am Graphen');
            $('verlauf').append(svg);
        }
    }
    const seconds = (ms) => (ms / 1000).toLocaleString('de-DE', {minimumFractionDigits: 1, maximumFractionDigits: 1});
    // The verdict in words first, where the statuses alone would leave it to the reader.
    const verdict = VERDICTS[run.status] ? `${VERDICTS[run.status]}; ` : '';
    say(`Fertig nach ${seconds(performance.now() - run.started)} s: ${verdict}quarlen endete nach ${seconds(run.quarlenMs)} s mit Status ${run.status}, konvergenz nach ${seconds(data.ms)} s mit Status ${data.status}.`);
    const ran = run;
    await ran.offered;
    if (run === ran && ran.state === 'läuft') finish('fertig');
}

function finish(state)
{
    if (run) run.state = state;
    if (worker) worker.terminate();
    worker = null;
    setState(state);
}

// The worker failed: what quarlen had written stays, as after a stop.
async function failed(text)
{
    alertText(`Fehler im Worker: ${text}`);
    if (worker) worker.terminate();
    worker = null;
    run.state = 'fehler';
    try {
        if (run.progress && run.status === undefined) await offerLogs(true);
    } finally {
        setState('fehler');
    }
}

function refuse(text)
{
    clearResults();
    alertText(text);
    say('Nichts gerechnet.');
    finish('abgelehnt');
}

function start()
{
    if (worker) return;
    saveFragment();
    const methods = ticked();
    const built = job(methods);
    if (built.missing) {
        refuse(built.missing);
        $(built.id).focus();
        return;
    }
    clearResults();
    run = {methods, reports: [], logs: {}, state: 'läuft', started: performance.now()};
    setState('läuft');
    say(loaded ? 'quarlen prüft die Eingaben …' : 'Die Programme werden noch geladen; dann rechnet quarlen …');
    worker = new Worker(WORKER_URL);
    const own = worker;
    worker.onmessage = (event) => {
        const data = event.data;
        if (run.state !== 'läuft') return;
        switch (data.art) {
        case 'abgelehnt': return refuse(data.text);
        case 'beginn':
            sections(methods);
            return say('quarlen rechnet …');
        case 'fortschritt': return showProgress(data);
        case 'protokoll': return logWrite(data);
        case 'quarlen-ende': return quarlenEnded(data);
        case 'konvergenz': return konvergenzEnded(data);
        default: return failed(data.text);
        }
    };
    worker.onerror = (event) => failed(event.message);
    // A run stopped while the programs were loading, and perhaps followed by another,
    // must not start late in that other's worker.
    modules.then(([quarlen, konvergenz]) => {
        if (worker !== own) return;
        say('quarlen prüft die Eingaben …');
        own.postMessage({run: {quarlen, konvergenz, ...built}});
    }, (e) => {
        if (worker !== own) return;
        alertText(`Die Programme ließen sich nicht laden: ${e.message}`);
        finish('fehler');
    });
}

// Stopping ends the worker at once; what it has sent stays, the logs cut at their last
// whole record.
async function stop()
{
    if (!worker || run.state !== 'läuft') return;
    worker.terminate();
    worker = null;
    run.state = 'angehalten';
    $('anhalten').disabled = true;
    try {
        if (run.status !== undefined) {
            say(`Angehalten, während konvergenz rechnete; quarlen war mit Status ${run.status} fertig.`);
            await run.offered;
        } else if (run.progress) {
            await stoppedIn(run.methods[Math.min(Math.max(run.progress.laufend, 0), run.methods.length - 1)]);
        } else {
            say('Angehalten, bevor quarlen rechnete.');
        }
    } finally {
        setState('angehalten');
    }
}

// Where a stop left the method running: its log, which runs ahead of the console lines
// shown, names the last whole step; where it cannot be read, the console's count is
// the least there were.
async function stoppedIn(m)
{
    const report = run.reports[run.methods.indexOf(m)];
    const shown = report ? report.steps : 0;
    const logged = (await offerLogs(true))[m.name];
    const steps = logged === null ? `mindestens ${shown}` : String(logged ?? shown);
    say(`Angehalten: ${m.title} nach ${steps} Schritten; die Protokolle enthalten alle ganzen Zeilen bis dahin.`);
    const s = $(`ergebnis-${m.name}`);
    s.classList.add('angehalten');
    s.querySelector('.meldungen').append(element('p', {class: 'meldung'}, `Angehalten nach ${steps} Schritten.`));
}

const WORKER_URL = URL.createObjectURL(new Blob([WORKER_SOURCE], {type: 'text/javascript'}));

// The programs, unpacked and compiled once; each run's worker gets them ready to start.
async function compile(base64)
{
    const packed = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const stream = new Blob([packed]).stream().pipeThrough(new DecompressionStream('gzip'));
    return WebAssembly.compile(await new Response(stream).arrayBuffer());
}
const modules = Promise.all([compile(QUARLEN_WASM), compile(KONVERGENZ_WASM)]);
let loaded = false;

$('eingabe').addEventListener('submit', (event) => {
    event.preventDefault();
    start();
});
// Enter runs from every control of the form, the checkboxes too.
$('eingabe').addEventListener('keydown', (event) => {
    if (event.key === 'Enter' && event.target instanceof HTMLInputElement) {
        event.preventDefault();
        start();
    }
});
$('anhalten').addEventListener('click', stop);
$('eingabe').addEventListener('input', saveFragment);
$('f').addEventListener('input', hintG);
window.addEventListener('hashchange', loadFragment);
loadFragment();
// Loaded, the page is ready, unless a run begun meanwhile holds the state and the status
// line (it is going on, or was refused or stopped); a failure that run reports itself.
modules.then(() => {
    loaded = true;
    if (document.body.dataset.zustand !== 'lädt') return;
    setState('bereit');
    say('Bereit: Werte eingeben und „Rechnen“ wählen (oder Enter drücken).');
}, (e) => {
    if (worker) return;
    alertText(`Die Programme ließen sich nicht laden: ${e.message}`);
    setState('fehler');
});
