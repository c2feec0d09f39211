/* The search of a book that has text: the "Search" button (shown once the text index is there)
 * and the search panel beside the book, which leaves the pages in view: a field (Enter
 * searches, and then goes to the next hit; Shift+Enter to the previous), buttons for the
 * previous and next hit, and the hits listed with their page and context. Choosing a hit turns
 * to its page, whose hit words are boxed. Escape or the close button closes the panel and gives
 * the focus back to the button. Every page's words load when the reader first searches.
 * ctx.search: { query, hits: [{ pos (book position), pdf, first, last, from, to }...], current
 * (index in hits, -1 for none), shown (the panel is open) }; the panel's elements in
 * ctx.searchPanel. */
var BookSearch = (function () {
    var el = BookDom.el, Match = BookTextMatch;
    var LIMIT = 1000; // hits listed at most
    var REACH = 40; // letters of context on each side of a hit

    // After the contents button, else after the thumbnails button, else first among the tools.
    function addButton(ctx) {
        var tools = ctx.bar.querySelector('.zv-tools'), height = ctx.bar.offsetHeight;
        var after = ctx.buttons.Content || ctx.buttons.Thumbnail;
        tools.insertBefore(BookToolbar.button(ctx, 'Search'), after ? after.nextSibling : tools.firstChild);
        if (ctx.bar.offsetHeight !== height) { BookLayout.layout(ctx); BookPages.render(ctx); }
    }

    // The panel, built on first use beside the stage.
    function panel(ctx) {
        if (ctx.searchPanel) return ctx.searchPanel;
        var titleId = 'zv-search-title-' + ctx.uid;
        var box = el('section', 'zv-search', { 'aria-labelledby': titleId });
        var h = el('h2', '', { id: titleId });
        h.textContent = ctx.t('Search');
        var close = el('button', 'zv-btn zv-close', { type: 'button', 'aria-label': ctx.t('close'), title: ctx.t('close') });
        close.appendChild(BookDom.icon('Close'));
        var form = el('form', 'zv-searchform', { role: 'search' });
        var field = el('input', 'zv-searchfield', { type: 'search', 'aria-label': ctx.t('searchField'), autocomplete: 'off',
                                                    spellcheck: 'false', enterkeyhint: 'search' });
        var prev = stepButton(ctx, 'searchPrev', 'SearchPrev', -1), next = stepButton(ctx, 'searchNext', 'SearchNext', 1);
        form.appendChild(field); form.appendChild(prev); form.appendChild(next);
        var status = el('p', 'zv-searchstatus', { role: 'status' });
        var list = el('ol', 'zv-results', { 'aria-label': ctx.t('searchResults') });
        box.appendChild(close); box.appendChild(h); box.appendChild(form); box.appendChild(status); box.appendChild(list);
        box.hidden = true;

        form.addEventListener('submit', function (ev) { ev.preventDefault(); });
        field.addEventListener('keydown', function (ev) {
            if (ev.key !== 'Enter' || ev.altKey || ev.ctrlKey || ev.metaKey) return;
            ev.preventDefault();
            var s = ctx.search;
            if (s && s.query === field.value && s.hits.length) step(ctx, ev.shiftKey ? -1 : 1);
            else run(ctx, field.value);
        });
        box.addEventListener('keydown', function (ev) {
            if (ev.key !== 'Escape') return;
            ev.preventDefault();
            ev.stopPropagation();
            toggle(ctx, false);
        });
        close.addEventListener('click', function () { toggle(ctx, false); });
        list.addEventListener('click', function (ev) {
            var b = ev.target.closest && ev.target.closest('.zv-result');
            if (b) go(ctx, +b.getAttribute('data-hit'));
        });
        ctx.middle.appendChild(box);
        ctx.searchPanel = { box: box, field: field, prev: prev, next: next, status: status, list: list };
        enableSteps(ctx);
        return ctx.searchPanel;
    }
    function stepButton(ctx, key, iconName, dir) {
        var b = el('button', 'zv-btn zv-searchstep', { type: 'button', 'aria-label': ctx.t(key), title: ctx.t(key) });
        b.appendChild(BookDom.icon(iconName));
        b.addEventListener('click', function () { step(ctx, dir); });
        return b;
    }
    function enableSteps(ctx) {
        var n = ctx.search ? ctx.search.hits.length : 0, sp = ctx.searchPanel;
        sp.prev.disabled = sp.next.disabled = n === 0;
    }

    /* Opens or closes the panel (force: true or false, else the other way). The book makes room
     * for it; the hits are boxed while it is open. */
    function toggle(ctx, force) {
        var sp = panel(ctx), open = force === undefined ? sp.box.hidden : force;
        if (open === !sp.box.hidden) { if (open) sp.field.focus(); return; }
        if (open) ctx.searchOpener = document.activeElement;
        sp.box.hidden = !open;
        ctx.root.classList.toggle('zv-search-open', open);
        if (ctx.buttons.Search) ctx.buttons.Search.setAttribute('aria-pressed', String(open));
        if (ctx.search) ctx.search.shown = open;
        BookLayout.layout(ctx);
        BookPages.render(ctx);
        BookZoom.apply(ctx);
        if (open) {
            sp.field.focus();
            sp.field.select();
        } else {
            var back = ctx.searchOpener && ctx.searchOpener.isConnected ? ctx.searchOpener : ctx.buttons.Search;
            if (back && back.focus) back.focus();
        }
    }

    /* Searches every page for the query, lists the hits in book order and goes to the first. */
    function run(ctx, query) {
        var sp = panel(ctx), asked = ctx.searchRuns = (ctx.searchRuns || 0) + 1;
        ctx.search = { query: query, hits: [], current: -1, shown: true };
        sp.list.textContent = '';
        enableSteps(ctx);
        BookText.showHits(ctx);
        if (!query.trim()) { sp.status.textContent = ''; return; }
        sp.status.textContent = ctx.t('searchBusy');
        ctx.root.setAttribute('data-search', 'busy');
        BookText.loadAll(ctx).then(function () {
            if (asked !== ctx.searchRuns) return; // a later search took over
            var hits = ctx.search.hits;
            for (var pos = 1; pos <= ctx.count && hits.length < LIMIT; pos++) {
                var pdf = BookText.pdfPage(ctx, pos), e = BookText.ready(ctx, pdf);
                if (!e) continue;
                e.index = e.index || Match.index(e.data);
                Match.find(e.index, query, LIMIT - hits.length).forEach(function (h) {
                    h.pos = pos; h.pdf = pdf;
                    hits.push(h);
                });
            }
            list(ctx);
            enableSteps(ctx);
            ctx.root.setAttribute('data-search', 'done');
            if (hits.length) go(ctx, 0, true);
            else sp.status.textContent = ctx.t('searchNone');
        });
    }

    function list(ctx) {
        var sp = ctx.searchPanel, frag = document.createDocumentFragment();
        ctx.search.hits.forEach(function (hit, k) {
            var c = Match.context(BookText.ready(ctx, hit.pdf).data, hit, REACH);
            var li = el('li'), b = el('button', 'zv-result', { type: 'button', 'data-hit': String(k) });
            var where = el('span', 'zv-result-page'), text = el('span', 'zv-result-text'), mark = el('mark');
            where.textContent = ctx.t('page', { n: hit.pos });
            mark.textContent = c.match;
            text.appendChild(document.createTextNode(c.before));
            text.appendChild(mark);
            text.appendChild(document.createTextNode(c.after));
            b.appendChild(where); b.appendChild(text);
            li.appendChild(b);
            frag.appendChild(li);
        });
        sp.list.appendChild(frag);
    }

    /* Makes hit k the current one: marked in the list, its page turned to, its words boxed.
     * quiet: the list keeps its scroll (the first hit after a search). */
    function go(ctx, k, quiet) {
        var s = ctx.search, sp = ctx.searchPanel, hit = s && s.hits[k];
        if (!hit) return;
        s.current = k;
        var before = sp.list.querySelector('[aria-current]'), item = sp.list.querySelector('[data-hit="' + k + '"]');
        if (before) before.removeAttribute('aria-current');
        if (item) {
            item.setAttribute('aria-current', 'true');
            if (!quiet && item.scrollIntoView) item.scrollIntoView({ block: 'nearest' });
        }
        sp.status.textContent = ctx.t('searchAt', { i: k + 1, n: s.hits.length, p: hit.pos });
        if (BookLayout.currentPages(ctx).indexOf(hit.pos) < 0) BookNavigation.goToPage(ctx, hit.pos);
        BookText.showHits(ctx);
    }
    // The next (dir 1) or previous (-1) hit, round the book.
    function step(ctx, dir) {
        var s = ctx.search, n = s ? s.hits.length : 0;
        if (!n) return;
        go(ctx, ((s.current < 0 ? (dir > 0 ? -1 : 0) : s.current) + dir + n) % n);
    }

    return { addButton: addButton, toggle: toggle };
})();
