// Browser tests of the media that the page editor places on pages (pictures, Flash pictures,
// movies, page music), in a book that zarvex-cli publishes from a generated PDF and the test
// then edits: its media files are made here, in the browser and by hand.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { editConfig, swfWithJpeg } from './support/envelope.mjs';
import { bookSuite, workFolder } from './support/setup.mjs';
import { openBook, turn, waitPages } from './support/viewer.mjs';

// Rectangles as fractions of the page.
const PICTURE = { x: 0.55, y: 0.06, width: 0.35, height: 0.18 };
const MOVIE = { x: 0.2, y: 0.3, width: 0.6, height: 0.4 };
const MUSIC = { x: 0.05, y: 0.05, width: 0.1, height: 0.07 };
const item = (name, src, r) => `<Item name="${name}" type="rect" x="${r.x}" y="${r.y}" width="${r.width}" height="${r.height}" src="${src}"/>`;
// Page 1 also holds items the viewer must not show: files outside the book's folder, other
// schemes, empty rectangles and rectangles off the page.
const REFUSED = ['../../x.png', 'editor/../../x.png', '%2e%2e/x.png', 'javascript:alert(1)//.png', '/etc/passwd',
    '/etc/x.png', 'editor\\pic.png', 'http://127.0.0.1:9/x.png', 'file:///etc/x.png']
    .map((src) => item('Image', src, PICTURE))
    .concat([item('Image', 'editor/pic.png', { ...PICTURE, width: 0 }), item('Image', 'editor/pic.png', { ...PICTURE, x: 1.2 })]);

// MPEG-1 Layer III frames, 32 kbit/s, 32 kHz, mono, silent: 36 ms each.
const mp3 = (seconds) => Buffer.concat(Array.from({ length: Math.ceil(seconds / 0.036) },
    () => Buffer.concat([Buffer.from([0xff, 0xfb, 0x18, 0xc0]), Buffer.alloc(140)])));

// A green PNG, a red JPEG and a two-second WebM movie, drawn and recorded by the browser.
async function makeMedia(page) {
    const made = await page.evaluate(async () => {
        const canvas = (colour) => {
            const c = Object.assign(document.createElement('canvas'), { width: 80, height: 40 });
            Object.assign(c.getContext('2d'), { fillStyle: colour }).fillRect(0, 0, 80, 40);
            return c;
        };
        const c = canvas('#0000ff'), g = c.getContext('2d');
        const recorder = new MediaRecorder(c.captureStream(20), { mimeType: 'video/webm' });
        const chunks = [];
        recorder.ondataavailable = (e) => chunks.push(e.data);
        const stopped = new Promise((resolve) => { recorder.onstop = resolve; });
        recorder.start();
        for (let f = 0; f < 40; f++) {
            Object.assign(g, { fillStyle: `hsl(${f * 9}, 80%, 50%)` }).fillRect(0, 0, 80, 40);
            await new Promise((resolve) => setTimeout(resolve, 50));
        }
        recorder.stop();
        await stopped;
        return {
            png: canvas('#00ff00').toDataURL('image/png').split(',')[1],
            jpeg: canvas('#ff0000').toDataURL('image/jpeg', 0.95).split(',')[1],
            webm: await new Promise((resolve) => Object.assign(new FileReader(), { onload: (e) => resolve(e.target.result.split(',')[1]) })
                .readAsDataURL(new Blob(chunks))),
        };
    });
    return Object.fromEntries(Object.entries(made).map(([k, v]) => [k, Buffer.from(v, 'base64')]));
}

// Headless Chromium lets pages play sound at any time (and Playwright's scripts count as the
// reader's gestures); a desktop browser waits for the reader's first press or key, and so do the
// pages here.
const suite = bookSuite('media', { book: ['standard', '--format', 'image', '--links', '--mobile', 'flip',
    '--set', `SoundFile=${workFolder('media')}/music.mp3`, '--set', 'LoopSound=Yes'] },
{ browserArgs: ['--mute-audio'], files: { 'music.mp3': mp3(30) }, setUp });
const { url, shot } = suite, book = path.join(suite.www, 'book');
const it = (name, options, fn) => suite.it(name, options, async (context) => {
    await context.addInitScript(() => {
        let acted = false;
        for (const type of ['pointerdown', 'keydown']) addEventListener(type, (e) => { acted ||= e.isTrusted; }, true);
        const play = HTMLMediaElement.prototype.play;
        HTMLMediaElement.prototype.play = function () {
            if (acted) return play.call(this);
            return Promise.reject(new DOMException('sound waits for a gesture', 'NotAllowedError'));
        };
    });
    await fn(context);
});

