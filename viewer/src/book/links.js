/* The link areas of a page: a page number turns to that page, an address opens in a new tab. */
var BookLinks = (function () {
    var el = BookDom.el;

    function layer(ctx, page) {
        var links = el('div', 'zv-links');
        page.links.forEach(function (l) {
            links.appendChild(ZarvexLinkArea.anchor(l, 'zv-link' + (l.width * l.height > 0.5 ? ' zv-link-wide' : ''),
                ctx.t, function (n) { BookNavigation.userGo(ctx, BookLayout.spreadOf(ctx, n)); }));
        });
        return links;
    }

    return { layer: layer };
})();
