/* Moving through the book: showing a spread (animated or not), the page counter, the live
 * announcement and the buttons that follow it, where the keyboard focus goes when the page
 * or button it was on goes away, and auto flip. */
var BookNavigation = (function () {
    var el = BookDom.el;

    // The screen reader announcement of the pages shown.
    function liveRegion(ctx) {
        ctx.live = el('div', 'zv-live', { 'aria-live': 'polite', 'aria-atomic': 'true' });
        return ctx.live;
    }

    function show(ctx, i, animate, dir) {
        i = Math.max(0, Math.min(BookLayout.spreadCount(ctx) - 1, i));
        var focusInPage = ctx.bookEl.contains(document.activeElement);
        if (ctx.busy) ctx.busy.finish();
        var from = ctx.spread;
        ctx.spread = i;
        BookMedia.sync(ctx);
        if (!animate || i === from || !ctx.pageW) BookPages.render(ctx);
        else {
            if (ctx.model.flipSound) BookSound.flip(ctx);
            BookTurning.turn(ctx, from, i, dir || (i > from ? 1 : -1));
        }
        if (focusInPage) keepFocusInBook(ctx);
    }

    // A link or button on a page that was turned away took the focus with it: the book itself
    // takes it, so the keyboard goes on from the pages now shown instead of from the document.
    function keepFocusInBook(ctx) {
        var a = document.activeElement;
        if (a && a !== document.body && a.isConnected) return;
        ctx.bookEl.setAttribute('tabindex', '-1');
        ctx.bookEl.focus({ preventScroll: true });
    }

    // A focused button that becomes disabled would drop the focus to the document: at the end
    // of the book it moves to the button going back, at the start to the one going on, else to
    // the page field.
    function enableButtons(ctx, atStart, atEnd) {
        var had = document.activeElement, b = ctx.buttons;
        b.First.disabled = b.Prev.disabled = atStart;
        b.Next.disabled = b.Last.disabled = atEnd;
        if (!had || !had.disabled || !ctx.bar.contains(had)) return;
        var to = had === b.Next || had === b.Last ? b.Prev : b.Next;
        (to.disabled ? ctx.counter : to).focus();
    }

    function afterChange(ctx) {
        var s = BookLayout.spreadPages(ctx, ctx.spread), n = ctx.count;
        var pages = s.pages;
        ctx.counter.value = pages.length > 1 ? pages[0] + '-' + pages[1] : String(pages[0] || 1);
        ctx.live.textContent = pages.length > 1
            ? ctx.t('pagesOf', { a: pages[0], b: pages[1], n: n })
            : ctx.t('pageOf', { a: pages[0] || 1, n: n });
        var atStart = ctx.spread === 0, atEnd = ctx.spread >= BookLayout.spreadCount(ctx) - 1;
        enableButtons(ctx, atStart, atEnd);
        ctx.root.setAttribute('data-pages', pages.join(','));
        BookMedia.sync(ctx);
        BookState.remember(ctx, pages[0] || 1);
        BookPanels.markThumbs(ctx, pages);
        BookLoading.update(ctx);
        BookText.update(ctx);
    }

    function userGo(ctx, i) {
        stopAutoPlay(ctx);
        show(ctx, i, true);
    }
    function next(ctx) { show(ctx, ctx.spread + 1, true, 1); }
    function prev(ctx) { show(ctx, ctx.spread - 1, true, -1); }
    // The page on that side of the screen: in a right-to-left book the right side goes back.
    function visualTurn(ctx, side) {
        stopAutoPlay(ctx);
        if ((side === 'right') !== ctx.rtl) next(ctx); else prev(ctx);
    }
    function goToPage(ctx, n) { userGo(ctx, BookLayout.spreadOf(ctx, n)); }

    function setAutoPlay(ctx, on) {
        clearInterval(ctx.autoTimer);
        ctx.autoTimer = null;
        if (on) {
            var af = ctx.model.autoFlip || {};
            // loop counts passes through the book; 0 repeats without end.
            ctx.loopsLeft = af.loop > 0 ? af.loop - 1 : -1;
            ctx.autoTimer = setInterval(function () {
                if (ctx.spread < BookLayout.spreadCount(ctx) - 1) { next(ctx); return; }
                if (ctx.loopsLeft === 0) { setAutoPlay(ctx, false); return; }
                if (ctx.loopsLeft > 0) ctx.loopsLeft--;
                show(ctx, 0, true, 1);
            }, Math.max(1, af.interval || 3) * 1000);
        }
        if (ctx.buttons.AutoPlay) ctx.buttons.AutoPlay.setAttribute('aria-pressed', String(!!on));
    }
    function stopAutoPlay(ctx) { if (ctx.autoTimer) setAutoPlay(ctx, false); }

    return {
        liveRegion: liveRegion, show: show, afterChange: afterChange, userGo: userGo, next: next, prev: prev,
        visualTurn: visualTurn, goToPage: goToPage, setAutoPlay: setAutoPlay, stopAutoPlay: stopAutoPlay,
    };
})();
