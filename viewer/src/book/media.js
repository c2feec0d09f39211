/* The media the page editor placed on a page, below its link areas: pictures, Flash
 * pictures, movies behind a play button and the page music's speaker toggle. Playing movies
 * and page music are kept by "page:item" key in ctx.movies and ctx.pageAudio. */
var BookMedia = (function () {
    var el = BookDom.el, icon = BookDom.icon;

    function layer(ctx, page) {
        var layerEl = el('div', 'zv-media');
        page.media.forEach(function (m, k) {
            if (ctx.brokenMedia[m.src]) return;
            var key = page.number + ':' + k;
            var box = el('div', 'zv-media-item zv-media-' + m.kind, { 'data-media': m.kind });
            box.style.left = (m.x * 100) + '%';
            box.style.top = (m.y * 100) + '%';
            box.style.width = (m.width * 100) + '%';
            box.style.height = (m.height * 100) + '%';
            if (m.kind === 'movie') moviePlace(ctx, box, m, key);
            else if (m.kind === 'music') musicToggle(ctx, box, key);
            else picture(ctx, box, m);
            layerEl.appendChild(box);
        });
        return layerEl;
    }

    function failed(ctx, src) {
        ctx.brokenMedia[src] = true;
        var boxes = ctx.root.querySelectorAll('.zv-media-item');
        for (var i = 0; i < boxes.length; i++) if (boxes[i].zvSrc === src) boxes[i].remove();
    }

    // A picture, or the picture inside a Flash file; shown once loaded, so a file that cannot
    // be read leaves the page as it was.
    function picture(ctx, box, m) {
        var img = el('img', 'zv-media-pic', { alt: '', draggable: 'false' });
        box.zvSrc = m.src;
        box.appendChild(img);
        img.onload = function () { box.classList.add('zv-loaded'); };
        img.onerror = function () { failed(ctx, m.src); };
        if (m.kind !== 'flash') { img.src = BookDom.url(ctx, m.src); return; }
        if (!ctx.flashPictures[m.src]) {
            ctx.flashPictures[m.src] = ZarvexDecode.loadBytes(BookDom.url(ctx, m.src)).then(ZarvexDecode.jpegFromSwf)
                .then(function (blob) { return URL.createObjectURL(blob); }, function () { return ''; });
        }
        ctx.flashPictures[m.src].then(function (src) {
            if (src) img.src = src; else failed(ctx, m.src);
        });
    }

    function moviePlace(ctx, box, m, key) {
        box.zvSrc = m.src;
        if (ctx.movies[key]) { box.appendChild(ctx.movies[key]); return; }
        var b = el('button', 'zv-media-play', { type: 'button', 'aria-label': ctx.t('playMovie'), title: ctx.t('playMovie') });
        b.appendChild(icon('Play'));
        b.addEventListener('click', function () { playMovie(ctx, box, m, key); });
        box.appendChild(b);
    }
    function playMovie(ctx, box, m, key) {
        var v = el('video', 'zv-media-video', { controls: '', playsinline: '' });
        v.addEventListener('error', function () {
            if (ctx.movies[key] === v) delete ctx.movies[key];
            failed(ctx, m.src);
        });
        // Drags on the movie work its controls instead of turning the page.
        v.addEventListener('pointerdown', function (ev) { ev.stopPropagation(); });
        v.src = BookDom.url(ctx, m.src);
        ctx.movies[key] = v;
        box.textContent = '';
        box.appendChild(v);
        v.focus();
        var p = v.play();
        if (p && p.catch) p.catch(function () {});
    }

    function musicToggle(ctx, box, key) {
        box.zvSrc = musicItem(ctx, key).src;
        var b = el('button', 'zv-media-sound', { type: 'button', 'aria-label': ctx.t('pageMusic'), title: ctx.t('pageMusic'),
                                                  'aria-pressed': String(musicWanted(ctx, key)), 'data-media-key': key });
        b.appendChild(icon('BackgroundSound'));
        b.addEventListener('click', function () {
            if (musicWanted(ctx, key)) ctx.musicOff[key] = true;
            else { delete ctx.musicOff[key]; delete ctx.musicDone[key]; }
            sync(ctx);
        });
        box.appendChild(b);
    }
    function musicItem(ctx, key) {
        var at = key.split(':');
        return ctx.model.pages[at[0] - 1].media[at[1]];
    }
    function musicWanted(ctx, key) {
        return !ctx.musicOff[key] && !ctx.musicDone[key] && !ctx.brokenMedia[musicItem(ctx, key).src];
    }

    /* Media follow the pages on screen: movies and music of pages turned away stop, the music
     * of the pages shown plays (once the browser allows sound), and the book's own music waits
     * while page music plays. */
    function sync(ctx) {
        var shown = {}, playing = false;
        BookLayout.spreadPages(ctx, ctx.spread).pages.forEach(function (n) { shown[n] = true; });
        Object.keys(ctx.movies).forEach(function (key) {
            if (shown[key.split(':')[0]]) return;
            var v = ctx.movies[key];
            delete ctx.movies[key];
            v.pause();
            v.removeAttribute('src');
            v.load();
        });
        Object.keys(ctx.pageAudio).forEach(function (key) {
            var a = ctx.pageAudio[key];
            if (shown[key.split(':')[0]] && musicWanted(ctx, key)) return;
            a.pause();
            if (!shown[key.split(':')[0]]) {
                a.currentTime = 0;
                delete ctx.musicDone[key];
            }
        });
        Object.keys(shown).forEach(function (n) {
            (ctx.model.pages[n - 1].media || []).forEach(function (m, k) {
                var key = n + ':' + k;
                if (m.kind !== 'music' || !musicWanted(ctx, key)) return;
                playing = true;
                var a = ctx.pageAudio[key] || pageMusic(ctx, key, m);
                if (!a.paused) return;
                // Where sound must wait for the reader's first gesture, BookSound.startOnGesture retries.
                var p = a.play();
                if (p && p.catch) p.catch(function () {});
            });
        });
        var toggles = ctx.root.querySelectorAll('.zv-media-sound');
        for (var i = 0; i < toggles.length; i++) {
            toggles[i].setAttribute('aria-pressed', String(musicWanted(ctx, toggles[i].getAttribute('data-media-key'))));
        }
        BookSound.yieldToPageMusic(ctx, playing);
    }
    function pageMusic(ctx, key, m) {
        var a = ctx.pageAudio[key] = new Audio(BookDom.url(ctx, m.src));
        a.className = 'zv-page-music';
        a.setAttribute('data-media-key', key);
        a.addEventListener('ended', function () { ctx.musicDone[key] = true; sync(ctx); });
        a.addEventListener('error', function () {
            delete ctx.pageAudio[key];
            a.remove();
            failed(ctx, m.src);
            sync(ctx);
        });
        ctx.root.appendChild(a);
        return a;
    }

    return { layer: layer, sync: sync };
})();
