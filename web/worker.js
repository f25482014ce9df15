// The worker: runs quarlen, then konvergenz on quarlen's logs, each a fresh instance of
// its WebAssembly module on an in-memory file system, and hands the page every byte the
// programs write as it is written. createQuarlen and createKonvergenz are the modules'
// factories, put before this script when the page assembles the worker.
//
// In:  {run: {quarlen, konvergenz (the compiled WebAssembly.Module of each), args, stdin,
//             methods: [{name, title, prompts, bracketing}]}}
// Out: {art: 'abgelehnt', text}                  quarlen refused the input; nothing ran
//      {art: 'beginn'}                           the input passed; the run begins
//      {art: 'fortschritt', laufend, vorspann, verfahren: [report or null]}
//                                                console lines per method (Method.report)
//      {art: 'protokoll', datei, stelle, bytes}  a write into a log, where quarlen made it
//      {art: 'quarlen-ende', status, ms}
//      {art: 'konvergenz', status, tabelle, csv, meldungen, dateien: {name: bytes}, ms}
//      {art: 'fehler', text}                     the worker itself failed
'use strict';

const HEAD_LINES = 500;
const TAIL_LINES = 500;
const FOLDER = '/lauf';
const RECORD_LENGTH = 61;  // a step line: the step, two reals in 17 digits
const ENOSPC = 51;         // emscripten's number for "no space left on device"
const LARGEST_FILE = 2 ** 31;  // bytes a file in memory may hold
const RELAY_BYTES = 1 << 20;
const UTF8 = new TextDecoder();

// One run of a program: `args` as its command line, `stdin` as its standard input.
// onOutput(fd, bytes) receives each write to standard output and error, onFile(path,
// position, bytes) each write to a file, the bytes valid during the call alone (they
// are the program's memory). Resolves to {status, fs}.
async function runProgram(factory, wasm, args, stdin, onOutput, onFile, files)
{
    const input = new TextEncoder().encode(stdin);
    let next = 0;
    let status = null;
    const module = await factory({
        noInitialRun: true,
        instantiateWasm(imports, done) {
            WebAssembly.instantiate(wasm, imports).then((instance) => done(instance));
            return {};
        },
        stdin: () => (next < input.length ? input[next++] : null),
        // Standard output and error get devices of their own, whose writes are taken
        // whole below, before the device would see them byte by byte.
        stdout: () => {},
        stderr: () => {},
        print: () => {},
        printErr: () => {},
        onExit: (code) => { status = code; },
    });
    const fs = module.FS;
    // A file in memory grows by doubling: by an eighth at a time, as it would, a log of
    // millions of records is copied dozens of times over while it is written. Past the
    // largest size, or where the browser grants no more memory, the write fails as on a
    // full disk, and the program says so and ends as it does there; growing by each
    // write's bytes instead would copy the whole file on every write.
    fs.filesystems.MEMFS.expandFileStorage = (node, capacity) => {
        const old = node.contents || new Uint8Array(0);
        if (old.length >= capacity) return;
        if (capacity > LARGEST_FILE) throw new fs.ErrnoError(ENOSPC);
        let grown;
        try {
            grown = new Uint8Array(Math.max(capacity, Math.min(2 * old.length, LARGEST_FILE), 256));
        } catch (e) {
            throw new fs.ErrnoError(ENOSPC);
        }
        grown.set(old.subarray(0, node.usedBytes));
        node.contents = grown;
    };
    fs.mkdir(FOLDER);
    fs.chdir(FOLDER);
    for (const [name, file] of Object.entries(files || {})) {
        fs.writeFile(name, file.bytes, {canOwn: true});
        fs.utime(name, file.time, file.time);
    }
    const write = fs.write;
    fs.write = function (stream, buffer, offset, length, position, canOwn) {
        if (stream.fd === 1 || stream.fd === 2) {
            onOutput(stream.fd, new Uint8Array(buffer.buffer, buffer.byteOffset + offset, length));
            return length;
        }
        const written = write.call(this, stream, buffer, offset, length, position, canOwn);
        if (onFile && fs.isFile(stream.node.mode)) {
            const at = position === undefined ? stream.position - written : position;
            onFile(stream.path, at, new Uint8Array(buffer.buffer, buffer.byteOffset + offset, written));
        }
        return written;
    };
    try {
        module.callMain(args);
    } catch (e) {
        if (status === null) throw e;
    }
    if (status === null) throw new Error('Das Programm endete ohne Exit-Status.');
    return {status, fs};
}

