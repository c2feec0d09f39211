/* Mobile Slide player: one page at a time, sliding sideways. Reads the options object that
 * the publisher writes into index.html (fbbookOptions) and, when present, the book's
 * configuration script for the page file numbers. */
(function () {
    'use strict';

    function start() {
        var o = window.fbbookOptions || {};
        var dir = o.normalPageDir || '../files/mobile/';
        var root = document.getElementById('zarvex-slide');
        if (!root) return;
        var track = root.querySelector('.zs-track');
        var counter = root.querySelector('.zs-counter');
        var live = root.querySelector('.zs-live');
        var prevB = root.querySelector('.zs-prev'), nextB = root.querySelector('.zs-next');
        var pages = [], index = 0;
        var t = ZarvexText.translator('');
        // The page's labels in the interface language: the browser's until the book names one.
        function speak(language) {
            t = ZarvexText.translator(language);
            root.setAttribute('lang', t.lang);
            root.setAttribute('aria-label', t('book'));
            root.setAttribute('aria-roledescription', t('slideShow'));
            prevB.setAttribute('aria-label', t('Prev'));
            prevB.title = t('Prev');
            nextB.setAttribute('aria-label', t('Next'));
            nextB.title = t('Next');
            pages.forEach(function (slide, k) { slide.querySelector('img').alt = t('page', { n: k + 1 }); });
        }
        speak('');

        function numbers() {
            return ZarvexDecode.loadBook('../files/').then(function (book) {
                if (!book.pages.length) throw new Error('no pages');
                speak(book.language);
                return book.pages.map(function (p) { return p.fileIndex; });
            }).catch(function () {
                var list = [];
                for (var i = 1; i <= (parseInt(o.totalPage, 10) || 0); i++) list.push(i);
                return list;
            });
        }

        function go(i, user) {
            index = Math.max(0, Math.min(pages.length - 1, i));
            track.style.transform = 'translateX(' + (-100 * index) + '%)';
            counter.textContent = (index + 1) + ' / ' + pages.length;
            live.textContent = t('pageOf', { a: index + 1, n: pages.length });
            prevB.disabled = index === 0;
            nextB.disabled = index >= pages.length - 1;
            root.setAttribute('data-page', String(index + 1));
            for (var k = index - 1; k <= index + 2; k++) {
                var img = pages[k] && pages[k].querySelector('img');
                if (img && !img.getAttribute('src')) img.src = img.getAttribute('data-src');
            }
            if (user) try { history.replaceState(null, '', '#p=' + (index + 1)); } catch (e) { /* sandboxed */ }
        }

        numbers().then(function (nums) {
            nums.forEach(function (n, k) {
                var slide = document.createElement('figure');
                slide.className = 'zs-slide';
                var img = document.createElement('img');
                img.alt = t('page', { n: k + 1 });
                img.setAttribute('data-src', dir + n + '.jpg');
                slide.appendChild(img);
                track.appendChild(slide);
                pages.push(slide);
            });
            var m = /[#&]p=(\d+)/.exec(location.hash);
            go(m ? parseInt(m[1], 10) - 1 : 0, false);
            root.setAttribute('data-zarvex-ready', 'true');
        });

        prevB.addEventListener('click', function () { go(index - 1, true); });
        nextB.addEventListener('click', function () { go(index + 1, true); });
        document.addEventListener('keydown', function (ev) {
            var map = { ArrowRight: 1, PageDown: 1, ' ': 1, ArrowLeft: -1, PageUp: -1 };
            if (ev.key === 'Home') go(0, true);
            else if (ev.key === 'End') go(pages.length - 1, true);
            else if (map[ev.key]) go(index + map[ev.key], true);
            else return;
            ev.preventDefault();
        });
        var sx = null, sy = 0;
        root.addEventListener('pointerdown', function (ev) { sx = ev.clientX; sy = ev.clientY; });
        root.addEventListener('pointerup', function (ev) {
            if (sx === null) return;
            var dx = ev.clientX - sx, dy = ev.clientY - sy;
            sx = null;
            if (Math.abs(dx) > 40 && Math.abs(dx) > Math.abs(dy)) go(index + (dx < 0 ? 1 : -1), true);
        });
    }

    if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
    else setTimeout(start, 0);
})();
