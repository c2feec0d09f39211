// The page editor page (resources/PageEditor.html, built from viewer/editor) in headless
// Chromium, driven as a user: a served preview folder with three pages (a JPEG page, a Flash
// page holding a JPEG, a page whose file is missing) and a stand-in for the application's
// bridge that records the calls and answers with paths.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { swfWithJpeg } from './support/envelope.mjs';
import { bookSuite } from './support/setup.mjs';
import { drag } from './support/viewer.mjs';

const { it, url, shot, www } = bookSuite('editor', {});

/* Pictures drawn in the page: a coloured field with a white bar, as JPEG or PNG bytes. */
const drawPictures = async (page, specs) => (await page.evaluate((list) => list.map((s) => {
    const c = Object.assign(document.createElement('canvas'), { width: s.w, height: s.h });
    const g = c.getContext('2d');
    g.fillStyle = s.color;
    g.fillRect(0, 0, s.w, s.h);
    g.fillStyle = '#fff';
    g.fillRect(s.w / 4, s.h / 8, s.w / 2, s.h / 10);
    return c.toDataURL(s.type, 0.9).split(',')[1];
}), specs)).map((b) => Buffer.from(b, 'base64'));

const ROOT = '<Pages bace="" largeWidth="1190" largeHeight="1684" width="700" height="990" thumbWidth="127" thumbHeight="180">';
const roles = (thumb, file) => `    <Item name="thumb">${thumb}</Item>\n    <Item name="normal">${file}</Item>\n` +
    `    <Item name="large">${file}</Item>\n`;
const PAGE2 = `  <Page type="Image">\n${roles('thumb/2.jpg', 'page/2.swf')}  </Page>\n`;
const PAGE3 = `  <Page type="Image" note="no file">\n${roles('thumb/3.jpg', 'page/3.jpg')}  </Page>\n`;
const WEB_LINK = '<Item name="Link" type="rect" action="web" x="0.100000" y="0.800000" width="0.300000" height="0.050000" href="https://example.com/a?b=1&amp;c=2"/>';
const PAGES_XML = `${ROOT}
  <Page type="Image">
${roles('thumb/1.jpg', 'page/1.jpg')}    <Item name="Link" type="rect" action="web" x="0.1" y="0.8" width="0.3" height="0.05" href="https://example.com/a?b=1&amp;c=2"/>
    <Item name="Link" type="rect" action="page" x="0.5" y="0.8" width="0.2" height="0.05" href="3"/>
    <Item name="Note" kind="kept">keep &amp; me</Item>
  </Page>
${PAGE2}${PAGE3}</Pages>
`;

// The application's side: records every call; answers through Qt's callback, directly or
// with a Promise, as the real bridge and test stubs may.
function bridgeStub() {
    window.calls = [];
    const rec = (...c) => window.calls.push(c);
    window.makeConnector = () => ({
        SelectImageFile(cb) { rec('SelectImageFile'); cb('editor/pic.png'); },
        OnSelectImageFiles() { rec('OnSelectImageFiles', window.ReName()); return 'editor/S/a.png|editor/S/b.png'; },
        OnSelectSWFFile() { rec('OnSelectSWFFile'); return ''; },
        OnSelectMovieFile() { rec('OnSelectMovieFile'); return Promise.resolve('editor/clip.mp4'); },
        OnDeleteFile(p) { rec('OnDeleteFile', p); },
        OnSave() { rec('OnSave'); window.saved = window.GetPageConfig(); },
        Exit() { rec('Exit'); },
    });
}

/* Page 1's items in the page list text as [name, attributes, text], read by the browser. Numbers
 * written with six decimals and within tol of the expected ones read as these. */
const itemsOf = async (page, xml, expected, tol) => (await page.evaluate((text) =>
    [...new DOMParser().parseFromString(text, 'application/xml').querySelector('Page').children].map((it) => [it.getAttribute('name'),
        Object.fromEntries([...it.attributes].filter((a) => a.name !== 'name').map((a) => [a.name, a.value])), it.textContent]), xml))
    .map(([name, attrs, text], k) => [name, Object.fromEntries(Object.entries(attrs).map(([key, v]) => {
        const want = expected[k]?.[1][key];
        return [key, typeof want === 'number' && /^\d\.\d{6}$/.test(v) && Math.abs(v - want) <= tol ? want : v];
    })), text]);

