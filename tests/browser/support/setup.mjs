// What every browser test file sets up alike: the built tools, a private home for the publisher
// and the browser (so no run touches the user's own files), a folder for the work and the
// artefacts, running a tool, and the browser itself.
// Environment: ZARVEX_RESOURCES, ZARVEX_BROWSER_OUT (work and artefact folder), ZARVEX_CLI and
// ZARVEX_MAKE_FIXTURE_PDF (the built tools), CHROMIUM (default /usr/bin/chromium).
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const env = process.env;
const built = (file) => (file && fs.existsSync(file) ? file : null);
export const cli = built(env.ZARVEX_CLI);
export const makeFixture = built(env.ZARVEX_MAKE_FIXTURE_PDF);
// Why tests that publish books are skipped, or false when they can run.
export const toolsMissing = !(cli && makeFixture) && 'zarvex-cli or make-fixture-pdf is not built';
export const resources = (env.ZARVEX_RESOURCES ||=
    path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..', '..', 'resources'));

/* The folder of a test file's work and artefacts: <ZARVEX_BROWSER_OUT>/<name>. */
export function workFolder(name) {
    return path.join(env.ZARVEX_BROWSER_OUT || fs.mkdtempSync(path.join(os.tmpdir(), 'zarvex-browser-')), name);
}

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
