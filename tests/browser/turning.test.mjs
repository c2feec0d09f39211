// Browser tests of turning pages by hand: the reader takes a page by its corner or edge, also
// where a link lies, and drags it, in books that zarvex-cli publishes from a generated PDF.
import assert from 'node:assert/strict';
import { bookSuite } from './support/setup.mjs';
import { drag, openBook, spread } from './support/viewer.mjs';

// "standard": pages 1 to 5; page 1 links to https://example.com/a, page 2 to page 1.
const { it, url, shot } = bookSuite('turning', {
    ltr: ['standard', '--format', 'image', '--links'],
    rtl: ['standard', '--format', 'image', '--template', 'Panoramic', '--set', 'direction=Left'],
});
const wide = { viewport: { width: 1280, height: 800 } };

const box = (page, selector) => page.locator(selector).first().boundingBox();

it('a page dragged by its corner turns when let go past the middle and falls back short of it, mirrored in right-to-left books',
   wide, async (context) => {
    // book, the outer corner's side, the spread shown, the spread after a turn by hand
    const cases = [['ltr', 'right', [2, 3], [4, 5]], ['rtl', 'left', [2, 3], [4, 5]]];
    for (const [book, side, shown, next] of cases) {
        const page = await openBook(context, url(`${book}/index.html#p=2`));
        const leaf = await box(page, `.zv-${side} .zv-page`), book_ = await box(page, '.zv-book');
        const spine = book_.x + book_.width / 2, inward = side === 'right' ? -1 : 1;
        const corner = [side === 'right' ? leaf.x + leaf.width - 4 : leaf.x + 4, leaf.y + leaf.height - 4];
        const at = (fromSpine, lift = 0) => [spine - inward * fromSpine, corner[1] - lift];

        await drag(page, corner, [at(leaf.width * 0.6, 20), at(leaf.width * 0.3, 40)]);
        assert.deepEqual(await spread(page), shown, `${book}: a short drag falls back`);

        await drag(page, corner, [at(leaf.width * 0.5, 30), at(-leaf.width * 0.3, 40)], async () => {
            assert.equal(await page.locator('.zv-leaf').count(), 1, `${book}: the page curls while it is held`);
            if (book === 'ltr') await page.screenshot(shot('page-mid-curl'));
        });
        assert.deepEqual(await spread(page), next, `${book}: a drag past the middle turns the page`);
        await page.close();
    }
});

it('a drag that starts on a link turns the page and follows no link; a plain click on a link follows it', wide, async (context) => {
    await context.route('https://example.com/**', (r) => r.fulfill({ body: 'example' }));
    const page = await openBook(context, url('ltr/index.html'));
    const opened = [];
    context.on('page', (p) => opened.push(p));
    assert.deepEqual(await spread(page), [1]);
    const link = await box(page, '.zv-page[data-page="1"] a[href="https://example.com/a"]');
    const cover = await box(page, '.zv-right .zv-page');
    const from = [link.x + link.width / 2, link.y + link.height / 2];
    await drag(page, from, [[from[0] - cover.width / 2, from[1]], [from[0] - cover.width - 40, from[1] + 10]]);
    assert.deepEqual(await spread(page), [2, 3], 'a drag from a link turns the page');
    assert.equal(opened.length, 0, 'and opens no link');

    // A link over the whole page (marked wide, as the viewer marks such links) leaves the edges to turning.
    const edgeUnderLink = await page.evaluate(() => {
        const layer = document.querySelector('.zv-right .zv-links');
        const a = Object.assign(document.createElement('a'), { className: 'zv-link zv-link-wide', href: '#p=1' });
        Object.assign(a.style, { left: '0', top: '0', width: '100%', height: '100%' });
        layer.appendChild(a);
        const r = layer.getBoundingClientRect();
        return [r.top + 5, r.top + r.height / 2, r.bottom - 5].every((y) => !!document.elementFromPoint(r.right - 5, y).closest('.zv-edge'));
    });
    assert.ok(edgeUnderLink, 'the page edge lies above a full-page link');

    await page.click('.zv-page[data-page="2"] a[data-link-page="1"]');
    assert.deepEqual(await spread(page), [1], 'a plain click follows the link');
    const [popup] = await Promise.all([context.waitForEvent('page'),
        page.click('.zv-page[data-page="1"] a[href="https://example.com/a"]')]);
    await popup.waitForLoadState();
    assert.match(popup.url(), /^https:\/\/example\.com\/a/, 'a plain click on a web link opens it');
});

it('a turn tells the reader of the new pages once and leaves the page it uncovered in place', async (context) => {
    const page = await openBook(context, url('ltr/index.html#p=2'));
    await page.evaluate(() => {
        window.addressChanges = 0;
        const replace = history.replaceState.bind(history);
        history.replaceState = (...args) => { window.addressChanges++; return replace(...args); };
    });
    await page.click('[data-button=Next]');
    await page.waitForSelector('.zv-leaf');
    // The page coming into view lies in its slot while the leaf turns over it.
    assert.equal(await page.evaluate(() => {
        window.uncovered = document.querySelector('.zv-right .zv-page');
        return window.uncovered.getAttribute('data-page');
    }), '5');
    await page.waitForFunction(() => !document.querySelector('.zv-leaf'));
    assert.deepEqual(await spread(page), [4, 5]);
    assert.deepEqual(await page.evaluate(() => ({
        kept: document.querySelector('.zv-right .zv-page') === window.uncovered,
        edges: document.querySelectorAll('.zv-right .zv-page > .zv-edge').length,
        addressChanges: window.addressChanges,
    })), { kept: true, edges: 1, addressChanges: 1 });
    assert.match(page.url(), /#p=4$/);
});
