/* The panels over the book: the thumbnails strip, the dialog (about, help, bookmarks) and the
 * toast that shows the shared link. */
var BookPanels = (function () {
    var el = BookDom.el;

    function thumbsPanel(ctx) {
        ctx.thumbs = el('nav', 'zv-thumbs', { 'aria-label': 'Thumbnails' });
        ctx.thumbs.hidden = true;
        return ctx.thumbs;
    }
    // The thumbnail files load as they scroll into the strip (from disk as well, where the
    // browser's own lazy loading does not hold them back); until then the page shape holds
    // their place.
    function fillThumbs(ctx) {
        var list = el('ol', 'zv-thumblist'), m = ctx.model;
        var ratio = m.pageWidth > 0 && m.pageHeight > 0 ? m.pageWidth / m.pageHeight : 0.75;
        var seen = window.IntersectionObserver ? new IntersectionObserver(function (entries) {
            entries.forEach(function (en) {
                if (!en.isIntersecting) return;
                seen.unobserve(en.target);
                BookLoading.loadThumb(ctx, en.target, m.pages[+en.target.getAttribute('data-index')]);
            });
        }, { root: ctx.thumbs, rootMargin: '0px 100px' }) : null;
        m.pages.forEach(function (page, k) {
            var li = el('li');
            var b = el('button', 'zv-thumb', { type: 'button', 'aria-label': 'Page ' + (k + 1) });
            var img = el('img', '', { alt: '', draggable: 'false', 'data-index': String(k) });
            img.style.aspectRatio = 'auto ' + ratio;
            if (seen) seen.observe(img); else BookLoading.loadThumb(ctx, img, page);
            var cap = el('span');
            cap.textContent = String(k + 1);
            b.appendChild(img); b.appendChild(cap);
            b.addEventListener('click', function () { BookNavigation.goToPage(ctx, k + 1); });
            li.appendChild(b);
            list.appendChild(li);
        });
        ctx.thumbs.appendChild(list);
    }
    function toggleThumbs(ctx, force) {
        var show = force === undefined ? ctx.thumbs.hidden : force;
        ctx.thumbs.hidden = !show;
        ctx.root.classList.toggle('zv-thumbs-open', show);
        if (ctx.buttons.Thumbnail) ctx.buttons.Thumbnail.setAttribute('aria-pressed', String(show));
        BookLayout.layout(ctx); BookPages.render(ctx);
        if (show) {
            var cur = ctx.thumbs.querySelector('[aria-current]');
            if (cur && cur.scrollIntoView) cur.scrollIntoView({ block: 'nearest', inline: 'center' });
        }
    }
    // The thumbnails of the pages on screen are marked current.
    function markThumbs(ctx, pages) {
        var items = ctx.thumbs.querySelectorAll('.zv-thumb');
        for (var i = 0; i < items.length; i++) {
            var on = pages.indexOf(i + 1) >= 0;
            if (on) items[i].setAttribute('aria-current', 'page'); else items[i].removeAttribute('aria-current');
        }
    }

    function dialog(ctx) {
        ctx.dialog = el('div', 'zv-dialog', { role: 'dialog', 'aria-modal': 'true' });
        ctx.dialog.hidden = true;
        return ctx.dialog;
    }
    function openDialog(ctx, title, body) {
        var d = ctx.dialog;
        d.textContent = '';
        var box = el('div', 'zv-dialogbox');
        var h = el('h2', '', { id: 'zv-dialog-title' });
        h.textContent = title;
        d.setAttribute('aria-labelledby', 'zv-dialog-title');
        var close = el('button', 'zv-btn zv-close', { type: 'button', 'aria-label': 'Close' });
        close.appendChild(BookDom.icon('Close'));
        close.addEventListener('click', function () { closeDialog(ctx); });
        box.appendChild(close); box.appendChild(h); box.appendChild(body);
        d.appendChild(box);
        d.hidden = false;
        ctx.lastFocus = document.activeElement;
        close.focus();
    }
    // Returns whether a dialog was open.
    function closeDialog(ctx) {
        if (ctx.dialog.hidden) return false;
        ctx.dialog.hidden = true;
        if (ctx.lastFocus && ctx.lastFocus.focus) ctx.lastFocus.focus();
        return true;
    }
    function showInfo(ctx) {
        var a = ctx.model.author || {}, dl = el('dl');
        [['Title', ctx.model.title], ['Author', a.name], ['E-mail', a.email], ['Web site', a.web], ['About', a.info]]
            .forEach(function (row) {
                if (!row[1]) return;
                var dt = el('dt'), dd = el('dd');
                dt.textContent = row[0];
                if (row[0] === 'Web site' && ZarvexDecode.safeHref(row[1])) {
                    var l = el('a', '', { target: '_blank', rel: 'noopener' });
                    l.href = ZarvexDecode.safeHref(row[1]); l.textContent = row[1]; dd.appendChild(l);
                } else if (row[0] === 'E-mail') {
                    var m = el('a'); m.href = 'mailto:' + row[1]; m.textContent = row[1]; dd.appendChild(m);
                } else {
                    dd.textContent = row[1];
                }
                dl.appendChild(dt); dl.appendChild(dd);
            });
        openDialog(ctx, 'About this book', dl);
    }
    function showHelp(ctx) {
        var ul = el('ul', 'zv-help');
        ['Arrow keys, Page Up and Page Down: turn pages', 'Home and End: first and last page',
         '+ and -: zoom in and out, 0: back to the whole page', 'Mouse wheel: turn pages; with Ctrl: zoom',
         'Swipe or click the outer page edges to turn pages; pinch to zoom',
         'Add #p= and a page number to the address to open the book at that page']
            .forEach(function (t) { var li = el('li'); li.textContent = t; ul.appendChild(li); });
        openDialog(ctx, 'Help', ul);
    }
    function showBookmarks(ctx) {
        var box = el('div');
        var draw = function () {
            box.textContent = '';
            var marks = BookState.bookmarks(ctx), cur = BookLayout.currentPages(ctx)[0] || 1;
            var toggle = el('button', 'zv-textbtn', { type: 'button' });
            var has = marks.indexOf(cur) >= 0;
            toggle.textContent = has ? 'Remove the bookmark of page ' + cur : 'Bookmark page ' + cur;
            toggle.addEventListener('click', function () {
                var ms = BookState.bookmarks(ctx).filter(function (n) { return n !== cur; });
                if (!has) ms.push(cur);
                ms.sort(function (a, b) { return a - b; });
                BookState.saveBookmarks(ctx, ms);
                draw();
            });
            box.appendChild(toggle);
            var ul = el('ul', 'zv-marks');
            marks.forEach(function (n) {
                var li = el('li'), b = el('button', 'zv-textbtn', { type: 'button' });
                b.textContent = 'Page ' + n;
                b.addEventListener('click', function () { closeDialog(ctx); BookNavigation.goToPage(ctx, n); });
                li.appendChild(b); ul.appendChild(li);
            });
            box.appendChild(ul);
        };
        draw();
        openDialog(ctx, 'Bookmarks', box);
    }

    function toast(ctx) {
        ctx.toast = el('div', 'zv-toast', { role: 'status' });
        return ctx.toast;
    }
    // The link to the page on screen: the system's share sheet, else the clipboard, else shown.
    function share(ctx) {
        var link = location.href.replace(/#.*$/, '') + '#p=' + (BookLayout.currentPages(ctx)[0] || 1);
        var say = function (t) {
            ctx.toast.textContent = t;
            ctx.toast.classList.add('zv-show');
            clearTimeout(ctx.toastTimer);
            ctx.toastTimer = setTimeout(function () { ctx.toast.classList.remove('zv-show'); }, 2500);
        };
        if (navigator.share && /^https?:/.test(link)) {
            navigator.share({ title: ctx.model.title || document.title, url: link }).catch(function () {});
        } else if (navigator.clipboard && navigator.clipboard.writeText) {
            navigator.clipboard.writeText(link).then(function () { say('Link copied: ' + link); },
                                                     function () { say(link); });
        } else {
            say(link);
        }
    }

    return {
        thumbsPanel: thumbsPanel, fillThumbs: fillThumbs, toggleThumbs: toggleThumbs, markThumbs: markThumbs,
        dialog: dialog, openDialog: openDialog, closeDialog: closeDialog, showInfo: showInfo, showHelp: showHelp,
        showBookmarks: showBookmarks, toast: toast, share: share,
    };
})();
