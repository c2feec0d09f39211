/* A link area over a page picture, placed in fractions of the page: a page number turns to that
 * page (through onPage), an address opens in a new tab. t gives the interface's words. Shared by
 * the book viewer and the Slide player. */
var ZarvexLinkArea = (function () {
    'use strict';

    function anchor(link, className, t, onPage) {
        var a = document.createElement('a');
        a.className = className;
        a.draggable = false; // a drag that starts on a link turns the page
        a.style.left = (link.x * 100) + '%';
        a.style.top = (link.y * 100) + '%';
        a.style.width = (link.width * 100) + '%';
        a.style.height = (link.height * 100) + '%';
        if (link.page) {
            a.href = '#p=' + link.page;
            a.setAttribute('aria-label', t('goToPage', { n: link.page }));
            a.setAttribute('data-link-page', String(link.page));
            a.addEventListener('click', function (ev) {
                ev.preventDefault();
                onPage(link.page);
            });
        } else {
            a.href = link.href;
            a.target = '_blank';
            a.rel = 'noopener noreferrer';
            a.setAttribute('aria-label', t('webLink', { href: link.href }));
        }
        return a;
    }

    return { anchor: anchor };
})();