let links;
async function setUp() {
    const maker = await suite.browser.newPage();
    await maker.goto(url(''));
    const media = await makeMedia(maker);
    await maker.close();
    const editor = path.join(book, 'files', 'editor');
    fs.mkdirSync(editor);
    fs.writeFileSync(path.join(editor, 'pic.png'), media.png);
    fs.writeFileSync(path.join(editor, 'page.swf'), swfWithJpeg(media.jpeg));
    fs.writeFileSync(path.join(editor, 'clip.webm'), media.webm);
    fs.writeFileSync(path.join(editor, 'tune.mp3'), mp3(30));

    await editConfig(book, (xml) => {
        const pages = xml.split('</Page>');
        // The Flash picture lies under page 1's link to page 3, which must stay clickable.
        const link = /<Item name="Link"[^>]*action="page" x="([\d.]+)" y="([\d.]+)" width="([\d.]+)" height="([\d.]+)" href="3"/
            .exec(pages[0]);
        links = { x: +link[1], y: +link[2], width: +link[3], height: +link[4] };
        pages[0] += [item('Image', 'editor/pic.png', PICTURE), item('Flash', 'editor/page.swf', links),
            item('Image', 'editor/missing.png', MOVIE), item('Image', 'editor/pic.png', { x: 0.9, y: 0.5, width: 0.3, height: 0.1 }),
            ...REFUSED].join('');
        pages[1] += item('Movie', 'editor/clip.webm', MOVIE);
        pages[3] += item('Music', 'editor/tune.mp3', MUSIC);
        pages[4] += item('Music', 'editor/missing.mp3', MUSIC);
        return pages.join('</Page>');
    });
}

/* The colours on screen at the corners of rectangle r (fractions of page n), 4 pixels inside
 * and 4 pixels outside, from a screenshot kept as name. */
async function cornerColours(page, n, r, name) {
    const png = await page.screenshot(shot(name));
    return page.evaluate(async ({ b64, n, r }) => {
        const box = document.querySelector(`.zv-slot .zv-page[data-page="${n}"]`).getBoundingClientRect();
        const img = new Image();
        img.src = 'data:image/png;base64,' + b64;
        await img.decode();
        const g = Object.assign(document.createElement('canvas'), { width: img.width, height: img.height }).getContext('2d');
        g.drawImage(img, 0, 0);
        const at = (x, y) => {
            const [red, green, blue] = g.getImageData(Math.round(x), Math.round(y), 1, 1).data;
            return green > 150 && red < 90 && blue < 90 ? 'green' : red > 150 && green < 90 && blue < 90 ? 'red' : 'other';
        };
        const x0 = box.left + r.x * box.width, y0 = box.top + r.y * box.height;
        const x1 = x0 + r.width * box.width, y1 = y0 + r.height * box.height;
        return { inside: [at(x0 + 4, y0 + 4), at(x1 - 4, y0 + 4), at(x0 + 4, y1 - 4), at(x1 - 4, y1 - 4)],
                 outside: [at(x0 - 4, y0 - 4), at(x1 + 4, y0 - 4), at(x0 - 4, y1 + 4), at(x1 + 4, y1 + 4)] };
    }, { b64: png.toString('base64'), n, r });
}

const sound = (page, selector) => page.$eval(selector, (a) => (a.paused ? 'paused' : 'playing'));
const waitSound = (page, selector, state) => page.waitForFunction(({ selector, state }) => {
    const a = document.querySelector(selector);
    return a && (state === 'paused') === a.paused;
}, { selector, state });
const PAGE_MUSIC = 'audio.zv-page-music[data-media-key="4:0"]', MUSIC_BG = 'audio.zv-music';

