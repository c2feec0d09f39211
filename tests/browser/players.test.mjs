// Browser tests of the controls readers reach for in the book viewer and the Slide player: the
// page counter in both reading directions, zoom on the cover, printing chosen pages, and the
// Slide player's pinch, pan, double tap and link areas, driven by touches sent through CDP.
import assert from 'node:assert/strict';
import { bookSuite } from './support/setup.mjs';
import { assertLinkOnDrawing, goTo, openBook, spread } from './support/viewer.mjs';

// "links": 8 pages, pages 1 to 7 drawing their link to page 8 as a magenta rectangle.
// "rtl": the 5 standard pages, read right to left.
const { it, url, shot } = bookSuite('players', {
    links: ['links', '--format', 'image', '--links', '--mobile', 'slide'],
    rtl: ['standard', '--format', 'image', '--set', 'direction=Left'],
});
const centre = (r) => ({ x: r.x + r.width / 2, y: r.y + r.height / 2 });
const rect = (page, selector) => page.locator(selector).first().evaluate((e) => e.getBoundingClientRect().toJSON());

it('the cover zooms around itself and the page counter reads "2-3 / n" in both directions',
   { viewport: { width: 1280, height: 800 } }, async (context) => {
    for (const { book, cover, pages } of [{ book: 'links', cover: 'left', pages: 8 }, { book: 'rtl', cover: 'right', pages: 5 }]) {
        const page = await openBook(context, url(`${book}/index.html`));
        assert.deepEqual(await spread(page), [1], book);
        // The cover sits alone on its side of the spread; zoomed in, it fills the middle.
        const stage = await rect(page, '.zv-stage');
        const before = await rect(page, '.zv-page[data-page="1"]');
        assert.ok(book === 'rtl' ? centre(before).x < centre(stage).x : centre(before).x > centre(stage).x, `${book}: the cover is on one side`);
        await page.click('[data-button=Zoom]');
        const zoomed = await rect(page, '.zv-page[data-page="1"]');
        assert.ok(zoomed.width > 1.5 * before.width, `${book}: zoomed in`);
        assert.ok(Math.abs(centre(zoomed).x - centre(stage).x) < 2,
                  `${book}: the cover is centred (page at ${centre(zoomed).x}, stage at ${centre(stage).x})`);
        await page.keyboard.press('Escape');

        // The counter's characters in the order they stand on screen, left to right.
        await goTo(page, 2);
        const seen = await page.evaluate(() => {
            const field = document.querySelector('.zv-counter'), total = document.querySelector('.zv-total').firstChild;
            const chars = [{ c: field.value, x: field.getBoundingClientRect().left }];
            for (let i = 0; i < total.length; i++) {
                const r = document.createRange();
                r.setStart(total, i); r.setEnd(total, i + 1);
                chars.push({ c: total.data[i], x: r.getBoundingClientRect().left });
            }
            return chars.sort((a, b) => a.x - b.x).map((ch) => ch.c).join('').replace(/\s/g, '');
        });
        assert.equal(seen, `2-3/${pages}`, `${book}: ${cover} cover`);
        await page.close();
    }
});

