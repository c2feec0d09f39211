/* Zoom and pan of the book on the stage (ctx.zoom, ctx.panX, ctx.panY), and full screen. */
var BookZoom = (function () {
    function set(ctx, z, cx, cy) {
        z = Math.max(1, Math.min(4, z));
        var r = ctx.stage.getBoundingClientRect();
        if (cx === undefined && ctx.zoom === 1) {
            // Zooming in from the whole book without a point: the pages shown fill the middle.
            ctx.panX = -shownCentre(ctx) * z; ctx.panY = 0;
        } else {
            if (cx === undefined) { cx = r.width / 2; cy = r.height / 2; }
            // Keep the point under the pointer where it is.
            var k = z / ctx.zoom;
            ctx.panX = cx - r.width / 2 - (cx - r.width / 2 - ctx.panX) * k;
            ctx.panY = cy - r.height / 2 - (cy - r.height / 2 - ctx.panY) * k;
        }
        ctx.zoom = z;
        if (z === 1) { ctx.panX = 0; ctx.panY = 0; }
        apply(ctx);
    }
    // Where the middle of the pages shown lies, from the middle of the book: a page alone in a
    // two-page spread (the cover, an even book's last page) sits half a page to its side.
    function shownCentre(ctx) {
        if (!BookLayout.twoUp(ctx) || BookLayout.currentPages(ctx).length !== 1) return 0;
        return BookLayout.sidePage(ctx, ctx.spread, 'right') ? ctx.bookEl.offsetWidth / 4 : -ctx.bookEl.offsetWidth / 4;
    }
    // Keeps the pan within the edges of the pages shown and draws the zoom.
    function apply(ctx) {
        var r = ctx.stage.getBoundingClientRect();
        var single = shownCentre(ctx) !== 0;
        var w = single ? ctx.bookEl.offsetWidth / 2 : ctx.bookEl.offsetWidth;
        var mx = Math.max(0, (w * ctx.zoom - r.width) / 2 + 40), cx = -shownCentre(ctx) * ctx.zoom;
        var my = Math.max(0, (ctx.bookEl.offsetHeight * ctx.zoom - r.height) / 2 + 40);
        ctx.panX = ctx.zoom === 1 ? 0 : Math.max(cx - mx, Math.min(cx + mx, ctx.panX));
        ctx.panY = ctx.zoom === 1 ? 0 : Math.max(-my, Math.min(my, ctx.panY));
        ctx.zoomEl.style.transform = ctx.zoom === 1 ? '' :
            'translate(' + ctx.panX + 'px,' + ctx.panY + 'px) scale(' + ctx.zoom + ')';
        ctx.root.classList.toggle('zv-zoomed', ctx.zoom > 1);
        if (ctx.buttons.Zoom) ctx.buttons.Zoom.setAttribute('aria-pressed', String(ctx.zoom > 1));
        BookLoading.sharpen(ctx); // zoomed in far enough, the pages on screen take their zoom images
    }
    function pan(ctx, dx, dy) {
        ctx.panX += dx; ctx.panY += dy;
        apply(ctx);
    }

    function toggleFullScreen(ctx) {
        var d = document;
        if (d.fullscreenElement || d.webkitFullscreenElement) {
            (d.exitFullscreen || d.webkitExitFullscreen).call(d);
        } else {
            var r = ctx.root;
            var req = r.requestFullscreen || r.webkitRequestFullscreen;
            if (req) { var p = req.call(r); if (p && p.catch) p.catch(function () {}); }
        }
    }

    return { set: set, apply: apply, pan: pan, toggleFullScreen: toggleFullScreen };
})();
