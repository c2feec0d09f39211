// Driving the book viewer in the browser: open a book, read what it shows, turn pages.
import assert from 'node:assert/strict';

/* Opens the address in a new page of the browser context and waits for the viewer. */
export async function openBook(context, url) {
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    await page.goto(url);
    try {
        await page.waitForSelector('[data-zarvex-ready]', { timeout: 15000 });
    } catch (e) {
        const why = await page.getAttribute('[data-zarvex-error]', 'data-zarvex-error').catch(() => null);
        throw new Error(`the viewer did not start at ${url}: ${why || errors.join('; ') || e.message}`);
    }
    return page;
}

/* The page numbers of the spread on screen, once no leaf is turning. */
export async function spread(page) {
    await page.waitForFunction(() => !document.querySelector('.zv-leaf'));
    return (await page.getAttribute('.zv-root', 'data-pages')).split(',').map(Number);
}

/* Waits until the spread on screen is pages ("4,5"), or holds that page when a number. */
export async function waitPages(page, pages, timeout = 15000) {
    await page.waitForFunction((p) => {
        const shown = document.querySelector('.zv-root').dataset.pages;
        return typeof p === 'number' ? shown.split(',').includes(String(p)) : shown === p;
    }, pages, { timeout });
    return spread(page);
}

export async function turn(page, button) {
    const before = await spread(page);
    await page.click(`[data-button=${button}]`);
    await page.waitForFunction((b) => document.querySelector('.zv-root').dataset.pages !== b, before.join(','));
    return spread(page);
}

/* Presses at (x, y), moves to each point in steps, calls "midway" (if any) before the last
 * move, and lets go. */
export async function drag(page, [x, y], points, midway) {
    await page.mouse.move(x, y);
    await page.mouse.down();
    for (const [i, [px, py]] of points.entries()) {
        if (i === points.length - 1 && midway) await midway();
        await page.mouse.move(px, py, { steps: 6 });
    }
    await page.mouse.up();
}

/* Goes to page n through the page field, then leaves the field so keys reach the book. */
export async function goTo(page, n) {
    await page.fill('.zv-counter', String(n));
    await page.press('.zv-counter', 'Enter');
    await waitPages(page, n);
    await page.evaluate(() => document.activeElement.blur());
}

/* Colours and controls as the reader sees them. */
export async function pageState(page) {
    return page.evaluate(() => {
        const root = document.querySelector('.zv-root');
        return {
            buttons: [...document.querySelectorAll('[data-button]')].map((b) => b.dataset.button),
            barColor: getComputedStyle(document.querySelector('.zv-bar')).backgroundColor,
            baseVar: root.style.getPropertyValue('--zv-base'),
            background: getComputedStyle(root).backgroundImage,
            title: document.querySelector('.zv-title').textContent,
        };
    });
}

// Page n's picture in the book viewer, or the picture a selector names (the Slide player's).
const pictureOf = (n) => (typeof n === 'number' ? `.zv-slot .zv-page[data-page="${n}"] img` : n);

/* The picture of page n is loaded and, where the browser lets a script read its pixels,
 * not blank: the pixels vary. */
export async function assertPicture(page, n, { pixels = true } = {}) {
    await page.waitForFunction((s) => {
        const img = document.querySelector(s);
        return img && img.complete && img.naturalWidth > 0;
    }, pictureOf(n), { timeout: 15000 });
    if (!pixels) return;
    const contrast = await page.evaluate((s) => {
        const g = Object.assign(document.createElement('canvas'), { width: 64, height: 64 }).getContext('2d');
        g.drawImage(document.querySelector(s), 0, 0, 64, 64);
        const d = g.getImageData(0, 0, 64, 64).data;
        let min = 255, max = 0;
        for (let i = 0; i < d.length; i += 4) {
            const l = (d[i] + d[i + 1] + d[i + 2]) / 3;
            min = Math.min(min, l); max = Math.max(max, l);
        }
        return max - min;
    }, pictureOf(n));
    assert.ok(contrast > 40, `page ${n} looks blank (contrast ${contrast})`);
}

/* Where page n's picture shows its magenta area (the fixture's drawn link), in screen pixels
 * and as fractions of the picture; null when the picture has none. */
export async function drawnArea(page, n) {
    return page.evaluate((s) => {
        const img = document.querySelector(s);
        const w = img.naturalWidth, h = img.naturalHeight;
        const g = Object.assign(document.createElement('canvas'), { width: w, height: h }).getContext('2d');
        g.drawImage(img, 0, 0);
        const d = g.getImageData(0, 0, w, h).data;
        let x0 = w, y0 = h, x1 = -1, y1 = -1;
        for (let y = 0; y < h; y++) {
            for (let x = 0; x < w; x++) {
                const i = (y * w + x) * 4;
                if (d[i] > 200 && d[i + 1] < 90 && d[i + 2] > 200) {
                    x0 = Math.min(x0, x); x1 = Math.max(x1, x); y0 = Math.min(y0, y); y1 = Math.max(y1, y);
                }
            }
        }
        if (x1 < 0) return null;
        const r = img.getBoundingClientRect();
        const fx = x0 / w, fy = y0 / h, fw = (x1 + 1 - x0) / w, fh = (y1 + 1 - y0) / h;
        return { fx, fy, fw, fh, x: r.left + (fx + fw / 2) * r.width, y: r.top + (fy + fh / 2) * r.height };
    }, pictureOf(n));
}

/* The link areas of page n as fractions of its picture. */
export async function linkAreas(page, n) {
    return page.evaluate((s) => {
        const img = document.querySelector(s).getBoundingClientRect();
        return [...document.querySelector(s).parentElement.querySelectorAll('a.zv-link, a.zs-link')].map((a) => {
            const r = a.getBoundingClientRect();
            return { fx: (r.left - img.left) / img.width, fy: (r.top - img.top) / img.height,
                     fw: r.width / img.width, fh: r.height / img.height };
        });
    }, pictureOf(n));
}

/* Page n has one link area and it lies on the magenta area its picture draws; returns that area. */
export async function assertLinkOnDrawing(page, n, what) {
    const drawn = await drawnArea(page, n), links = await linkAreas(page, n);
    const off = drawn && links.length === 1 && ['fx', 'fy', 'fw', 'fh'].filter((k) => Math.abs(links[0][k] - drawn[k]) >= 0.01);
    assert.deepEqual(off, [], `${what}: links at ${JSON.stringify(links)}, drawn at ${JSON.stringify(drawn)}`);
    return drawn;
}
