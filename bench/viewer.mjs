#!/usr/bin/env node
// What readers of a published book wait for and what their machine spends, in Debian's
// headless Chromium driven by playwright-core, on the generated benchmark document (300 pages
// unless --pages says otherwise), published by zarvex-cli with its defaults once per template:
//   opening over a slow line (10 Mbit/s, 40 ms latency, set through the DevTools protocol),
//   default template: time to the viewer's ready mark and to the first page's picture loaded
//   (its <img> complete, with a width), requests and bytes received in the first 3 s, and the
//   most page files requested at once;
//   per template, on the local line: requestAnimationFrame intervals while the Next button turns
//   5 pages (median, 95th percentile, longest), then 3 s of an untouched book: how often the
//   page's own scripts asked for an animation frame, how many style recalculations and layouts
//   Chromium ran (its Performance metrics) and how many animations are still running. An idle
//   book should show zeros: anything else redraws the screen while nobody reads.
// Options: --pages N, --format flash|image (default: zarvex-cli's), --pdf FILE (measure that
// document), --keep DIR (publish into DIR and leave the books there). Builds what it needs
// through bench/common.sh (ZARVEX_BUILD_DIR as there); CHROMIUM names the browser
// (/usr/bin/chromium). Prints figures only; the exit status says whether the runs worked.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { parseArgs } from 'node:util';
import { chromium } from 'playwright-core';
import { serve } from '../tests/browser/support/server.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const repo = path.resolve(here, '..');
const { values: opts } = parseArgs({ options: {
    pages: { type: 'string', default: process.env.PAGES || '300' },
    format: { type: 'string' },
    pdf: { type: 'string' },
    keep: { type: 'string' },
} });
if (!/^[1-9]\d*$/.test(opts.pages)) throw new Error(`--pages takes a page count, not '${opts.pages}'`);
if (opts.format && !['flash', 'image'].includes(opts.format)) throw new Error(`--format takes flash or image, not '${opts.format}'`);

const LINE = { latency: 40, bitsPerSecond: 10e6 };
const WINDOW_S = 3;
const TURNS = 5;
const IDLE_MS = 3000;
const DEFAULT_TEMPLATE = 'float';
const templatesDir = path.join(repo, 'resources', 'AppFiles', 'Templates');
const templates = fs.readdirSync(templatesDir)
    .filter((t) => fs.existsSync(path.join(templatesDir, t, 'flashTemplate.xml'))).sort();

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'zarvex-bench-viewer-'));
const books = opts.keep ? path.resolve(opts.keep) : path.join(work, 'www');
fs.mkdirSync(books, { recursive: true });

/* Publishes one book per template with bench/common.sh's document and private home. */
function publishBooks() {
    const script = `targets=zarvex-cli
source "$0"
if [[ -n \${PDF:-} ]]; then use given "$(realpath "$PDF")"
else "$build/make-fixture-pdf" benchmark "$PAGES" "$work/benchmark.pdf" && use benchmark "$work/benchmark.pdf"; fi
echo "$pages"
for t in "$@"; do
  echo "publishing $pages pages with $t" >&2
  rm -rf "$BOOKS/$t"
  "$build/zarvex-cli" publish "$pdf" --out "$BOOKS/$t" --template "$t" --quiet $FORMAT >/dev/null
done`;
    const env = { ...process.env, BOOKS: books, PAGES: opts.pages, FORMAT: opts.format ? `--format ${opts.format}` : '' };
    if (opts.pdf) env.PDF = path.resolve(opts.pdf);
    else delete env.PDF;
    const r = spawnSync('bash', ['-c', script, path.join(here, 'common.sh'), ...templates],
                        { env, encoding: 'utf8', stdio: ['ignore', 'pipe', 'inherit'] });
    if (r.status !== 0) throw new Error(`publishing failed (${r.error || r.signal || `exit ${r.status}`})`);
    return Number(r.stdout.trim());
}

function folderBytes(dir) {
    let total = 0;
    for (const e of fs.readdirSync(dir, { withFileTypes: true })) {
        const p = path.join(dir, e.name);
        total += e.isDirectory() ? folderBytes(p) : fs.statSync(p).size;
    }
    return total;
}

