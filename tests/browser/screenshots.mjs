// Pictures of the page for the README, taken by the browser tests' chromium: the form as
// it opens, and the page after the default run. Run by hand after the web preset's build,
// from the repository's root:
//
//   node tests/browser/screenshots.mjs [FOLDER]      (FOLDER: docs)
//
// with QUARLEN_SITE and QUARLEN_CHROMIUM as for the tests when not the defaults.
import { mkdirSync } from 'node:fs';
import { join, resolve } from 'node:path';

import * as h from './harness.mjs';

const folder = resolve(process.argv[2] ?? 'docs');
mkdirSync(folder, { recursive: true });

const browser = await h.launch();
try {
    const page = await h.open(browser);
    await page.setViewport({ width: 1100, height: 900, deviceScaleFactor: 1 });
    await page.screenshot({ path: join(folder, 'seite-formular.png') });
    await page.click('#rechnen');
    const how = await h.ended(page);
    if (how !== 'fertig') throw new Error(`the default run ended "${how}"`);
    await page.screenshot({ path: join(folder, 'seite-ergebnis.png'), fullPage: true });
    console.log(`${join(folder, 'seite-formular.png')}, ${join(folder, 'seite-ergebnis.png')}`);
} finally {
    await browser.close();
}
