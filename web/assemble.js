// Puts the page together: index.html with the style, the page's script and, inlined,
// the worker's script (the two modules' glue code before worker.js) and both
// WebAssembly modules, gzipped and in base64. The result needs no other file.
//   node assemble.js SOURCE_FOLDER MODULE_FOLDER OUTPUT
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');

const [source, modules, output] = process.argv.slice(2);
const read = (folder, name) => fs.readFileSync(path.join(folder, name));
// A JavaScript string literal that cannot end the inline script it stands in.
const literal = (text) => JSON.stringify(text).replace(/</g, '\\u003c');
const packed = (name) => zlib.gzipSync(read(modules, name), {level: 9}).toString('base64');

const worker = ['quarlen_browser.js', 'konvergenz_browser.js']
    .map((name) => read(modules, name).toString()).join('\n') + '\n' + read(source, 'worker.js');
const script = [
    `const WORKER_SOURCE = ${literal(worker)};`,
    `const QUARLEN_WASM = "${packed('quarlen_browser.wasm')}";`,
    `const KONVERGENZ_WASM = "${packed('konvergenz_browser.wasm')}";`,
    read(source, 'page.js').toString(),
].join('\n');
if (/<\/script/i.test(script)) throw new Error('a script would end the page\'s <script> early');

const page = read(source, 'index.html').toString()
    .replace('<!--@STYLE@-->', () => `<style>\n${read(source, 'page.css')}</style>`)
    .replace('<!--@SCRIPT@-->', () => `<script>\n${script}\n</script>`);
fs.mkdirSync(path.dirname(output), {recursive: true});
fs.writeFileSync(output, page);
