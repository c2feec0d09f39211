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
