// Browser tests of the readers' side: the book viewer, the mobile players and, when the
// command line tool is built, books published by it for every template in both page formats.
// Environment: ZARVEX_RESOURCES (resource folder), ZARVEX_BROWSER_OUT (work and artefact
// folder), ZARVEX_CLI (optional: path of zarvex-cli), ZARVEX_MAKE_FIXTURE_PDF (optional: path of
// make-fixture-pdf), CHROMIUM (default /usr/bin/chromium).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';
import { paintPages, writeBook, writeMobile } from './support/book.mjs';
import { serve } from './support/server.mjs';
import { openBook, pageState, spread, turn, assertPicture, drawnArea, linkAreas } from './support/viewer.mjs';

const resources = process.env.ZARVEX_RESOURCES || path.resolve('resources');
const out = process.env.ZARVEX_BROWSER_OUT || fs.mkdtempSync(path.join(os.tmpdir(), 'zarvex-browser-'));
const www = path.join(out, 'www');
const shots = path.join(out, 'screenshots');
const cli = process.env.ZARVEX_CLI && fs.existsSync(process.env.ZARVEX_CLI) ? process.env.ZARVEX_CLI : null;
const makeFixture = process.env.ZARVEX_MAKE_FIXTURE_PDF && fs.existsSync(process.env.ZARVEX_MAKE_FIXTURE_PDF)
    ? process.env.ZARVEX_MAKE_FIXTURE_PDF : null;

const templates = fs.readdirSync(path.join(resources, 'AppFiles', 'Templates'))
    .filter((t) => fs.existsSync(path.join(resources, 'AppFiles', 'Templates', t, 'flashTemplate.xml'))).sort();

let browser, server, jpegs;

// The browser gets a private home, so no run touches the user's own files.
const browserHome = fs.mkdtempSync(path.join(os.tmpdir(), 'zarvex-browser-profile-'));
for (const [k, v] of Object.entries({ HOME: '', XDG_CONFIG_HOME: '.config', XDG_CACHE_HOME: '.cache',
                                      XDG_DATA_HOME: '.local/share' })) {
    process.env[k] = path.join(browserHome, v);
}

before(async () => {
    fs.rmSync(www, { recursive: true, force: true });
    fs.mkdirSync(www, { recursive: true });
    fs.mkdirSync(shots, { recursive: true });
    browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
                                      args: ['--no-sandbox', '--disable-gpu'] });
    server = await serve(www);
    const p = await browser.newPage();
    jpegs = await paintPages(p, 7, 540, 720);
    await p.close();
});
after(async () => {
    await browser?.close();
    await server?.close();
    fs.rmSync(browserHome, { recursive: true, force: true });
});

const LINKS = {
    2: [{ action: 'web', x: 0.1, y: 0.05, width: 0.3, height: 0.08, href: 'https://example.org/page' },
        { action: 'web', x: 0.5, y: 0.5, width: 0.2, height: 0.1, href: 'javascript:alert(1)' },
        // Hostile inputs: the browser drops the tab and the line break before it reads the scheme.
        { action: 'web', x: 0.5, y: 0.3, width: 0.2, height: 0.1, href: 'java\tscript:alert(2)' },
        { action: 'web', x: 0.5, y: 0.7, width: 0.2, height: 0.1, href: 'java\nscript:alert(3)' },
        { action: 'web', x: 0.1, y: 0.7, width: 0.2, height: 0.1, href: ' vbscript:msgbox(4)' }],
    3: [{ action: 'page', x: 0.1, y: 0.05, width: 0.3, height: 0.08, href: '6' }],
};
const SETTINGS = { BaseColor: '0x1f6f8b', GradientStartColor: '0x112233', GradientEndColor: '0x445566',
                   Zoom: 'Hide', Print: 'Hide', Title: 'Fixture <Book>' };

