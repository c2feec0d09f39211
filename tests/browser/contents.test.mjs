// Browser tests of the book's contents: the bookmark tree that zarvex-cli --bookmarks publishes
// beside the configuration, the "Content" button and the panel that lists the tree, driven by
// the keyboard as a reader who uses no mouse would, over http and from disk, in both reading
// directions and in the mobile Flip player. Environment as for viewer.test.mjs:
// ZARVEX_RESOURCES, ZARVEX_BROWSER_OUT, ZARVEX_CLI, ZARVEX_MAKE_FIXTURE_PDF, CHROMIUM.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { serve } from './support/server.mjs';
import { cli, makeFixture, toolsMissing, workFolder, privateHome, run, launchBrowser } from './support/setup.mjs';
import { openBook, waitPages } from './support/viewer.mjs';

const out = workFolder('contents');
const www = path.join(out, 'www');
const shot = (name) => ({ path: path.join(out, 'screenshots', `${name}.png`) });

const leaveHome = privateHome();

// The standard fixture's outline: "Chapter 1" -> PDF page 1 { "Section 1.1" -> 2,
// "Section 1.2" -> 3 { "Detail" -> 4 } }, "Chapter 2" -> 5. The books hold PDF pages 1, 2, 3
// and 5 at positions 1 to 4, so "Detail" has no page in them and "Chapter 2" is at 4.
const PAGES = ['--pages', '1-3,5'];
const BOOKS = {
    book: ['--format', 'image', '--bookmarks', ...PAGES, '--mobile', 'flip'],
    rtl: ['--format', 'image', '--bookmarks', ...PAGES, '--set', 'direction=Left', '--set', 'languageSetting=French'],
    plain: ['--format', 'image', ...PAGES],
};
const TREE = [['Chapter 1', 1, '1'], ['Section 1.1', 2, '2'], ['Section 1.2', 2, '3'], ['Detail', 3, null],
              ['Chapter 2', 1, '4']];

let browser, server;
before(async () => {
    if (toolsMissing) return;
    fs.rmSync(out, { recursive: true, force: true });
    fs.mkdirSync(path.join(out, 'screenshots'), { recursive: true });
    const pdf = path.join(out, 'standard.pdf');
    run(makeFixture, ['standard', pdf]);
    for (const [name, args] of Object.entries(BOOKS)) run(cli, ['publish', '--quiet', pdf, '--out', path.join(www, name), ...args]);
    browser = await launchBrowser();
    server = await serve(www);
});
after(async () => {
    await browser?.close();
    await server?.close();
    leaveHome();
});

function it(name, fn) {
    test(name, { skip: toolsMissing }, async () => {
        const context = await browser.newContext({ viewport: { width: 1280, height: 860 } });
        try {
            await fn(context);
        } finally {
            await context.close();
        }
    });
}

// The entry that holds the focus: its title, or what else has it.
const focused = (page) => page.evaluate(() => {
    const a = document.activeElement;
    if (a.matches('[role=treeitem]')) return a.querySelector('.zv-toc-title').textContent;
    return a.dataset.button || a.className;
});
const press = async (page, ...keys) => { for (const k of keys) await page.keyboard.press(k); };
// Opens the panel from the Content button with the keyboard.
async function openContents(page) {
    await page.waitForSelector('[data-button=Content]');
    await page.focus('[data-button=Content]');
    await page.keyboard.press('Enter');
    await page.waitForSelector('.zv-dialog:not([hidden]) [role=tree]');
}

