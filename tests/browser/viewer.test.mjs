// Browser tests of the readers' side: books that zarvex-cli publishes from generated PDFs,
// read in one headless Chromium over http and from disk.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { editConfig } from './support/envelope.mjs';
import { bookSuite, resources, workFolder } from './support/setup.mjs';
import { assertLinkOnDrawing, assertPicture, drag, goTo, openBook, pageState, spread, turn, waitPages } from './support/viewer.mjs';

const templates = fs.readdirSync(path.join(resources, 'AppFiles', 'Templates'))
    .filter((t) => fs.existsSync(path.join(resources, 'AppFiles', 'Templates', t, 'flashTemplate.xml'))).sort();
const set = (settings) => Object.entries(settings).flatMap(([k, v]) => ['--set', `${k}=${v}`]);
const icon = path.join(resources, 'AppFiles', 'Templates', 'float', 'icon.png');

// The books of the run. "standard": pages 1 to 5, rotated by 0, 90, 180 and 270 degrees; page 1
// links to https://example.com/a and to page 3, page 2 to https://example.com/b and page 1,
// page 3 to https://example.com/c, page 4 to page 5.
// "links": pages 1 to 7 each draw their page link as a magenta rectangle (turned by 0, 90, 180
// and 270 degrees, then cut by a crop box that starts at (50, 50), turned by 0, 90 and 270),
// each leading to page 8.
const BOOKS = {
    image: ['standard', '--format', 'image', '--links', '--mobile', 'slide', ...set({ Zoom: 'Hide', Print: 'Hide',
        BaseColor: '0x1f6f8b', GradientStartColor: '0x112233', GradientEndColor: '0x445566', Title: 'Fixture <Book>',
        bookTitle: 'Slides' })],
    // Part of the document: the page files keep the document's page numbers.
    flash: ['standard', '--pages', '2-5', '--template', 'Classic', '--format', 'flash', '--links', '--mobile', 'flip',
        ...set({ Zoom: 'Hide', Title: 'Mobile book', GradientStartColor: '0x102030', LogoFile: icon,
                 LogoLink: 'https://example.org/logo', SoundFile: path.join(workFolder('viewer'), 'music.mp3'), LoopSound: 'Yes', BgType: 'Image',
                 ImagePath: icon, ImgPosition: 'Tile' })],
    demo: [null, '--template', 'Minimal'],
    app: [null, '--app', '--name', 'book'],
    rtl: ['standard', '--template', 'Panoramic', '--format', 'image', ...set({ direction: 'Left' })],
    auto: ['standard', '--format', 'image', ...set({ Enable: 'Yes', Interval: '2', loop: '1' })],
    long: ['plain 90', '--format', 'flash'],
    'placement-image': ['links', '--format', 'image', '--links'],
    'placement-flash': ['links', '--format', 'flash', '--links', '--mobile', 'flip'],
};
const suite = bookSuite('viewer', BOOKS, { files: { 'music.mp3': Buffer.alloc(64) } }), { it, shot, www } = suite;
const url = (name, file = 'index.html') => suite.url(`${name}/${file}`);
const fileUrl = (name, file = 'index.html') => pathToFileURL(path.join(www, name, file)).href;