// Red, green and blue of a computed colour, in either of the forms the browser reports.
function rgb(color) {
    const m = /rgba?\((\d+), (\d+), (\d+)/.exec(color);
    if (m) return m.slice(1, 4).map(Number);
    const c = /color\(srgb ([\d.]+) ([\d.]+) ([\d.]+)/.exec(color);
    return c ? c.slice(1, 4).map((v) => Math.round(Number(v) * 255)) : null;
}

function book(name, opts) {
    return writeBook(path.join(www, name), resources, { jpegs, links: LINKS, settings: SETTINGS, ...opts });
}

test('an image book shows its spreads, turns pages, follows links and applies its settings', async () => {
    book('image', { template: 'float' });
    const ctx = await browser.newContext({ viewport: { width: 1280, height: 720 } });
    const outside = [];
    ctx.on('request', (r) => { if (!/^(blob:|data:)/.test(r.url()) && !r.url().startsWith(server.url)) outside.push(r.url()); });
    const page = await openBook(ctx, server.url + 'image/index.html');
    try {
        assert.deepEqual(await spread(page), [1]);
        await assertPicture(page, 1);
        await turn(page, 'Next');
        assert.deepEqual(await spread(page), [2, 3]);
        await assertPicture(page, 2);
        await assertPicture(page, 3);
        await turn(page, 'Prev');
        assert.deepEqual(await spread(page), [1]);
        await turn(page, 'Next');

        const web = page.locator('.zv-page[data-page="2"] a.zv-link');
        assert.equal(await web.count(), 1, 'the script address is not made a link');
        assert.equal(await web.getAttribute('href'), 'https://example.org/page');
        assert.equal(await web.getAttribute('target'), '_blank');

        await page.locator('.zv-page[data-page="3"] a.zv-link').click();
        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pages === '6,7');
        assert.match(page.url(), /#p=6$/);

        const s = await pageState(page);
        assert.deepEqual(s.buttons.filter((b) => b === 'Zoom' || b === 'Print'), [], 'hidden buttons are absent');
        for (const b of ['Thumbnail', 'FullScreen', 'Share', 'Help']) assert.ok(s.buttons.includes(b), b);
        assert.equal(s.baseVar, '#1f6f8b');
        assert.deepEqual(rgb(s.barColor), [31, 111, 139]);
        assert.match(s.background, /rgb\(17, 34, 51\).*rgb\(68, 85, 102\)/);
        assert.equal(s.title, 'Fixture <Book>');

        await page.click('[data-button=Thumbnail]');
        await page.click('.zv-thumb[aria-label="Page 4"]');
        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pages === '4,5');
        await page.screenshot({ path: path.join(shots, 'fixture-image-float.png') });
        assert.deepEqual(outside, [], 'the book reads nothing from outside its folder');
    } finally {
        await ctx.close();
    }
});

test('every template\'s page starts the viewer in the template\'s look', async () => {
    for (const template of templates) {
        book(`look-${template}`, { template });
        const page = await openBook(browser, server.url + `look-${template}/index.html#p=2`);
        try {
            assert.match(await page.getAttribute('.zv-root', 'class'), new RegExp(`zv-look-${template}\\b`));
            await assertPicture(page, 2);
            await assertPicture(page, 3);
            await page.screenshot({ path: path.join(shots, `template-${template}.png`) });
        } finally {
            await page.close();
        }
    }
});

test('a book without pages or with a damaged configuration says so instead of failing silently', async () => {
    book('empty', { template: 'float', jpegs: [] });
    const broken = book('broken', { template: 'float', configJs: false });
    fs.writeFileSync(path.join(broken.dir, 'files', 'config.xml'), '<data><![CDATA[bm90IGEgemlw]]></data>');
    for (const [name, why] of [['empty', /no pages/], ['broken', /not a ZIP/]]) {
        const page = await browser.newPage();
        try {
            await page.goto(server.url + `${name}/index.html`);
            await page.waitForSelector('[data-zarvex-error]');
            assert.match(await page.getAttribute('[data-zarvex-error]', 'data-zarvex-error'), why);
            assert.ok(await page.locator('.zv-error[role=alert]').isVisible());
        } finally {
            await page.close();
        }
    }
});

test('a book of Flash pages shows the pictures inside the SWF pages, with its logo, background picture and music', async () => {
    book('flash', { template: 'Classic', format: 'flash',
                    extfiles: { 'LogoFile.jpg': jpegs[0], 'ImagePath.jpg': jpegs[1], 'SoundFile.mp3': Buffer.alloc(64) },
                    settings: { ...SETTINGS, LogoFile: '/x/logo.jpg', LogoLink: 'https://example.org/logo',
                                SoundFile: '/x/music.mp3', LoopSound: 'Yes',
                                BgType: 'Image', ImagePath: '/x/bg.jpg', ImgPosition: 'Tile' } });
    const page = await openBook(browser, server.url + 'flash/index.html#p=2');
    try {
        assert.deepEqual(await spread(page), [2, 3]);
        await assertPicture(page, 2);
        await assertPicture(page, 3);
        assert.equal(await page.locator('.zv-notice').isVisible(), false);
        assert.equal(await page.getAttribute('a.zv-logo', 'href'), 'https://example.org/logo');
        await page.waitForFunction(() => document.querySelector('.zv-logo img').naturalWidth > 0);
        assert.match((await pageState(page)).background, /files\/extfiles\/ImagePath\.jpg/);
        const music = await page.evaluate(() => {
            const a = document.querySelector('audio.zv-music');
            return a && { src: a.src, loop: a.loop };
        });
        assert.match(music.src, /files\/extfiles\/SoundFile\.mp3$/);
        assert.equal(music.loop, true);
        assert.equal(await page.getAttribute('[data-button=BackgroundSound]', 'aria-pressed'), 'true');
        await page.click('[data-button=BackgroundSound]');
        assert.equal(await page.getAttribute('[data-button=BackgroundSound]', 'aria-pressed'), 'false');
        await page.screenshot({ path: path.join(shots, 'fixture-flash-Classic.png') });
    } finally {
        await page.close();
    }
});

test('a long book of Flash pages still shows its pictures after reading to the end and back', async () => {
    book('long', { template: 'float', format: 'flash', jpegs: Array.from({ length: 90 }, (_, i) => jpegs[i % jpegs.length]) });
    const page = await openBook(browser, server.url + 'long/index.html#p=2');
    try {
        for (const n of [2, 30, 60, 88, 2]) {
            await page.fill('.zv-counter', String(n));
            await page.press('.zv-counter', 'Enter');
            await page.waitForFunction((p) => document.querySelector('.zv-root').dataset.pages.split(',').includes(String(p)), n);
            await spread(page);
            await assertPicture(page, n);
        }
        await page.evaluate(() => document.activeElement.blur()); // keys typed in the page field stay there
        await page.keyboard.press('End');
        assert.deepEqual(await spread(page), [90]);
        await assertPicture(page, 90);
    } finally {
        await page.close();
    }
});

test('an image book opened from disk works', async () => {
    book('disk', { template: 'Minimal' });
    const page = await openBook(browser, pathToFileURL(path.join(www, 'disk', 'index.html')).href);
    try {
        assert.deepEqual(await spread(page), [1]);
        await assertPicture(page, 1, { pixels: false });
        await turn(page, 'Next');
        assert.deepEqual(await spread(page), [2, 3]);
        await assertPicture(page, 3, { pixels: false });
    } finally {
        await page.close();
    }
});

test('a book of Flash pages opened from disk says how to open it and shows the thumbnails', async () => {
    book('flashdisk', { template: 'float', format: 'flash' });
    const page = await openBook(browser, pathToFileURL(path.join(www, 'flashdisk', 'index.html')).href);
    try {
        await page.waitForSelector('.zv-notice:not([hidden])');
        assert.match(await page.textContent('.zv-notice'), /web server/);
        await assertPicture(page, 1, { pixels: false });
        assert.match(await page.getAttribute('.zv-page[data-page="1"] img', 'src'), /thumb\/1\.jpg$/);
    } finally {
        await page.close();
    }
});

test('a right-to-left book puts the cover on the left and turns towards the right', async () => {
    book('rtl', { template: 'float', settings: { ...SETTINGS, direction: 'Left' } });
    const page = await openBook(browser, server.url + 'rtl/index.html');
    try {
        assert.equal(await page.getAttribute('.zv-root', 'dir'), 'rtl');
        const x = async (b) => (await page.locator(`[data-button=${b}]`).boundingBox()).x;
        assert.ok(await x('Next') < await x('Prev'), 'the Next button is on the left');
        assert.equal(await page.locator('.zv-left .zv-page[data-page="1"]').count(), 1);
        await page.keyboard.press('ArrowLeft');
        assert.deepEqual(await spread(page), [2, 3]);
        assert.equal(await page.locator('.zv-right .zv-page[data-page="2"]').count(), 1);
        assert.equal(await page.locator('.zv-left .zv-page[data-page="3"]').count(), 1);
    } finally {
        await page.close();
    }
});

test('the address opens a page, the keyboard turns pages, changes are announced and the last page is remembered', async () => {
    book('nav', { template: 'Panoramic' });
    const ctx = await browser.newContext({ viewport: { width: 1280, height: 800 } });
    let page = await openBook(ctx, server.url + 'nav/index.html#p=4');
    try {
        assert.deepEqual(await spread(page), [4, 5]);
        await page.keyboard.press('ArrowRight');
        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pages === '6,7');
        assert.equal(await page.textContent('.zv-live'), 'Pages 6 and 7 of 7');
        await page.keyboard.press('+');
        assert.match(await page.getAttribute('.zv-root', 'class'), /zv-zoomed/);
        assert.match(await page.getAttribute('.zv-zoom', 'style'), /scale\(1\.5\)/);
        await page.keyboard.press('Escape');
        assert.doesNotMatch(await page.getAttribute('.zv-root', 'class'), /zv-zoomed/);
        await page.keyboard.press('Home');
        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pages === '1');
        await page.keyboard.press('End');
        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pages === '6,7');
        await page.close();
        page = await openBook(ctx, server.url + 'nav/index.html');
        assert.deepEqual(await spread(page), [6, 7], 'reopened at the last page read');
    } finally {
        await ctx.close();
    }
});

