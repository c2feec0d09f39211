/* The page elements: a page's picture with its media and link layers, and the spread on
 * screen filled into the book's two slots. */
var BookPages = (function () {
    var el = BookDom.el;

    // side: the side of the spread the page lies on, which binds it at the spine; none when alone.
    function pageEl(ctx, n, side) {
        var p = el('div', 'zv-page');
        if (!n) { p.classList.add('zv-blank'); return p; }
        var page = ctx.model.pages[n - 1];
        p.setAttribute('data-page', String(n));
        p.classList.add(n % 2 === 0 ? 'zv-even' : 'zv-odd');
        p.zvSide = side;
        // The picture gives the page its own shape (once known); its link areas and media
        // follow the page box.
        BookLayout.fitPage(ctx, p);
        BookLoading.fill(ctx, p, n);
        if (page.media && page.media.length) p.appendChild(BookMedia.layer(ctx, page));
        p.appendChild(BookLinks.layer(ctx, page));
        return p;
    }

    function render(ctx) {
        fillSlots(ctx);
        BookNavigation.afterChange(ctx);
    }

    // The pages of the spread on screen into the slots; the counter, buttons and loading follow
    // the spread elsewhere (a finished turn has already told them). keepShown: a page already in
    // its slot stays (the page a turn uncovered), so its picture is not drawn again.
    function fillSlots(ctx, keepShown) {
        var put = function (slot, n, side) {
            var cur = slot.firstElementChild;
            if (keepShown && n && cur && cur.getAttribute('data-page') === String(n) && cur.zvSide === side) {
                Array.prototype.forEach.call(cur.querySelectorAll(':scope > .zv-edge'), function (e) { e.remove(); });
                return;
            }
            slot.textContent = '';
            if (n !== null) slot.appendChild(pageEl(ctx, n, side));
        };
        if (BookLayout.twoUp(ctx)) {
            put(ctx.leftSlot, BookLayout.sidePage(ctx, ctx.spread, 'left'), 'left');
            put(ctx.rightSlot, BookLayout.sidePage(ctx, ctx.spread, 'right'), 'right');
            BookInput.addEdges(ctx, ctx.leftSlot, 'left');
            BookInput.addEdges(ctx, ctx.rightSlot, 'right');
        } else {
            put(ctx.leftSlot, null);
            put(ctx.rightSlot, BookLayout.spreadPages(ctx, ctx.spread).first);
            BookInput.addEdges(ctx, ctx.rightSlot, 'left');
            BookInput.addEdges(ctx, ctx.rightSlot, 'right');
        }
        BookText.update(ctx);
    }

    return { pageEl: pageEl, render: render, fillSlots: fillSlots };
})();
