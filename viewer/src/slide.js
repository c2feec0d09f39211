/* Mobile Slide player: one page at a time, sliding sideways. Reads the options object that
 * the publisher writes into index.html (fbbookOptions) and, when present, the book's
 * configuration script for the page file numbers and the pages' link areas. One finger swipes
 * (or pans a zoomed page), two fingers pinch to zoom, a double tap zooms in and out. */
(function () {
    'use strict';

    var MAX_ZOOM = 4;

    function start() {
        var o = window.fbbookOptions || {};
        var dir = o.normalPageDir || '../files/mobile/';
        var root = document.getElementById('zarvex-slide');
        if (!root) return;
        var view = root.querySelector('.zs-view');
        var track = root.querySelector('.zs-track');
        var counter = root.querySelector('.zs-counter');
        var live = root.querySelector('.zs-live');
        var prevB = root.querySelector('.zs-prev'), nextB = root.querySelector('.zs-next');
        var pages = [], index = 0;
        var zoom = { z: 1, x: 0, y: 0 }; // of the page on screen
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

        // The page files and link areas from the book's configuration, else numbered files.
        function bookPages() {
            return ZarvexDecode.loadBook('../files/').then(function (book) {
                if (!book.pages.length) throw new Error('no pages');
                speak(book.language);
                return book.pages.map(function (p) { return { file: p.fileIndex, links: p.links || [] }; });
            }).catch(function () {
                var list = [];
                for (var i = 1; i <= (parseInt(o.totalPage, 10) || 0); i++) list.push({ file: i, links: [] });
                return list;
            });
        }

        function go(i, user) {
            i = Math.max(0, Math.min(pages.length - 1, i));
            if (i !== index) setZoom(1);
            index = i;
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

        // The page box takes the picture's shape, as large as fits, so its link areas lie on it.
        function fit(slide) {
            var img = slide.querySelector('img'), box = slide.querySelector('.zs-page');
            if (!img.naturalWidth) return;
            var f = Math.min(view.clientWidth * 0.96 / img.naturalWidth, view.clientHeight * 0.96 / img.naturalHeight);
            box.style.width = Math.floor(img.naturalWidth * f) + 'px';
            box.style.height = Math.floor(img.naturalHeight * f) + 'px';
        }

        function linkLayer(links) {
            var layer = document.createElement('div');
            layer.className = 'zs-links';
            links.forEach(function (l) {
                layer.appendChild(ZarvexLinkArea.anchor(l, 'zs-link', t, function (n) { go(n - 1, true); }));
            });
            return layer;
        }

        // Zoom z with the pan kept within the page's edges; 1 shows the whole page.
        function setZoom(z, x, y) {
            var slide = pages[index];
            if (!slide) return;
            var box = slide.querySelector('.zs-page');
            zoom.z = Math.max(1, Math.min(MAX_ZOOM, z));
            var mx = Math.max(0, (box.offsetWidth * zoom.z - view.clientWidth) / 2 + 20);
            var my = Math.max(0, (box.offsetHeight * zoom.z - view.clientHeight) / 2 + 20);
            zoom.x = zoom.z === 1 ? 0 : Math.max(-mx, Math.min(mx, x || 0));
            zoom.y = zoom.z === 1 ? 0 : Math.max(-my, Math.min(my, y || 0));
            slide.querySelector('.zs-zoom').style.transform = zoom.z === 1 ? '' :
                'translate(' + zoom.x + 'px,' + zoom.y + 'px) scale(' + zoom.z + ')';
            root.classList.toggle('zs-zoomed', zoom.z > 1);
        }
        // Zoom to z keeping the page point that was under (fx, fy) at zoom "from" under (tx, ty);
        // points are relative to the middle of the view.
        function zoomAround(from, z, fx, fy, tx, ty) {
            var k = Math.max(1, Math.min(MAX_ZOOM, z)) / from.z;
            setZoom(z, tx - (fx - from.x) * k, ty - (fy - from.y) * k);
        }
        function fromMiddle(x, y) {
            var r = view.getBoundingClientRect();
            return { x: x - r.left - r.width / 2, y: y - r.top - r.height / 2 };
        }

        bookPages().then(function (list) {
            list.forEach(function (p, k) {
                var slide = document.createElement('figure');
                slide.className = 'zs-slide';
                var layer = document.createElement('div');
                layer.className = 'zs-zoom';
                var box = document.createElement('div');
                box.className = 'zs-page';
                var img = document.createElement('img');
                img.alt = t('page', { n: k + 1 });
                img.draggable = false;
                img.setAttribute('data-src', dir + p.file + '.jpg');
                img.addEventListener('load', function () { fit(slide); });
                box.appendChild(img);
                if (p.links.length) box.appendChild(linkLayer(p.links));
                layer.appendChild(box);
                slide.appendChild(layer);
                track.appendChild(slide);
                pages.push(slide);
            });
            var m = /[#&]p=(\d+)/.exec(location.hash);
            go(m ? parseInt(m[1], 10) - 1 : 0, false);
            root.setAttribute('data-zarvex-ready', 'true');
        });
        window.addEventListener('resize', function () {
            pages.forEach(fit);
            setZoom(zoom.z, zoom.x, zoom.y);
        });

        prevB.addEventListener('click', function () { go(index - 1, true); });
        nextB.addEventListener('click', function () { go(index + 1, true); });
        document.addEventListener('keydown', function (ev) {
            var map = { ArrowRight: 1, PageDown: 1, ' ': 1, ArrowLeft: -1, PageUp: -1 };
            if (ev.key === 'Escape' && zoom.z > 1) setZoom(1);
            else if (ev.key === 'Home') go(0, true);
            else if (ev.key === 'End') go(pages.length - 1, true);
            else if (map[ev.key]) go(index + map[ev.key], true);
            else return;
            ev.preventDefault();
        });

        // A gesture lasts from the first finger down to the last one up. Once a second finger
        // touched it is a pinch and never a swipe; a finger that moved is never a tap.
        var pts = {}, gesture = null, lastTap = null, swallowClick = false;
        view.addEventListener('pointerdown', function (ev) {
            pts[ev.pointerId] = { x: ev.clientX, y: ev.clientY };
            var ids = Object.keys(pts);
            if (ids.length === 1) {
                gesture = { x: ev.clientX, y: ev.clientY, zoom: { z: zoom.z, x: zoom.x, y: zoom.y }, moved: false, multi: false };
            } else if (gesture && ids.length === 2) {
                var a = pts[ids[0]], b = pts[ids[1]];
                gesture.multi = true;
                gesture.pinch = { d: Math.hypot(a.x - b.x, a.y - b.y) || 1, mid: fromMiddle((a.x + b.x) / 2, (a.y + b.y) / 2),
                                  zoom: { z: zoom.z, x: zoom.x, y: zoom.y } };
            }
        });
        view.addEventListener('pointermove', function (ev) {
            if (!pts[ev.pointerId] || !gesture) return;
            pts[ev.pointerId] = { x: ev.clientX, y: ev.clientY };
            var ids = Object.keys(pts);
            if (Math.hypot(ev.clientX - gesture.x, ev.clientY - gesture.y) > 10) gesture.moved = true;
            if (gesture.pinch && ids.length === 2) {
                var a = pts[ids[0]], b = pts[ids[1]], p = gesture.pinch;
                var mid = fromMiddle((a.x + b.x) / 2, (a.y + b.y) / 2);
                zoomAround(p.zoom, p.zoom.z * Math.hypot(a.x - b.x, a.y - b.y) / p.d, p.mid.x, p.mid.y, mid.x, mid.y);
            } else if (!gesture.multi && gesture.zoom.z > 1) {
                setZoom(zoom.z, gesture.zoom.x + ev.clientX - gesture.x, gesture.zoom.y + ev.clientY - gesture.y);
            }
        });
        var end = function (ev) {
            if (!pts[ev.pointerId] || !gesture) return;
            delete pts[ev.pointerId];
            if (Object.keys(pts).length) { gesture.pinch = null; return; }
            var g = gesture;
            gesture = null;
            if (g.moved || g.multi) swallowClick = true;
            if (g.multi || ev.type !== 'pointerup') return;
            var dx = ev.clientX - g.x, dy = ev.clientY - g.y;
            if (g.moved) {
                lastTap = null;
                if (g.zoom.z === 1 && Math.abs(dx) > 40 && Math.abs(dx) > Math.abs(dy)) go(index + (dx < 0 ? 1 : -1), true);
                return;
            }
            var now = Date.now();
            if (lastTap && now - lastTap.t < 350 && Math.hypot(ev.clientX - lastTap.x, ev.clientY - lastTap.y) < 30) {
                lastTap = null;
                var at = fromMiddle(ev.clientX, ev.clientY);
                if (zoom.z > 1) setZoom(1); else zoomAround(zoom, 2.5, at.x, at.y, at.x, at.y);
            } else {
                lastTap = { t: now, x: ev.clientX, y: ev.clientY };
            }
        };
        // Also when let go outside the view: a pointer left in the list would make the next
        // touch a pinch.
        window.addEventListener('pointerup', end);
        window.addEventListener('pointercancel', end);
        // A pan or a pinch that ends on a link does not follow it.
        view.addEventListener('click', function (ev) {
            if (!swallowClick) return;
            swallowClick = false;
            ev.preventDefault();
            ev.stopPropagation();
        }, true);
        view.addEventListener('pointerdown', function () { swallowClick = false; }, true);
    }

    if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
    else setTimeout(start, 0);
})();
