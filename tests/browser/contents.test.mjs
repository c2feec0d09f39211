// Browser tests of the book's contents and text: the bookmark tree that zarvex-cli --bookmarks
// publishes beside the configuration, the "Content" button and the panel that lists the tree,
// driven by the keyboard as a reader who uses no mouse would, over http and from disk, in both
// reading directions and in the mobile Flip player; the pages' text that --text publishes,
// selected and copied, searched and read as the pages' descriptions; and a real manual read as a
// reader would. Environment as for viewer.test.mjs: ZARVEX_RESOURCES, ZARVEX_BROWSER_OUT,
// ZARVEX_CLI, ZARVEX_MAKE_FIXTURE_PDF, CHROMIUM.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';
import zlib from 'node:zlib';
import { pathToFileURL } from 'node:url';
import { serve } from './support/server.mjs';
import { cli, makeFixture, toolsMissing, workFolder, privateHome, run, launchBrowser } from './support/setup.mjs';
import { drag, openBook, spread, waitPages } from './support/viewer.mjs';

const out = workFolder('contents');
const www = path.join(out, 'www');
const shot = (name) => ({ path: path.join(out, 'screenshots', `${name}.png`) });

const leaveHome = privateHome();
const MANUAL = '/usr/share/doc/fontconfig/fontconfig-user.pdf.gz';

// The standard fixture's outline: "Chapter 1" -> PDF page 1 { "Section 1.1" -> 2,
// "Section 1.2" -> 3 { "Detail" -> 4 } }, "Chapter 2" -> 5. The books hold PDF pages 1, 2, 3
// and 5 at positions 1 to 4, so "Detail" has no page in them and "Chapter 2" is at 4.
// "words": the text fixture's 9 pages with their text; pages 1 to 6 read "1" (the page number)
// then "Zarvex finds words" and "over </script> pages" on the page turned and cropped in turn,
// page 7 a Hebrew line, page 8 "中文字" (a word per letter), page 9 "Crème brûlée à Zürich".
const PAGES = ['--pages', '1-3,5'];
const BOOKS = {
    book: ['standard', '--format', 'image', '--bookmarks', ...PAGES, '--mobile', 'flip'],
    rtl: ['standard', '--format', 'image', '--bookmarks', ...PAGES, '--set', 'direction=Left', '--set', 'languageSetting=French'],
    plain: ['standard', '--format', 'image', ...PAGES],
    words: ['text', '--format', 'image', '--text'],
};
const TREE = [['Chapter 1', 1, '1'], ['Section 1.1', 2, '2'], ['Section 1.2', 2, '3'], ['Detail', 3, null],
              ['Chapter 2', 1, '4']];

