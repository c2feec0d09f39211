// Browser tests of how the viewer loads a book: the pages on screen first and the spreads on
// each side after them, nothing further away, loads cancelled when the reader jumps; the
// thumbnail strip loading its thumbnail files as they scroll into view; turns that never show
// an unloaded page; a short message where a page or thumbnail file is missing or broken; and
// the zoom images of a book published with --zoom-pages, taken only when they make a
// difference.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { editConfig } from './support/envelope.mjs';
import { bookSuite } from './support/setup.mjs';
import { goTo, openBook, spread, turn } from './support/viewer.mjs';

const PAGES = 30;
const { it, url, shot, www, inContext } = bookSuite('loading', {
    image: [`plain ${PAGES}`, '--format', 'image'], flash: [`plain ${PAGES}`, '--format', 'flash'],
    // Known words on pages turned every way (make-fixture-pdf text), with zoom images.
    zoom: ['text', '--format', 'image', '--zoom-pages'], 'zoom-flash': ['text', '--format', 'flash', '--zoom-pages'],
}, { setUp });
async function setUp() {
    // The same Flash book listing its Flash pages as thumbnails too.
    fs.cpSync(path.join(www, 'flash'), path.join(www, 'flash-thumbs'), { recursive: true });
    await editConfig(path.join(www, 'flash-thumbs'), (xml) =>
        xml.replace(/(<Item name="thumb"[^>]*>)[^<]*thumb\/(\d+)\.jpg/g, '$1page/$2.swf'));
    // A copy with page 2 missing, page 3 not a picture, and their thumbnails likewise.
    fs.cpSync(path.join(www, 'image'), path.join(www, 'broken'), { recursive: true });
    const files = path.join(www, 'broken', 'files');
    for (const dir of ['page', 'thumb']) {
        fs.rmSync(path.join(files, dir, '2.jpg'));
        fs.writeFileSync(path.join(files, dir, '3.jpg'), 'not a picture');
    }
}

const pageNumber = (url, dir) => { const m = new RegExp(`/files/${dir}/(\\d+)\\.\\w+$`).exec(url); return m ? +m[1] : 0; };
const range = (a, b) => Array.from({ length: b - a + 1 }, (_, k) => a + k);
const sorted = (set) => [...set].sort((a, b) => a - b);

it('pages on screen load first, the spreads on each side after them, and a jump cancels what is no longer near', async (context) => {
    // The page files answer only when the test lets them, so each stage can be seen in turn.
    const held = [], requested = [], cancelled = new Set();
    let inFlight = 0, most = 0, holding = true;
    await context.route('**/files/page/*', (route) => (holding ? held.push(route) : route.continue()));
    context.on('request', (r) => {
        const n = pageNumber(r.url(), 'page');
        if (!n) return;
        requested.push(n);
        most = Math.max(most, ++inFlight);
    });
    context.on('requestfinished', (r) => { if (pageNumber(r.url(), 'page')) inFlight--; });
    context.on('requestfailed', (r) => {
        const n = pageNumber(r.url(), 'page');
        if (n) { inFlight--; cancelled.add(n); }
    });
    const release = () => { held.splice(0).forEach((r) => r.continue().catch(() => {})); };
    const until = async (what, ok) => {
        for (let i = 0; i < 300 && !ok(); i++) await new Promise((r) => setTimeout(r, 50));
        assert.ok(ok(), `${what}: requested ${requested.join(',')}, cancelled ${sorted(cancelled).join(',')}`);
    };

    const page = await openBook(context, url('image/index.html#p=10'));
    await until('the pages on screen are requested', () => held.length === 2);
    assert.deepEqual(sorted(requested), [10, 11], 'only the spread on screen loads before it is shown');
    release();
    await until('the spreads on each side are requested', () => held.length === 4);
    assert.deepEqual(sorted(requested.slice(2)), [8, 9, 12, 13]);

    // A jump leaves 8, 9, 12 and 13 far behind: their loads stop.
    await goTo(page, 25);
    await until('the loads far behind are cancelled', () => cancelled.size === 4 && requested.length === 8);
    assert.deepEqual(sorted(cancelled), [8, 9, 12, 13]);
    assert.deepEqual(sorted(requested.slice(6)), [24, 25]);
    holding = false;
    release();
    await until('the spreads around page 25 are requested', () => requested.length === 12 && inFlight === 0);
    assert.deepEqual(sorted(requested.slice(8)), [22, 23, 26, 27]);
    assert.ok(most <= 6, `at most the spread on screen and one spread each side load at once, not ${most}`);
});