it('an image book shows its spreads, turns pages, follows links and applies its settings', {}, async (context) => {
    const outside = [];
    context.on('request', (r) => {
        if (!/^(blob:|data:)/.test(r.url()) && !r.url().startsWith(suite.url(''))) outside.push(r.url());
    });
    const page = await openBook(context, url('image'));
    assert.deepEqual(await spread(page), [1]);
    await assertPicture(page, 1);
    assert.deepEqual(await turn(page, 'Next'), [2, 3]);
    await assertPicture(page, 2);
    await assertPicture(page, 3);
    assert.deepEqual(await turn(page, 'Prev'), [1]);

    const web = page.locator('.zv-page[data-page="1"] a.zv-link:not([data-link-page])');
    assert.equal(await web.getAttribute('href'), 'https://example.com/a');
    assert.equal(await web.getAttribute('target'), '_blank');
    await page.locator('.zv-page[data-page="1"] a.zv-link[data-link-page]').click();
    assert.deepEqual(await waitPages(page, '2,3'), [2, 3]);
    assert.match(page.url(), /#p=2$/);

    const s = await pageState(page);
    assert.deepEqual(s.buttons.filter((b) => b === 'Zoom' || b === 'Print'), [], 'hidden buttons are absent');
    for (const b of ['Thumbnail', 'FullScreen', 'Share', 'Help']) assert.ok(s.buttons.includes(b), b);
    assert.equal(s.baseVar, '#1f6f8b');
    assert.match(s.barColor, /^rgba?\(31, 111, 139\b/);
    assert.match(s.background, /rgb\(17, 34, 51\).*rgb\(68, 85, 102\)/);
    assert.equal(s.title, 'Fixture <Book>');

    await page.click('[data-button=Thumbnail]');
    await page.click('.zv-thumb[aria-label="Page 4"]');
    await waitPages(page, '4,5');
    assert.deepEqual(outside, [], 'the book reads nothing from outside its folder');
});

it('an edited book makes no links of script addresses and says when it has no pages or a damaged configuration', {}, async (context) => {
    const copy = (name) => {
        fs.cpSync(path.join(www, 'image'), path.join(www, name), { recursive: true });
        return path.join(www, name);
    };
    // Hostile addresses: the browser drops the tab and the line break before it reads the scheme.
    const scripts = ['javascript:alert(1)', 'java&#9;script:alert(2)', 'java&#10;script:alert(3)', ' vbscript:msgbox(4)'];
    await editConfig(copy('scripts'), (xml) => xml.replace('href="https://example.com/b"/>', (found) => found + scripts.map((href) =>
        `<Item name="Link" type="rect" action="web" x="0.4" y="0.4" width="0.2" height="0.2" href="${href}"/>`).join('')));
    await editConfig(copy('empty'), (xml) => xml.replace(/<Page\b[\s\S]*<\/Page>/, ''));
    fs.writeFileSync(path.join(copy('broken'), 'files', 'config.xml'), '<data><![CDATA[bm90IGEgemlw]]></data>');
    fs.rmSync(path.join(www, 'broken', 'files', 'config.js'));
    const page = await openBook(context, url('scripts', 'index.html#p=2'));
    assert.deepEqual(await page.$$eval('.zv-page[data-page="2"] a.zv-link', (links) => links.map((a) => a.getAttribute('href'))),
                     ['https://example.com/b', '#p=1'], 'only the web and the page link');
    for (const [name, why] of [['empty', /no pages/], ['broken', /not a ZIP/]]) {
        await page.goto(url(name));
        await page.waitForSelector('[data-zarvex-error]');
        assert.match(await page.getAttribute('[data-zarvex-error]', 'data-zarvex-error'), why);
        assert.ok(await page.locator('.zv-error[role=alert]').isVisible());
    }
});

it('a book of Flash pages shows the pictures inside its SWF pages, its links, logo, background picture and music', {}, async (context) => {
    // Its pictures: see the template test, which opens this book at the same pages.
    const page = await openBook(context, url('flash', 'index.html#p=2'));
    assert.equal(await page.locator('.zv-notice').isVisible(), false);
    assert.equal(await page.getAttribute('a.zv-logo', 'href'), 'https://example.org/logo');
    await page.waitForFunction(() => document.querySelector('.zv-logo img').naturalWidth > 0);
    assert.match((await pageState(page)).background, /files\/extfiles\/ImagePath\.png/);
    const music = await page.$eval('audio.zv-music', (a) => ({ src: a.src, loop: a.loop }));
    assert.match(music.src, /files\/extfiles\/SoundFile\.mp3$/);
    assert.equal(music.loop, true);
    const sound = page.locator('[data-button=BackgroundSound]');
    assert.equal(await sound.getAttribute('aria-pressed'), 'true');
    await sound.click();
    assert.equal(await sound.getAttribute('aria-pressed'), 'false');
    assert.equal(await page.getAttribute('.zv-page[data-page="2"] a.zv-link', 'href'), 'https://example.com/c');
    await page.locator('.zv-page[data-page="3"] a.zv-link').click();
    await waitPages(page, 4);
});

it('a long book of Flash pages still shows its pictures after reading to the end and back', {}, async (context) => {
    const page = await openBook(context, url('long', 'index.html#p=2'));
    for (const n of [2, 30, 60, 88, 2]) {
        await goTo(page, n);
        await assertPicture(page, n);
    }
    await page.keyboard.press('End');
    assert.deepEqual(await waitPages(page, '90'), [90]);
    await assertPicture(page, 90);
});

it('from disk, image books and the application form\'s page work and Flash books say how to open them', {}, async (context) => {
    const page = await openBook(context, fileUrl('image'));
    assert.deepEqual(await spread(page), [1]);
    await assertPicture(page, 1, { pixels: false });
    assert.deepEqual(await turn(page, 'Next'), [2, 3]);
    await assertPicture(page, 3, { pixels: false });

    await assertPicture(await openBook(context, fileUrl('app', 'book.app/Contents/Resources/index.html')), 1, { pixels: false });

    const flash = await openBook(context, fileUrl('flash'));
    await flash.waitForSelector('.zv-notice:not([hidden])');
    assert.match(await flash.textContent('.zv-notice'), /web server/);
    await assertPicture(flash, 1, { pixels: false });
    assert.match(await flash.getAttribute('.zv-page[data-page="1"] img', 'src'), /thumb\/2\.jpg$/);
});

it('every template\'s page starts the viewer in the template\'s look, also where a Flash Player is installed', {}, async (context) => {
    // The book's own Flash player is a placeholder: a reader gets it only by asking for it.
    await context.addInitScript(() => Object.defineProperty(navigator, 'plugins', {
        get: () => ({ 'Shockwave Flash': { description: 'Shockwave Flash 32.0 r0', filename: 'libpepflashplayer.so' } }) }));
    const bookOf = { Classic: 'flash', Minimal: 'demo', Panoramic: 'rtl', float: 'image' };
    assert.deepEqual(Object.keys(bookOf), templates, 'a book for every template');
    for (const [template, name] of Object.entries(bookOf)) {
        const page = await openBook(context, url(name, 'index.html#p=2'));
        assert.match(await page.getAttribute('.zv-root', 'class'), new RegExp(`zv-look-${template}\\b`));
        await assertPicture(page, 2);
        await assertPicture(page, 3);
        await page.screenshot(shot(`template-${template}`));
        await page.close();
    }
    const asked = await context.newPage();
    await asked.goto(url('demo', 'index.html?viewer=flash'));
    await asked.waitForSelector('object[type="application/x-shockwave-flash"][data="files/book.swf"]', { state: 'attached' });
});

it('a right-to-left book puts the cover on the left and turns towards the right', {}, async (context) => {
    const page = await openBook(context, url('rtl'));
    assert.equal(await page.getAttribute('.zv-root', 'dir'), 'rtl');
    const x = async (b) => (await page.locator(`[data-button=${b}]`).boundingBox()).x;
    assert.ok(await x('Next') < await x('Prev'), 'the Next button is on the left');
    assert.equal(await page.locator('.zv-left .zv-page[data-page="1"]').count(), 1);
    await page.keyboard.press('ArrowLeft');
    assert.deepEqual(await waitPages(page, '2,3'), [2, 3]);
    assert.equal(await page.locator('.zv-right .zv-page[data-page="2"]').count(), 1);
    assert.equal(await page.locator('.zv-left .zv-page[data-page="3"]').count(), 1);
});

it('the address opens a page, the keyboard turns pages, with reduced motion they fade, changes are announced and the last page is remembered',
   { reducedMotion: 'reduce' }, async (context) => {
    const page = await openBook(context, url('image', 'index.html#p=2'));
    assert.deepEqual(await spread(page), [2, 3]);
    await page.evaluate(() => new MutationObserver(() => { window.sawLeaf ||= !!document.querySelector('.zv-leaf'); })
        .observe(document.body, { childList: true, subtree: true }));
    await page.keyboard.press('ArrowRight');
    await waitPages(page, '4,5');
    assert.equal(await page.evaluate(() => !!window.sawLeaf), false, 'the pages fade, no leaf turns');
    assert.equal(await page.textContent('.zv-live'), 'Pages 4 and 5 of 5');
    await page.keyboard.press('+');
    assert.match(await page.getAttribute('.zv-root', 'class'), /zv-zoomed/);
    assert.match(await page.getAttribute('.zv-zoom', 'style'), /scale\(1\.5\)/);
    await page.keyboard.press('Escape');
    assert.doesNotMatch(await page.getAttribute('.zv-root', 'class'), /zv-zoomed/);
    await page.keyboard.press('Home');
    await waitPages(page, '1');
    await page.keyboard.press('End');
    await waitPages(page, '4,5');
    await page.close();
    assert.deepEqual(await spread(await openBook(context, url('image'))), [4, 5], 'reopened at the last page read');
});

it('a narrow screen shows one page at a time, turned by buttons, swipes and the wheel', { viewport: { width: 390, height: 800 } }, async (context) => {
    const page = await openBook(context, url('image'));
    assert.deepEqual(await spread(page), [1]);
    assert.deepEqual(await turn(page, 'Next'), [2]);
    await drag(page, [300, 400], [[200, 405], [80, 410]]); // a swipe to the left turns forward
    await waitPages(page, '3');
    await page.mouse.wheel(0, -120);
    await waitPages(page, '2');
});

it('auto flip turns the pages by itself at the set interval until the reader turns them', {}, async (context) => {
    const page = await openBook(context, url('auto'));
    assert.equal(await page.getAttribute('[data-button=AutoPlay]', 'aria-pressed'), 'true');
    await page.waitForFunction(() => document.querySelector('.zv-root').dataset.pages !== '1', null, { timeout: 8000 });
    await page.click('[data-button=Next]');
    assert.equal(await page.getAttribute('[data-button=AutoPlay]', 'aria-pressed'), 'false', 'reading stops it');
});

it('the mobile Flip and Slide players show the mobile pages and turn them',
   { viewport: { width: 390, height: 760 }, hasTouch: true, isMobile: true }, async (context) => {
    const flip = await openBook(context, url('flash', 'mobile/index.html'));
    assert.match(await flip.getAttribute('.zv-page[data-page="1"] img', 'src'), /files\/mobile\/2\.jpg$/);
    assert.equal(await flip.locator('[data-button=Zoom]').count(), 0);
    assert.equal(await flip.title(), 'Mobile book');
    assert.match((await pageState(flip)).background, /rgb\(16, 32, 48\)/);
    await flip.screenshot(shot('mobile-flip'));

    const slide = await context.newPage();
    await slide.goto(url('image', 'mobile/index.html'));
    await slide.waitForSelector('[data-zarvex-ready]');
    assert.equal(await slide.title(), 'Slides');
    for (const [button, shown] of [['.zs-next', '2'], ['.zs-prev', '1']]) {
        await slide.click(button);
        assert.equal(await slide.getAttribute('#zarvex-slide', 'data-page'), shown, button);
        await slide.waitForFunction((n) => document.querySelectorAll('.zs-slide img')[n - 1].naturalWidth > 0, +shown);
    }
    await slide.screenshot(shot('mobile-slide'));
});

it('links of turned and cropped pages lie where the page draws them, in both page formats and the mobile player',
   { viewport: { width: 1280, height: 900 }, reducedMotion: 'reduce' }, async (context) => {
    // Pages fade instead of flipping: the test goes to every page twice.
    for (const [name, file, what] of [['placement-image', 'index.html', 'image book'],
        ['placement-flash', 'index.html', 'flash book'], ['placement-flash', 'mobile/index.html', 'mobile Flip player']]) {
        const page = await openBook(context, url(name, file));
        // Each page's link lies on its drawing, and a click on the drawing leads to page 8.
        for (let n = 1; n <= 7; n++) {
            await goTo(page, n);
            await assertPicture(page, n);
            const drawn = await assertLinkOnDrawing(page, n, `${what}, page ${n}`);
            await page.mouse.click(drawn.x, drawn.y);
            await waitPages(page, '8', 5000).catch(() => assert.fail(`${what}, page ${n}: clicking the drawn link did not lead to page 8`));
        }
        await page.screenshot(shot(`placement-${what.replaceAll(' ', '-')}`));
        await page.close();
    }
});