// A file a program left in its folder, read from memory as it stands: the program has
// ended, and its file system no longer opens files.
function fileNode(fs, name)
{
    try {
        return fs.lookupPath(`${FOLDER}/${name}`).node;
    } catch (e) {
        return null;  // not written
    }
}

function contents(node) { return (node.contents || new Uint8Array(0)).subarray(0, node.usedBytes); }

// Text written to a stream, collected whole.
class Collected {
    constructor() { this.parts = []; }
    add(bytes) { this.parts.push(bytes.slice()); }
    text() { return UTF8.decode(concat(this.parts)); }
}

function concat(parts)
{
    const all = new Uint8Array(parts.reduce((n, p) => n + p.length, 0));
    let at = 0;
    for (const p of parts) { all.set(p, at); at += p.length; }
    return all;
}

// A method's share of the console: its prompts, its records, its result line, and the
// messages written while it ran. The first and last lines are kept; the rest counted.
class Method {
    constructor(plan) {
        this.name = plan.name;
        this.title = plan.title;
        this.promptsLeft = plan.prompts;
        this.bracketing = plan.bracketing;
        this.head = [];
        this.tail = [];
        this.lines = 0;
        this.steps = 0;
        this.done = false;
        this.messages = [];
        this.changed = false;
        this.headSent = -1;
        // Records past the first lines: as places in the write at hand, then, when it is
        // over, the last of them copied as bytes; read as text only for a report. Of
        // millions of records, only the last few hundred are ever read.
        this.write = null;
        this.pending = [];
        this.stash = new Uint8Array(0);
        this.stashed = 0;  // lines in the stash
    }
    add(line) {
        this.settle();
        if (this.head.length < HEAD_LINES) this.head.push(line);
        else this.keep(line);
        this.lines += 1;
        this.changed = true;
    }
    keep(line) {
        this.tail.push(line);
        if (this.tail.length > 2 * TAIL_LINES) this.tail.splice(0, this.tail.length - TAIL_LINES);
    }
    // The records found in the write at hand, the last of them, kept as bytes.
    stashPending() {
        const found = this.pending.length / 2;
        if (found === 0) return;
        const first = found > TAIL_LINES ? this.pending.length - 2 * TAIL_LINES : 0;
        const lines = this.write.subarray(this.pending[first], this.pending[this.pending.length - 1] + 1);
        this.pending.length = 0;
        if (found >= TAIL_LINES) {
            this.tail = [];
            this.stash = lines.slice();
            this.stashed = TAIL_LINES;
            return;
        }
        this.stash = concat([this.stash, lines]);
        this.stashed += found;
        if (this.stashed > 2 * TAIL_LINES) {
            let cut = 0;
            for (; this.stashed > TAIL_LINES; this.stashed -= 1) cut = this.stash.indexOf(10, cut) + 1;
            this.stash = this.stash.slice(cut);
            this.tail = [];
        }
    }
    settle() {
        this.stashPending();
        if (this.stashed === 0) return;
        for (const line of UTF8.decode(this.stash).split('\n').slice(0, -1)) this.keep(line);
        this.stash = new Uint8Array(0);
        this.stashed = 0;
    }
    // Whether bytes[start, end) is this method's next record, in the fixed width quarlen
    // writes it: the step number right-aligned in 11 characters, two reals. Taken if so.
    record(bytes, start, end) {
        if (this.done || this.promptsLeft > 0 || end - start !== RECORD_LENGTH) return false;
        let step = 0;
        let i = start + 10;
        for (let unit = 1; bytes[i] >= 48 && bytes[i] <= 57; i -= 1, unit *= 10) {
            step += (bytes[i] - 48) * unit;
        }
        if (i === start + 10 || bytes[i] !== 32 || step !== this.steps) return false;
        this.steps += 1;
        this.lines += 1;
        this.changed = true;
        if (this.head.length < HEAD_LINES) {
            this.head.push(UTF8.decode(bytes.subarray(start, end)));
        } else {
            this.write = bytes;  // stashed before the write is over
            this.pending.push(start, end);
        }
        return true;
    }
    // Whether `line` belongs to this method; quarlen's order decides: its prompts, then
    // records numbered from 0, then, for a bracketing method, one result line.
    takes(line) {
        if (this.done) return false;
        if (this.promptsLeft > 0) {
            this.promptsLeft -= 1;
            return true;
        }
        const step = String(this.steps);
        const fields = line.trim().split(/\s+/);
        if (fields.length === 3 && fields[0] === step) {
            this.steps += 1;
            return true;
        }
        if (this.bracketing && fields.length >= 2 && /^\d+$/.test(fields[1])) {
            this.done = true;
            return true;
        }
        this.done = true;
        return false;
    }
    // What changed since the last report; the first lines only while they grow.
    report() {
        this.settle();
        this.changed = false;
        const grown = this.head.length !== this.headSent;
        this.headSent = this.head.length;
        const tail = this.tail.slice(-TAIL_LINES);
        return {
            name: this.name, steps: this.steps, head: grown ? this.head : null, tail,
            left: this.lines - this.head.length - tail.length, messages: this.messages,
        };
    }
}

