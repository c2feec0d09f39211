/* Moving through the book: showing a spread (animated or not), the page counter, the live
 * announcement and the buttons that follow it, and auto flip. */
var BookNavigation = (function () {
    var el = BookDom.el;

    // The screen reader announcement of the pages shown.
    function liveRegion(ctx) {
        ctx.live = el('div', 'zv-live', { 'aria-live': 'polite', 'aria-atomic': 'true' });
        return ctx.live;
    }

    function show(ctx, i, animate, dir) {
        i = Math.max(0, Math.min(BookLayout.spreadCount(ctx) - 1, i));
        if (ctx.busy) ctx.busy.finish();
        var from = ctx.spread;
        ctx.spread = i;
        BookMedia.sync(ctx);
        if (!animate || i === from || !ctx.pageW) { BookPages.render(ctx); return; }
        if (ctx.model.flipSound) BookSound.flip(ctx);
        BookTurning.turn(ctx, from, i, dir || (i > from ? 1 : -1));
    }

    function afterChange(ctx) {
        var s = BookLayout.spreadPages(ctx, ctx.spread), n = ctx.count;
        var pages = s.pages;
        ctx.counter.value = pages.length > 1 ? pages[0] + '-' + pages[1] : String(pages[0] || 1);
        ctx.live.textContent = pages.length > 1
            ? 'Pages ' + pages[0] + ' and ' + pages[1] + ' of ' + n
            : 'Page ' + (pages[0] || 1) + ' of ' + n;
        var atStart = ctx.spread === 0, atEnd = ctx.spread >= BookLayout.spreadCount(ctx) - 1;
        ['First', 'Prev'].forEach(function (b) { ctx.buttons[b].disabled = atStart; });
        ['Next', 'Last'].forEach(function (b) { ctx.buttons[b].disabled = atEnd; });
        ctx.root.setAttribute('data-pages', pages.join(','));
        BookMedia.sync(ctx);
        BookState.remember(ctx, pages[0] || 1);
        BookPanels.markThumbs(ctx, pages);
        BookLoading.update(ctx);
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
