/* Page geometry: one page or a two-page spread, which pages a spread shows on which side,
 * the size of the book on the stage and the shape of each page in its slot. */
var BookLayout = (function () {
    var el = BookDom.el;

    // The stage holds the zoomed layer, which holds the book with its two page slots.
    function stage(ctx) {
        var s = ctx.stage = el('div', 'zv-stage');
        ctx.zoomEl = el('div', 'zv-zoom');
        ctx.bookEl = el('div', 'zv-book', { role: 'region', 'aria-label': ctx.t('book') });
        ctx.leftSlot = el('div', 'zv-slot zv-left');
        ctx.rightSlot = el('div', 'zv-slot zv-right');
        ctx.bookEl.appendChild(ctx.leftSlot);
        ctx.bookEl.appendChild(ctx.rightSlot);
        ctx.zoomEl.appendChild(ctx.bookEl);
        s.appendChild(ctx.zoomEl);
        return s;
    }

    /* Spreads: in two-page mode the first page is the cover, alone on the front side. */
    function twoUp(ctx) { return ctx.mode === 2; }
    function spreadCount(ctx) {
        return twoUp(ctx) ? Math.floor(ctx.count / 2) + 1 : ctx.count;
    }
    function spreadPages(ctx, i) {
        if (!twoUp(ctx)) return { first: i + 1, second: 0, pages: [i + 1] };
        var a = i === 0 ? 0 : 2 * i, b = 2 * i + 1 > ctx.count ? 0 : 2 * i + 1;
        var pages = [a, b].filter(function (p) { return p > 0; });
        return { first: a, second: b, pages: pages };
    }
    // The page shown on a side of the screen: the reading order runs right to left in RTL books.
    function sidePage(ctx, i, side) {
        var s = spreadPages(ctx, i);
        if (!twoUp(ctx)) return side === 'right' ? s.first : 0;
        var front = ctx.rtl ? 'right' : 'left';
        return side === front ? s.first : s.second;
    }
    function spreadOf(ctx, page) {
        page = Math.max(1, Math.min(ctx.count, page | 0));
        return twoUp(ctx) ? Math.floor(page / 2) : page - 1;
    }
    function currentPages(ctx) { return spreadPages(ctx, ctx.spread).pages; }

    // Chooses one page or two for the stage's shape and sizes the book to fit it.
    function layout(ctx) {
        var m = ctx.model;
        var st = ctx.stage.getBoundingClientRect();
        var sw = Math.max(st.width, 100), sh = Math.max(st.height, 100);
        var ar = m.pageWidth > 0 && m.pageHeight > 0 ? m.pageWidth / m.pageHeight : (ctx.naturalRatio || 0.75);
        var oldMode = ctx.mode, oldRatio = ctx.slotRatio;
        var keep = oldMode ? currentPages(ctx)[0] : 0;
        // The window's shape chooses unless the reader chose one page or two with the toolbar.
        ctx.autoMode = ctx.count > 1 && (ctx.opts.mobile ? sw > sh : sw / sh > ar * 1.25) ? 2 : 1;
        var two = ctx.count > 1 && (ctx.pagesChoice || ctx.autoMode) === 2;
        ctx.mode = two ? 2 : 1;
        ctx.slotRatio = ar;
        var bookW = (two ? 2 : 1) * ar, bookH = 1;
        var f = Math.min(sw * 0.96 / bookW, sh * 0.96 / bookH);
        var pw = Math.floor(ar * f), ph = Math.floor(f);
        ctx.pageW = pw; ctx.pageH = ph;
        ctx.bookEl.style.width = (two ? 2 * pw : pw) + 'px';
        ctx.bookEl.style.height = ph + 'px';
        ctx.root.classList.toggle('zv-single', !two);
        if (ctx.buttons.DoublePage) ctx.buttons.DoublePage.setAttribute('aria-pressed', String(two));
        if (oldMode && oldMode !== ctx.mode) {
            ctx.spread = spreadOf(ctx, keep || 1);
            BookPages.render(ctx);
        } else if (oldRatio && oldRatio !== ar) {
            var shown = ctx.bookEl.querySelectorAll('.zv-page[data-page]');
            for (var k = 0; k < shown.length; k++) fitPage(ctx, shown[k]);
        }
    }

    /* The reader's choice of one page or two (0: by the window's shape); a choice that the
     * window's shape would make anyway is not kept, so the automatic choice comes back. */
    function choosePages(ctx, n) {
        if (ctx.busy) ctx.busy.finish();
        ctx.pagesChoice = n === ctx.autoMode ? 0 : n;
        BookState.savePagesChoice(ctx, ctx.pagesChoice);
        layout(ctx);
        BookZoom.apply(ctx);
    }

    /* Draws a page in its own shape inside the page slot, as printed books of mixed sizes are
     * bound: as large as the slot allows, centred in height, against the spine on its side of
     * a spread (p.zvSide) and centred when alone. The shape is the page picture's once it has
     * loaded (ctx.pageRatios by page number), the book's page size until then. */
    function fitPage(ctx, p) {
        var n = +p.getAttribute('data-page'), ratio = ctx.pageRatios[n], slot = ctx.slotRatio;
        var s = p.style;
        if (!(ratio > 0) || !(slot > 0) || Math.abs(ratio / slot - 1) < 0.002) {
            s.left = s.top = s.width = s.height = s.right = s.bottom = '';
            return;
        }
        var w = Math.min(1, ratio / slot), h = Math.min(1, slot / ratio);
        var x = p.zvSide === 'left' ? 1 - w : p.zvSide === 'right' ? 0 : (1 - w) / 2;
        s.right = s.bottom = 'auto';
        s.left = (x * 100) + '%';
        s.top = ((1 - h) / 2 * 100) + '%';
        s.width = (w * 100) + '%';
        s.height = (h * 100) + '%';
    }

    function watchResize(ctx) {
        var resizeTimer = null;
        window.addEventListener('resize', function () {
            clearTimeout(resizeTimer);
            resizeTimer = setTimeout(function () {
                layout(ctx);
                BookZoom.apply(ctx);
            }, 60);
        });
    }

    return {
        stage: stage, twoUp: twoUp, spreadCount: spreadCount, spreadPages: spreadPages, sidePage: sidePage,
        spreadOf: spreadOf, currentPages: currentPages, layout: layout, choosePages: choosePages, fitPage: fitPage,
        watchResize: watchResize,
    };
})();