// Runs before the book's scripts: notes when the viewer marks itself ready and when the first
// page's picture has loaded (milliseconds from the navigation), and counts the page's own calls
// of requestAnimationFrame. The benchmark's frame probe uses the original function.
const PROBE = () => {
    const raf = window.requestAnimationFrame.bind(window);
    window.__bench = { rafCalls: 0, raf, ready: null, firstPage: null };
    window.requestAnimationFrame = (cb) => { window.__bench.rafCalls++; return raf(cb); };
    const firstPage = (img) => img && img.matches('.zv-slot .zv-page[data-page="1"] img') && img.complete && img.naturalWidth > 0;
    document.addEventListener('load', (e) => {
        if (window.__bench.firstPage === null && firstPage(e.target)) window.__bench.firstPage = performance.now();
    }, true);
    new MutationObserver(() => {
        if (window.__bench.ready === null && document.querySelector('[data-zarvex-ready]')) window.__bench.ready = performance.now();
        if (window.__bench.firstPage === null && firstPage(document.querySelector('.zv-slot .zv-page[data-page="1"] img'))) {
            window.__bench.firstPage = performance.now();
        }
    }).observe(document, { subtree: true, childList: true, attributes: true });
};

const firstPageShown = (page) => page.waitForFunction(() => window.__bench.firstPage !== null, null, { timeout: 120000 });

/* Opening the default template's book over the slow line. */
async function measureOpening(browser, server) {
    const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
    const page = await context.newPage();
    await page.addInitScript(PROBE);
    const cdp = await context.newCDPSession(page);
    await cdp.send('Network.enable');
    await cdp.send('Network.setCacheDisabled', { cacheDisabled: true });
    await cdp.send('Network.emulateNetworkConditions', {
        offline: false, latency: LINE.latency,
        downloadThroughput: LINE.bitsPerSecond / 8, uploadThroughput: LINE.bitsPerSecond / 8 });

    // Request events carry the protocol's monotonic clock, in seconds.
    let start = null;
    const requests = new Map(); // id -> { time, pageFile }
    const received = []; // [time, bytes]
    let inFlight = 0, mostInFlight = 0;
    const ended = (id) => {
        const r = requests.get(id);
        if (r && r.pageFile && !r.done) inFlight--;
        if (r) r.done = true;
    };
    cdp.on('Network.requestWillBeSent', (e) => {
        if (start === null) start = e.timestamp;
        const pageFile = /\/files\/page\//.test(e.request.url);
        requests.set(e.requestId, { time: e.timestamp, pageFile, done: false });
        if (pageFile) mostInFlight = Math.max(mostInFlight, ++inFlight);
    });
    cdp.on('Network.dataReceived', (e) => received.push([e.timestamp, e.encodedDataLength]));
    cdp.on('Network.loadingFinished', (e) => ended(e.requestId));
    cdp.on('Network.loadingFailed', (e) => ended(e.requestId));

    await page.goto(server.url + `${DEFAULT_TEMPLATE}/index.html`);
    await firstPageShown(page);
    const { ready, firstPage } = await page.evaluate(() => window.__bench);
    const left = WINDOW_S * 1000 - await page.evaluate(() => performance.now());
    if (left > 0) await page.waitForTimeout(left + 100);
    const end = start + WINDOW_S;
    const inWindow = [...requests.values()].filter((r) => r.time <= end).length;
    const bytes = received.filter(([t]) => t <= end).reduce((sum, [, b]) => sum + b, 0);
    await context.close();
    return { ready, firstPage, requests: inWindow, bytes, mostInFlight };
}

const quantile = (sorted, q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];

