/* The link areas of a page: a page number turns to that page, an address opens in a new tab. */
var BookLinks = (function () {
    var el = BookDom.el;

    function layer(ctx, page) {
        var links = el('div', 'zv-links');
        page.links.forEach(function (l) {
            // draggable=false: a drag that starts on a link turns the page.
            var a = el('a', 'zv-link' + (l.width * l.height > 0.5 ? ' zv-link-wide' : ''), { draggable: 'false' });
            a.style.left = (l.x * 100) + '%';
            a.style.top = (l.y * 100) + '%';
            a.style.width = (l.width * 100) + '%';
            a.style.height = (l.height * 100) + '%';
            if (l.page) {
                a.href = '#p=' + l.page;
                a.setAttribute('aria-label', ctx.t('goToPage', { n: l.page }));
                a.setAttribute('data-link-page', String(l.page));
                a.addEventListener('click', function (ev) {
                    ev.preventDefault();
                    BookNavigation.userGo(ctx, BookLayout.spreadOf(ctx, l.page));
                });
            } else {
                a.href = l.href;
                a.target = '_blank';
                a.rel = 'noopener noreferrer';
                a.setAttribute('aria-label', ctx.t('webLink', { href: l.href }));
            }
            links.appendChild(a);
        });
        return links;
    }

    return { layer: layer };
})();
