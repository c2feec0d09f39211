/* What the viewer remembers: the page in the address (#p=N), the last page read, the choice
 * of one page or two and the bookmarks, kept in the browser's storage under ctx.storeKey. */
var BookState = (function () {
    function storage() {
        try { return window.localStorage; } catch (e) { return null; }
    }

    function pageFromHash(ctx) {
        var m = /[#&]p=(\d+)/.exec(location.hash);
        return m ? Math.max(1, Math.min(ctx.count, parseInt(m[1], 10))) : 0;
    }
    function savedPage(ctx) {
        var st = storage(), v = st && st.getItem(ctx.storeKey);
        var n = parseInt(v, 10);
        return n >= 1 && n <= ctx.count ? n : 0;
    }
    // The first page on screen goes into the address (unless the host says otherwise) and storage.
    function remember(ctx, first) {
        if (ctx.opts.updateHash !== false) {
            try { history.replaceState(null, '', '#p=' + first); } catch (e) { /* sandboxed */ }
        }
        var st = storage();
        if (st) try { st.setItem(ctx.storeKey, String(first)); } catch (e) { /* full or denied */ }
    }

    // The reader's choice of one page or two (0: by the window's shape), kept beside the page.
    function savedPagesChoice(ctx) {
        var st = storage(), v = st && st.getItem(ctx.storeKey + ':pages');
        return v === '1' || v === '2' ? +v : 0;
    }
    function savePagesChoice(ctx, n) {
        var st = storage();
        if (st) try {
            if (n) st.setItem(ctx.storeKey + ':pages', String(n)); else st.removeItem(ctx.storeKey + ':pages');
        } catch (e) { /* full or denied */ }
    }

    function bookmarks(ctx) {
        var st = storage(), list = [];
        try { list = JSON.parse(st && st.getItem(ctx.storeKey + ':marks') || '[]'); } catch (e) { list = []; }
        return Array.isArray(list) ? list.filter(function (n) { return typeof n === 'number'; }) : [];
    }
    function saveBookmarks(ctx, marks) {
        var st = storage();
        if (st) try { st.setItem(ctx.storeKey + ':marks', JSON.stringify(marks)); } catch (e) { /* denied */ }
    }

    // A page typed into the address, or reached with the back button, is turned to; the
    // reader has chosen the page, so auto flip stops as it does for every other way of turning.
    function watchHash(ctx) {
        window.addEventListener('hashchange', function () {
            var n = pageFromHash(ctx);
            if (!n) return;
            BookNavigation.stopAutoPlay(ctx);
            if (BookLayout.currentPages(ctx).indexOf(n) < 0) BookNavigation.show(ctx, BookLayout.spreadOf(ctx, n), true);
        });
    }

    return {
        pageFromHash: pageFromHash, savedPage: savedPage, remember: remember,
        savedPagesChoice: savedPagesChoice, savePagesChoice: savePagesChoice,
        bookmarks: bookmarks, saveBookmarks: saveBookmarks, watchHash: watchHash,
    };
})();