it('the page editor edits links and places media, undoes and redoes, and hands back the page list', { viewport: { width: 1440, height: 720 } }, async (context) => {
    const page = await context.newPage();
    const [page1, picture2, thumb, pic] = await drawPictures(page, [
        { w: 350, h: 495, color: '#3050a0', type: 'image/jpeg' }, { w: 350, h: 495, color: '#10a040', type: 'image/jpeg' },
        { w: 64, h: 90, color: '#a03050', type: 'image/jpeg' }, { w: 200, h: 100, color: '#e08020', type: 'image/png' }]);
    const files = { 'PageEditor.html': fs.readFileSync(new URL('../../resources/PageEditor.html', import.meta.url)), 'pages.xml': PAGES_XML,
        'files/page/1.jpg': page1, 'files/page/2.swf': swfWithJpeg(picture2, { compressed: true }), 'files/editor/pic.png': pic,
        'files/thumb/1.jpg': thumb, 'files/thumb/2.jpg': thumb, 'files/thumb/3.jpg': thumb };
    for (const [name, data] of Object.entries(files)) {
        fs.mkdirSync(path.dirname(path.join(www, name)), { recursive: true });
        fs.writeFileSync(path.join(www, name), data);
    }

    const outside = [];
    context.on('request', (r) => { if (!/^(blob:|data:)/.test(r.url()) && !r.url().startsWith(url(''))) outside.push(r.url()); });
    await context.addInitScript(bridgeStub);
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    await page.goto(url('PageEditor.html'));
    await page.waitForSelector('body[data-ready=true]');
    const button = (name) => page.getByRole('button', { name, exact: true });
    const calls = () => page.evaluate(() => window.calls);
    const config = () => page.evaluate(() => window.GetPageConfig());
    const box = await page.locator('.pe-page').boundingBox();
    const at = (x, y) => [box.x + x * box.width, box.y + y * box.height];
    const tol = 1.5 / box.width;

    // The bridge may come after the page: until then only link editing works.
    assert.ok(await button('Picture').isDisabled() && await button('Save').isDisabled(), 'media need the bridge');
    assert.ok(await button('Link').isEnabled());
    await page.evaluate(() => { window.myconnector = window.makeConnector(); window.dispatchEvent(new Event('myconnectorready')); });
    assert.ok(await button('Picture').isEnabled());

    // Every page shows: the Flash page its JPEG, the page without file a message.
    await page.waitForSelector('.pe-page[data-picture=shown]');
    await page.getByRole('button', { name: /^Page 2\b/ }).click();
    await page.waitForSelector('.pe-page[data-picture=shown]');
    const green = await page.evaluate(() => {
        const img = document.querySelector('.pe-picture');
        const g = Object.assign(document.createElement('canvas'), { width: 10, height: 10 }).getContext('2d');
        g.drawImage(img, 0, 0, 10, 10);
        return [...g.getImageData(5, 8, 1, 1).data.slice(0, 3)];
    });
    assert.ok(green[1] > 120 && green[0] < 60 && green[2] < 100, `the Flash page's picture: ${green}`);
    await page.getByRole('button', { name: /^Page 3\b/ }).click();
    await page.waitForSelector('.pe-page[data-picture=missing]');
    assert.match(await page.locator('.pe-missing').innerText(), /missing.*page\/3\.jpg/);
    await page.getByRole('button', { name: /^Page 1\b/ }).click();
    await page.waitForSelector('.pe-page[data-picture=shown]');
    assert.equal(await page.locator('.pe-link').count(), 2, 'the links of the page are drawn');

    // Draw a link; a text that is no web address is refused, a host name is completed.
    await button('Link').click();
    await drag(page, at(0.1, 0.1), [at(0.25, 0.15), at(0.4, 0.2)]);
    await page.fill('#pe-link-url', 'javascript:alert(1)');
    await button('Apply').click();
    assert.match(await page.locator('.pe-link-error').innerText(), /not a web address/);
    assert.equal(await button('Undo').isDisabled(), true, 'a refused address adds nothing');
    await page.fill('#pe-link-url', 'example.org/zarvex');
    await page.press('#pe-link-url', 'Enter');
    assert.equal(await page.locator('.pe-link').count(), 3);

    // Move it by dragging, then with the keys (Shift: 10 pixels).
    await drag(page, at(0.25, 0.15), [at(0.3, 0.25), at(0.35, 0.35)]);
    await page.keyboard.press('Shift+ArrowRight');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('ArrowDown');

    // Place a picture (its own aspect), several pictures named by date, a cancelled Flash
    // clip (nothing changes) and a movie; undo takes the movie away, redo brings it back.
    await button('Picture').click();
    await page.waitForSelector('.pe-image >> nth=0');
    await page.check('#pe-rename');
    await button('Pictures').click();
    await page.waitForFunction(() => document.querySelectorAll('.pe-image').length === 3);
    const placed = await config();
    await button('Flash').click();
    await page.waitForFunction(() => window.calls.some((c) => c[0] === 'OnSelectSWFFile'));
    assert.equal(await config(), placed, 'a cancelled chooser changes nothing');
    await button('Movie').click();
    await page.waitForSelector('.pe-movie');
    await page.keyboard.press('Control+z');
    assert.equal(await page.locator('.pe-movie').count(), 0, 'undo takes the movie away');
    assert.equal(await config(), placed);
    await page.keyboard.press('Control+Shift+Z');
    assert.equal(await page.locator('.pe-movie').count(), 1, 'redo brings it back');
    await button('Undo').click();
    assert.equal(await page.locator('.pe-movie').count(), 0);
    await page.screenshot(shot('editor-items'));

    // Select the page link by a click and delete it with the Delete key.
    await page.mouse.click(...at(0.6, 0.825));
    await page.keyboard.press('Delete');
    assert.equal(await page.locator('.pe-link').count(), 2);

    const text = await config();
    assert.ok(text.startsWith(ROOT + '\n  <Page type="Image">\n'), text.slice(0, 200));
    assert.ok(text.includes(`\n    ${WEB_LINK}\n`), 'links are written with their attributes in order');
    assert.ok(text.endsWith(PAGE2 + PAGE3 + '</Pages>\n'), 'pages without edits stay as they were');
    const picH = 0.4 * (700 / 990) / 2;
    const expected = [
        ['thumb', {}, 'thumb/1.jpg'], ['normal', {}, 'page/1.jpg'], ['large', {}, 'page/1.jpg'],
        ['Note', { kind: 'kept' }, 'keep & me'],
        ['Link', { type: 'rect', action: 'web', x: 0.1, y: 0.8, width: 0.3, height: 0.05, href: 'https://example.com/a?b=1&c=2' }, ''],
        ['Link', { type: 'rect', action: 'web', x: 0.2 + 10 / box.width, y: 0.3 + 2 / box.height, width: 0.3, height: 0.1,
                   href: 'http://example.org/zarvex' }, ''],
        ['Image', { type: 'rect', x: 0.3, y: (1 - picH) / 2, width: 0.4, height: picH, src: 'editor/pic.png' }, ''],
        ['Image', { type: 'rect', x: 0.3, y: 0.35, width: 0.4, height: 0.3, src: 'editor/S/a.png' }, ''],
        ['Image', { type: 'rect', x: 0.33, y: 0.38, width: 0.4, height: 0.3, src: 'editor/S/b.png' }, ''],
    ];
    assert.equal(JSON.stringify(await itemsOf(page, text, expected, tol)), JSON.stringify(expected), 'page 1, attributes in order');
    assert.deepEqual((await calls()).find((c) => c[0] === 'OnSelectImageFiles'), ['OnSelectImageFiles', 'YES']);

    // Save; then an unsaved edit makes Exit ask first. Leaving removes the files picked in
    // this session that the saved list does not name (the movie), and only those.
    await button('Save').click();
    assert.equal(await page.evaluate(() => window.saved), text);
    await page.locator('.pe-image[data-src="editor/pic.png"]').focus(); // under the others: reached by the keyboard
    await page.keyboard.press('Delete');
    assert.equal(await page.locator('.pe-image').count(), 2);
    await button('Exit').click();
    await page.waitForSelector('dialog.pe-dialog[open]');
    await page.getByRole('button', { name: 'Keep editing' }).click();
    assert.ok(!(await calls()).some((c) => c[0] === 'Exit'), 'keeping on does not leave');
    await button('Exit').click();
    await page.getByRole('button', { name: 'Leave without saving' }).click();
    await page.waitForFunction(() => window.calls.some((c) => c[0] === 'Exit'));
    assert.deepEqual((await calls()).filter((c) => /Delete|Exit|Save/.test(c[0])),
                     [['OnSave'], ['OnDeleteFile', 'editor/clip.mp4'], ['Exit']]);

    // A smaller window still shows the whole page beside the tools.
    await page.setViewportSize({ width: 1000, height: 600 });
    await page.waitForFunction(() => {
        const r = document.querySelector('.pe-page').getBoundingClientRect();
        return r.width > 150 && r.bottom <= innerHeight && r.right <= innerWidth;
    });
    assert.deepEqual(errors, []);
    assert.deepEqual(outside, []);
});
