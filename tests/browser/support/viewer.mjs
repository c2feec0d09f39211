// Driving the book viewer in the browser: open a book, read what it shows, turn pages.
import assert from 'node:assert/strict';

/* Opens the address in a new page of the browser or context and waits for the viewer. */
export async function openBook(target, url) {
    const page = await target.newPage();
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

/* The page numbers of the spread on screen. */
export async function spread(page) {
    await page.waitForFunction(() => !document.querySelector('.zv-leaf'));
    const v = await page.getAttribute('.zv-root', 'data-pages');
    return v.split(',').map(Number);
}

export async function turn(page, button) {
    const before = await spread(page);
    await page.click(`[data-button=${button}]`);
    await page.waitForFunction((b) => document.querySelector('.zv-root').dataset.pages !== b, before.join(','));
    await page.waitForFunction(() => !document.querySelector('.zv-leaf'));
}

/* Colours and controls as the reader sees them. */
export async function pageState(page) {
    return page.evaluate(() => {
        const root = document.querySelector('.zv-root');
        const bar = document.querySelector('.zv-bar');
        return {
            buttons: [...document.querySelectorAll('[data-button]')].map((b) => b.dataset.button),
            barColor: getComputedStyle(bar).backgroundColor,
            baseVar: root.style.getPropertyValue('--zv-base'),
            background: getComputedStyle(root).backgroundImage,
            title: document.querySelector('.zv-title').textContent,
        };
    });
}

/* The picture of page n is loaded and, where the browser lets a script read its pixels,
 * not blank: the pixels vary. */
export async function assertPicture(page, n, { pixels = true } = {}) {
    const sel = `.zv-slot .zv-page[data-page="${n}"] img`;
    await page.waitForFunction((s) => {
        const img = document.querySelector(s);
        return img && img.complete && img.naturalWidth > 0;
    }, sel, { timeout: 15000 });
    if (!pixels) return;
    const spreadOfValues = await page.evaluate((s) => {
        const img = document.querySelector(s);
        const c = document.createElement('canvas');
        c.width = 64; c.height = 64;
        const g = c.getContext('2d');
        g.drawImage(img, 0, 0, 64, 64);
        const d = g.getImageData(0, 0, 64, 64).data;
        let min = 255, max = 0;
        for (let i = 0; i < d.length; i += 4) {
            const l = (d[i] + d[i + 1] + d[i + 2]) / 3;
            min = Math.min(min, l); max = Math.max(max, l);
        }
        return max - min;
    }, sel);
    assert.ok(spreadOfValues > 40, `page ${n} looks blank (contrast ${spreadOfValues})`);
}

/* Where page n's picture shows its magenta area (the fixture's drawn link), in screen pixels
 * and as fractions of the picture; null when the picture has none. */
export async function drawnArea(page, n) {
    const sel = `.zv-slot .zv-page[data-page="${n}"] img`;
    return page.evaluate((s) => {
        const img = document.querySelector(s);
        const w = img.naturalWidth, h = img.naturalHeight;
        const c = document.createElement('canvas');
        c.width = w; c.height = h;
        const g = c.getContext('2d');
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
    }, sel);
}

/* The link areas of page n as fractions of its picture. */
export async function linkAreas(page, n) {
    return page.evaluate((p) => {
        const img = document.querySelector(`.zv-slot .zv-page[data-page="${p}"] img`).getBoundingClientRect();
        return [...document.querySelectorAll(`.zv-slot .zv-page[data-page="${p}"] a.zv-link`)].map((a) => {
            const r = a.getBoundingClientRect();
            return { fx: (r.left - img.left) / img.width, fy: (r.top - img.top) / img.height,
                     fw: r.width / img.width, fh: r.height / img.height };
        });
    }, n);
}
