/* Mobile Flip player: the book viewer on the mobile page images, set up from the bookConfig
 * object that the publisher appends to this script. The page numbers and link areas come
 * from the book's own configuration script when it is there (a book made from part of a
 * document numbers its page files by document page), else the pages are 1..totalPageCount.
 * The media placed on the pages come from there too. */
(function () {
    'use strict';

    function cfg(name, def) {
        var c = window.bookConfig || {};
        return c[name] === undefined || c[name] === null ? def : c[name];
    }

    var language = ''; // the book's player language, from its configuration when there is one

    function pageList(total) {
        return ZarvexDecode.loadBook('../files/').then(function (book) {
            if (!book.pages.length) throw new Error('no pages');
            language = book.language || '';
            return book.pages;
        }).catch(function () {
            var pages = [];
            for (var i = 1; i <= total; i++) pages.push({ number: i, fileIndex: i, links: [] });
            return pages;
        });
    }

    // The page editor's media files lie in the book's files folder, next to this player's folder.
    function inFilesFolder(m) {
        return { kind: m.kind, x: m.x, y: m.y, width: m.width, height: m.height, src: '../files/' + m.src };
    }

    function start() {
        var host = document.getElementById('zarvex-mobile');
        if (!host) return;
        var dir = cfg('normalPath', '../files/mobile/'), thumbDir = cfg('thumbPath', dir);
        var hidden = ['TiltAngle', 'Print', 'Download', 'BackgroundSound'];
        if (cfg('ThumbnailsButtonVisible', 'Show') === 'Hide') hidden.push('Thumbnail');
        if (cfg('ZoomButtonVisible', 'Show') === 'Hide') hidden.push('Zoom');
        if (cfg('ShareButtonVisible', 'Show') === 'Hide') hidden.push('Share');
        if (cfg('BookmarkButtonVisible', 'Show') === 'Hide') hidden.push('Bookmark');
        if (!cfg('bookDescription', '')) hidden.push('Info');
        var total = parseInt(cfg('totalPageCount', 0), 10) || 0;
        pageList(total).then(function (pages) {
            var model = {
                title: cfg('bookTitle', ''),
                author: { info: cfg('bookDescription', '') },
                baseColor: ZarvexDecode.colorFromHex(cfg('pageBackgroundColor', '#30373A'), '#30373a'),
                logo: { src: cfg('appLogoIcon', ''), link: ZarvexDecode.safeHref(cfg('appLogoLinkURL', '')), show: true },
                music: {}, download: '', hidden: hidden,
                background: {
                    type: 'GradientColor',
                    start: ZarvexDecode.colorFromHex(cfg('bgBeginColor', '#FF9900'), '#ff9900'),
                    end: ZarvexDecode.colorFromHex(cfg('bgEndColor', '#e8ac4d'), '#e8ac4d'),
                    angle: parseFloat(cfg('bgMRotation', 90)) || 0,
                    image: ZarvexDecode.fileRef(cfg('backGroundImgURL', '')), position: 'Fill',
                },
                autoFlip: { enable: cfg('enableAutoPlay', 'No') === 'Yes',
                            interval: parseFloat(cfg('autoPlayDuration', 3)) || 3,
                            loop: parseInt(cfg('autoPlayLoopCount', 0), 10) || 0 },
                flipSound: false,
                rtl: cfg('RightToLeft', 'No') === 'Yes',
                language: language,
                pageWidth: parseFloat(cfg('largePageWidth', 0)) || 0,
                pageHeight: parseFloat(cfg('largePageHeight', 0)) || 0,
                pages: pages.map(function (p, k) {
                    return { number: k + 1, fileIndex: p.fileIndex, normal: dir + p.fileIndex + '.jpg', large: dir + p.fileIndex + '.jpg',
                             thumb: thumbDir + p.fileIndex + '.jpg', links: p.links || [],
                             media: (p.media || []).map(inFilesFolder) };
                }),
            };
            if (model.title) document.title = model.title;
            new ZarvexBook.Book(host, model, { base: '', look: 'mobile', mobile: true, contentsBase: '../files/' });
        });
    }

    if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
    else setTimeout(start, 0);
})();