test('with reduced motion the pages fade instead of flipping', async () => {
    book('calm', { template: 'float' });
    const ctx = await browser.newContext({ reducedMotion: 'reduce', viewport: { width: 1280, height: 800 } });
    const page = await openBook(ctx, server.url + 'calm/index.html');
    try {
        const sawLeaf = await page.evaluate(() => new Promise((resolve) => {
            let seen = false;
            const obs = new MutationObserver(() => { if (document.querySelector('.zv-leaf')) seen = true; });
            obs.observe(document.body, { childList: true, subtree: true });
            document.querySelector('[data-button=Next]').click();
            setTimeout(() => { obs.disconnect(); resolve(seen); }, 300);
        }));
        assert.equal(sawLeaf, false);
        assert.deepEqual(await spread(page), [2, 3]);
    } finally {
        await ctx.close();
    }
});

test('a narrow screen shows one page at a time', async () => {
    book('narrow', { template: 'Minimal' });
    const ctx = await browser.newContext({ viewport: { width: 390, height: 800 } });
    const page = await openBook(ctx, server.url + 'narrow/index.html');
    try {
        assert.deepEqual(await spread(page), [1]);
        await turn(page, 'Next');
        assert.deepEqual(await spread(page), [2]);
        await assertPicture(page, 2);
        // A swipe to the left turns forward, the wheel turns too.
        await page.mouse.move(300, 400);
        await page.mouse.down();
        await page.mouse.move(200, 405, { steps: 4 });
        await page.mouse.move(80, 410, { steps: 4 });
        await page.mouse.up();
        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pages === '3');
        await spread(page);
        await page.mouse.wheel(0, -120);
        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pages === '2');
    } finally {
        await ctx.close();
    }
});