let browser, server;
before(async () => {
    if (toolsMissing) return;
    fs.rmSync(out, { recursive: true, force: true });
    fs.mkdirSync(path.join(out, 'screenshots'), { recursive: true });
    const pdf = (kind) => path.join(out, `${kind}.pdf`);
    for (const kind of new Set(Object.values(BOOKS).map((b) => b[0]))) run(makeFixture, [kind, pdf(kind)]);
    for (const [name, [kind, ...args]] of Object.entries(BOOKS)) {
        run(cli, ['publish', '--quiet', pdf(kind), '--out', path.join(www, name), ...args]);
    }
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
    await plain.waitForSelector('[data-contents=none][data-text=none]');
    assert.equal(await plain.$('[data-button=Content]'), null);
    assert.deepEqual(asked.filter((u) => /outline|text\//.test(u)), []);
    assert.equal(await plain.$('[data-button=Search]'), null, 'a book without text has no search');
});

// ---- The pages' text ----

// The words of PDF page n in a published book, from its text file.
const textOf = (book, n) => JSON.parse(fs.readFileSync(path.join(www, book, 'files', 'text', `${n}.json`), 'utf8'));
// A page on screen by its book position, and one of its words.
const pageAt = (n) => `.zv-slot .zv-page[data-page="${n}"]`;
const word = (page, n, text) => page.locator(`${pageAt(n)} .zv-word`).filter({ hasText: new RegExp(`^${text}$`) });
// Where the boxes of words [x, y, w, h] of a page's text file lie on the screen, and the
// elements that a selector finds there, as [x, y, width, height].
async function onScreen(page, n, data, boxes) {
    const p = await page.locator(pageAt(n)).boundingBox();
    return boxes.map(([x, y, w, h]) => [p.x + x / data.w * p.width, p.y + y / data.h * p.height,
                                       w / data.w * p.width, h / data.h * p.height]);
}
const rects = (page, selector) => page.$$eval(selector, (l) => l.map((e) => {
    const r = e.getBoundingClientRect();
    return [r.x, r.y, r.width, r.height];
}));
function assertNear(actual, expected, tolerance, what) {
    assert.equal(actual.length, expected.length, `${what}: ${JSON.stringify(actual)}`);
    actual.forEach((r, i) => r.forEach((v, k) => assert.ok(Math.abs(v - expected[i][k]) <= tolerance,
        `${what}: box ${i} is ${JSON.stringify(r)}, expected ${JSON.stringify(expected[i])}`)));
}

/* Presses the mouse at the start of the first word and lets go at the end of the last. */
async function selectWords(page, first, last) {
    const a = await first.boundingBox(), b = await last.boundingBox();
    await page.mouse.move(a.x + 1, a.y + a.height / 2);
    await page.mouse.down();
    await page.mouse.move(b.x + b.width - 1, b.y + b.height / 2, { steps: 8 });
    await page.mouse.up();
}
async function copied(page) {
    await page.keyboard.press('Control+c');
    return page.evaluate(() => navigator.clipboard.readText());
}
/* The accessible description Chromium gives the page element at book position n. */
async function description(page, n) {
    const cdp = await page.context().newCDPSession(page);
    const { root } = await cdp.send('DOM.getDocument', { depth: 0 });
    const { nodeId } = await cdp.send('DOM.querySelector', { nodeId: root.nodeId, selector: pageAt(n) });
    const { nodes } = await cdp.send('Accessibility.getPartialAXTree', { nodeId, fetchRelatives: false });
    await cdp.detach();
    return nodes[0].description?.value;
}

/* Searches from the panel's field; answers the hits listed as [page, the words matched]. */
async function search(page, query) {
    await page.fill('.zv-searchfield', query);
    await page.press('.zv-searchfield', 'Enter');
    await page.waitForSelector('.zv-root[data-search=done]');
    return page.$$eval('.zv-result', (l) => l.map((b) => [b.querySelector('.zv-result-page').textContent,
                                                         b.querySelector('mark').textContent]));
}
const currentHit = (page) => page.evaluate(() => [+document.querySelector('.zv-result[aria-current]').dataset.hit + 1,
                                                  document.querySelector('.zv-searchstatus').textContent]);

// Page 1's text as its description reads (a description is one line).
const FIRST_PAGE = '1 Zarvex finds words over </script> pages';

it('the words lie over their place on the page: a drag across them selects and copies the lines and turns no page, a drag from a blank part turns it, and each page is described by its text, over http, from disk and from the JSON files', async (context) => {
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    // At page 1 each time: the book opens where the reader left it.
    for (const [where, url] of [['http', server.url + 'words/index.html#p=1'],
                                ['disk', pathToFileURL(path.join(www, 'words', 'index.html')).href + '#p=1'],
                                ['json', server.url + 'words/index.html#p=1']]) {
        if (where === 'json') await context.route('**/text/*.js', (r) => r.abort());
        const page = await openBook(context, url);
        await page.waitForSelector(`${pageAt(1)} .zv-text .zv-word`);
        assert.equal(await description(page, 1), FIRST_PAGE, where);
        if (where !== 'http') { await page.close(); continue; }

        // Each word's element covers its box: placed, and its letters fitted to the box's width.
        const data = textOf('words', 1);
        assertNear(await rects(page, `${pageAt(1)} .zv-word`), await onScreen(page, 1, data, data.words), 1.5, 'page 1');

        await selectWords(page, word(page, 1, 'Zarvex'), word(page, 1, 'pages'));
        assert.equal(await page.evaluate(() => getSelection().toString()), 'Zarvex finds words\nover </script> pages');
        assert.equal(await copied(page), 'Zarvex finds words\nover </script> pages');
        await page.screenshot(shot('text-selection'));
        assert.deepEqual(await spread(page), [1], 'selecting turned the page');

        // Below the words, on the blank part of the page, a drag a page's width leftwards turns
        // it; the page turned by 90 degrees that comes into view has its words and description.
        const p = await page.locator(pageAt(1)).boundingBox();
        await drag(page, [p.x + p.width * 0.6, p.y + p.height * 0.9], [[p.x - p.width * 0.6, p.y + p.height * 0.9]]);
        assert.deepEqual(await spread(page), [2, 3]);
        await page.waitForSelector(`${pageAt(2)} .zv-word`);
        assert.equal(await description(page, 2), FIRST_PAGE.replace('1', '2'));
        const turned = textOf('words', 2);
        assertNear(await rects(page, `${pageAt(2)} .zv-word`), await onScreen(page, 2, turned, turned.words), 1.5, 'page 2');
        await page.close();
    }
    await context.unroute('**/text/*.js');
});

it('the search panel finds words in any case and without accents, inside a run of CJK letters and over a line\'s end, lists them with their page and context, steps through them and boxes the hit words beside the panel', async (context) => {
    const page = await openBook(context, server.url + 'words/index.html');
    await page.focus('[data-button=Search]');
    await page.keyboard.press('Enter');
    assert.equal(await page.evaluate(() => document.activeElement.className), 'zv-searchfield');
    const pages = (list, words) => list.map((n) => [`Page ${n}`, words]);
    // Each row: the query and the hits listed, with their page and the words matched.
    for (const [query, hits] of [['ZARVEX', pages([1, 2, 3, 4, 5, 6], 'Zarvex')],
                                 ['creme BRULEE', pages([9], 'Crème brûlée')],
                                 ['zurich', pages([9], 'Zürich')],
                                 ['WORDS over', pages([1, 2, 3, 4, 5, 6], 'words over')],
                                 ['nowhere', []],
                                 ['文字', pages([8], '文字')]]) {
        assert.deepEqual(await search(page, query), hits, query);
    }
    assert.equal(await page.textContent('.zv-result-text'), '8 中文字', 'the context of the CJK hit');
    // The first hit is shown: its page turned to and its two letters boxed where the text file
    // has them, in the part of the stage the panel leaves to the book.
    await waitPages(page, 8);
    await page.waitForSelector(`${pageAt(8)} .zv-hit-current`);
    const cjk = textOf('words', 8);
    assert.deepEqual(cjk.words.slice(2).map((w) => w[4]), ['文', '字']);
    assertNear(await rects(page, `${pageAt(8)} .zv-hit-current`), await onScreen(page, 8, cjk, cjk.words.slice(2)), 1, 'the hit');
    const book = await page.locator('.zv-book').boundingBox(), panel = await page.locator('.zv-search').boundingBox();
    assert.ok(book.x + book.width <= panel.x, 'the panel covers no page');
    await page.screenshot(shot('text-search-cjk'));

    // Stepping: each row, the way (Enter or Shift+Enter in the field, or a button), the hit
    // then current and the pages shown.
    await search(page, 'words');
    for (const [how, hit, shown] of [['Enter', 2, '2,3'], ['Enter', 3, '2,3'], ['Shift+Enter', 2, '2,3'],
                                     ['Prev', 1, '1'], ['Prev', 6, '6,7'], ['Next', 1, '1']]) {
        if (/Enter/.test(how)) await page.press('.zv-searchfield', how);
        else await page.click(`.zv-searchstep[aria-label="${how === 'Prev' ? 'Previous' : 'Next'} match"]`);
        await waitPages(page, shown);
        assert.deepEqual(await currentHit(page), [hit, `Match ${hit} of 6, page ${hit}`], `${how} to hit ${hit}`);
        assert.equal(await page.locator(`${pageAt(hit)} .zv-hit-current`).count(), 1, `hit ${hit} is boxed`);
    }

    // Escape closes the panel and gives the focus back; the boxes go with it.
    await page.focus('.zv-searchfield');
    await page.keyboard.press('Escape');
    assert.equal(await page.isHidden('.zv-search'), true);
    assert.equal(await page.evaluate(() => document.activeElement.dataset.button), 'Search');
    assert.equal(await page.locator('.zv-hit').count(), 0);
});

test('a real manual (Debian\'s fontconfig user guide), as a reader reads it: search a word, open a hit, select and copy a sentence, jump from the contents panel',
   { skip: toolsMissing || (!fs.existsSync(MANUAL) && `${MANUAL} is absent: install the fontconfig package`) }, async () => {
    const pdf = path.join(out, 'fontconfig-user.pdf');
    fs.writeFileSync(pdf, zlib.gunzipSync(fs.readFileSync(MANUAL)));
    run(cli, ['publish', '--quiet', pdf, '--out', path.join(www, 'manual'), '--format', 'image', '--text', '--bookmarks']);
    const context = await browser.newContext({ viewport: { width: 1280, height: 860 } });
    try {
        await context.grantPermissions(['clipboard-read', 'clipboard-write']);
        const page = await openBook(context, server.url + 'manual/index.html');
        await page.click('[data-button=Search]');
        // The hits expected: the word's places in each page's text file.
        const expected = [];
        for (let n = 1; n <= 15; n++) {
            const text = textOf('manual', n).words.map((w) => w[4]).join(' ').toLowerCase();
            for (let at = text.indexOf('hintstyle'); at >= 0; at = text.indexOf('hintstyle', at + 1)) expected.push(`Page ${n}`);
        }
        assert.ok(expected.length >= 2, `"hintstyle" in the manual: ${expected}`);
        assert.deepEqual((await search(page, 'HintStyle')).map((h) => h[0]), expected);
        await page.screenshot(shot('manual-search-results'));
        await page.click('.zv-result[data-hit="1"]');
        await waitPages(page, +expected[1].slice(5));
        await page.waitForSelector('.zv-hit-current');
        await page.screenshot(shot('manual-search-hit'));
        await page.click('.zv-search .zv-close');

        await page.click('[data-button=First]');
        await waitPages(page, 1);
        // The sentence as the page has it: its words from the text file, over a hyphenated line end.
        const words = textOf('manual', 1).words.map((w) => w[4]), from = words.indexOf('Fontconfig');
        const sentence = words.slice(from, words.indexOf('access.', from) + 1).join(' ');
        assert.match(sentence, /^Fontconfig is a library designed .* cus- tomization and application access\.$/);
        await page.waitForSelector(`${pageAt(1)} .zv-word`);
        await selectWords(page, word(page, 1, 'Fontconfig').first(), word(page, 1, 'access\\.'));
        const text = await copied(page);
        assert.equal(text.replace(/\s+/g, ' '), sentence);
        assert.match(text, /cus-\ntomization/, 'lines end with a line break');
        await page.screenshot(shot('manual-selection'));

        await openContents(page);
        assert.equal(await page.locator('[role=treeitem]').count(), 52);
        await page.screenshot(shot('manual-contents'));
        const entry = page.locator('[role=treeitem][data-position]').filter({ hasNot: page.locator('[role=group]') }).last();
        const position = +await entry.getAttribute('data-position');
        assert.ok(position > 2, `the last entry is on page ${position}`);
        await entry.locator('.zv-toc-row').click();
        assert.ok((await waitPages(page, position)).includes(position));
    } finally {
        await context.close();
    }
});

test('the search compares folded text: any case, no accents, Hebrew points or Arabic harakat, ligatures and presentation forms as their letters, CJK letters without blanks, words hyphenated at a line\'s end whole', () => {
    const sandbox = vm.createContext({});
    vm.runInContext(fs.readFileSync(new URL('../../viewer/src/book/textmatch.js', import.meta.url), 'utf8') +
                    '\nthis.Match = BookTextMatch;', sandbox);
    const { Match } = sandbox;
    // A page of lines of blank-separated words.
    const pageOf = (...lines) => {
        const words = [], starts = [];
        for (const line of lines) {
            starts.push(words.length);
            for (const w of line.split(' ')) words.push([0, 0, 1, 1, w]);
        }
        return { w: 1, h: 1, words, lines: starts };
    };
    const page = pageOf('Zarvex ﬁnds words', 'over Crème brûlée', '中 文 字 書', 'שָׁלוֹם كَتَبَ ﺳﻼﻡ', 'cus-', 'tomization');
    assert.equal(Match.runningText(page), 'Zarvex ﬁnds words\nover Crème brûlée\n中文字書\nשָׁלוֹם كَتَبَ ﺳﻼﻡ\ncus-\ntomization');
    const index = Match.index(page);
    // Each row: the query and, for each hit, its context as "before[match]after".
    for (const [query, hits] of [['FINDS', ['Zarvex [ﬁnds] words…']], ['words OVER', ['…ﬁnds [words over] Crème…']],
                                 ['creme brulee', ['…over [Crème brûlée] 中文字書…']], ['文字', ['…brûlée 中[文字]書 שָׁלוֹם…']],
                                 ['שלום', ['…中文字書 [שָׁלוֹם] كَتَبَ…']], ['كتب', ['…書 שָׁלוֹם [كَتَبَ] ﺳﻼﻡ cus-…']],
                                 ['سلام', ['…كَتَبَ [ﺳﻼﻡ] cus-…']], ['nowhere', []],
                                 ['customization', ['…ﺳﻼﻡ [cus- tomization]']], ['cus tom', []],
                                 ['r', ['Za[r]vex ﬁnds…', '…ﬁnds wo[r]ds over…', '…words ove[r] Crème…',
                                        '…over C[r]ème brûlée…', '…Crème b[r]ûlée 中文字書…']]]) {
        const found = Array.from(Match.find(index, query), (h) => {
            const c = Match.context(page, h, 10);
            return `${c.before}[${c.match}]${c.after}`;
        });
        assert.deepEqual(found, hits, query);
    }
    assert.equal(Match.find(index, 'r', 2).length, 2, 'the limit');
});