it('the contents panel lists the nested tree, walks it with the keys, turns to an entry\'s page and holds the left-out entry disabled, over http, from disk and in the mobile player', async (context) => {
    for (const [where, url] of [['http', server.url + 'book/index.html'],
                                ['disk', pathToFileURL(path.join(www, 'book', 'index.html')).href],
                                ['mobile', server.url + 'book/mobile/index.html']]) {
        const page = await openBook(context, url);
        await openContents(page);
        const tree = await page.$$eval('[role=treeitem]', (items) => items.map((li) => [
            li.querySelector('.zv-toc-title').textContent, +li.getAttribute('aria-level'),
            li.getAttribute('aria-disabled') === 'true' ? null : li.dataset.position]));
        assert.deepEqual(tree, TREE, where);
        assert.equal(await page.$$eval('[role=tree] [role=group] [role=group] > [role=treeitem]', (l) => l.length), 1,
                     `${where}: "Detail" is nested two levels down`);
        assert.equal(await focused(page), 'Chapter 1', `${where}: the entry of the page on screen has the focus`);
        if (where === 'http') await page.screenshot(shot('contents-panel'));

        // Each row: keys pressed, the entry that has the focus then.
        for (const [keys, entry] of [[['ArrowDown'], 'Section 1.1'], [['End'], 'Chapter 2'], [['Home'], 'Chapter 1'],
                                     [['ArrowDown', 'ArrowDown', 'ArrowRight'], 'Detail'],
                                     [['Enter'], 'Detail'], // a left-out page: nothing happens
                                     [['ArrowLeft'], 'Section 1.2'], [['ArrowLeft', 'ArrowDown'], 'Chapter 2'],
                                     [['Tab'], 'zv-btn zv-close'], [['Tab'], 'Chapter 2']]) {
            await press(page, ...keys);
            assert.equal(await focused(page), entry, `${where}: ${keys.join(' ')}`);
        }
        assert.deepEqual(await page.$$eval('[role=treeitem]', (l) => l.map((li) => li.getAttribute('aria-expanded'))),
                         ['true', null, 'false', null, null], `${where}: ArrowLeft folded "Section 1.2"`);
        await page.keyboard.press('Enter');
        await waitPages(page, 4);
        assert.equal(await page.isHidden('.zv-dialog'), true, where);
        assert.equal(await focused(page), 'Content', `${where}: the focus is back on the button`);

        // Escape closes the panel too; the focus goes back to the button.
        await openContents(page);
        assert.equal(await focused(page), 'Chapter 2', `${where}: the entry of page 4`);
        await page.keyboard.press('Escape');
        assert.equal(await focused(page), 'Content', where);
        await page.close();
    }
});

it('a right-to-left book in French has its children to the left, the XML file serves when the script cannot load, and a book without bookmarks has no button', async (context) => {
    const page = await openBook(context, server.url + 'rtl/index.html');
    await openContents(page);
    assert.equal(await page.getAttribute('[data-button=Content]', 'aria-label'), 'Sommaire');
    assert.equal(await page.textContent('.zv-dialog h2'), 'Sommaire');
    assert.equal(await page.textContent('[role=treeitem][aria-disabled=true] .zv-toc-page'), 'absent de ce livre');
    for (const [key, entry] of [['ArrowLeft', 'Section 1.1'], ['ArrowRight', 'Chapter 1'], ['ArrowRight', 'Chapter 1'],
                                ['ArrowLeft', 'Chapter 1'], ['ArrowLeft', 'Section 1.1'], ['ArrowDown', 'Section 1.2']]) {
        await page.keyboard.press(key);
        assert.equal(await focused(page), entry, key);
    }
    // The folded "Chapter 1" was opened again by the second ArrowLeft.
    assert.equal(await page.getAttribute('[role=tree] > [role=treeitem]', 'aria-expanded'), 'true');
    await page.screenshot(shot('contents-panel-rtl'));
    await page.keyboard.press('Enter');
    assert.deepEqual(await waitPages(page, '2,3'), [2, 3]);
    assert.equal(await focused(page), 'Content');

    // Where the script twin cannot load, the XML file serves over http.
    await context.route('**/outline.js', (r) => r.abort());
    const fallback = await openBook(context, server.url + 'book/index.html');
    await openContents(fallback);
    assert.deepEqual(await fallback.$$eval('.zv-toc-title', (l) => l.map((e) => e.textContent)), TREE.map((e) => e[0]));

    // A book without bookmarks says so in its config script: no request for a missing tree.
    const asked = [];
    context.on('request', (r) => asked.push(r.url()));
    const plain = await openBook(context, server.url + 'plain/index.html');
    await plain.waitForSelector('[data-contents=none]');
    assert.equal(await plain.$('[data-button=Content]'), null);
    assert.deepEqual(asked.filter((u) => /outline/.test(u)), []);
});