test('auto flip turns the pages by itself at the set interval', async () => {
    book('auto', { template: 'Minimal', settings: { ...SETTINGS, Enable: 'Yes', Interval: '2', loop: '1' } });
    const page = await openBook(browser, server.url + 'auto/index.html');
    try {
        assert.equal(await page.getAttribute('[data-button=AutoPlay]', 'aria-pressed'), 'true');
        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pages !== '1', null, { timeout: 8000 });
        await page.click('[data-button=Next]');
        assert.equal(await page.getAttribute('[data-button=AutoPlay]', 'aria-pressed'), 'false', 'reading stops it');
    } finally {
        await page.close();
    }
});

const FLIP_CONFIG = (extra = {}) => ({
    bookTitle: '"Mobile book"', bgBeginColor: '"#102030"', bgEndColor: '"#405060"', bgMRotation: '90',
    RightToLeft: '"No"', ThumbnailsButtonVisible: '"Show"', ZoomButtonVisible: '"Hide"', ShareButtonVisible: '"Show"',
    enableAutoPlay: '"No"', autoPlayDuration: '3', autoPlayLoopCount: '0', totalPageCount: '7',
    largePageWidth: '540', largePageHeight: '720', normalPath: '"../files/mobile/"', largePath: '"../files/mobile/"',
    ...extra,
});

