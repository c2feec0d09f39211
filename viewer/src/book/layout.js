/* Page geometry: one page or a two-page spread, which pages a spread shows on which side,
 * and the size of the book on the stage. */
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
        var oldMode = ctx.mode;
        var keep = oldMode ? currentPages(ctx)[0] : 0;
        var two = ctx.count > 1 && (ctx.opts.mobile ? sw > sh : sw / sh > ar * 1.25);
        ctx.mode = two ? 2 : 1;
        var bookW = (two ? 2 : 1) * ar, bookH = 1;
        var f = Math.min(sw * 0.96 / bookW, sh * 0.96 / bookH);
        var pw = Math.floor(ar * f), ph = Math.floor(f);
        ctx.pageW = pw; ctx.pageH = ph;
        ctx.bookEl.style.width = (two ? 2 * pw : pw) + 'px';
        ctx.bookEl.style.height = ph + 'px';
        ctx.root.classList.toggle('zv-single', !two);
        if (oldMode && oldMode !== ctx.mode) {
            ctx.spread = spreadOf(ctx, keep || 1);
            BookPages.render(ctx);
        }
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
        spreadOf: spreadOf, currentPages: currentPages, layout: layout, watchResize: watchResize,
    };
})();
