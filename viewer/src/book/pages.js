/* The page elements: a page's picture with its media and link layers, and the spread on
 * screen filled into the book's two slots. */
var BookPages = (function () {
    var el = BookDom.el;

    function pageEl(ctx, n) {
        var p = el('div', 'zv-page');
        if (!n) { p.classList.add('zv-blank'); return p; }
        var page = ctx.model.pages[n - 1];
        p.setAttribute('data-page', String(n));
        p.classList.add(n % 2 === 0 ? 'zv-even' : 'zv-odd');
        var img = el('img', 'zv-img', { alt: ctx.t('page', { n: n }), draggable: 'false' });
        p.appendChild(img);
        BookLoading.loadInto(ctx, img, page);
        if (page.media && page.media.length) p.appendChild(BookMedia.layer(ctx, page));
        p.appendChild(BookLinks.layer(ctx, page));
        return p;
    }

    function render(ctx) {
        ctx.leftSlot.textContent = '';
        ctx.rightSlot.textContent = '';
        if (BookLayout.twoUp(ctx)) {
            ctx.leftSlot.appendChild(pageEl(ctx, BookLayout.sidePage(ctx, ctx.spread, 'left')));
            ctx.rightSlot.appendChild(pageEl(ctx, BookLayout.sidePage(ctx, ctx.spread, 'right')));
            BookInput.addEdges(ctx, ctx.leftSlot, 'left');
            BookInput.addEdges(ctx, ctx.rightSlot, 'right');
        } else {
            ctx.rightSlot.appendChild(pageEl(ctx, BookLayout.spreadPages(ctx, ctx.spread).first));
            BookInput.addEdges(ctx, ctx.rightSlot, 'left');
            BookInput.addEdges(ctx, ctx.rightSlot, 'right');
        }
        BookNavigation.afterChange(ctx);
    }

    return { pageEl: pageEl, render: render };
})();
