/* Page pictures: image pages directly, Flash pages through the JPEG taken out of them, the
 * notice when Flash pages cannot be read, and the order of loading: the pages on screen first,
 * the spreads on each side after them at a lower priority, nothing further away. Pictures are
 * decoded before they are shown and kept for the pages around the reader, so a turn moves
 * ready pictures into place instead of waiting for them. The first page's file may already be
 * on its way when the viewer starts: the book's page asks for it beside the viewer's scripts.
 * ctx.pictures: page number -> { n, state: 'wait' | 'loading' | 'ready' | 'failed', img,
 * blob (address to release), cancel, holders (page elements waiting for the picture),
 * sharp (its zoom image, below) }.
 *
 * Sharp pages: a book published with zoom images has zoom/<n>.jpg (n: the page's file number)
 * at twice its pictures' pixels each way, listed by zoom/index.js (or index.json) in the book's
 * files folder. Zoomed in beyond 1.5 times, or on a screen with more than 1.5 device pixels to
 * the CSS pixel, the pages on screen swap their picture for the zoom image once it is decoded;
 * the list is asked for only then, after the pages on screen have their own pictures. Turns,
 * thumbnails and the pages around keep the normal pictures; a page on screen keeps its zoom
 * image until it leaves. ctx.zoomIndex: undefined until asked for, null while it loads, then
 * the set of file numbers that have one. */
