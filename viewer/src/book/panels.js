/* The panels over the book: the thumbnails strip, the dialog (about, help, bookmarks) and the
 * toast that shows the shared link. The strip and the dialog are modal for the keyboard: Tab
 * stays inside them until Escape (or their button) closes them, and the focus then goes back
 * to the button that opened them. */
var BookPanels = (function () {
    var el = BookDom.el;

    // Tab and Shift+Tab go round the controls of the panel instead of leaving it.
    function trapFocus(panel) {
        panel.addEventListener('keydown', function (ev) {
            if (ev.key !== 'Tab' || ev.altKey || ev.ctrlKey || ev.metaKey) return;
            var all = panel.querySelectorAll('a[href], button:not([disabled]), input:not([disabled]), video[controls], [tabindex]:not([tabindex="-1"])');
            var items = Array.prototype.filter.call(all, function (e) { return e.getClientRects().length > 0; });
            if (!items.length) { ev.preventDefault(); return; }
            var first = items[0], last = items[items.length - 1], at = items.indexOf(document.activeElement);
            if (ev.shiftKey && at <= 0) { ev.preventDefault(); last.focus(); }
            else if (!ev.shiftKey && (at < 0 || at === items.length - 1)) { ev.preventDefault(); first.focus(); }
        });
    }
    function restoreFocus(to) {
        if (to && to.focus && to.isConnected && !to.disabled) to.focus();
    }

    function thumbsPanel(ctx) {
        ctx.thumbs = el('nav', 'zv-thumbs', { role: 'dialog', 'aria-modal': 'true', 'aria-label': ctx.t('Thumbnail') });
        ctx.thumbs.hidden = true;
        trapFocus(ctx.thumbs);
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
            var b = el('button', 'zv-thumb', { type: 'button', 'aria-label': ctx.t('page', { n: k + 1 }) });
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
            ctx.thumbsOpener = document.activeElement;
            var first = cur || ctx.thumbs.querySelector('.zv-thumb');
            if (first) first.focus({ preventScroll: true });
        } else if (ctx.thumbs.contains(document.activeElement) || document.activeElement === document.body) {
            restoreFocus(ctx.thumbsOpener || ctx.buttons.Thumbnail);
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
        trapFocus(ctx.dialog);
        // A click elsewhere (the dialog covers the book) does not take the focus out of it.
        ctx.dialog.addEventListener('focusout', function (ev) {
            if (!ctx.dialog.hidden && ev.relatedTarget && !ctx.dialog.contains(ev.relatedTarget)) {
                var close = ctx.dialog.querySelector('.zv-close');
                if (close) close.focus();
            }
        });
        return ctx.dialog;
    }
    function openDialog(ctx, title, body) {
        var d = ctx.dialog, titleId = 'zv-dialog-title-' + ctx.uid;
        var opener = d.hidden ? document.activeElement : ctx.lastFocus;
        d.textContent = '';
        var box = el('div', 'zv-dialogbox');
        var h = el('h2', '', { id: titleId });
        h.textContent = title;
        d.setAttribute('aria-labelledby', titleId);
        var close = el('button', 'zv-btn zv-close', { type: 'button', 'aria-label': ctx.t('close'), title: ctx.t('close') });
        close.appendChild(BookDom.icon('Close'));
        close.addEventListener('click', function () { closeDialog(ctx); });
        box.appendChild(close); box.appendChild(h); box.appendChild(body);
        d.appendChild(box);
        d.hidden = false;
        ctx.lastFocus = opener;
        close.focus();
    }
    // Returns whether a dialog was open.
    function closeDialog(ctx) {
        if (ctx.dialog.hidden) return false;
        ctx.dialog.hidden = true;
        restoreFocus(ctx.lastFocus);
        return true;
    }
    function showInfo(ctx) {
        var a = ctx.model.author || {}, dl = el('dl');
        [['infoTitle', ctx.model.title], ['infoAuthor', a.name], ['infoEmail', a.email], ['infoWeb', a.web],
         ['infoAbout', a.info]]
            .forEach(function (row) {
                if (!row[1]) return;
                var dt = el('dt'), dd = el('dd');
                dt.textContent = ctx.t(row[0]);
                if (row[0] === 'infoWeb' && ZarvexDecode.safeHref(row[1])) {
                    var l = el('a', '', { target: '_blank', rel: 'noopener' });
                    l.href = ZarvexDecode.safeHref(row[1]); l.textContent = row[1]; dd.appendChild(l);
                } else if (row[0] === 'infoEmail') {
                    var m = el('a'); m.href = 'mailto:' + row[1]; m.textContent = row[1]; dd.appendChild(m);
                } else {
                    dd.textContent = row[1];
                }
                dl.appendChild(dt); dl.appendChild(dd);
            });
        openDialog(ctx, ctx.t('Info'), dl);
    }
    function showHelp(ctx) {
        var ul = el('ul', 'zv-help');
        ['helpTurn', 'helpEnds', 'helpZoom', 'helpWheel', 'helpTouch', ctx.text && 'helpText', 'helpEscape', 'helpAddress']
            .filter(Boolean).forEach(function (key) { var li = el('li'); li.textContent = ctx.t(key); ul.appendChild(li); });
        openDialog(ctx, ctx.t('Help'), ul);
    }
    function showBookmarks(ctx) {
        var box = el('div');
        var draw = function () {
            box.textContent = '';
            var marks = BookState.bookmarks(ctx), cur = BookLayout.currentPages(ctx)[0] || 1;
            var toggle = el('button', 'zv-textbtn', { type: 'button' });
            var has = marks.indexOf(cur) >= 0;
            toggle.textContent = ctx.t(has ? 'unmarkPage' : 'markPage', { n: cur });
            toggle.addEventListener('click', function () {
                var ms = BookState.bookmarks(ctx).filter(function (n) { return n !== cur; });
                if (!has) ms.push(cur);
                ms.sort(function (a, b) { return a - b; });
                BookState.saveBookmarks(ctx, ms);
                draw();
                box.querySelector('button').focus();
            });
            box.appendChild(toggle);
            var ul = el('ul', 'zv-marks');
            marks.forEach(function (n) {
                var li = el('li'), b = el('button', 'zv-textbtn', { type: 'button' });
                b.textContent = ctx.t('page', { n: n });
                b.addEventListener('click', function () { closeDialog(ctx); BookNavigation.goToPage(ctx, n); });
                li.appendChild(b); ul.appendChild(li);
            });
            box.appendChild(ul);
        };
        draw();
        openDialog(ctx, ctx.t('Bookmark'), box);
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
            navigator.clipboard.writeText(link).then(function () { say(ctx.t('linkCopied', { link: link })); },
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