it('pictures lie in their rectangles under working links; a movie plays in place and music with its page, from the first gesture',
   { viewport: { width: 1280, height: 900 } }, async (context) => {
    const requests = [];
    context.on('request', (r) => requests.push(r.url()));
    const page = await openBook(context, url('book/index.html'));
    const round = (r) => Object.fromEntries(Object.entries(r).map(([k, v]) => [k, typeof v === 'number' ? +v.toFixed(6) : v]));
    const media = await page.evaluate(() => ZarvexDecode.loadBook('files/').then((b) => b.pages.map((p) => p.media)));
    assert.deepEqual(media.map((list) => list.map(round)), [
        [{ kind: 'image', ...PICTURE, src: 'editor/pic.png' }, { kind: 'flash', ...links, src: 'editor/page.swf' },
         { kind: 'image', ...MOVIE, src: 'editor/missing.png' }, { kind: 'image', x: 0.9, y: 0.5, width: 0.1, height: 0.1, src: 'editor/pic.png' }],
        [{ kind: 'movie', ...MOVIE, src: 'editor/clip.webm' }], [],
        [{ kind: 'music', ...MUSIC, src: 'editor/tune.mp3' }], [{ kind: 'music', ...MUSIC, src: 'editor/missing.mp3' }]]);

    // The missing picture leaves nothing behind; the others are drawn where they belong.
    await page.waitForFunction(() => document.querySelectorAll('.zv-page[data-page="1"] .zv-media-item').length === 3 &&
        document.querySelectorAll('.zv-page[data-page="1"] .zv-media-item.zv-loaded').length === 3);
    assert.deepEqual(await cornerColours(page, 1, PICTURE, 'media-pictures'),
                     { inside: Array(4).fill('green'), outside: Array(4).fill('other') });
    assert.deepEqual((await cornerColours(page, 1, links, 'media-pictures')).inside, Array(4).fill('red'));
    assert.deepEqual(requests.filter((u) => /x\.png|passwd|:9\//.test(u)), [], 'refused files are never read');
    assert.equal(await sound(page, MUSIC_BG), 'paused', 'no sound before the reader acts');

    await page.click('.zv-page[data-page="1"] a[data-link-page="3"]');
    await waitPages(page, '2,3');
    await waitSound(page, MUSIC_BG, 'playing');

    const play = page.locator('.zv-page[data-page="2"] button[aria-label="Play the movie"]');
    const frame = await page.locator('.zv-page[data-page="2"]').boundingBox();
    const at = await page.locator('.zv-page[data-page="2"] .zv-media-movie').boundingBox();
    for (const [k, size] of [['x', 'width'], ['y', 'height']]) {
        assert.ok(Math.abs(at[k] - frame[k] - MOVIE[k] * frame[size]) < 1.5 && Math.abs(at[size] - MOVIE[size] * frame[size]) < 1.5,
                  `the movie lies at its rectangle: ${JSON.stringify(at)} in ${JSON.stringify(frame)}`);
    }
    await play.click();
    await page.waitForFunction(() => {
        const v = document.querySelector('.zv-page[data-page="2"] .zv-media-movie video');
        window.movie = v;
        return v && v.controls && !v.paused && v.currentTime > 0.2 && /\/book\/files\/editor\/clip\.webm$/.test(v.src);
    });
    await page.screenshot(shot('media-movie'));

    assert.deepEqual(await turn(page, 'Next'), [4, 5]);
    assert.equal(await page.evaluate(() => window.movie.paused), true, 'turning away stops the movie');
    assert.equal(await page.locator('video').count(), 0);
    await waitSound(page, PAGE_MUSIC, 'playing');
    assert.match(await page.$eval(PAGE_MUSIC, (a) => a.src), /\/book\/files\/editor\/tune\.mp3$/);
    assert.equal(await sound(page, MUSIC_BG), 'paused', 'the book music waits for the page music');
    await page.waitForSelector('.zv-page[data-page="5"] .zv-media-item', { state: 'detached' });

    const toggle = page.locator('.zv-page[data-page="4"] .zv-media-music button[aria-label="Page music"]');
    assert.equal(await toggle.getAttribute('aria-pressed'), 'true');
    for (const [pressed, pageMusic, bookMusic] of [['false', 'paused', 'playing'], ['true', 'playing', 'paused']]) {
        await toggle.click();
        assert.equal(await toggle.getAttribute('aria-pressed'), pressed);
        await waitSound(page, PAGE_MUSIC, pageMusic);
        await waitSound(page, MUSIC_BG, bookMusic);
    }

    assert.deepEqual(await turn(page, 'Prev'), [2, 3]);
    assert.equal(await sound(page, PAGE_MUSIC), 'paused', 'turning away stops the page music');
    await waitSound(page, MUSIC_BG, 'playing');
    assert.equal(await play.count(), 1, 'the movie waits behind its play button again');

    // Opened at the page with music, it starts with the first gesture.
    await page.close();
    const direct = await openBook(context, url('book/index.html#p=4'));
    await direct.waitForSelector(PAGE_MUSIC, { state: 'attached' });
    assert.equal(await sound(direct, PAGE_MUSIC), 'paused', 'the browser holds sound back until the reader acts');
    await direct.click('.zv-title');
    await waitSound(direct, PAGE_MUSIC, 'playing');
    assert.equal(await sound(direct, MUSIC_BG), 'paused');
});

it('the mobile Flip player shows the pictures', { viewport: { width: 390, height: 760 }, hasTouch: true, isMobile: true }, async (context) => {
    const flip = await openBook(context, url('book/mobile/index.html'));
    await flip.waitForFunction(() => document.querySelectorAll('.zv-page[data-page="1"] .zv-media-item.zv-loaded').length === 3);
    assert.match(await flip.$eval('.zv-page[data-page="1"] .zv-media-image img', (img) => img.src), /\/book\/files\/editor\/pic\.png$/);
    assert.deepEqual(await cornerColours(flip, 1, PICTURE, 'media-mobile-flip'),
                     { inside: Array(4).fill('green'), outside: Array(4).fill('other') });
});
