/* Element helpers shared by the viewer's parts: elements, the toolbar's icons, colour
 * brightness and the addresses of the book's files. (The buttons' labels, in each language,
 * are in ZarvexText under the buttons' names.) */
var BookDom = (function () {
    var ICONS = {
        First: 'M6 5v14M19 5l-9 7 9 7z',
        Prev: 'M15 5l-8 7 8 7',
        Next: 'M9 5l8 7-8 7',
        Last: 'M18 5v14M5 5l9 7-9 7z',
        Thumbnail: 'M4 4h6v6H4zM14 4h6v6h-6zM4 14h6v6H4zM14 14h6v6h-6z',
        Content: 'M4 6h2M9 6h11M6 12h2M11 12h9M6 18h2M11 18h9',
        Zoom: 'M10.5 4a6.5 6.5 0 1 0 0 13 6.5 6.5 0 0 0 0-13zM15.5 15.5L21 21M10.5 7.5v6M7.5 10.5h6',
        Search: 'M10.5 4a6.5 6.5 0 1 0 0 13 6.5 6.5 0 0 0 0-13zM15.5 15.5L21 21',
        SearchPrev: 'M5 15l7-7 7 7',
        SearchNext: 'M5 9l7 7 7-7',
        DoublePage: 'M3 5h8v14H3zM13 5h8v14h-8z',
        TiltAngle: 'M3 17l6-10h12l-6 10zM3 17h12',
        AutoPlay: 'M7 4l13 8-13 8z',
        BackgroundSound: 'M4 9h4l5-4v14l-5-4H4zM16 9a4 4 0 0 1 0 6M18.5 6.5a8 8 0 0 1 0 11',
        FullScreen: 'M4 9V4h5M15 4h5v5M20 15v5h-5M9 20H4v-5',
        Bookmark: 'M6 3h12v18l-6-5-6 5z',
        Share: 'M18 8a3 3 0 1 0 0-6 3 3 0 0 0 0 6zM6 15a3 3 0 1 0 0-6 3 3 0 0 0 0 6zM18 22a3 3 0 1 0 0-6 3 3 0 0 0 0 6zM8.6 13.5l6.8 4M15.4 6.5l-6.8 4',
        Print: 'M7 9V3h10v6M7 18H4v-9h16v9h-3M7 14h10v7H7z',
        Download: 'M12 3v12M7 10l5 5 5-5M4 20h16',
        Info: 'M12 3a9 9 0 1 0 0 18 9 9 0 0 0 0-18zM12 11v6M12 7v1',
        Help: 'M12 3a9 9 0 1 0 0 18 9 9 0 0 0 0-18zM9.5 9.5a2.5 2.5 0 1 1 3.5 2.3c-.7.3-1 .9-1 1.7M12 17v.5',
        Close: 'M6 6l12 12M18 6L6 18',
        Play: 'M8 5v14l11-7z',
    };

    function el(tag, cls, attrs) {
        var e = document.createElement(tag);
        if (cls) e.className = cls;
        if (attrs) Object.keys(attrs).forEach(function (k) { e.setAttribute(k, attrs[k]); });
        return e;
    }
    function icon(name) {
        var ns = 'http://www.w3.org/2000/svg';
        var svg = document.createElementNS(ns, 'svg');
        svg.setAttribute('viewBox', '0 0 24 24');
        svg.setAttribute('aria-hidden', 'true');
        var p = document.createElementNS(ns, 'path');
        p.setAttribute('d', ICONS[name] || '');
        svg.appendChild(p);
        return svg;
    }
    function luminance(hex) {
        var n = parseInt(String(hex || '#000000').slice(1), 16) || 0;
        return (0.299 * ((n >> 16) & 255) + 0.587 * ((n >> 8) & 255) + 0.114 * (n & 255)) / 255;
    }
    // The model's addresses are relative to the resource folder (ctx.base) unless absolute.
    function url(ctx, rel) {
        if (!rel) return '';
        if (/^([a-z][a-z0-9+.-]*:|\/)/i.test(rel)) return rel;
        return ctx.base + rel;
    }

    return { el: el, icon: icon, luminance: luminance, url: url };
})();