var BookLoading = (function () {
    var el = BookDom.el;
    var KEEP = 2; // spreads on each side whose decoded pictures are kept

    function notice(ctx) {
        ctx.notice = el('div', 'zv-notice', { role: 'alert' });
        ctx.notice.hidden = true;
        return ctx.notice;
    }

    function isSwf(rel) { return /\.swf$/i.test(rel || ''); }

    /* The request for the first page's file that the book's page made before the viewer ran
     * (the page template in viewer/build.mjs), when it is for this address: taken once. */
    function takeEarly(url) {
        var early = window.ZarvexFirstPage;
        if (!early || early.url !== url) return null;
        window.ZarvexFirstPage = null;
        return early;
    }
    // Nobody took it: the book opened at another page.
    function dropEarly() {
        var early = window.ZarvexFirstPage;
        window.ZarvexFirstPage = null;
        if (early) early.abort();
    }

    /* The picture inside a Flash file as a blob address; job.cancelled stops it. early: the
     * page's own request for the file, if any; when it failed the file is asked for again. */
    function swfPicture(ctx, rel, job, early) {
        var abort = window.AbortController ? new AbortController() : null;
        job.abort = function () { if (early) early.abort(); if (abort) abort.abort(); };
        var load = function () {
            return ZarvexDecode.loadBytes(BookDom.url(ctx, rel), { signal: abort && abort.signal, priority: job.priority });
        };
        var bytes = !early ? load() : early.blob.then(function (b) { return b.arrayBuffer(); }).then(function (b) {
            return new Uint8Array(b);
        }, function (e) {
            if (job.cancelled) throw e;
            return load();
        });
        return bytes.then(ZarvexDecode.jpegFromSwf).then(function (blob) {
            var u = URL.createObjectURL(blob);
            if (job.cancelled) { URL.revokeObjectURL(u); throw new Error('cancelled'); }
            job.blob = u;
            return u;
        });
    }

    /* Page picture address: image pages directly, Flash pages through their JPEG, or their
     * thumbnail when the Flash file cannot be read. */
    function pageSrc(ctx, page, job) {
        var url = BookDom.url(ctx, page.normal), early = takeEarly(url);
        if (!isSwf(page.normal)) return early ? earlyPicture(early, url, job) : Promise.resolve(url);
        return swfPicture(ctx, page.normal, job, early).catch(function (e) {
            if (job.cancelled) throw e;
            swfUnreadable(ctx, e);
            if (!page.thumb || isSwf(page.thumb)) throw e;
            return BookDom.url(ctx, page.thumb);
        });
    }

    // An image page that the book's page already asked for: its answer as a blob address, or
    // the file's own address when that request failed.
    function earlyPicture(early, url, job) {
        job.abort = early.abort;
        return early.blob.then(function (blob) {
            var u = URL.createObjectURL(blob);
            if (job.cancelled) { URL.revokeObjectURL(u); throw new Error('cancelled'); }
            job.blob = u;
            return u;
        }, function () { return url; });
    }

    function entry(ctx, n) {
        return ctx.pictures[n] || (ctx.pictures[n] = { n: n, state: 'wait', holders: [] });
    }

    function start(ctx, e, high) {
        var job = e.job = { priority: high ? 'high' : 'low', cancelled: false };
        var img = el('img', 'zv-img', { alt: ctx.t('page', { n: e.n }), draggable: 'false', fetchpriority: job.priority });
        e.state = 'loading';
        e.cancel = function () {
            job.cancelled = true;
            if (job.abort) job.abort();
            img.removeAttribute('src'); // stops the download
        };
        pageSrc(ctx, ctx.model.pages[e.n - 1], job).then(function (src) {
            if (job.cancelled) return null;
            img.src = src;
            return img.decode();
        }).then(function () {
            if (job.cancelled) return;
            e.state = 'ready'; e.img = img; e.blob = job.blob;
            if (!ctx.naturalRatio && img.naturalHeight) {
                ctx.naturalRatio = img.naturalWidth / img.naturalHeight;
                if (!(ctx.model.pageWidth > 0)) BookLayout.layout(ctx);
            }
            settle(ctx, e);
        }, function () {
            if (job.cancelled) return;
            e.state = 'failed';
            if (job.blob) URL.revokeObjectURL(job.blob);
            settle(ctx, e);
        });
    }

    function settle(ctx, e) {
        var holders = e.holders;
        e.holders = [];
        holders.forEach(function (p) { if (p.isConnected) fill(ctx, p, e.n); });
        update(ctx);
    }

    /* Fills the page element p of page n with its picture: the kept one at once, a short
     * message when it cannot be loaded, else when it arrives. */
    function fill(ctx, p, n) {
        var e = entry(ctx, n);
        if (e.state === 'ready') {
            // One picture element per page: the page element on screen takes it over.
            p.insertBefore(e.img, p.firstChild);
            p.classList.add('zv-loaded');
            if (e.img.naturalHeight) {
                ctx.pageRatios[n] = e.img.naturalWidth / e.img.naturalHeight;
                BookLayout.fitPage(ctx, p);
            }
        } else if (e.state === 'failed') {
            p.insertBefore(missing(ctx.t('pageMissing', { n: n })), p.firstChild);
            p.classList.add('zv-loaded', 'zv-failed');
        } else {
            e.holders.push(p);
        }
    }

    function missing(text) {
        var m = el('div', 'zv-missing', { role: 'img', 'aria-label': text });
        m.textContent = text;
        return m;
    }

    function spreadsAround(ctx, reach) {
        var groups = [];
        [0, 1, -1].concat(reach > 1 ? [2, -2] : []).forEach(function (d) {
            var i = ctx.spread + d;
            if (i >= 0 && i < BookLayout.spreadCount(ctx)) groups.push(BookLayout.spreadPages(ctx, i).pages);
        });
        return groups;
    }

    /* Loads what the spread on screen needs: its own pages first, the spreads on each side once
     * those are there; stops the loads of pages no longer near and lets go of far pictures. */
    function update(ctx) {
        var groups = spreadsAround(ctx, 1), near = {}, keep = {};
        groups.forEach(function (g) { g.forEach(function (n) { near[n] = true; }); });
        spreadsAround(ctx, KEEP).forEach(function (g) { g.forEach(function (n) { keep[n] = true; }); });
        Object.keys(ctx.pictures).forEach(function (k) {
            var e = ctx.pictures[k];
            if (e.sharp && !near[e.n]) dropSharp(e);
            if (e.state === 'ready' || e.state === 'failed' ? keep[e.n] : near[e.n]) return;
            if (e.state === 'loading') e.cancel();
            if (e.blob) URL.revokeObjectURL(e.blob);
            delete ctx.pictures[k];
        });
        var visible = groups[0] || [];
        visible.forEach(function (n) { var e = entry(ctx, n); if (e.state === 'wait') start(ctx, e, true); });
        var settled = visible.every(function (n) { var s = ctx.pictures[n].state; return s === 'ready' || s === 'failed'; });
        dropEarly();
        // The spreads around wait while a page turns: their decoding would take frames from
        // the turn. The turn's end asks again.
        if (settled && !ctx.busy) {
            groups.slice(1).forEach(function (g) {
                g.forEach(function (n) { var e = entry(ctx, n); if (e.state === 'wait') start(ctx, e, false); });
            });
        }
        sharpen(ctx);
        // How many pictures are still on their way, for scripts that wait for a quiet book.
        var pending = Object.keys(ctx.pictures).filter(function (k) { return ctx.pictures[k].state === 'loading'; });
        ctx.root.setAttribute('data-pending', String(pending.length));
    }

    function wantsSharp(ctx) {
        return ctx.zoom > 1.5 || (window.devicePixelRatio || 1) > 1.5;
    }

    // The folder of the book's own files (the mobile player's pictures lie elsewhere).
    function filesFolder(ctx) {
        return ctx.opts.contentsBase !== undefined ? ctx.opts.contentsBase : ctx.base;
    }

    // The list of zoom images: zoom/index.js's, else zoom/index.json's; none when the book has neither.
    function loadZoomIndex(ctx) {
        var folder = filesFolder(ctx) + 'zoom/';
        ctx.zoomIndex = null;
        var listed = ZarvexDecode.bookHasFile('zoom/index.js')
            ? ZarvexDecode.loadTwin(folder + 'index.js', function () {
                var index = window.ZARVEX_ZOOM_INDEX;
                delete window.ZARVEX_ZOOM_INDEX;
                return index && typeof index === 'object' ? index : null;
            }, folder + 'index.json', JSON.parse)
            : Promise.reject(new Error('no zoom images'));
        listed.catch(function () { return {}; }).then(function (index) {
            var pages = {};
            (Array.isArray(index.pages) ? index.pages : []).forEach(function (n) { pages[n] = true; });
            ctx.zoomIndex = pages;
            sharpen(ctx);
        });
    }

    /* The pages on screen take their zoom images when the reader wants them sharp: each loads
     * once the page's own picture is ready and takes its place when decoded, so the page never
     * shows blank. Nothing happens while a page turns; its end asks again. */
    function sharpen(ctx) {
        if (ctx.busy || !wantsSharp(ctx)) return;
        var visible = BookLayout.spreadCount(ctx) ? BookLayout.spreadPages(ctx, ctx.spread).pages : [];
        var ready = visible.filter(function (n) { var e = ctx.pictures[n]; return e && e.state === 'ready'; });
        if (!ready.length) return;
        if (ctx.zoomIndex === undefined) { loadZoomIndex(ctx); return; }
        if (!ctx.zoomIndex) return;
        ready.forEach(function (n) {
            var e = ctx.pictures[n], file = ctx.model.pages[n - 1].fileIndex;
            if (!e.sharp && ctx.zoomIndex[file]) loadSharp(ctx, e, file);
            else if (e.sharp && e.sharp.state === 'ready') placeSharp(ctx, e);
        });
    }

    function loadSharp(ctx, e, file) {
        var s = e.sharp = { state: 'loading', img: el('img', 'zv-img zv-sharp', { draggable: 'false' }) };
        s.img.src = filesFolder(ctx) + 'zoom/' + file + '.jpg';
        s.img.decode().then(function () {
            if (e.sharp !== s) return;
            s.state = 'ready';
            placeSharp(ctx, e);
        }, function () {
            if (e.sharp === s) s.state = 'failed'; // the page keeps its picture
        });
    }

    // The zoom image in place of the picture on the page on screen, with the picture's own
    // description; the picture stays decoded for the turns.
    function placeSharp(ctx, e) {
        var p = e.img.parentNode;
        if (!p || ctx.busy || (p.parentNode !== ctx.leftSlot && p.parentNode !== ctx.rightSlot)) return;
        Array.prototype.forEach.call(e.img.attributes, function (a) {
            if (a.name === 'alt' || a.name.indexOf('aria-') === 0) e.sharp.img.setAttribute(a.name, a.value);
        });
        p.replaceChild(e.sharp.img, e.img);
    }

    function dropSharp(e) {
        if (e.sharp.state === 'loading') e.sharp.img.removeAttribute('src'); // stops the download
        e.sharp.img.remove();
        delete e.sharp;
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

    /* The thumbnail picture of a page into img, or a short message in its place: the thumbnail
     * file, and for a Flash thumbnail the picture inside it. */
    function loadThumb(ctx, img, page) {
        var job = { priority: 'low' };
        var src = isSwf(page.thumb) ? swfPicture(ctx, page.thumb, job) : Promise.resolve(BookDom.url(ctx, page.thumb));
        var failed = function () {
            img.replaceWith(missing(ctx.t('thumbMissing')));
        };
        src.then(function (u) {
            img.onerror = failed;
            img.src = u;
        }, failed);
    }

    return { notice: notice, fill: fill, update: update, sharpen: sharpen, loadThumb: loadThumb };
})();