// Hands the page the writes into the logs, those that continue each other joined into
// blocks of up to a megabyte, so that millions of records are not as many messages.
class LogRelay {
    constructor() { this.name = null; }
    write(path, position, bytes) {
        const name = path.split('/').pop();
        if (this.name !== null && (name !== this.name || position !== this.position + this.used
                                   || this.used + bytes.length > RELAY_BYTES)) {
            this.flush();
        }
        if (this.name === null) {
            if (bytes.length >= RELAY_BYTES) return send(name, position, bytes.slice());
            Object.assign(this, {name, position, used: 0, block: new Uint8Array(RELAY_BYTES)});
        }
        this.block.set(bytes, this.used);
        this.used += bytes.length;
    }
    flush() {
        if (this.name === null) return;
        send(this.name, this.position, this.block.subarray(0, this.used));
        this.name = null;
    }
}

function send(name, position, bytes)
{
    postMessage({art: 'protokoll', datei: name, stelle: position, bytes}, [bytes.buffer]);
}

// Splits quarlen's standard output into lines and the lines among the methods; lines
// before the first prompt (the functions typed) are the run's preamble.
class Console {
    constructor(plans) {
        this.methods = plans.map((p) => new Method(p));
        this.preamble = [];
        this.current = -1;
        this.rest = new Uint8Array(0);  // a line begun in an earlier write
        this.lastPost = 0;
    }
    // A write to standard output, `bytes` valid during the call alone. Lines are found
    // as bytes: a line end never stands inside a character of UTF-8.
    output(bytes) {
        let start = 0;
        if (this.rest.length > 0) {
            const end = bytes.indexOf(10);
            if (end < 0) {
                this.rest = concat([this.rest, bytes]);
                return;
            }
            const first = concat([this.rest, bytes.subarray(0, end + 1)]);
            this.rest = new Uint8Array(0);
            this.bytes(first, 0, first.length - 1);
            start = end + 1;
        }
        for (let end = bytes.indexOf(10, start); end >= 0; end = bytes.indexOf(10, start)) {
            this.bytes(bytes, start, end);
            start = end + 1;
        }
        if (start < bytes.length) this.rest = bytes.slice(start);
        this.methods.forEach((m) => m.stashPending());
    }
    bytes(bytes, start, end) {
        const method = this.methods[this.current];
        if (!method || !method.record(bytes, start, end)) this.line(UTF8.decode(bytes.subarray(start, end)));
    }
    line(text) {
        if (this.current < 0) {
            if (!text.startsWith('Bitte')) return this.preamble.push(text);
            this.current = 0;
        }
        while (this.current < this.methods.length) {
            const method = this.methods[this.current];
            if (method.takes(text)) return method.add(text);
            this.current += 1;
        }
        this.preamble.push(text);  // nothing else is expected
    }
    // A message that begins with a method's title is that method's: one that asks for
    // nothing may end before it writes a line. Any other belongs to the method that wrote
    // the last line, or to the first one that has written nothing yet.
    message(bytes) {
        for (const text of UTF8.decode(bytes).replace(/\n$/, '').split('\n')) {
            const said = text.replace(/^quarlen: /, '');
            const method = this.methods.find((m) => said.startsWith(`${m.title} `))
                           || this.methods[Math.max(this.current, 0)];
            if (method) { method.messages.push(text); method.changed = true; }
        }
    }
    // Whether the page is due a report: ten times a second.
    due() { return performance.now() - this.lastPost >= 100; }
    post(force) {
        this.lastPost = performance.now();
        postMessage({
            art: 'fortschritt',
            laufend: this.current,
            vorspann: this.preamble,
            verfahren: this.methods.map((m) => (m.changed || force ? m.report() : null)),
        });
    }
}