it('Print prints the pages on screen, the whole book or a range, one page per sheet', {}, async (context) => {
    const page = await openBook(context, url('links/index.html'));
    await page.evaluate(() => { window.printed = 0; window.print = () => { window.printed++; }; });
    await goTo(page, 4);
    for (const { choice, range, pages } of [
        { choice: 'shown', pages: [4, 5] },
        { choice: 'all', pages: [1, 2, 3, 4, 5, 6, 7, 8] },
        { choice: 'range', range: '3-7', pages: [3, 4, 5, 6, 7] },
        { choice: 'range', range: ' 8, 2 - 3', pages: [8, 2, 3] },
        { choice: 'range', range: '7-9', pages: null },
        { choice: 'range', range: 'x', pages: null },
    ]) {
        const what = `${choice} ${range || ''}`;
        await page.emulateMedia({ media: 'screen' });
        const printed = await page.evaluate(() => window.printed);
        await page.click('[data-button=Print]');
        await page.check(`.zv-dialog input[name=zv-print][value=${choice}]`);
        if (range) await page.fill('.zv-printrange', range);
        await page.click('.zv-dialog button[type=submit]');
        if (!pages) {
            assert.match(await page.textContent('.zv-printerror'), /between 1 and 8/, what);
            assert.equal(await page.evaluate(() => window.printed), printed, `${what}: nothing printed`);
            await page.keyboard.press('Escape');
            continue;
        }
        await page.waitForFunction((n) => window.printed > n, printed);
        await page.emulateMedia({ media: 'print' });
        const sheets = await page.evaluate(() => ({
            pages: [...document.querySelectorAll('img')]
                .filter((img) => img.getBoundingClientRect().height > 0 && img.complete && img.naturalWidth > 0)
                .map((img) => [Number(img.dataset.page), getComputedStyle(img).breakAfter]),
            book: document.querySelector('.zv-stage').getBoundingClientRect().height,
        }));
        // The pictures printed, each breaking the sheet after it but the last.
        assert.deepEqual(sheets.pages, pages.map((n, k) => [n, k < pages.length - 1 ? 'page' : 'auto']), what);
        assert.equal(sheets.book, 0, `${what}: the book on screen is not printed`);
        const pdf = (await page.pdf()).toString('latin1');
        assert.equal(pdf.match(/\/Type\s*\/Page\b(?!s)/g).length, pages.length, `${what}: one sheet per page`);
    }
});

// Touches through the browser's input pipeline, as a touch screen sends them.
async function touchScreen(page) {
    const cdp = await page.context().newCDPSession(page);
    const send = (type, points) => cdp.send('Input.dispatchTouchEvent',
        { type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });
    return {
        // Fingers from their start points to their end points in small steps, then lifted.
        async move(from, to) {
            await send('touchStart', from);
            for (let s = 1; s <= 8; s++) {
                await send('touchMove', from.map(([x, y], k) => [x + (to[k][0] - x) * s / 8, y + (to[k][1] - y) * s / 8]));
            }
            await send('touchEnd', []);
        },
        async tap([x, y]) { await send('touchStart', [[x, y]]); await send('touchEnd', []); },
    };
}

it('the Slide player pinches to zoom, pans, zooms back on a double tap and follows its links',
   { viewport: { width: 390, height: 760 }, hasTouch: true, isMobile: true }, async (context) => {
    const page = await context.newPage();
    await page.goto(url('links/mobile/index.html'));
    await page.waitForSelector('[data-zarvex-ready]');
    await page.waitForFunction(() => document.querySelector('.zs-slide img').naturalWidth > 0);
    const shown = () => page.getAttribute('#zarvex-slide', 'data-page');
    const picture = () => rect(page, '.zs-slide img');
    const touch = await touchScreen(page);
    const whole = await picture(), mid = centre(whole);

    await touch.move([[mid.x - 45, mid.y], [mid.x + 45, mid.y]], [[mid.x - 135, mid.y], [mid.x + 135, mid.y]]);
    const pinched = await picture();
    assert.equal(await shown(), '1', 'a pinch does not turn the page');
    assert.ok(pinched.width > 2 * whole.width, `a pinch zooms in (${whole.width} -> ${pinched.width})`);

    await touch.move([[mid.x, mid.y]], [[mid.x - 100, mid.y]]);
    const panned = await picture();
    assert.equal(await shown(), '1', 'a zoomed page pans instead of turning');
    assert.ok(Math.abs(panned.x - (pinched.x - 100)) < 2, `the page follows the finger (${pinched.x} -> ${panned.x})`);
    await page.screenshot(shot('slide-zoomed'));

    await touch.tap([mid.x, mid.y]);
    await touch.tap([mid.x, mid.y]);
    assert.deepEqual(await picture(), whole, 'a double tap shows the whole page again');

    // The link area lies on the magenta rectangle that the page draws, and a tap follows it.
    const drawn = await assertLinkOnDrawing(page, '.zs-slide img', 'Slide player, page 1');
    await touch.tap([drawn.x, drawn.y]);
    await page.waitForFunction(() => document.querySelector('#zarvex-slide').dataset.page === '8');

    await touch.move([[100, mid.y]], [[300, mid.y]]);
    assert.equal(await shown(), '7', 'a swipe turns the page');
});
