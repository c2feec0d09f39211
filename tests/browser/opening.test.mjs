// Browser tests of opening a book: the book's page asks for the first page's file itself, beside
// the viewer's scripts, and the viewer takes that answer over instead of asking again; and the
// small things readers noticed: a pointer let go outside the book, a page typed into the address
// while auto flip runs, and the note for readers without scripts.
// Environment as for viewer.test.mjs: ZARVEX_RESOURCES, ZARVEX_BROWSER_OUT, ZARVEX_CLI,
// ZARVEX_MAKE_FIXTURE_PDF, CHROMIUM.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { serve } from './support/server.mjs';
import { cli, makeFixture, toolsMissing, workFolder, privateHome, run, launchBrowser } from './support/setup.mjs';
import { openBook, spread, waitPages } from './support/viewer.mjs';

const out = workFolder('opening');
const www = path.join(out, 'www');

const leaveHome = privateHome();

let browser, server;
before(async () => {
    if (toolsMissing) return;
    fs.rmSync(out, { recursive: true, force: true });
    fs.mkdirSync(out, { recursive: true });
    const plain = path.join(out, 'plain.pdf'), standard = path.join(out, 'standard.pdf');
    run(makeFixture, ['plain', '12', plain]);
    run(makeFixture, ['standard', standard]);
    run(cli, ['publish', '--quiet', plain, '--out', path.join(www, 'image'), '--format', 'image']);
    // Part of the document: the first page's file is page/2.swf.
    run(cli, ['publish', '--quiet', standard, '--out', path.join(www, 'flash'), '--format', 'flash', '--pages', '2-5']);
    run(cli, ['publish', '--quiet', plain, '--out', path.join(www, 'auto'), '--format', 'image',
              '--set', 'Enable=Yes', '--set', 'Interval=60']);
    browser = await launchBrowser();
    server = await serve(www);
});
after(async () => {
    await browser?.close();
    await server?.close();
    leaveHome();
});

function it(name, contextOptions, fn) {
    test(name, { skip: toolsMissing }, async () => {
        const context = await browser.newContext({ viewport: { width: 1280, height: 800 }, ...contextOptions });
        try {
            await fn(context);
        } finally {
            await context.close();
        }
    });
}

const firstPicture = (page) => page.waitForFunction(() => {
    const img = document.querySelector('.zv-page[data-page="1"] img');
    return img && img.complete && img.naturalWidth > 0;
});

it('the first page is asked for before the viewer\'s script has arrived, once, and not when the book opens elsewhere',
   {}, async (context) => {
    // The viewer's script is held back until the first page's file is asked for (or a while
    // has passed): a page that waits for the viewer to ask for it is never asked for in time.
    let file = '', held = false, askedWhileHeld = false, asked = [], seen = () => {};
    context.on('request', (r) => {
        if (!file || !r.url().endsWith(`/files/${file}`)) return;
        asked.push(r.url());
        if (held) askedWhileHeld = true;
        seen();
    });
    await context.route('**/files/swfobject.js', async (route) => {
        held = true;
        await Promise.race([new Promise((r) => { seen = r; }), new Promise((r) => setTimeout(r, 3000))]);
        held = false;
        await route.continue();
    });
    // book, address, the first page's file, whether it is asked for, the spread shown
    const cases = [
        ['image', '', 'page/1.jpg', true, [1]],
        ['flash', '', 'page/2.swf', true, [1]],
        ['image', '#p=8', 'page/1.jpg', false, [8, 9]],
        ['image', '', 'page/1.jpg', false, [8, 9]], // the page read last time
    ];
    for (const [book, hash, first, early, shown] of cases) {
        const what = `${book}${hash || ' (no page in the address)'}`;
        file = first; asked = []; askedWhileHeld = false;
        const page = await openBook(context, `${server.url}${book}/index.html${hash}`);
        assert.deepEqual(await spread(page), shown, what);
        if (early) {
            await firstPicture(page);
            assert.ok(askedWhileHeld, `${what}: ${first} is asked for before the viewer's script has arrived`);
        }
        // The spreads beside the one on screen have been asked for too by now.
        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pending === '0');
        assert.equal(asked.length, early ? 1 : 0, `${what}: requests of ${first}: ${asked.join(', ')}`);
        await page.close();
    }
    await context.unroute('**/files/swfobject.js');

    // From disk the viewer reads the pages itself.
    const disk = await openBook(context, pathToFileURL(path.join(www, 'image', 'index.html')).href + '#p=1');
    await firstPicture(disk);
});

// Touches through the browser's input pipeline, as a touch screen sends them.
async function swipe(page, [x, y], [toX, toY]) {
    const cdp = await page.context().newCDPSession(page);
    const send = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
    await send('touchStart', [{ x, y, id: 0 }]);
    for (let s = 1; s <= 8; s++) await send('touchMove', [{ x: x + (toX - x) * s / 8, y: y + (toY - y) * s / 8, id: 0 }]);
    await send('touchEnd', []);
}

it('a pointer let go outside the book leaves no pinch behind, a page typed into the address stops auto flip, ' +
   'and readers without scripts are told so in every language the players speak', { hasTouch: true }, async (context) => {
    const page = await openBook(context, `${server.url}image/index.html#p=4`);
    assert.deepEqual(await spread(page), [4, 5]);
    const stage = await page.locator('.zv-stage').boundingBox(), bar = await page.locator('.zv-bar').boundingBox();
    const y = stage.y + stage.height / 2;
    // The mouse presses on the page and is let go on the toolbar, below the book.
    await page.mouse.move(stage.x + stage.width * 0.7, y);
    await page.mouse.down();
    await page.mouse.move(stage.x + stage.width * 0.7, bar.y + bar.height / 2, { steps: 6 });
    await page.mouse.up();
    // A finger then swipes the right page over to the left: one finger, so the page turns.
    await swipe(page, [stage.x + stage.width * 0.8, y], [stage.x + stage.width * 0.2, y]);
    assert.deepEqual(await waitPages(page, '6,7'), [6, 7], 'the swipe turns the page');
    assert.equal(await page.locator('.zv-root.zv-zoomed').count(), 0, 'the swipe does not zoom');

    const auto = await openBook(context, `${server.url}auto/index.html`);
    assert.equal(await auto.getAttribute('[data-button=AutoPlay]', 'aria-pressed'), 'true');
    await auto.evaluate(() => { location.hash = '#p=6'; });
    await waitPages(auto, 6);
    assert.equal(await auto.getAttribute('[data-button=AutoPlay]', 'aria-pressed'), 'false', 'the page typed stops auto flip');

    const noScript = await browser.newContext({ javaScriptEnabled: false });
    try {
        const plain = await noScript.newPage();
        await plain.goto(`${server.url}image/index.html`);
        const lines = await plain.$$eval('noscript p', (ps) => ps.map((p) => [p.lang, p.textContent]));
        assert.deepEqual(lines.map(([lang]) => lang).sort(), ['de', 'en', 'es', 'fr', 'it', 'ja', 'nl', 'pt', 'zh'].sort());
        for (const [lang, line] of lines) assert.ok(line.length > 10, `${lang}: ${line}`);
        assert.equal(new Set(lines.map(([, line]) => line)).size, lines.length, 'a line of its own in each language');
    } finally {
        await noScript.close();
    }
});