test('the mobile Flip player shows the mobile pages and turns them', async () => {
    const b = book('mflip', { template: 'float', firstIndex: 5 });
    writeMobile(b.dir, resources, 'Flip', FLIP_CONFIG());
    const ctx = await browser.newContext({ viewport: { width: 390, height: 760 }, hasTouch: true, isMobile: true });
    const page = await openBook(ctx, server.url + 'mflip/mobile/index.html');
    try {
        assert.deepEqual(await spread(page), [1]);
        assert.match(await page.getAttribute('.zv-page[data-page="1"] img', 'src'), /files\/mobile\/5\.jpg$/);
        await assertPicture(page, 1);
        await turn(page, 'Next');
        assert.deepEqual(await spread(page), [2]);
        await assertPicture(page, 2);
        assert.equal(await page.locator('[data-button=Zoom]').count(), 0);
        assert.equal(await page.title(), 'Mobile book');
        assert.match((await pageState(page)).background, /rgb\(16, 32, 48\)/);
        await page.screenshot({ path: path.join(shots, 'mobile-flip.png') });
    } finally {
        await ctx.close();
    }
});

test('the mobile Slide player shows the mobile pages and turns them', async () => {
    const b = book('mslide', { template: 'float' });
    writeMobile(b.dir, resources, 'Slide', { title: 'Slides', options:
        '{pageWidth:540,pageHeight:720,totalPage:7,zoomPageDir:"../files/mobile/",normalPageDir:"../files/mobile/"}' });
    const ctx = await browser.newContext({ viewport: { width: 390, height: 760 } });
    const page = await ctx.newPage();
    try {
        await page.goto(server.url + 'mslide/mobile/index.html');
        await page.waitForSelector('[data-zarvex-ready]');
        assert.equal(await page.title(), 'Slides');
        await slideCheck(page);
        await page.screenshot({ path: path.join(shots, 'mobile-slide.png') });
    } finally {
        await ctx.close();
    }
});

async function slideCheck(page) {
    assert.equal(await page.getAttribute('#zarvex-slide', 'data-page'), '1');
    await page.waitForFunction(() => document.querySelector('.zs-slide img').naturalWidth > 0);
    await page.click('.zs-next');
    assert.equal(await page.getAttribute('#zarvex-slide', 'data-page'), '2');
    await page.waitForFunction(() => document.querySelectorAll('.zs-slide img')[1].naturalWidth > 0);
    await page.click('.zs-prev');
    assert.equal(await page.getAttribute('#zarvex-slide', 'data-page'), '1');
}

// ---- Books published by the command line tool ----

function runCli(args, home) {
    const env = { ...process.env, HOME: home, XDG_CONFIG_HOME: path.join(home, '.config'),
                  XDG_DATA_HOME: path.join(home, '.local/share'), XDG_CACHE_HOME: path.join(home, '.cache'),
                  XDG_RUNTIME_DIR: path.join(home, '.run'), ZARVEX_RESOURCES: resources };
    const r = spawnSync(cli, ['publish', '--quiet', '--overwrite', ...args], { env, encoding: 'utf8', timeout: 300000 });
    assert.equal(r.status, 0, `zarvex-cli publish ${args.join(' ')} failed: ${r.error || r.signal || r.stderr}`);
}

