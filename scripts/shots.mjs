#!/usr/bin/env node
// Regenerates every style's preview picture (AppFiles/Styles/<template>/<style>/shot.jpg) from
// a real render of the demo book published in that style.
//   node scripts/shots.mjs [--cli build/zarvex-cli] [--only TEMPLATE] [--into DIR]
// --into writes the pictures under DIR/<template>/<style>/ instead, for a look before replacing.
// Needs a built zarvex-cli, Debian's chromium and the npm packages (npm ci).
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const arg = (name, def) => {
    const i = process.argv.indexOf(name);
    return i > 0 ? process.argv[i + 1] : def;
};
const cli = path.resolve(arg('--cli', path.join(repo, 'build', 'zarvex-cli')));
const only = arg('--only', null);
const into = arg('--into', null);
const styles = path.join(repo, 'resources', 'AppFiles', 'Styles');
if (!fs.existsSync(cli)) {
    console.error(`shots: ${cli} not found; build zarvex-cli first or pass --cli`);
    process.exit(1);
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'zarvex-shots-'));
const home = path.join(work, 'home');
fs.mkdirSync(home);
const env = { ...process.env, HOME: home, XDG_CONFIG_HOME: path.join(home, '.config'),
              XDG_DATA_HOME: path.join(home, '.local/share'), XDG_CACHE_HOME: path.join(home, '.cache') };
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', env,
                                        args: ['--no-sandbox', '--disable-gpu'] });
// The shot shows the book opened at its first inner spread: a 960 x 720 screen at a third, 320 x 240.
const context = await browser.newContext({ viewport: { width: 960, height: 720 }, deviceScaleFactor: 1 / 3,
                                           reducedMotion: 'reduce' });
let failed = 0;
try {
    for (const template of fs.readdirSync(styles).sort()) {
        if (only && template !== only) continue;
        for (const style of fs.readdirSync(path.join(styles, template)).sort()) {
            const folder = path.join(styles, template, style);
            if (!fs.existsSync(path.join(folder, 'tmplSetting.txt'))) continue;
            const out = path.join(work, `${template}-${style}`);
            const r = spawnSync(cli, ['publish', '--out', out, '--template', template, '--style', style,
                                      '--quiet', '--overwrite'], { env, encoding: 'utf8' });
            if (r.status !== 0) {
                console.error(`shots: ${template}/${style}: publishing failed: ${r.stderr.trim()}`);
                failed++;
                continue;
            }
            const page = await context.newPage();
            await page.goto(pathToFileURL(path.join(out, 'index.html')).href + '#p=2');
            await page.waitForSelector('[data-zarvex-ready]', { timeout: 20000 });
            await page.waitForFunction(() => [...document.querySelectorAll('.zv-slot .zv-page img')]
                .every((img) => img.complete && img.naturalWidth > 0), null, { timeout: 20000 });
            await page.waitForTimeout(300);
            const target = into ? path.join(into, template, style) : folder;
            fs.mkdirSync(target, { recursive: true });
            await page.screenshot({ path: path.join(target, 'shot.jpg'), type: 'jpeg', quality: 85 });
            await page.close();
            console.log(`shots: ${template}/${style}/shot.jpg`);
        }
    }
} finally {
    await browser.close();
    fs.rmSync(work, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
