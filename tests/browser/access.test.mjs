// Browser tests for readers who use the keyboard or a screen reader, and for the interface
// language: where the focus goes after turns, links and in panels, and the words of every label,
// tip and message in the language the book or the browser chooses. Books are published by
// zarvex-cli from a generated PDF.
import assert from 'node:assert/strict';
import { bookSuite } from './support/setup.mjs';
import { openBook, waitPages } from './support/viewer.mjs';

// "auto": the template's default language setting; "german": the book asks for German.
// The standard fixture: 5 pages, page 1 links to https://example.com/a and to page 3.
const book = ['standard', '--format', 'image', '--links'];
const { it, inContext, url, shot } = bookSuite('access', { auto: book, german: [...book, '--set', 'languageSetting=German'] });
const screen = { viewport: { width: 1280, height: 900 } };

/* What holds the focus: a toolbar button's name, or the class of the element. */
const focused = (page) => page.evaluate(() => {
    const a = document.activeElement;
    if (!a || a === document.body) return 'body';
    return a.dataset.button || a.className.split(' ')[0];
});
const insideOf = (page, selector) => page.evaluate((s) => !!document.activeElement.closest(s), selector);

it('the focus stays on a control after turns, at the ends of the book and after a page link, and panels hold it until closed', screen, async (context) => {
    const page = await openBook(context, url('auto/index.html'));
    // Each row: the control pressed with Enter, the pages it shows, where the focus is then.
    const presses = [
        ['[data-button=Next]', '2,3', 'Next'],
        ['[data-button=Next]', '4,5', 'Prev'], // Next is disabled on the last spread
        ['[data-button=Prev]', '2,3', 'Prev'],
        ['[data-button=First]', '1', 'Next'], // First and Prev are disabled on the cover
        ['[data-button=Last]', '4,5', 'Prev'],
        ['[data-button=First]', '1', 'Next'],
        ['.zv-page[data-page="1"] a.zv-link[data-link-page="3"]', '2,3', 'zv-book'], // the link's page is gone
    ];
    for (const [control, pages, after] of presses) {
        await page.focus(control);
        await page.keyboard.press('Enter');
        await waitPages(page, pages);
        await page.waitForFunction(() => !document.querySelector('.zv-leaf'));
        assert.equal(await focused(page), after, `${control} to ${pages}`);
    }
    await page.keyboard.press('ArrowRight');
    await waitPages(page, '4,5');

    // Panels opened from the keyboard: Tab and Shift+Tab go round inside, Escape closes and
    // the focus returns to the button that opened them.
    for (const [button, panel] of [['Help', '.zv-dialog'], ['Thumbnail', '.zv-thumbs'], ['Bookmark', '.zv-dialog']]) {
        await page.focus(`[data-button=${button}]`);
        await page.keyboard.press('Enter');
        await page.waitForSelector(`${panel}:not([hidden])`);
        assert.ok(await insideOf(page, panel), `${button} moves the focus into its panel`);
        for (const key of ['Tab', 'Tab', 'Tab', 'Tab', 'Tab', 'Tab', 'Shift+Tab', 'Shift+Tab', 'Shift+Tab']) {
            await page.keyboard.press(key);
            assert.ok(await insideOf(page, panel), `${key} stays inside the ${button} panel`);
        }
        await page.keyboard.press('Escape');
        await page.waitForSelector(panel, { state: 'hidden' });
        assert.equal(await focused(page), button, `closing the ${button} panel`);
    }

    // A second book on the same page names its dialog by ids of its own.
    await page.evaluate(async () => {
        const host = document.createElement('div');
        host.style.cssText = 'position: fixed; inset: 0; visibility: hidden';
        document.body.appendChild(host);
        await ZarvexBook.open(host, { base: 'files/', updateHash: false, bookId: 'second' });
        for (const b of document.querySelectorAll('[data-button=Help]')) b.click();
    });
    const ids = await page.$$eval('[id]', (all) => all.map((e) => e.id));
    assert.ok(ids.filter((id) => /dialog/.test(id)).length >= 2, 'both dialogs are titled');
    assert.equal(new Set(ids).size, ids.length, `unique ids: ${ids.join(' ')}`);
});

/* Every interface text the reader can see or hear: texts, labels, tips and picture texts of
 * the book, its toolbar, the live announcement, the thumbnails and each dialog in turn. The
 * book's own words (its title and the About dialog's values) are not the interface's. */
async function interfaceTexts(page) {
    const collect = () => page.evaluate(() => {
        const texts = [];
        const shown = (e) => e.getClientRects().length > 0 || e.closest('.zv-live');
        for (const e of document.querySelectorAll('.zv-root *')) {
            if (!shown(e) || e.closest('.zv-title, dd')) continue;
            for (const a of ['aria-label', 'title', 'alt', 'aria-roledescription', 'placeholder']) {
                if (e.getAttribute(a)) texts.push(e.getAttribute(a));
            }
            for (const n of e.childNodes) if (n.nodeType === Node.TEXT_NODE) texts.push(n.textContent);
        }
        return texts.map((t) => t.trim()).filter((t) => /\p{L}/u.test(t));
    });
    const texts = await collect();
    for (const button of ['Thumbnail', 'Help', 'Info', 'Bookmark']) {
        await page.click(`[data-button=${button}]`);
        texts.push(...await collect());
        await page.keyboard.press('Escape');
    }
    return { lang: await page.getAttribute('.zv-root', 'lang'), texts: new Set(texts) };
}

it('the book\'s language setting or else the browser\'s language chooses the words of every label and message', { ...screen, locale: 'en-US' }, async (context) => {
    const english = await interfaceTexts(await openBook(context, url('auto/index.html')));
    assert.equal(english.lang, 'en');
    assert.ok(english.texts.has('Next page') && english.texts.has('Page 1 of 5'), [...english.texts].join(' | '));

    // Each row: the book, the browser's language, the language expected and its word for Help.
    const rows = [['auto', 'fr-FR', 'fr', 'Aide'], ['auto', 'de-DE', 'de', 'Hilfe'], ['german', 'fr-FR', 'de', 'Hilfe']];
    for (const [book, locale, expected, help] of rows) {
        await inContext({ ...screen, locale }, async (context) => {
            const page = await openBook(context, url(`${book}/index.html`));
            const { lang, texts } = await interfaceTexts(page);
            const what = `${book} book in a ${locale} browser`;
            assert.equal(lang, expected, what);
            assert.ok(texts.has(help), `${what}: ${[...texts].join(' | ')}`);
            // "Page" and "Logo" are French words as well.
            const left = [...texts].filter((t) => english.texts.has(t) && !(lang === 'fr' ? /^(Page \d+|Logo)$/ : /^Logo$/).test(t));
            assert.deepEqual(left, [], `${what}: English left`);
            if (lang === 'fr') {
                await page.click('[data-button=Help]');
                await page.screenshot(shot('french-interface'));
            }
        });
    }
});