it('the thumbnail strip loads the thumbnail files of the thumbnails in view, for Flash books also from disk', async (context) => {
    const cases = [
        ['image book', url('image/index.html')],
        ['Flash book from disk', pathToFileURL(path.join(www, 'flash', 'index.html')).href],
        ['Flash book whose thumbnails are its Flash pages', url('flash-thumbs/index.html')],
    ];
    for (const [name, url] of cases) {
        const thumbFiles = new Set();
        context.on('request', (r) => { if (r.url().startsWith(url.replace(/index\.html$/, ''))) { const n = pageNumber(r.url(), 'thumb'); if (n) thumbFiles.add(n); } });
        const page = await openBook(context, url);
        await page.click('[data-button=Thumbnail]');
        // The thumbnails inside the strip's view show their pictures; those far outside have none.
        const inView = await page.evaluate(() => {
            const strip = document.querySelector('.zv-thumbs').getBoundingClientRect();
            return [...document.querySelectorAll('.zv-thumb')].map((b, k) => [k + 1, b.getBoundingClientRect()])
                .filter(([, r]) => r.right > strip.left && r.left < strip.right).map(([n]) => n);
        });
        assert.ok(inView.length >= 3 && inView.length < PAGES, `${name}: thumbnails in view ${inView}`);
        await page.waitForFunction((ns) => ns.every((n) => {
            const img = document.querySelectorAll('.zv-thumb img')[n - 1];
            return img && img.complete && img.naturalWidth > 0;
        }), inView, { timeout: 15000 }).catch(async () => {
            await page.screenshot(shot(`thumbs-${name}`));
            assert.fail(`${name}: the thumbnails in view ${inView} show no pictures`);
        });
        const loaded = await page.evaluate(() => [...document.querySelectorAll('.zv-thumb img')]
            .map((img, k) => (img.getAttribute('src') ? k + 1 : 0)).filter(Boolean));
        assert.ok(loaded.length <= inView.length + 4 && !loaded.includes(PAGES), `${name}: thumbnails loaded ${loaded}`);
        if (url.startsWith('http') && name === 'image book') {
            assert.deepEqual(sorted(thumbFiles), loaded, `${name}: the thumbnail files are what the strip loads`);
        }
        // Scrolled to the end, the last thumbnails load.
        await page.evaluate(() => { const s = document.querySelector('.zv-thumbs'); s.scrollLeft = s.scrollWidth; });
        await page.waitForFunction((n) => {
            const img = document.querySelectorAll('.zv-thumb img')[n - 1];
            return img.complete && img.naturalWidth > 0;
        }, PAGES, { timeout: 15000 });
        if (name === 'Flash book from disk') await page.screenshot(shot('flash-thumbnails-from-disk'));
        await page.close();
    }
});

it('a turn shows decoded pictures on every frame, and missing or broken page files say so on the page and thumbnail', async (context) => {
    const page = await openBook(context, url('image/index.html#p=10'));
    await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pending === '0', null, { timeout: 15000 });
    // Every frame from the click to the end of the turn, every page on the stage shows its picture.
    await page.evaluate(() => {
        window.frames_ = [];
        const sample = () => {
            window.frames_.push([...document.querySelectorAll('.zv-book .zv-page[data-page]')].map((p) => {
                const img = p.querySelector('img.zv-img');
                return img && img.complete && img.naturalWidth > 0 ? '' : p.dataset.page;
            }).filter(Boolean));
            requestAnimationFrame(sample);
        };
        requestAnimationFrame(sample);
    });
    for (const button of ['Next', 'Prev', 'Prev']) {
        const before = await spread(page);
        await page.click(`[data-button=${button}]`);
        await page.waitForFunction((b) => document.querySelector('.zv-root').dataset.pages !== b, before.join(','));
        await spread(page);
        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pending === '0', null, { timeout: 15000 });
    }
    const frames = await page.evaluate(() => window.frames_);
    assert.ok(frames.length > 10, `only ${frames.length} frames sampled`);
    const blank = frames.filter((f) => f.length);
    assert.deepEqual(blank, [], `frames with an unloaded page: ${blank.length} of ${frames.length}`);

    const broken = await openBook(context, url('broken/index.html#p=2'));
    await broken.click('[data-button=Thumbnail]');
    await broken.waitForFunction(() => document.querySelectorAll('.zv-missing').length === 4, null, { timeout: 15000 })
        .catch(() => {});
    const state = await broken.evaluate(() => [2, 3].map((n) => ({
        page: document.querySelector(`.zv-slot .zv-page[data-page="${n}"]`).textContent.trim(),
        pageImages: document.querySelectorAll(`.zv-slot .zv-page[data-page="${n}"] img`).length,
        thumb: document.querySelectorAll('.zv-thumb')[n - 1].textContent.trim(),
        thumbImages: document.querySelectorAll('.zv-thumb')[n - 1].querySelectorAll('img').length,
    })));
    await broken.screenshot(shot('missing-pages'));
    assert.deepEqual(state, [2, 3].map((n) => ({ page: `Page ${n} could not be loaded.`, pageImages: 0,
                                                 thumb: `Unavailable${n}`, thumbImages: 0 })));
});