async function run(job)
{
    const quarlenWasm = job.quarlen, konvergenzWasm = job.konvergenz;

    // Before anything runs, quarlen checks the command line (with no input it stops at
    // its first prompt), then the numbers (with every method held to one step).
    const checks = [[job.args, ''], [job.args.concat('--max-schritte=1'), job.stdin]];
    for (const [args, stdin] of checks) {
        const out = new Collected(), err = new Collected();
        const result = await runProgram(createQuarlen, quarlenWasm, args, stdin,
                                        (fd, b) => (fd === 1 ? out : err).add(b));
        const refused = result.status === 2 && (stdin !== '' || !/^Bitte/m.test(out.text()));
        if (refused) {
            const lines = err.text().split('\n').filter((l) => l !== '');
            return postMessage({art: 'abgelehnt', text: lines[lines.length - 1] || ''});
        }
    }

    postMessage({art: 'beginn'});
    const begun = performance.now();
    const view = new Console(job.methods);
    const logs = new LogRelay();
    // The logs go out before each report of the console, so that the page, whenever it
    // is stopped, holds the logs as far as quarlen had written them before the lines it
    // shows.
    const report = (force) => {
        logs.flush();
        view.post(force);
    };
    const result = await runProgram(createQuarlen, quarlenWasm, job.args, job.stdin, (fd, bytes) => {
        if (fd === 1) view.output(bytes);
        else view.message(bytes);
        if (view.due()) report(false);
    }, (path, position, bytes) => logs.write(path, position, bytes));
    report(true);
    postMessage({art: 'quarlen-ende', status: result.status, ms: performance.now() - begun});

    // konvergenz reads the logs as quarlen left them, times of change included.
    const files = {};
    for (const name of result.fs.readdir(FOLDER)) {
        if (!name.endsWith('.dat')) continue;
        const node = fileNode(result.fs, name);
        files[name] = {bytes: contents(node), time: node.timestamp};
    }
    const compared = performance.now();
    const table = await konvergenz(konvergenzWasm, [], files, ['konvergenz.svg', 'verlauf.svg']);
    const csv = await konvergenz(konvergenzWasm, ['--csv', '--kein-diagramm'], files, []);
    postMessage({
        art: 'konvergenz', status: table.status, tabelle: table.out, csv: csv.out,
        meldungen: table.err, dateien: table.files, ms: performance.now() - compared,
    });
}

async function konvergenz(wasm, args, logs, outputs)
{
    const out = new Collected(), err = new Collected();
    const result = await runProgram(createKonvergenz, wasm, args, '',
                                    (fd, b) => (fd === 1 ? out : err).add(b), null, logs);
    const files = {};
    for (const name of outputs) {
        const node = fileNode(result.fs, name);
        if (node) files[name] = contents(node);
    }
    return {status: result.status, out: concat(out.parts), err: err.text(), files};
}

// In a worker it waits for its run; under node the console's division can be tried out.
if (typeof module === 'object' && module.exports) {
    module.exports = {Console, HEAD_LINES, TAIL_LINES};
} else {
    onmessage = (event) => {
        run(event.data.run).catch((e) => postMessage({art: 'fehler', text: String(e && e.message || e)}));
    };
}