/* Turning pages and then leaving the book alone, for one template's book on the local line. */
async function measureTemplate(browser, server, template) {
    const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
    const page = await context.newPage();
    await page.addInitScript(PROBE);
    const cdp = await context.newCDPSession(page);
    await cdp.send('Performance.enable');
    await page.goto(server.url + `${template}/index.html`);
    await firstPageShown(page);

    await page.evaluate(() => {
        const b = window.__bench;
        b.intervals = []; b.last = null; b.probing = true;
        const tick = (t) => {
            if (b.last !== null) b.intervals.push(t - b.last);
            b.last = t;
            if (b.probing) b.raf(tick);
        };
        b.raf(tick);
    });
    for (let n = 0; n < TURNS; n++) {
        const before = await page.getAttribute('.zv-root', 'data-pages');
        await page.click('[data-button=Next]');
        await page.waitForFunction((p) => document.querySelector('.zv-root').dataset.pages !== p &&
                                          !document.querySelector('.zv-leaf'), before);
    }
    const intervals = await page.evaluate(() => { window.__bench.probing = false; return window.__bench.intervals; });
    intervals.sort((a, b) => a - b);

    // Left alone: the pictures of the spread have loaded, nothing is turning.
    await page.waitForTimeout(1000);
    const metrics = async () => Object.fromEntries((await cdp.send('Performance.getMetrics')).metrics.map((m) => [m.name, m.value]));
    const before = { ...(await metrics()), rafCalls: await page.evaluate(() => window.__bench.rafCalls) };
    await page.waitForTimeout(IDLE_MS);
    const after = { ...(await metrics()), rafCalls: await page.evaluate(() => window.__bench.rafCalls) };
    const running = await page.evaluate(() => document.getAnimations().filter((a) => a.playState === 'running').length);
    await context.close();
    return {
        template, frames: intervals.length,
        median: quantile(intervals, 0.5), p95: quantile(intervals, 0.95), longest: intervals[intervals.length - 1],
        rafCalls: after.rafCalls - before.rafCalls,
        recalcs: after.RecalcStyleCount - before.RecalcStyleCount,
        layouts: after.LayoutCount - before.LayoutCount,
        running,
    };
}

const pad = (v, n) => String(v).padStart(n);
const ms = (v) => (v === null || v === undefined ? 'n/a' : `${Math.round(v)} ms`);
const mb = (b) => `${(b / 1e6).toFixed(2)} MB`;

let browser, server;
try {
    const pages = publishBooks();
    const format = fs.readdirSync(path.join(books, DEFAULT_TEMPLATE, 'files', 'page')).some((f) => f.endsWith('.swf')) ? 'Flash' : 'image';
    browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
                                      args: ['--no-sandbox', '--disable-gpu'],
                                      env: { ...process.env, HOME: work, XDG_CONFIG_HOME: path.join(work, '.config'),
                                             XDG_CACHE_HOME: path.join(work, '.cache') } });
    server = await serve(books);
    const open = await measureOpening(browser, server);
    const rows = [];
    for (const t of templates) rows.push(await measureTemplate(browser, server, t));

    console.log(`book:                     ${pages} pages, ${format} pages, zarvex-cli's default quality, ` +
                `${mb(folderBytes(path.join(books, DEFAULT_TEMPLATE)))} (${DEFAULT_TEMPLATE})`);
    console.log(`opening over ${LINE.bitsPerSecond / 1e6} Mbit/s, ${LINE.latency} ms latency (${DEFAULT_TEMPLATE}):`);
    console.log(`  viewer ready:           ${ms(open.ready)}`);
    console.log(`  first page loaded:      ${ms(open.firstPage)}`);
    console.log(`  first ${WINDOW_S} s:              ${open.requests} requests, ${mb(open.bytes)} received`);
    console.log(`  page files at once:     ${open.mostInFlight} at most`);
    console.log(`turning ${TURNS} pages (rAF intervals) and ${IDLE_MS / 1000} s untouched, local line:`);
    console.log('  template    frames  median     p95  longest | idle: rAF calls  style recalcs  layouts  running animations');
    for (const r of rows) {
        console.log(`  ${r.template.padEnd(10)} ${pad(r.frames, 7)} ${pad(r.median.toFixed(1), 7)} ${pad(r.p95.toFixed(1), 7)} ` +
                    `${pad(r.longest.toFixed(1), 8)} | ${pad(r.rafCalls, 15)} ${pad(r.recalcs, 14)} ${pad(r.layouts, 8)} ` +
                    `${pad(r.running, 19)}`);
    }
    console.log('  (frame intervals in ms; the idle columns are counts over the untouched seconds, 0 is ideal)');
} finally {
    await browser?.close();
    await server?.close();
    fs.rmSync(work, { recursive: true, force: true });
}