async function fixturePdf(file) {
    const p = await browser.newPage();
    const pages = [1, 2, 3, 4, 5].map((n) => `<section style="height:100vh;break-after:page;background:hsl(${n * 60} 70% 80%);
        font:bold 200px sans-serif;display:flex;flex-direction:column;align-items:center;justify-content:center">
        <span>${n}</span>${n === 2 ? '<a id="web" href="https://example.org/fixture" style="font-size:40px">example.org</a>' : ''}
        ${n === 3 ? '<a href="#p5" style="font-size:40px">to page five</a>' : ''}${n === 5 ? '<span id="p5" style="font-size:20px">five</span>' : ''}
        </section>`).join('');
    await p.setContent(`<html><body style="margin:0">${pages}</body></html>`);
    await p.pdf({ path: file, width: '6in', height: '8in', printBackground: true });
    await p.close();
}


test('books published by the command line read well in every template and both page formats', { skip: !cli && 'zarvex-cli is not built' }, async (t) => {
    const home = fs.mkdtempSync(path.join(os.tmpdir(), 'zarvex-browser-home-'));
    const pdf = path.join(out, 'fixture.pdf');
    await fixturePdf(pdf);
    try {
        for (const template of templates) {
            await t.test(`demo book, ${template}`, async () => {
                const dir = path.join(www, 'cli', template, 'demo');
                runCli(['--out', dir, '--template', template, '--set', 'Zoom=Hide', '--set', 'BaseColor=0x123456'], home);
                const page = await openBook(browser, server.url + `cli/${template}/demo/index.html`);
                try {
                    assert.deepEqual(await spread(page), [1]);
                    await assertPicture(page, 1);
                    await turn(page, 'Next');
                    assert.deepEqual(await spread(page), [2, 3]);
                    await assertPicture(page, 2);
                    await turn(page, 'Prev');
                    assert.deepEqual(await spread(page), [1]);
                    const s = await pageState(page);
                    assert.ok(!s.buttons.includes('Zoom'));
                    assert.equal(s.baseVar, '#123456');
                    await page.screenshot({ path: path.join(shots, `demo-${template}.png`) });
                } finally {
                    await page.close();
                }
            });
            for (const format of ['image', 'flash']) {
                await t.test(`fixture PDF, ${template}, ${format} pages`, async () => {
                    const dir = path.join(www, 'cli', template, format);
                    runCli([pdf, '--out', dir, '--template', template, '--format', format, '--links',
                            '--set', 'Print=Hide', '--mobile', format === 'image' ? 'slide' : 'flip'], home);
                    const page = await openBook(browser, server.url + `cli/${template}/${format}/index.html#p=3`);
                    try {
                        await assertPicture(page, 3);
                        const web = page.locator('.zv-page[data-page="2"] a.zv-link');
                        assert.equal(await web.getAttribute('href'), 'https://example.org/fixture');
                        await page.locator('.zv-page[data-page="3"] a.zv-link').click();
                        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pages.split(',').includes('5'));
                        assert.equal((await pageState(page)).buttons.includes('Print'), false);
                        await page.screenshot({ path: path.join(shots, `pdf-${template}-${format}.png`) });
                    } finally {
                        await page.close();
                    }
                    if (format === 'flash') {
                        const mobile = await openBook(browser, server.url + `cli/${template}/${format}/mobile/index.html`);
                        try {
                            await assertPicture(mobile, 1);
                            await turn(mobile, 'Next');
                            assert.notDeepEqual(await spread(mobile), [1]);
                        } finally {
                            await mobile.close();
                        }
                    }
                    if (format === 'image') {
                        const slide = await browser.newPage();
                        try {
                            await slide.goto(server.url + `cli/${template}/${format}/mobile/index.html`);
                            await slide.waitForSelector('[data-zarvex-ready]');
                            await slideCheck(slide);
                        } finally {
                            await slide.close();
                        }
                        const disk = await openBook(browser, pathToFileURL(path.join(dir, 'index.html')).href);
                        try {
                            await assertPicture(disk, 1, { pixels: false });
                            await turn(disk, 'Next');
                            assert.deepEqual(await spread(disk), [2, 3]);
                        } finally {
                            await disk.close();
                        }
                    }
                });
            }
        }
        await t.test('application form: the page inside the bundle opens from disk', async () => {
            const dir = path.join(www, 'cli', 'app');
            runCli(['--out', dir, '--name', 'book', '--app'], home);
            const index = path.join(dir, 'book.app', 'Contents', 'Resources', 'index.html');
            assert.ok(fs.statSync(path.join(dir, 'book.app', 'Contents', 'MacOS', 'ZarvexBook')).mode & 0o111);
            const page = await openBook(browser, pathToFileURL(index).href);
            try {
                await assertPicture(page, 1, { pixels: false });
            } finally {
                await page.close();
            }
        });
    } finally {
        fs.rmSync(home, { recursive: true, force: true });
    }
});

