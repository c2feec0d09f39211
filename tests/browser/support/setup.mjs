// What every browser test file sets up alike: the built tools, a private home for the publisher
// and the browser (so no run touches the user's own files), a folder for the work and the
// artefacts, running a tool, the browser itself, and all of these at once for a file's books.
// Environment: ZARVEX_RESOURCES, ZARVEX_BROWSER_OUT (work and artefact folder), ZARVEX_CLI and
// ZARVEX_MAKE_FIXTURE_PDF (the built tools), CHROMIUM (default /usr/bin/chromium).
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { test, before, after } from 'node:test';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { serve } from './server.mjs';

const env = process.env;
const built = (file) => (file && fs.existsSync(file) ? file : null);
export const cli = built(env.ZARVEX_CLI);
export const makeFixture = built(env.ZARVEX_MAKE_FIXTURE_PDF);
// Why tests that publish books are skipped, or false when they can run.
export const toolsMissing = !(cli && makeFixture) && 'zarvex-cli or make-fixture-pdf is not built';
export const resources = (env.ZARVEX_RESOURCES ||=
    path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..', '..', 'resources'));

/* The folder of a test file's work and artefacts: <ZARVEX_BROWSER_OUT>/<name>. */
const outFolder = env.ZARVEX_BROWSER_OUT || fs.mkdtempSync(path.join(os.tmpdir(), 'zarvex-browser-'));
export const workFolder = (name) => path.join(outFolder, name);

/* Points HOME and the XDG folders into a new temporary folder; the function returned removes it. */
export function privateHome() {
    const home = fs.mkdtempSync(path.join(os.tmpdir(), 'zarvex-browser-home-'));
    for (const [k, v] of Object.entries({ HOME: '', XDG_CONFIG_HOME: '.config', XDG_CACHE_HOME: '.cache',
                                          XDG_DATA_HOME: '.local/share' })) {
        env[k] = path.join(home, v);
    }
    return () => fs.rmSync(home, { recursive: true, force: true });
}

/* Runs a built tool and fails the test with its message when it does not succeed. */
export function run(command, args) {
    const r = spawnSync(command, args, { encoding: 'utf8', timeout: 300000 });
    assert.equal(r.status, 0, `${path.basename(command)} ${args.join(' ')} failed: ${r.error || r.signal || r.stderr}`);
}

/* Debian's headless Chromium, with any further command-line switches. */
export function launchBrowser(args = []) {
    return chromium.launch({ executablePath: env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox', '--disable-gpu', ...args] });
}

/* The set-up of a test file: a private home; before its tests, fresh folders for its work
 * (workFolder(name)) and screenshots (screenshots/<name>), the work folder holding the files given ({ name: bytes }) and the books published into its www folder from
 * fixture PDFs (books: { name: [fixture kind such as 'plain 30', or null for the demo book,
 * ...publish arguments] }), Chromium, a server on www and then the file's own set-up; afterwards
 * all closed. Its tests are skipped when books need tools that are not built. */
export function bookSuite(name, books, { browserArgs = [], files = {}, setUp = async () => {} } = {}) {
    const s = { out: workFolder(name) }, skip = Object.keys(books).length > 0 && toolsMissing;
    s.www = path.join(s.out, 'www');
    const shots = workFolder(path.join('screenshots', name));
    s.shot = (file) => ({ path: path.join(shots, `${file}.png`) });
    const leaveHome = privateHome();
    before(async () => {
        if (skip) return;
        for (const dir of [s.out, shots]) {
            fs.rmSync(dir, { recursive: true, force: true });
            fs.mkdirSync(dir, { recursive: true });
        }
        for (const [file, bytes] of Object.entries(files)) fs.writeFileSync(path.join(s.out, file), bytes);
        for (const [book, [kind, ...args]] of Object.entries(books)) {
            const pdf = kind && path.join(s.out, `${kind.replace(' ', '-')}.pdf`);
            if (pdf && !fs.existsSync(pdf)) run(makeFixture, [...kind.split(' '), pdf]);
            run(cli, ['publish', '--quiet', ...(pdf ? [pdf] : []), '--out', path.join(s.www, book), ...args]);
        }
        s.browser = await launchBrowser(browserArgs);
        s.server = await serve(s.www);
        await setUp();
    });
    after(async () => {
        await s.browser?.close();
        await s.server?.close();
        leaveHome();
    });
    s.url = (file) => s.server.url + file;
    /* Runs fn in a new browser context made with the options browser.newContext takes. */
    s.inContext = async (options, fn) => {
        const context = await s.browser.newContext(options);
        try {
            return await fn(context);
        } finally {
            await context.close();
        }
    };
    /* A test that gets a fresh browser context; options (if any) as for inContext. */
    s.it = (title, options, fn) => test(title, { skip }, () => (fn ? s.inContext(options, fn) : s.inContext({}, options)));
    return s;
}
