/* Printing: the reader chooses the pages on screen, the whole book or a range of pages, and
 * the chosen page pictures go to paper one per sheet through a layout that only print shows.
 * Printing the browser's own way (Ctrl+P) still prints the spread on screen. */
var BookPrint = (function () {
    var el = BookDom.el;

    function showDialog(ctx) {
        var shown = BookLayout.currentPages(ctx), n = ctx.count;
        var form = el('form', 'zv-printform');
        var choices = el('fieldset', 'zv-printchoices');
        var legend = el('legend');
        legend.textContent = ctx.t('printWhich');
        choices.appendChild(legend);
        var radio = function (value, text, checked) {
            var label = el('label', 'zv-printchoice');
            var r = el('input', '', { type: 'radio', name: 'zv-print', value: value });
            r.checked = !!checked;
            label.appendChild(r);
            label.appendChild(document.createTextNode(' ' + text));
            choices.appendChild(label);
            return label;
        };
        radio('shown', ctx.t(shown.length > 1 ? 'printShownMany' : 'printShown', { p: shown.join('-') }), true);
        radio('all', ctx.t('printAll', { n: n }));
        var rangeLabel = radio('range', ctx.t('printRange'));
        var range = el('input', 'zv-printrange', { type: 'text', inputmode: 'numeric', dir: 'ltr', 'aria-label': ctx.t('printRangeLabel'),
                                                   placeholder: '3-7' });
        rangeLabel.appendChild(document.createTextNode(' '));
        rangeLabel.appendChild(range);
        range.addEventListener('focus', function () { form.querySelector('[value=range]').checked = true; });
        form.appendChild(choices);
        var error = el('p', 'zv-printerror', { role: 'alert' });
        form.appendChild(error);
        var go = el('button', 'zv-textbtn', { type: 'submit' });
        go.textContent = ctx.t('Print');
        form.appendChild(go);
        form.addEventListener('submit', function (ev) {
            ev.preventDefault();
            var choice = form.querySelector('input[name=zv-print]:checked').value;
            var pages = choice === 'shown' ? shown : choice === 'all' ? allPages(n) : parseRange(range.value, n);
            if (!pages) {
                error.textContent = ctx.t('printError', { n: n });
                range.focus();
                return;
            }
            BookPanels.closeDialog(ctx);
            printPages(ctx, pages);
        });
        BookPanels.openDialog(ctx, ctx.t('Print'), form);
    }

    function allPages(n) {
        var pages = [];
        for (var i = 1; i <= n; i++) pages.push(i);
        return pages;
    }

    // "3-7", "5", "1,4,9-12" (spaces allowed) into page numbers in order; null when any part is
    // not a page of the book.
    function parseRange(text, n) {
        var pages = [], parts = String(text).split(',');
        for (var i = 0; i < parts.length; i++) {
            var m = /^\s*(\d+)\s*(?:-\s*(\d+)\s*)?$/.exec(parts[i]);
            if (!m) return null;
            var a = parseInt(m[1], 10), b = m[2] ? parseInt(m[2], 10) : a;
            if (a < 1 || b > n || a > b) return null;
            for (var p = a; p <= b; p++) if (pages.indexOf(p) < 0) pages.push(p);
        }
        return pages.length ? pages : null;
    }

    // The picture of a page for paper: image pages directly; Flash pages through their JPEG,
    // taken out here rather than through the reading cache, which drops pages far from the reader.
    function pictureOf(ctx, page) {
        var rel = page.normal;
        if (!/\.swf$/i.test(rel)) return Promise.resolve(BookDom.url(ctx, rel));
        return ZarvexDecode.loadBytes(BookDom.url(ctx, rel)).then(ZarvexDecode.jpegFromSwf).then(function (blob) {
            return URL.createObjectURL(blob);
        }).catch(function () {
            return page.thumb && !/\.swf$/i.test(page.thumb) ? BookDom.url(ctx, page.thumb) : '';
        });
    }

    // Fills the print layout with the pages and prints once their pictures are ready.
    function printPages(ctx, pages) {
        clear(ctx);
        var sheet = ctx.printEl = el('div', 'zv-print', { 'aria-hidden': 'true' });
        ctx.root.appendChild(sheet);
        var ready = pages.map(function (n) {
            var img = el('img', 'zv-print-page', { alt: ctx.t('page', { n: n }), 'data-page': String(n) });
            sheet.appendChild(img);
            return pictureOf(ctx, ctx.model.pages[n - 1]).then(function (src) {
                if (!src) return null;
                return new Promise(function (resolve) {
                    img.onload = img.onerror = resolve;
                    img.src = src;
                });
            });
        });
        Promise.all(ready).then(function () {
            if (ctx.printEl !== sheet) return;
            document.documentElement.classList.add('zv-printing-pages');
            window.addEventListener('afterprint', function done() {
                window.removeEventListener('afterprint', done);
                if (ctx.printEl === sheet) clear(ctx);
            });
            window.print();
        });
    }

    function clear(ctx) {
        if (!ctx.printEl) return;
        ctx.printEl.querySelectorAll('img').forEach(function (img) {
            if (/^blob:/.test(img.src)) URL.revokeObjectURL(img.src);
        });
        ctx.printEl.remove();
        ctx.printEl = null;
        document.documentElement.classList.remove('zv-printing-pages');
    }

    return { showDialog: showDialog };
})();