it('zoomed in, or on a high-density screen, the pages on screen swap to their zoom images without a blank frame; an ordinary screen at 1x asks for none', async (context) => {
    // Page n's picture on screen once loaded: its address and width.
    const picture = (page, n) => page.waitForFunction((n) => {
        const img = document.querySelector(`.zv-slot .zv-page[data-page="${n}"] img.zv-img`);
        return img && img.complete && img.naturalWidth > 0 && { src: img.currentSrc, width: img.naturalWidth };
    }, n, { timeout: 15000 }).then((h) => h.jsonValue());
    const zoomed = (page, n) => page.waitForFunction((n) => {
        const img = document.querySelector(`.zv-slot .zv-page[data-page="${n}"] img.zv-img`);
        return img && new RegExp(`/files/zoom/${n}\\.jpg$`).test(img.currentSrc) && img.complete && img.naturalWidth;
    }, n, { timeout: 15000 }).then((h) => h.jsonValue(), async (e) => {
        await page.screenshot(shot(`not-zoomed-${n}`));
        throw e;
    });

    // An ordinary screen: nothing of the zoom folder is asked for at 1x, also after a turn.
    {
        const asked = [];
        context.on('request', (r) => { if (r.url().includes('/files/zoom/')) asked.push(r.url().replace(/.*\/files\//, '')); });
        const page = await openBook(context, url('zoom/index.html#p=1'));
        const normal = await picture(page, 1);
        assert.doesNotMatch(normal.src, /\/zoom\//);
        await turn(page, 'Next');
        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pending === '0', null, { timeout: 15000 });
        await turn(page, 'Prev');
        await picture(page, 1);
        assert.deepEqual(asked, [], 'at 1x on an ordinary screen');

        // Double-clicked on its first line, page 1 goes to 2x around the words and swaps to
        // its zoom image: every frame shows a loaded picture, and only the list and page 1's
        // image are asked for.
        await page.evaluate(() => {
            window.frames_ = [];
            const sample = () => {
                const img = document.querySelector('.zv-slot .zv-page[data-page="1"] img.zv-img');
                window.frames_.push(!!img && img.complete && img.naturalWidth > 0);
                requestAnimationFrame(sample);
            };
            requestAnimationFrame(sample);
        });
        const box = await page.locator('.zv-slot .zv-page[data-page="1"] img.zv-img').boundingBox();
        await page.mouse.dblclick(box.x + box.width * 0.3, box.y + box.height * 0.14);
        assert.equal(await zoomed(page, 1), 2 * normal.width);
        const frames = await page.evaluate(() => window.frames_);
        assert.ok(frames.length > 2 && frames.every(Boolean), `frames without a picture: ${frames.filter((f) => !f).length} of ${frames.length}`);
        assert.deepEqual(asked, ['zoom/index.js', 'zoom/1.jpg']);
        await page.screenshot(shot('zoomed-text'));
    }

    // A screen of two device pixels to the CSS pixel takes them at 1x, from disk as well (the
    // list through its script twin), and a Flash book's pages swap the same way.
    await inContext({ deviceScaleFactor: 2 }, async (context) => {
        const page = await openBook(context, pathToFileURL(path.join(www, 'zoom', 'index.html')).href + '#p=2');
        for (const n of [2, 3]) assert.ok(await zoomed(page, n) >= 2400, `page ${n} from disk`);
        const flash = await openBook(context, url('zoom-flash/index.html#p=2'));
        for (const n of [2, 3]) assert.ok(await zoomed(flash, n) >= 2400, `Flash page ${n}`);
        await flash.screenshot(shot('zoom-images-flash-high-density'));
    });
});
