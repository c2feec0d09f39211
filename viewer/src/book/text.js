/* The pages' text of a book published with it: the index of the pages that have text and each
 * page's words, read from the "text" folder beside the configuration (the script twins, which
 * load from disk as well, else the JSON files), and on each page on screen the words laid
 * invisibly over the picture, where the reader selects and copies them, the page's text as its
 * accessible description, and the boxes of the search hits. Words load for the spreads on
 * screen and beside it once the index is there, and the index after the first pictures have
 * been asked for, so the text never holds up a page. The mobile Flip player keeps its pictures
 * alone.
 * ctx.text: null without text or before the index; else { base, has: PDF page -> true, pages:
 * PDF page -> { state: 'loading' | 'ready' | 'failed', data, promise, index (for the search) } }. */
var BookText = (function () {
    var el = BookDom.el, Match = BookTextMatch;
    var FONT = 'sans-serif'; // the words' font in the layer, and the one their widths are fitted for

    // "name.js", else "name.json".
    function loadFile(base, name, take) {
        return ZarvexDecode.loadTwin(base + name + '.js', take, base + name + '.json', JSON.parse);
    }
    function takeIndex() {
        var value = window.ZARVEX_TEXT_INDEX;
        delete window.ZARVEX_TEXT_INDEX;
        return value || null;
    }
    function takePage(n) {
        return function () {
            var all = window.ZARVEX_TEXT || {}, value = all[n];
            delete all[n];
            return value || null;
        };
    }
    function usable(data) {
        return !!data && data.w > 0 && data.h > 0 && Array.isArray(data.words);
    }

    // The PDF page whose picture the book shows at position n (1-based).
    function pdfPage(ctx, n) {
        var page = ctx.model.pages[n - 1];
        return page ? page.fileIndex || n : 0;
    }

    /* Reads the index of the book's text; when the book holds a page of it, the text is
     * loaded around the reader and the search offered. data-text on the root tells scripts
     * the outcome: "ready" or "none". */
    function load(ctx) {
        if (ctx.opts.mobile) { ctx.root.setAttribute('data-text', 'none'); return; }
        var base = (ctx.opts.contentsBase !== undefined ? ctx.opts.contentsBase : ctx.base) + 'text/';
        var index = ZarvexDecode.bookHasFile('text/index.js') ? loadFile(base, 'index', takeIndex)
                                                              : Promise.resolve(null);
        index.then(function (index) {
            return index && Array.isArray(index.pages) ? index.pages : [];
        }).catch(function () { return []; }).then(function (pages) {
            var listed = {}, has = {}, any = false;
            pages.forEach(function (n) { listed[n] = true; });
            for (var k = 1; k <= ctx.count; k++) {
                var n = pdfPage(ctx, k);
                if (listed[n]) { has[n] = true; any = true; }
            }
            if (any) {
                ctx.text = { base: base, has: has, pages: {} };
                BookSearch.addButton(ctx);
                update(ctx);
            }
            ctx.root.setAttribute('data-text', any ? 'ready' : 'none');
        });
    }

    /* The words of a PDF page: a promise of its data, null when it has none or cannot be read. */
    function request(ctx, pdf) {
        var t = ctx.text;
        if (!t || !t.has[pdf]) return Promise.resolve(null);
        var e = t.pages[pdf];
        if (e) return e.promise;
        e = t.pages[pdf] = { state: 'loading' };
        e.promise = loadFile(t.base, String(pdf), takePage(pdf)).then(function (data) {
            if (!usable(data)) throw new Error('not a page text');
            fit(data);
            e.state = 'ready';
            e.data = data;
            decorateShown(ctx);
            return data;
        }).catch(function () {
            e.state = 'failed';
            return null;
        });
        return e.promise;
    }
    function ready(ctx, pdf) {
        var e = ctx.text && ctx.text.pages[pdf];
        return e && e.state === 'ready' ? e : null;
    }
    // Every page's words, for the search.
    function loadAll(ctx) {
        if (!ctx.text) return Promise.resolve();
        return Promise.all(Object.keys(ctx.text.has).map(function (pdf) { return request(ctx, +pdf); }));
    }

    /* Asks for the words of the spread on screen and the spreads beside it, and lays out those
     * already there on the pages on screen. */
    function update(ctx) {
        if (!ctx.text) return;
        [0, 1, -1].forEach(function (d) {
            var i = ctx.spread + d;
            if (i < 0 || i >= BookLayout.spreadCount(ctx)) return;
            BookLayout.spreadPages(ctx, i).pages.forEach(function (n) { request(ctx, pdfPage(ctx, n)); });
        });
        decorateShown(ctx);
    }
    function shownPages(ctx) {
        return Array.prototype.slice.call(ctx.bookEl.querySelectorAll('.zv-slot > .zv-page[data-page]'));
    }
    function decorateShown(ctx) {
        shownPages(ctx).forEach(function (p) { decorate(ctx, p); });
    }

    /* The width each word's letters take in the layer's font at the box's height, as the
     * horizontal scale that fits them to the box (the same at every size of the page). */
    var measure = null;
    function fit(data) {
        if (!measure) {
            measure = document.createElement('canvas').getContext('2d');
            measure.font = '100px ' + FONT;
        }
        data.fit = data.words.map(function (w) {
            var natural = measure.measureText(String(w[4])).width * w[3] / 100;
            return natural > 0 && w[2] > 0 ? w[2] / natural : 1;
        });
    }

    function percent(v) { return Math.round(v * 1e5) / 1e3 + '%'; }
    function boxStyle(b, data) {
        return 'left:' + percent(b[0] / data.w) + ';top:' + percent(b[1] / data.h) + ';width:' +
            percent(b[2] / data.w) + ';height:' + percent(b[3] / data.h);
    }
    function fontSize(h, data) { return ';font-size:' + Math.round(h / data.h * 1e5) / 1e3 + 'cqh'; }

    // The space between two boxes [x, y, w, h]: across the gap where they lie apart, along
    // their common part where they lie side by side.
    function between(a, b) {
        var span = function (a0, a1, b0, b1) {
            if (a1 <= b0) return [a1, b0];
            if (b1 <= a0) return [b1, a0];
            return [Math.max(a0, b0), Math.min(a1, b1)];
        };
        var x = span(a[0], a[0] + a[2], b[0], b[0] + b[2]), y = span(a[1], a[1] + a[3], b[1], b[1] + b[3]);
        return [x[0], y[0], x[1] - x[0], y[1] - y[0]];
    }
    // A little room after a line's last word, the way the line runs (from its first word to its
    // last; a single word runs across when wider than tall, leftwards in right-to-left script).
    var RTL = /[\u0590-\u08ff\ufb1d-\ufdff\ufe70-\ufeff]/;
    function lineEnd(data, first, last) {
        var a = data.words[first], b = data.words[last];
        var dx = b[0] + b[2] / 2 - a[0] - a[2] / 2, dy = b[1] + b[3] / 2 - a[1] - a[3] / 2;
        if (first === last ? b[2] >= b[3] : Math.abs(dx) >= Math.abs(dy)) {
            var left = first === last ? RTL.test(String(b[4])) : dx < 0;
            var across = Math.max(0, Math.min(4 * b[3], left ? b[0] : data.w - b[0] - b[2]));
            return [left ? b[0] - across : b[0] + b[2], b[1], across, b[3]];
        }
        var up = first !== last && dy < 0, along = Math.max(0, Math.min(4 * b[2], up ? b[1] : data.h - b[1] - b[3]));
        return [b[0], up ? b[1] - along : b[1] + b[3], b[2], along];
    }

    /* The words as the reader selects them: each over its box, fitted to its width, and the
     * blank between two words over the space between them, the line break after a line's end,
     * so that a selection runs on through the gaps and copies as the page reads. */
    function layer(data) {
        var box = el('div', 'zv-text', { 'aria-hidden': 'true' }), ends = {}, first = 0;
        (data.lines || []).forEach(function (k) { if (k > 0) ends[k - 1] = true; });
        var all = document.createDocumentFragment(), words = data.words;
        words.forEach(function (w, i) {
            var s = el('span', 'zv-word');
            s.textContent = String(w[4]);
            s.style.cssText = 'left:' + percent(w[0] / data.w) + ';top:' + percent(w[1] / data.h) + fontSize(w[3], data) +
                ';transform:scaleX(' + Math.round(data.fit[i] * 1e4) / 1e4 + ')';
            all.appendChild(s);
            if (i === words.length - 1) return;
            var gap = ends[i] ? '\n' : Match.separator(String(w[4]), String(words[i + 1][4]));
            if (gap) {
                var g = el('span', ends[i] ? 'zv-eol' : 'zv-gap');
                g.textContent = gap;
                g.style.cssText = boxStyle(ends[i] ? lineEnd(data, first, i) : between(w, words[i + 1]), data) + fontSize(w[3], data);
                all.appendChild(g);
            }
            if (ends[i]) first = i + 1;
        });
        box.appendChild(all);
        return box;
    }

    /* A page on screen, once its words are there: the text layer (below the link areas, which
     * stay clickable), the description and the search hits. */
    var described = 0;
    function decorate(ctx, p) {
        if (p.zvText) return;
        var n = +p.getAttribute('data-page'), e = ready(ctx, pdfPage(ctx, n));
        if (!e) return;
        p.zvText = true;
        p.insertBefore(layer(e.data), p.querySelector(':scope > .zv-media, :scope > .zv-links'));
        var desc = el('div', 'zv-desc', { id: 'zv-desc-' + ctx.uid + '-' + (++described) });
        desc.textContent = Match.runningText(e.data);
        p.appendChild(desc);
        p.setAttribute('role', 'group');
        p.setAttribute('aria-label', ctx.t('page', { n: n }));
        p.setAttribute('aria-describedby', desc.id);
        drawHits(ctx, p);
    }

    /* The boxes of the search's hits on a page (BookSearch: ctx.search), the current one marked. */
    function drawHits(ctx, p) {
        var old = p.querySelector(':scope > .zv-hits');
        if (old) old.remove();
        var s = ctx.search, n = +p.getAttribute('data-page'), e = ready(ctx, pdfPage(ctx, n));
        if (!s || !s.shown || !e) return;
        var current = s.hits[s.current], boxes = el('div', 'zv-hits', { 'aria-hidden': 'true' });
        s.hits.forEach(function (hit) {
            if (hit.pos !== n) return;
            Match.words(hit).forEach(function (i) {
                var b = el('div', 'zv-hit' + (hit === current ? ' zv-hit-current' : ''));
                b.style.cssText = boxStyle(e.data.words[i], e.data);
                boxes.appendChild(b);
            });
        });
        if (boxes.firstChild) p.insertBefore(boxes, p.querySelector(':scope > .zv-text'));
    }
    function showHits(ctx) {
        shownPages(ctx).forEach(function (p) { if (p.zvText) drawHits(ctx, p); });
    }

    return { load: load, update: update, loadAll: loadAll, ready: ready, pdfPage: pdfPage, showHits: showHits };
})();