// Pages 1 to 7 of the placement fixture each draw their page link as a magenta rectangle: turned
// by 0, 90, 180 and 270 degrees, then cut by a crop box that starts at (50, 50), turned by 0, 90
// and 270. Each link leads to page 8.
async function clickDrawnLinks(page, what) {
    for (let n = 1; n <= 7; n++) {
        await page.fill('.zv-counter', String(n));
        await page.press('.zv-counter', 'Enter');
        await page.waitForFunction((p) => document.querySelector('.zv-root').dataset.pages.split(',').includes(String(p)), n);
        await spread(page);
        await page.evaluate(() => document.activeElement.blur());
        await assertPicture(page, n);
        const drawn = await drawnArea(page, n);
        assert.ok(drawn, `${what}, page ${n}: no drawn link in the picture`);
        const links = await linkAreas(page, n);
        assert.equal(links.length, 1, `${what}, page ${n}: one link`);
        for (const k of ['fx', 'fy', 'fw', 'fh']) {
            assert.ok(Math.abs(links[0][k] - drawn[k]) < 0.01,
                      `${what}, page ${n}: link at ${JSON.stringify(links[0])}, drawn at ${JSON.stringify(drawn)}`);
        }
        await page.mouse.click(drawn.x, drawn.y);
        await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pages === '8', null, { timeout: 5000 })
            .catch(() => assert.fail(`${what}, page ${n}: clicking the drawn link did not lead to page 8`));
    }
}

test('links of turned and cropped pages lie where the page draws them', { skip: !(cli && makeFixture) && 'zarvex-cli or make-fixture-pdf is not built' }, async (t) => {
    const home = fs.mkdtempSync(path.join(os.tmpdir(), 'zarvex-browser-home-'));
    const pdf = path.join(out, 'placement.pdf');
    const made = spawnSync(makeFixture, ['links', pdf], { encoding: 'utf8' });
    assert.equal(made.status, 0, made.stderr);
    try {
        for (const format of ['image', 'flash']) {
            await t.test(`${format} pages`, async () => {
                const dir = path.join(www, 'cli', 'placement', format);
                runCli([pdf, '--out', dir, '--format', format, '--links', '--mobile', 'flip'], home);
                const ctx = await browser.newContext({ viewport: { width: 1280, height: 900 } });
                try {
                    const book = await openBook(ctx, server.url + `cli/placement/${format}/index.html`);
                    await clickDrawnLinks(book, `${format} book`);
                    await book.screenshot({ path: path.join(shots, `placement-${format}.png`) });
                    if (format === 'flash') {
                        const mobile = await openBook(ctx, server.url + `cli/placement/${format}/mobile/index.html`);
                        await clickDrawnLinks(mobile, 'mobile Flip player');
                    }
                } finally {
                    await ctx.close();
                }
            });
        }
    } finally {
        fs.rmSync(home, { recursive: true, force: true });
    }
});
