// Browser tests of the page geometry: pages of mixed shapes drawn each in its own shape, and the
// reader's switch between one page and two. Books are published by zarvex-cli from the generated
// "mixed-size" PDF: page 1 portrait, 2 landscape, 3 square, 4 three times as wide as high, 5 tall
// and narrow.
import assert from 'node:assert/strict';
import { bookSuite } from './support/setup.mjs';
import { assertPicture, goTo, openBook, spread } from './support/viewer.mjs';

const SHAPES = { 1: 612 / 792, 2: 792 / 612, 3: 1, 4: 3, 5: 420 / 842 }; // width / height of each page
const { it, inContext, url, shot } = bookSuite('geometry', {
    image: ['mixed-size', '--format', 'image', '--mobile', 'flip'],
    flash: ['mixed-size', '--format', 'flash', '--mobile', 'flip'],
});

/* The drawn picture of each page on screen (not the spread fading out), its picture file's shape
 * and the slot it lies in. */
const drawnPages = (page) => page.evaluate(() => [...document.querySelectorAll('.zv-book:not(.zv-fadeout) > .zv-slot > .zv-page[data-page]')].map((p) => {
    const img = p.querySelector('img').getBoundingClientRect(), slot = p.parentElement.getBoundingClientRect();
    const side = p.parentElement.classList.contains('zv-left') ? 'left' : 'right';
    return { n: +p.dataset.page, side, ratio: p.querySelector('img').naturalWidth / p.querySelector('img').naturalHeight,
             img: { left: img.left, top: img.top, right: img.right, bottom: img.bottom, width: img.width, height: img.height },
             slot: { left: slot.left, top: slot.top, right: slot.right, bottom: slot.bottom, width: slot.width, height: slot.height } };
}));

const near = (a, b, what) => assert.ok(Math.abs(a - b) <= 1, `${what}: ${a} is not within a pixel of ${b}`);

it('every page of a mixed-size book is drawn in its own shape inside its slot', async () => {
    for (const [file, what, viewport] of [['image/index.html', 'image book', { width: 1280, height: 800 }],
        ['flash/index.html', 'flash book', { width: 1280, height: 800 }],
        ['flash/mobile/index.html', 'mobile Flip player', { width: 420, height: 800 }]]) {
        await inContext({ viewport, reducedMotion: 'reduce' }, async (context) => {
            const page = await openBook(context, url(file));
            const seen = new Set();
            for (let n = 1; n <= 5; n++) {
                if (seen.has(n)) continue;
                await goTo(page, n);
                const shown = await spread(page);
                for (const k of shown) await assertPicture(page, k, { pixels: false });
                for (const d of await drawnPages(page)) {
                    const at = `${what}, page ${d.n}`;
                    seen.add(d.n);
                    assert.ok(Math.abs(d.ratio / SHAPES[d.n] - 1) < 0.02, `${at}: the picture file is ${d.ratio}, not ${SHAPES[d.n]}`);
                    near(d.img.width, d.img.height * d.ratio, `${at}: drawn width for its height`);
                    // As large as the slot allows, inside it, centred in height, bound at the spine.
                    assert.ok(Math.abs(d.img.width - d.slot.width) <= 1 || Math.abs(d.img.height - d.slot.height) <= 1,
                              `${at}: ${JSON.stringify(d.img)} does not fill its slot ${JSON.stringify(d.slot)}`);
                    for (const e of ['left', 'top']) assert.ok(d.img[e] >= d.slot[e] - 1, `${at}: ${e} outside its slot`);
                    for (const e of ['right', 'bottom']) assert.ok(d.img[e] <= d.slot[e] + 1, `${at}: ${e} outside its slot`);
                    near(d.img.top - d.slot.top, d.slot.bottom - d.img.bottom, `${at}: space above and below`);
                    if (shown.length === 2) near(d.img[d.side === 'left' ? 'right' : 'left'], d.slot[d.side === 'left' ? 'right' : 'left'], `${at}: against the spine`);
                    else near(d.img.left - d.slot.left, d.slot.right - d.img.right, `${at}: space left and right`);
                }
                if (file === 'image/index.html' && shown.includes(4)) await page.screenshot(shot('mixed-size-book'));
            }
            assert.equal(seen.size, 5, `${what}: every page was shown`);
        });
    }
});

it('the one page / two pages button switches the spread, keeps the page and is remembered after a reload', async () => {
    // The window's shape chooses two pages on a wide desktop screen and one on a phone held upright.
    for (const [file, what, options, auto, other] of [
        ['image/index.html', 'desktop viewer', { viewport: { width: 1280, height: 800 } }, [2, 3], [2]],
        ['image/mobile/index.html', 'mobile Flip player', { viewport: { width: 390, height: 760 }, hasTouch: true, isMobile: true }, [2], [2, 3]]]) {
        await inContext({ ...options, reducedMotion: 'reduce' }, async (context) => {
            const page = await openBook(context, url(file));
            const button = page.locator('[data-button=DoublePage]');
            assert.ok(await button.getAttribute('aria-label'), `${what}: the button has a label`);
            await goTo(page, 2);
            const shows = async (pages, when) => {
                assert.deepEqual(await spread(page), pages, `${what}, ${when}`);
                assert.equal(await button.getAttribute('aria-pressed'), String(pages.length === 2), `${what}, ${when}: button state`);
                assert.equal(await page.locator('.zv-root.zv-single').count(), pages.length === 2 ? 0 : 1, `${what}, ${when}: layout`);
            };
            const reload = () => page.reload().then(() => page.waitForSelector('[data-zarvex-ready]'));
            await shows(auto, 'by the window\'s shape');
            await button.click();
            await shows(other, 'after the switch');
            await reload();
            await shows(other, 'after the switch and a reload');
            await button.click();
            await shows(auto, 'after switching back');
            await reload();
            await shows(auto, 'after switching back and a reload');
            await page.setViewportSize(options.viewport.width > 800 ? { width: 500, height: 800 } : { width: 1000, height: 600 });
            await page.waitForFunction((n) => document.querySelector('.zv-root').dataset.pages.split(',').length === n, other.length);
            await shows(other, 'back to the automatic choice, in a window of the other shape');
        });
    }
});
