/* Page pictures: image pages directly, Flash pages through the JPEG taken out of them (kept
 * for the pages around the reader), the notice when Flash pages cannot be read, and the
 * preloading of the neighbouring spreads. */
var BookLoading = (function () {
    var el = BookDom.el;

    function notice(ctx) {
        ctx.notice = el('div', 'zv-notice', { role: 'alert' });
        ctx.notice.hidden = true;
        return ctx.notice;
    }

    /* Page picture address: image pages directly, Flash pages through their JPEG. */
    function pageSrc(ctx, page) {
        var rel = page.normal;
        if (!/\.swf$/i.test(rel)) return Promise.resolve(BookDom.url(ctx, rel));
        if (ctx.srcCache[rel]) return ctx.srcCache[rel];
        var p = ZarvexDecode.loadBytes(BookDom.url(ctx, rel)).then(ZarvexDecode.jpegFromSwf).then(function (blob) {
            return URL.createObjectURL(blob);
        }).catch(function (e) {
            swfUnreadable(ctx, e);
            return BookDom.url(ctx, page.thumb && !/\.swf$/i.test(page.thumb) ? page.thumb : '');
        });
        ctx.srcCache[rel] = p;
        ctx.srcOrder.push(rel);
        trimCache(ctx);
        return p;
    }

    // Pictures taken out of Flash pages are kept for the pages around the reader only, so a
    // long book read to the end does not hold every page in memory.
    function trimCache(ctx) {
        var keep = {}, limit = 40;
        for (var d = -3; d <= 3; d++) {
            var i = ctx.spread + d;
            if (i >= 0 && i < BookLayout.spreadCount(ctx)) {
                BookLayout.spreadPages(ctx, i).pages.forEach(function (n) { keep[ctx.model.pages[n - 1].normal] = true; });
            }
        }
        for (var k = 0; k < ctx.srcOrder.length && ctx.srcOrder.length > limit;) {
            var rel = ctx.srcOrder[k];
            if (keep[rel]) { k++; continue; }
            ctx.srcOrder.splice(k, 1);
            var old = ctx.srcCache[rel];
            delete ctx.srcCache[rel];
            old.then(function (u) { if (/^blob:/.test(u)) URL.revokeObjectURL(u); });
        }
    }

    // The first picture loaded gives the page shape when the model has none.
    function loadInto(ctx, img, page) {
        pageSrc(ctx, page).then(function (src) {
            if (!src) return;
            img.onload = function () {
                if (!ctx.naturalRatio && img.naturalHeight) {
                    ctx.naturalRatio = img.naturalWidth / img.naturalHeight;
                    if (!(ctx.model.pageWidth > 0)) BookLayout.layout(ctx);
                }
                img.parentNode && img.parentNode.classList.add('zv-loaded');
            };
            img.src = src;
        });
    }

    function swfUnreadable(ctx, err) {
        if (ctx.swfFailed) return;
        ctx.swfFailed = true;
        var fromDisk = location.protocol === 'file:';
        ctx.notice.hidden = false;
        ctx.notice.textContent = fromDisk ? ctx.t('flashFromDisk')
            : ctx.t('pagesUnreadable', { why: err && err.message || ctx.t('unknownError') });
        ctx.root.classList.add('zv-has-notice');
        BookLayout.layout(ctx);
    }

    function preload(ctx) {
        var want = [];
        for (var d = -2; d <= 2; d++) {
            var i = ctx.spread + d;
            if (i >= 0 && i < BookLayout.spreadCount(ctx)) want = want.concat(BookLayout.spreadPages(ctx, i).pages);
        }
        want.forEach(function (n) {
            pageSrc(ctx, ctx.model.pages[n - 1]).then(function (src) {
                if (src && !/^blob:/.test(src)) { var im = new Image(); im.src = src; }
            });
        });
    }

    return { notice: notice, loadInto: loadInto, preload: preload };
})();
