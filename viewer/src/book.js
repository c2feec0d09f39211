/* Zarvex book viewer: a two-page spread (one page on narrow screens) with a page-turning
 * effect, thumbnails, zoom, full screen, keyboard, wheel and touch control, clickable link
 * areas, the book's colours, background, logo, music, flip sound and auto flip.
 * Pages turn only from the buttons, the keyboard, the wheel, a swipe or the page edges,
 * so link areas inside a page stay clickable. */
var ZarvexBook = (function () {
    'use strict';

    var BUTTONS = ['Thumbnail', 'Zoom', 'TiltAngle', 'AutoPlay', 'BackgroundSound', 'FullScreen',
                   'Bookmark', 'Share', 'Print', 'Download', 'Info', 'Help'];
    var LABELS = {
        First: 'First page', Prev: 'Previous page', Next: 'Next page', Last: 'Last page',
        Thumbnail: 'Thumbnails', Zoom: 'Zoom', TiltAngle: 'Tilt the book', AutoPlay: 'Auto flip',
        BackgroundSound: 'Background music', FullScreen: 'Full screen', Bookmark: 'Bookmarks',
        Share: 'Share a link to this page', Print: 'Print', Download: 'Download', Info: 'About this book',
        Help: 'Help',
    };
    var ICONS = {
        First: 'M6 5v14M19 5l-9 7 9 7z',
        Prev: 'M15 5l-8 7 8 7',
        Next: 'M9 5l8 7-8 7',
        Last: 'M18 5v14M5 5l9 7-9 7z',
        Thumbnail: 'M4 4h6v6H4zM14 4h6v6h-6zM4 14h6v6H4zM14 14h6v6h-6z',
        Zoom: 'M10.5 4a6.5 6.5 0 1 0 0 13 6.5 6.5 0 0 0 0-13zM15.5 15.5L21 21M10.5 7.5v6M7.5 10.5h6',
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
    var DURATION = 650;

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
    function storage() {
        try { return window.localStorage; } catch (e) { return null; }
    }
    function reducedMotion() {
        return !!(window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)').matches);
    }

    /* host: the element the viewer fills. model: from ZarvexDecode.parseBook (or an adapter).
     * opts.base: address of the resource folder that the model's addresses are relative to;
     * opts.look: template name; opts.mobile: prefer a single page in portrait. */
    function Book(host, model, opts) {
        this.host = host;
        this.model = model;
        this.opts = opts || {};
        this.base = this.opts.base || '';
        this.count = model.pages.length;
        this.rtl = !!model.rtl;
        this.hidden = {};
        var self = this;
        (model.hidden || []).forEach(function (h) { self.hidden[h] = true; });
        this.spread = 0;
        this.zoom = 1; this.panX = 0; this.panY = 0;
        this.srcCache = {};
        this.srcOrder = [];
        this.swfFailed = false;
        this.busy = null;
        // Media of the pages: playing movies and page music by "page:item" key, the page music
        // the reader switched off or that has ended, and the files that failed to load.
        this.movies = {}; this.pageAudio = {}; this.musicOff = {}; this.musicDone = {};
        this.brokenMedia = {}; this.flashPictures = {};
        this.storeKey = 'zarvex.lastPage:' + (this.opts.bookId || location.pathname);
        if (!this.count) {
            var box = el('div', 'zv-error', { role: 'alert' });
            box.textContent = 'This book has no pages.';
            host.textContent = '';
            host.appendChild(box);
            host.setAttribute('data-zarvex-error', 'no pages');
            return;
        }
        this.build();
        this.layout();
        var start = this.pageFromHash() || this.savedPage() || 1;
        this.show(this.spreadOf(start), false);
        this.bindEvents();
        if (model.autoFlip && model.autoFlip.enable) this.setAutoPlay(true);
        host.setAttribute('data-zarvex-ready', 'true');
    }

    Book.prototype.build = function () {
        var m = this.model, self = this;
        if (m.music && m.music.src) {
            // Browsers let sound start only after the reader's first gesture (startMusicOnGesture).
            this.audio = new Audio(this.url(m.music.src));
            this.audio.loop = !!m.music.loop;
            this.musicOn = true;
        }
        var root = this.root = el('div', 'zv-root zv-look-' + (this.opts.look || 'classic') +
                                  (this.opts.mobile ? ' zv-mobile' : ''));
        root.setAttribute('dir', this.rtl ? 'rtl' : 'ltr');
        root.setAttribute('lang', document.documentElement.lang || 'en');
        root.style.setProperty('--zv-base', m.baseColor || '#804000');
        var baseN = parseInt((m.baseColor || '#804000').slice(1), 16);
        root.style.setProperty('--zv-base-rgb', [(baseN >> 16) & 255, (baseN >> 8) & 255, baseN & 255].join(', '));
        root.style.setProperty('--zv-on-base', luminance(m.baseColor || '#804000') > 0.6 ? '#111' : '#fff');
        this.applyBackground();

        var top = el('header', 'zv-top');
        if (m.logo && m.logo.src && m.logo.show) {
            var logo = el(m.logo.link ? 'a' : 'span', 'zv-logo');
            if (m.logo.link) { logo.href = m.logo.link; logo.target = '_blank'; logo.rel = 'noopener'; }
            var li = el('img', '', { alt: m.logo.link ? 'Logo (opens the web site)' : 'Logo' });
            li.src = this.url(m.logo.src);
            logo.appendChild(li);
            top.appendChild(logo);
        }
        var title = el('h1', 'zv-title');
        title.textContent = m.title || '';
        top.appendChild(title);
        root.appendChild(top);

        this.notice = el('div', 'zv-notice', { role: 'alert' });
        this.notice.hidden = true;
        root.appendChild(this.notice);

        var stage = this.stage = el('div', 'zv-stage');
        this.zoomEl = el('div', 'zv-zoom');
        this.bookEl = el('div', 'zv-book', { role: 'region', 'aria-label': 'Book' });
        this.leftSlot = el('div', 'zv-slot zv-left');
        this.rightSlot = el('div', 'zv-slot zv-right');
        this.bookEl.appendChild(this.leftSlot);
        this.bookEl.appendChild(this.rightSlot);
        this.zoomEl.appendChild(this.bookEl);
        stage.appendChild(this.zoomEl);
        root.appendChild(stage);

        this.thumbs = el('nav', 'zv-thumbs', { 'aria-label': 'Thumbnails' });
        this.thumbs.hidden = true;
        root.appendChild(this.thumbs);

        var bar = this.bar = el('div', 'zv-bar', { role: 'toolbar', 'aria-label': 'Book controls' });
        this.buttons = {};
        var nav = el('div', 'zv-nav');
        // In a right-to-left book the page's direction mirrors this row, so Next sits on the left.
        ['First', 'Prev', 'Next', 'Last'].forEach(function (n) { nav.appendChild(self.button(n)); });
        this.counter = el('input', 'zv-counter', { type: 'text', inputmode: 'numeric', 'aria-label': 'Page number' });
        this.total = el('span', 'zv-total');
        this.total.textContent = '/ ' + this.count;
        var counterBox = el('label', 'zv-counterbox');
        counterBox.appendChild(this.counter);
        counterBox.appendChild(this.total);
        nav.insertBefore(counterBox, nav.children[2]);
        bar.appendChild(nav);
        var tools = el('div', 'zv-tools');
        BUTTONS.forEach(function (n) {
            if (self.hidden[n]) return;
            if (n === 'BackgroundSound' && !(m.music && m.music.src)) return;
            if (n === 'Download' && !m.download) return;
            if (n === 'FullScreen' && !(document.fullscreenEnabled || document.webkitFullscreenEnabled)) return;
            tools.appendChild(self.button(n));
        });
        bar.appendChild(tools);
        root.appendChild(bar);

        this.live = el('div', 'zv-live', { 'aria-live': 'polite', 'aria-atomic': 'true' });
        root.appendChild(this.live);
        this.dialog = el('div', 'zv-dialog', { role: 'dialog', 'aria-modal': 'true' });
        this.dialog.hidden = true;
        root.appendChild(this.dialog);
        this.toast = el('div', 'zv-toast', { role: 'status' });
        root.appendChild(this.toast);

        if (this.audio) {
            this.audio.className = 'zv-music';
            this.audio.preload = 'none';
            root.appendChild(this.audio);
        }
        if (m.panorama) this.buildPanorama(m.panorama);
        this.host.textContent = '';
        this.host.appendChild(root);
        this.buildThumbs();
    };

    // A slowly turning cube of the six panorama faces behind the book.
    Book.prototype.buildPanorama = function (faces) {
        var pano = el('div', 'zv-pano', { 'aria-hidden': 'true' });
        var cube = el('div', 'zv-cube');
        var self = this;
        ['front', 'back', 'left', 'right', 'top', 'bottom'].forEach(function (f) {
            if (!faces[f]) return;
            var face = el('div', 'zv-cube-face zv-cube-' + f);
            face.style.backgroundImage = 'url("' + self.url(faces[f]).replace(/"/g, '%22') + '")';
            cube.appendChild(face);
        });
        pano.appendChild(cube);
        this.root.insertBefore(pano, this.root.firstChild);
        this.root.classList.add('zv-has-pano');
    };

    Book.prototype.url = function (rel) {
        if (!rel) return '';
        if (/^([a-z][a-z0-9+.-]*:|\/)/i.test(rel)) return rel;
        return this.base + rel;
    };

    Book.prototype.button = function (name) {
        var b = el('button', 'zv-btn zv-btn-' + name.toLowerCase(),
                   { type: 'button', 'data-button': name, 'aria-label': LABELS[name] || name, title: LABELS[name] || name });
        b.appendChild(icon(name));
        if (['Thumbnail', 'Zoom', 'TiltAngle', 'AutoPlay', 'BackgroundSound'].indexOf(name) >= 0) {
            b.setAttribute('aria-pressed', String(name === 'BackgroundSound' && !!this.musicOn));
        }
        var self = this;
        b.addEventListener('click', function () { self.command(name, b); });
        this.buttons[name] = b;
        return b;
    };

    Book.prototype.applyBackground = function () {
        var bg = this.model.background || {}, s = this.root.style;
        var type = String(bg.type || '').toLowerCase();
        var layers = [];
        if (bg.image) {
            layers.push('url("' + this.url(bg.image).replace(/"/g, '%22') + '")');
            var pos = String(bg.position || 'Fill').toLowerCase();
            var size = { fill: 'cover', fit: 'contain', stretch: '100% 100%', tile: 'auto', center: 'auto' }[pos] || 'cover';
            var repeat = pos === 'tile' ? 'repeat' : 'no-repeat';
            s.setProperty('--zv-bg-size', size + ', auto');
            s.setProperty('--zv-bg-repeat', repeat + ', no-repeat');
        }
        if (type.indexOf('gradient') >= 0 || (!type && !bg.image)) {
            layers.push('linear-gradient(' + ((bg.angle || 0) + 90) + 'deg, ' + bg.start + ', ' + bg.end + ')');
        } else {
            layers.push('linear-gradient(' + bg.color + ', ' + bg.color + ')');
        }
        s.setProperty('--zv-bg', layers.join(', '));
        // Text drawn straight on the background (the bars of some looks) follows its brightness;
        // a style's background picture is expected to match its colours.
        var light = type.indexOf('gradient') >= 0 ? (luminance(bg.start) + luminance(bg.end)) / 2 : luminance(bg.color);
        this.root.classList.toggle('zv-bg-light', light > 0.6);
        s.setProperty('--zv-bg-color', type.indexOf('gradient') >= 0 ? bg.start : bg.color);
    };

    /* Spreads: in two-page mode the first page is the cover, alone on the front side. */
    Book.prototype.twoUp = function () { return this.mode === 2; };
    Book.prototype.spreadCount = function () {
        return this.twoUp() ? Math.floor(this.count / 2) + 1 : this.count;
    };
    Book.prototype.spreadPages = function (i) {
        if (!this.twoUp()) return { first: i + 1, second: 0, pages: [i + 1] };
        var a = i === 0 ? 0 : 2 * i, b = 2 * i + 1 > this.count ? 0 : 2 * i + 1;
        var pages = [a, b].filter(function (p) { return p > 0; });
        return { first: a, second: b, pages: pages };
    };
    // The page shown on a side of the screen: the reading order runs right to left in RTL books.
    Book.prototype.sidePage = function (i, side) {
        var s = this.spreadPages(i);
        if (!this.twoUp()) return side === 'right' ? s.first : 0;
        var front = this.rtl ? 'right' : 'left';
        return side === front ? s.first : s.second;
    };
    Book.prototype.spreadOf = function (page) {
        page = Math.max(1, Math.min(this.count, page | 0));
        return this.twoUp() ? Math.floor(page / 2) : page - 1;
    };
    Book.prototype.currentPages = function () { return this.spreadPages(this.spread).pages; };

    Book.prototype.layout = function () {
        var m = this.model;
        var stage = this.stage.getBoundingClientRect();
        var sw = Math.max(stage.width, 100), sh = Math.max(stage.height, 100);
        var ar = m.pageWidth > 0 && m.pageHeight > 0 ? m.pageWidth / m.pageHeight : (this.naturalRatio || 0.75);
        var oldMode = this.mode;
        var keep = oldMode ? this.currentPages()[0] : 0;
        var two = this.count > 1 && (this.opts.mobile ? sw > sh : sw / sh > ar * 1.25);
        this.mode = two ? 2 : 1;
        var bookW = (two ? 2 : 1) * ar, bookH = 1;
        var f = Math.min(sw * 0.96 / bookW, sh * 0.96 / bookH);
        var pw = Math.floor(ar * f), ph = Math.floor(f);
        this.pageW = pw; this.pageH = ph;
        this.bookEl.style.width = (two ? 2 * pw : pw) + 'px';
        this.bookEl.style.height = ph + 'px';
        this.root.classList.toggle('zv-single', !two);
        if (oldMode && oldMode !== this.mode) {
            this.spread = this.spreadOf(keep || 1);
            this.render();
        }
    };

    Book.prototype.pageEl = function (n) {
        var p = el('div', 'zv-page');
        if (!n) { p.classList.add('zv-blank'); return p; }
        var page = this.model.pages[n - 1];
        p.setAttribute('data-page', String(n));
        p.classList.add(n % 2 === 0 ? 'zv-even' : 'zv-odd');
        var img = el('img', 'zv-img', { alt: 'Page ' + n, draggable: 'false' });
        p.appendChild(img);
        this.loadInto(img, page);
        if (page.media && page.media.length) p.appendChild(this.mediaLayer(page));
        var links = el('div', 'zv-links');
        var self = this;
        page.links.forEach(function (l) {
            var a = el('a', 'zv-link');
            a.style.left = (l.x * 100) + '%';
            a.style.top = (l.y * 100) + '%';
            a.style.width = (l.width * 100) + '%';
            a.style.height = (l.height * 100) + '%';
            if (l.page) {
                a.href = '#p=' + l.page;
                a.setAttribute('aria-label', 'Go to page ' + l.page);
                a.setAttribute('data-link-page', String(l.page));
                a.addEventListener('click', function (ev) {
                    ev.preventDefault();
                    self.userGo(self.spreadOf(l.page));
                });
            } else {
                a.href = l.href;
                a.target = '_blank';
                a.rel = 'noopener noreferrer';
                a.setAttribute('aria-label', 'Link: ' + l.href);
            }
            links.appendChild(a);
        });
        p.appendChild(links);
        return p;
    };

    /* The media the page editor placed on a page, below its link areas: pictures, Flash
     * pictures, movies behind a play button and the page music's speaker toggle. */
    Book.prototype.mediaLayer = function (page) {
        var layer = el('div', 'zv-media'), self = this;
        page.media.forEach(function (m, k) {
            if (self.brokenMedia[m.src]) return;
            var key = page.number + ':' + k;
            var box = el('div', 'zv-media-item zv-media-' + m.kind, { 'data-media': m.kind });
            box.style.left = (m.x * 100) + '%';
            box.style.top = (m.y * 100) + '%';
            box.style.width = (m.width * 100) + '%';
            box.style.height = (m.height * 100) + '%';
            if (m.kind === 'movie') self.moviePlace(box, m, key);
            else if (m.kind === 'music') self.musicToggle(box, key);
            else self.mediaPicture(box, m);
            layer.appendChild(box);
        });
        return layer;
    };

    Book.prototype.mediaFailed = function (src) {
        this.brokenMedia[src] = true;
        var boxes = this.root.querySelectorAll('.zv-media-item');
        for (var i = 0; i < boxes.length; i++) if (boxes[i].zvSrc === src) boxes[i].remove();
    };

    // A picture, or the picture inside a Flash file; shown once loaded, so a file that cannot
    // be read leaves the page as it was.
    Book.prototype.mediaPicture = function (box, m) {
        var self = this;
        var img = el('img', 'zv-media-pic', { alt: '', draggable: 'false' });
        box.zvSrc = m.src;
        box.appendChild(img);
        img.onload = function () { box.classList.add('zv-loaded'); };
        img.onerror = function () { self.mediaFailed(m.src); };
        if (m.kind !== 'flash') { img.src = this.url(m.src); return; }
        if (!this.flashPictures[m.src]) {
            this.flashPictures[m.src] = ZarvexDecode.loadBytes(this.url(m.src)).then(ZarvexDecode.jpegFromSwf)
                .then(function (blob) { return URL.createObjectURL(blob); }, function () { return ''; });
        }
        this.flashPictures[m.src].then(function (src) {
            if (src) img.src = src; else self.mediaFailed(m.src);
        });
    };

    Book.prototype.moviePlace = function (box, m, key) {
        var self = this;
        box.zvSrc = m.src;
        if (this.movies[key]) { box.appendChild(this.movies[key]); return; }
        var b = el('button', 'zv-media-play', { type: 'button', 'aria-label': 'Play the movie', title: 'Play the movie' });
        b.appendChild(icon('Play'));
        b.addEventListener('click', function () { self.playMovie(box, m, key); });
        box.appendChild(b);
    };
    Book.prototype.playMovie = function (box, m, key) {
        var self = this;
        var v = el('video', 'zv-media-video', { controls: '', playsinline: '' });
        v.addEventListener('error', function () {
            if (self.movies[key] === v) delete self.movies[key];
            self.mediaFailed(m.src);
        });
        // Drags on the movie work its controls instead of turning the page.
        v.addEventListener('pointerdown', function (ev) { ev.stopPropagation(); });
        v.src = this.url(m.src);
        this.movies[key] = v;
        box.textContent = '';
        box.appendChild(v);
        v.focus();
        var p = v.play();
        if (p && p.catch) p.catch(function () {});
    };

    Book.prototype.musicToggle = function (box, key) {
        var self = this;
        box.zvSrc = this.musicItem(key).src;
        var b = el('button', 'zv-media-sound', { type: 'button', 'aria-label': 'Page music', title: 'Page music',
                                                  'aria-pressed': String(this.musicWanted(key)), 'data-media-key': key });
        b.appendChild(icon('BackgroundSound'));
        b.addEventListener('click', function () {
            if (self.musicWanted(key)) self.musicOff[key] = true;
            else { delete self.musicOff[key]; delete self.musicDone[key]; }
            self.syncMedia();
        });
        box.appendChild(b);
    };
    Book.prototype.musicItem = function (key) {
        var at = key.split(':');
        return this.model.pages[at[0] - 1].media[at[1]];
    };
    Book.prototype.musicWanted = function (key) {
        return !this.musicOff[key] && !this.musicDone[key] && !this.brokenMedia[this.musicItem(key).src];
    };

    /* Media follow the pages on screen: movies and music of pages turned away stop, the music
     * of the pages shown plays (once the browser allows sound), and the book's own music waits
     * while page music plays. */
    Book.prototype.syncMedia = function () {
        var self = this, shown = {}, playing = false;
        this.spreadPages(this.spread).pages.forEach(function (n) { shown[n] = true; });
        Object.keys(this.movies).forEach(function (key) {
            if (shown[key.split(':')[0]]) return;
            var v = self.movies[key];
            delete self.movies[key];
            v.pause();
            v.removeAttribute('src');
            v.load();
        });
        Object.keys(this.pageAudio).forEach(function (key) {
            var a = self.pageAudio[key];
            if (shown[key.split(':')[0]] && self.musicWanted(key)) return;
            a.pause();
            if (!shown[key.split(':')[0]]) {
                a.currentTime = 0;
                delete self.musicDone[key];
            }
        });
        Object.keys(shown).forEach(function (n) {
            (self.model.pages[n - 1].media || []).forEach(function (m, k) {
                var key = n + ':' + k;
                if (m.kind !== 'music' || !self.musicWanted(key)) return;
                playing = true;
                var a = self.pageAudio[key] || self.pageMusic(key, m);
                if (!a.paused) return;
                // Where sound must wait for the reader's first gesture, startMusicOnGesture retries.
                var p = a.play();
                if (p && p.catch) p.catch(function () {});
            });
        });
        var toggles = this.root.querySelectorAll('.zv-media-sound');
        for (var i = 0; i < toggles.length; i++) {
            toggles[i].setAttribute('aria-pressed', String(this.musicWanted(toggles[i].getAttribute('data-media-key'))));
        }
        this.pageMusicWanted = playing;
        if (!this.audio) return;
        if (playing) this.audio.pause();
        else if (this.musicOn && this.musicStarted && this.audio.paused) this.playMusic();
    };
    Book.prototype.pageMusic = function (key, m) {
        var self = this;
        var a = this.pageAudio[key] = new Audio(this.url(m.src));
        a.className = 'zv-page-music';
        a.setAttribute('data-media-key', key);
        a.addEventListener('ended', function () { self.musicDone[key] = true; self.syncMedia(); });
        a.addEventListener('error', function () {
            delete self.pageAudio[key];
            a.remove();
            self.mediaFailed(m.src);
            self.syncMedia();
        });
        this.root.appendChild(a);
        return a;
    };

    /* Page picture address: image pages directly, Flash pages through their JPEG. */
    Book.prototype.pageSrc = function (page) {
        var self = this, rel = page.normal;
        if (!/\.swf$/i.test(rel)) return Promise.resolve(this.url(rel));
        if (this.srcCache[rel]) return this.srcCache[rel];
        var p = ZarvexDecode.loadBytes(this.url(rel)).then(ZarvexDecode.jpegFromSwf).then(function (blob) {
            return URL.createObjectURL(blob);
        }).catch(function (e) {
            self.swfUnreadable(e);
            return self.url(page.thumb && !/\.swf$/i.test(page.thumb) ? page.thumb : '');
        });
        this.srcCache[rel] = p;
        this.srcOrder.push(rel);
        this.trimCache();
        return p;
    };

    // Pictures taken out of Flash pages are kept for the pages around the reader only, so a
    // long book read to the end does not hold every page in memory.
    Book.prototype.trimCache = function () {
        var keep = {}, self = this, limit = 40;
        for (var d = -3; d <= 3; d++) {
            var i = this.spread + d;
            if (i >= 0 && i < this.spreadCount()) {
                this.spreadPages(i).pages.forEach(function (n) { keep[self.model.pages[n - 1].normal] = true; });
            }
        }
        for (var k = 0; k < this.srcOrder.length && this.srcOrder.length > limit;) {
            var rel = this.srcOrder[k];
            if (keep[rel]) { k++; continue; }
            this.srcOrder.splice(k, 1);
            var old = this.srcCache[rel];
            delete this.srcCache[rel];
            old.then(function (u) { if (/^blob:/.test(u)) URL.revokeObjectURL(u); });
        }
    };

    Book.prototype.loadInto = function (img, page) {
        var self = this;
        this.pageSrc(page).then(function (src) {
            if (!src) return;
            img.onload = function () {
                if (!self.naturalRatio && img.naturalHeight) {
                    self.naturalRatio = img.naturalWidth / img.naturalHeight;
                    if (!(self.model.pageWidth > 0)) self.layout();
                }
                img.parentNode && img.parentNode.classList.add('zv-loaded');
            };
            img.src = src;
        });
    };

    Book.prototype.swfUnreadable = function (err) {
        if (this.swfFailed) return;
        this.swfFailed = true;
        var fromDisk = location.protocol === 'file:';
        this.notice.hidden = false;
        this.notice.textContent = fromDisk
            ? 'The pages of this book are Flash files, which a browser cannot read from a folder on disk. ' +
              'Open the book through a web server to read it in full: for example run "python3 -m http.server" ' +
              'in the book\'s folder and open http://localhost:8000/ in the browser. The small page pictures are shown meanwhile.'
            : 'Some pages of this book could not be read (' + (err && err.message || 'unknown error') + '). ' +
              'The small page pictures are shown instead.';
        this.root.classList.add('zv-has-notice');
        this.layout();
    };

    Book.prototype.render = function () {
        this.leftSlot.textContent = '';
        this.rightSlot.textContent = '';
        if (this.twoUp()) {
            this.leftSlot.appendChild(this.pageEl(this.sidePage(this.spread, 'left')));
            this.rightSlot.appendChild(this.pageEl(this.sidePage(this.spread, 'right')));
            this.addEdges(this.leftSlot, 'left');
            this.addEdges(this.rightSlot, 'right');
        } else {
            this.rightSlot.appendChild(this.pageEl(this.spreadPages(this.spread).first));
            this.addEdges(this.rightSlot, 'left');
            this.addEdges(this.rightSlot, 'right');
        }
        this.afterChange();
    };

    // The outer edges of the spread turn pages; the rest of a page is left to its links.
    Book.prototype.addEdges = function (slot, side) {
        var self = this;
        var page = slot.firstChild;
        if (!page || page.classList.contains('zv-blank')) return;
        var edge = el('div', 'zv-edge zv-edge-' + side, { 'aria-hidden': 'true' });
        edge.addEventListener('click', function (ev) {
            ev.stopPropagation();
            if (self.zoom > 1) return;
            self.visualTurn(side);
        });
        page.appendChild(edge);
    };

    Book.prototype.afterChange = function () {
        var s = this.spreadPages(this.spread), n = this.count;
        var pages = s.pages;
        this.counter.value = pages.length > 1 ? pages[0] + '-' + pages[1] : String(pages[0] || 1);
        this.live.textContent = pages.length > 1
            ? 'Pages ' + pages[0] + ' and ' + pages[1] + ' of ' + n
            : 'Page ' + (pages[0] || 1) + ' of ' + n;
        var atStart = this.spread === 0, atEnd = this.spread >= this.spreadCount() - 1;
        ['First', 'Prev'].forEach(function (b) { this.buttons[b].disabled = atStart; }, this);
        ['Next', 'Last'].forEach(function (b) { this.buttons[b].disabled = atEnd; }, this);
        this.root.setAttribute('data-pages', pages.join(','));
        this.syncMedia();
        var first = pages[0] || 1;
        if (this.opts.updateHash !== false) {
            try { history.replaceState(null, '', '#p=' + first); } catch (e) { /* sandboxed */ }
        }
        var st = storage();
        if (st) try { st.setItem(this.storeKey, String(first)); } catch (e) { /* full or denied */ }
        var items = this.thumbs.querySelectorAll('.zv-thumb');
        for (var i = 0; i < items.length; i++) {
            var on = pages.indexOf(i + 1) >= 0;
            if (on) items[i].setAttribute('aria-current', 'page'); else items[i].removeAttribute('aria-current');
        }
        this.preload();
    };

    Book.prototype.preload = function () {
        var self = this, want = [];
        for (var d = -2; d <= 2; d++) {
            var i = this.spread + d;
            if (i >= 0 && i < this.spreadCount()) want = want.concat(this.spreadPages(i).pages);
        }
        want.forEach(function (n) {
            self.pageSrc(self.model.pages[n - 1]).then(function (src) {
                if (src && !/^blob:/.test(src)) { var im = new Image(); im.src = src; }
            });
        });
    };

    Book.prototype.show = function (i, animate, dir) {
        i = Math.max(0, Math.min(this.spreadCount() - 1, i));
        if (this.busy) this.busy.finish();
        var from = this.spread;
        this.spread = i;
        this.syncMedia();
        if (!animate || i === from || !this.pageW) { this.render(); return; }
        if (this.model.flipSound) this.flipSound();
        if (reducedMotion()) this.fade(); else this.flip(from, i, dir || (i > from ? 1 : -1));
    };

    Book.prototype.fade = function () {
        var old = this.bookEl.cloneNode(true);
        old.classList.add('zv-fadeout');
        old.setAttribute('aria-hidden', 'true');
        Array.prototype.forEach.call(old.querySelectorAll('video'), function (v) { v.remove(); });
        this.render();
        this.zoomEl.appendChild(old);
        var anim = old.animate ? old.animate([{ opacity: 1 }, { opacity: 0 }], { duration: 200 }) : null;
        var done = function () { old.remove(); };
        if (anim) anim.onfinish = done; else done();
    };

    Book.prototype.flip = function (from, to, dir) {
        var self = this, two = this.twoUp();
        var forward = dir > 0;
        var side = two ? ((forward !== this.rtl) ? 'right' : 'left') : 'right';
        var other = side === 'right' ? 'left' : 'right';
        var slot = side === 'right' ? this.rightSlot : this.leftSlot;
        var leaf = el('div', 'zv-leaf zv-leaf-' + side);
        leaf.style.left = (two && side === 'right' ? this.pageW : 0) + 'px';
        leaf.style.width = this.pageW + 'px';
        var front = el('div', 'zv-face zv-front'), back = el('div', 'zv-face zv-back');
        var shade = el('div', 'zv-shade');
        if (two) {
            front.appendChild(this.pageEl(this.sidePage(from, side)));
            back.appendChild(this.pageEl(this.sidePage(to, other)));
            slot.textContent = '';
            slot.appendChild(this.pageEl(this.sidePage(to, side)));
        } else {
            // One page at a time: forward lifts the old page away, backward lays the new one down.
            var oldP = this.spreadPages(from).first, newP = this.spreadPages(to).first;
            front.appendChild(this.pageEl(forward ? oldP : newP));
            slot.textContent = '';
            slot.appendChild(this.pageEl(forward ? newP : oldP));
        }
        front.appendChild(shade);
        leaf.appendChild(front);
        leaf.appendChild(back);
        this.bookEl.appendChild(leaf);
        // The leaf hinges on the spine; a single page hinges on its binding edge.
        var hingeLeft = two ? side === 'right' : !this.rtl;
        var sign = hingeLeft ? -1 : 1;
        leaf.style.transformOrigin = (hingeLeft ? 'left' : 'right') + ' center';
        var frames, shadeFrames;
        if (two) {
            frames = [{ transform: 'perspective(3200px) rotateY(0deg)' }, { transform: 'perspective(3200px) rotateY(' + (sign * 180) + 'deg)' }];
        } else if (forward) {
            frames = [{ transform: 'perspective(3200px) rotateY(0deg)', opacity: 1 }, { transform: 'perspective(3200px) rotateY(' + (sign * 100) + 'deg)', opacity: 0.2 }];
        } else {
            frames = [{ transform: 'perspective(3200px) rotateY(' + (sign * 100) + 'deg)', opacity: 0.2 }, { transform: 'perspective(3200px) rotateY(0deg)', opacity: 1 }];
        }
        shadeFrames = [{ opacity: 0 }, { opacity: 0.45 }];
        var finished = false;
        var finish = function () {
            if (finished) return;
            finished = true;
            if (anim) try { anim.cancel(); } catch (e) { /* already done */ }
            leaf.remove();
            self.busy = null;
            self.render();
        };
        var anim = leaf.animate ? leaf.animate(frames, { duration: DURATION, easing: 'ease-in-out', fill: 'forwards' }) : null;
        if (shade.animate) shade.animate(shadeFrames, { duration: DURATION, fill: 'forwards' });
        this.busy = { finish: finish };
        if (anim) anim.onfinish = finish; else finish();
        this.afterChange();
    };

    Book.prototype.userGo = function (i) {
        this.stopAutoPlay();
        this.show(i, true);
    };
    Book.prototype.next = function () { this.show(this.spread + 1, true, 1); };
    Book.prototype.prev = function () { this.show(this.spread - 1, true, -1); };
    Book.prototype.visualTurn = function (side) {
        this.stopAutoPlay();
        if ((side === 'right') !== this.rtl) this.next(); else this.prev();
    };
    Book.prototype.goToPage = function (n) { this.userGo(this.spreadOf(n)); };

    Book.prototype.command = function (name, btn) {
        this.startMusicOnGesture();
        switch (name) {
        case 'First': this.userGo(0); break;
        case 'Prev': this.stopAutoPlay(); this.prev(); break;
        case 'Next': this.stopAutoPlay(); this.next(); break;
        case 'Last': this.userGo(this.spreadCount() - 1); break;
        case 'Thumbnail': this.toggleThumbs(); break;
        case 'Zoom': this.setZoom(this.zoom > 1 ? 1 : 2); break;
        case 'TiltAngle':
            var on = !this.root.classList.contains('zv-tilted');
            this.root.classList.toggle('zv-tilted', on);
            this.root.style.setProperty('--zv-tilt', (this.model.tilt > 0 ? this.model.tilt : 20) + 'deg');
            btn.setAttribute('aria-pressed', String(on));
            break;
        case 'AutoPlay': this.setAutoPlay(!this.autoTimer); break;
        case 'BackgroundSound':
            this.musicOn = !this.musicOn;
            if (this.musicOn && !this.pageMusicWanted) this.playMusic(); else this.audio.pause();
            btn.setAttribute('aria-pressed', String(this.musicOn));
            break;
        case 'FullScreen': this.toggleFullScreen(); break;
        case 'Bookmark': this.showBookmarks(); break;
        case 'Share': this.share(); break;
        case 'Print': window.print(); break;
        case 'Download':
            var a = el('a');
            a.href = this.url(this.model.download);
            a.download = '';
            a.target = '_blank';
            document.body.appendChild(a); a.click(); a.remove();
            break;
        case 'Info': this.showInfo(); break;
        case 'Help': this.showHelp(); break;
        }
    };

    Book.prototype.buildThumbs = function () {
        var self = this;
        var list = el('ol', 'zv-thumblist');
        this.model.pages.forEach(function (page, k) {
            var li = el('li');
            var b = el('button', 'zv-thumb', { type: 'button', 'aria-label': 'Page ' + (k + 1) });
            var img = el('img', '', { alt: '', loading: 'lazy', draggable: 'false' });
            img.src = self.url(page.thumb);
            var cap = el('span');
            cap.textContent = String(k + 1);
            b.appendChild(img); b.appendChild(cap);
            b.addEventListener('click', function () { self.goToPage(k + 1); });
            li.appendChild(b);
            list.appendChild(li);
        });
        this.thumbs.appendChild(list);
    };
    Book.prototype.toggleThumbs = function (force) {
        var show = force === undefined ? this.thumbs.hidden : force;
        this.thumbs.hidden = !show;
        this.root.classList.toggle('zv-thumbs-open', show);
        if (this.buttons.Thumbnail) this.buttons.Thumbnail.setAttribute('aria-pressed', String(show));
        this.layout(); this.render();
        if (show) {
            var cur = this.thumbs.querySelector('[aria-current]');
            if (cur && cur.scrollIntoView) cur.scrollIntoView({ block: 'nearest', inline: 'center' });
        }
    };

    Book.prototype.setZoom = function (z, cx, cy) {
        z = Math.max(1, Math.min(4, z));
        var r = this.stage.getBoundingClientRect();
        if (cx === undefined) { cx = r.width / 2; cy = r.height / 2; }
        // Keep the point under the pointer where it is.
        var k = z / this.zoom;
        this.panX = cx - r.width / 2 - (cx - r.width / 2 - this.panX) * k;
        this.panY = cy - r.height / 2 - (cy - r.height / 2 - this.panY) * k;
        this.zoom = z;
        if (z === 1) { this.panX = 0; this.panY = 0; }
        this.applyZoom();
    };
    Book.prototype.applyZoom = function () {
        var r = this.stage.getBoundingClientRect();
        var mx = Math.max(0, (this.bookEl.offsetWidth * this.zoom - r.width) / 2 + 40);
        var my = Math.max(0, (this.bookEl.offsetHeight * this.zoom - r.height) / 2 + 40);
        this.panX = Math.max(-mx, Math.min(mx, this.panX));
        this.panY = Math.max(-my, Math.min(my, this.panY));
        this.zoomEl.style.transform = this.zoom === 1 ? '' :
            'translate(' + this.panX + 'px,' + this.panY + 'px) scale(' + this.zoom + ')';
        this.root.classList.toggle('zv-zoomed', this.zoom > 1);
        if (this.buttons.Zoom) this.buttons.Zoom.setAttribute('aria-pressed', String(this.zoom > 1));
    };

    Book.prototype.toggleFullScreen = function () {
        var d = document;
        if (d.fullscreenElement || d.webkitFullscreenElement) {
            (d.exitFullscreen || d.webkitExitFullscreen).call(d);
        } else {
            var r = this.root;
            var req = r.requestFullscreen || r.webkitRequestFullscreen;
            if (req) { var p = req.call(r); if (p && p.catch) p.catch(function () {}); }
        }
    };

    Book.prototype.setAutoPlay = function (on) {
        var self = this;
        clearInterval(this.autoTimer);
        this.autoTimer = null;
        if (on) {
            var af = this.model.autoFlip || {};
            // loop counts passes through the book; 0 repeats without end.
            this.loopsLeft = af.loop > 0 ? af.loop - 1 : -1;
            this.autoTimer = setInterval(function () {
                if (self.spread < self.spreadCount() - 1) { self.next(); return; }
                if (self.loopsLeft === 0) { self.setAutoPlay(false); return; }
                if (self.loopsLeft > 0) self.loopsLeft--;
                self.show(0, true, 1);
            }, Math.max(1, af.interval || 3) * 1000);
        }
        if (this.buttons.AutoPlay) this.buttons.AutoPlay.setAttribute('aria-pressed', String(!!on));
    };
    Book.prototype.stopAutoPlay = function () { if (this.autoTimer) this.setAutoPlay(false); };

    Book.prototype.startMusicOnGesture = function () {
        // Page music the browser held back starts now.
        if (this.pageMusicWanted) this.syncMedia();
        if (this.audio && this.musicOn && this.audio.paused && !this.musicStarted) {
            this.musicStarted = true;
            if (!this.pageMusicWanted) this.playMusic();
        }
    };
    Book.prototype.playMusic = function () {
        var self = this, p = this.audio.play();
        if (p && p.catch) p.catch(function (e) { if (e && e.name === 'NotAllowedError') self.musicStarted = false; });
    };
    Book.prototype.flipSound = function () {
        var AC = window.AudioContext || window.webkitAudioContext;
        if (!AC || !this.hadGesture) return;
        try {
            var ctx = this.audioCtx || (this.audioCtx = new AC());
            var len = Math.floor(ctx.sampleRate * 0.28);
            var buf = ctx.createBuffer(1, len, ctx.sampleRate), d = buf.getChannelData(0);
            for (var i = 0; i < len; i++) {
                var t = i / len;
                d[i] = (Math.random() * 2 - 1) * Math.pow(Math.sin(Math.PI * t), 2) * (1 - t) * 0.5;
            }
            var src = ctx.createBufferSource(), filter = ctx.createBiquadFilter();
            filter.type = 'bandpass'; filter.frequency.value = 2200; filter.Q.value = 0.6;
            src.buffer = buf; src.connect(filter); filter.connect(ctx.destination); src.start();
        } catch (e) { /* no audio output */ }
    };

    Book.prototype.openDialog = function (title, body) {
        var self = this, d = this.dialog;
        d.textContent = '';
        var box = el('div', 'zv-dialogbox');
        var h = el('h2', '', { id: 'zv-dialog-title' });
        h.textContent = title;
        d.setAttribute('aria-labelledby', 'zv-dialog-title');
        var close = el('button', 'zv-btn zv-close', { type: 'button', 'aria-label': 'Close' });
        close.appendChild(icon('Close'));
        close.addEventListener('click', function () { self.closeDialog(); });
        box.appendChild(close); box.appendChild(h); box.appendChild(body);
        d.appendChild(box);
        d.hidden = false;
        this.lastFocus = document.activeElement;
        close.focus();
    };
    Book.prototype.closeDialog = function () {
        if (this.dialog.hidden) return false;
        this.dialog.hidden = true;
        if (this.lastFocus && this.lastFocus.focus) this.lastFocus.focus();
        return true;
    };
    Book.prototype.showInfo = function () {
        var a = this.model.author || {}, dl = el('dl');
        [['Title', this.model.title], ['Author', a.name], ['E-mail', a.email], ['Web site', a.web], ['About', a.info]]
            .forEach(function (row) {
                if (!row[1]) return;
                var dt = el('dt'), dd = el('dd');
                dt.textContent = row[0];
                if (row[0] === 'Web site' && ZarvexDecode.safeHref(row[1])) {
                    var l = el('a', '', { target: '_blank', rel: 'noopener' });
                    l.href = ZarvexDecode.safeHref(row[1]); l.textContent = row[1]; dd.appendChild(l);
                } else if (row[0] === 'E-mail') {
                    var m = el('a'); m.href = 'mailto:' + row[1]; m.textContent = row[1]; dd.appendChild(m);
                } else {
                    dd.textContent = row[1];
                }
                dl.appendChild(dt); dl.appendChild(dd);
            });
        this.openDialog('About this book', dl);
    };
    Book.prototype.showHelp = function () {
        var ul = el('ul', 'zv-help');
        ['Arrow keys, Page Up and Page Down: turn pages', 'Home and End: first and last page',
         '+ and -: zoom in and out, 0: back to the whole page', 'Mouse wheel: turn pages; with Ctrl: zoom',
         'Swipe or click the outer page edges to turn pages; pinch to zoom',
         'Add #p= and a page number to the address to open the book at that page']
            .forEach(function (t) { var li = el('li'); li.textContent = t; ul.appendChild(li); });
        this.openDialog('Help', ul);
    };
    Book.prototype.bookmarks = function () {
        var st = storage(), list = [];
        try { list = JSON.parse(st && st.getItem(this.storeKey + ':marks') || '[]'); } catch (e) { list = []; }
        return Array.isArray(list) ? list.filter(function (n) { return typeof n === 'number'; }) : [];
    };
    Book.prototype.showBookmarks = function () {
        var self = this, box = el('div');
        var draw = function () {
            box.textContent = '';
            var marks = self.bookmarks(), cur = self.currentPages()[0] || 1;
            var toggle = el('button', 'zv-textbtn', { type: 'button' });
            var has = marks.indexOf(cur) >= 0;
            toggle.textContent = has ? 'Remove the bookmark of page ' + cur : 'Bookmark page ' + cur;
            toggle.addEventListener('click', function () {
                var ms = self.bookmarks().filter(function (n) { return n !== cur; });
                if (!has) ms.push(cur);
                ms.sort(function (a, b) { return a - b; });
                var st = storage();
                if (st) try { st.setItem(self.storeKey + ':marks', JSON.stringify(ms)); } catch (e) { /* denied */ }
                draw();
            });
            box.appendChild(toggle);
            var ul = el('ul', 'zv-marks');
            marks.forEach(function (n) {
                var li = el('li'), b = el('button', 'zv-textbtn', { type: 'button' });
                b.textContent = 'Page ' + n;
                b.addEventListener('click', function () { self.closeDialog(); self.goToPage(n); });
                li.appendChild(b); ul.appendChild(li);
            });
            box.appendChild(ul);
        };
        draw();
        this.openDialog('Bookmarks', box);
    };
    Book.prototype.share = function () {
        var link = location.href.replace(/#.*$/, '') + '#p=' + (this.currentPages()[0] || 1);
        var self = this;
        var say = function (t) {
            self.toast.textContent = t;
            self.toast.classList.add('zv-show');
            clearTimeout(self.toastTimer);
            self.toastTimer = setTimeout(function () { self.toast.classList.remove('zv-show'); }, 2500);
        };
        if (navigator.share && /^https?:/.test(link)) {
            navigator.share({ title: this.model.title || document.title, url: link }).catch(function () {});
        } else if (navigator.clipboard && navigator.clipboard.writeText) {
            navigator.clipboard.writeText(link).then(function () { say('Link copied: ' + link); },
                                                     function () { say(link); });
        } else {
            say(link);
        }
    };

    Book.prototype.pageFromHash = function () {
        var m = /[#&]p=(\d+)/.exec(location.hash);
        return m ? Math.max(1, Math.min(this.count, parseInt(m[1], 10))) : 0;
    };
    Book.prototype.savedPage = function () {
        var st = storage(), v = st && st.getItem(this.storeKey);
        var n = parseInt(v, 10);
        return n >= 1 && n <= this.count ? n : 0;
    };

    Book.prototype.bindEvents = function () {
        var self = this;
        var gesture = function () { self.hadGesture = true; self.startMusicOnGesture(); };
        // A mouse press lets sound start; a touch does so only when the finger lifts.
        this.root.addEventListener('pointerdown', gesture, true);
        this.root.addEventListener('pointerup', gesture, true);
        document.addEventListener('keydown', gesture, true);

        this.counter.addEventListener('change', function () {
            var n = parseInt(self.counter.value, 10);
            if (n >= 1) self.goToPage(n); else self.afterChange();
        });
        this.counter.addEventListener('focus', function () { self.counter.select(); });

        document.addEventListener('keydown', function (ev) {
            if (ev.defaultPrevented) return;
            var t = ev.target;
            if (ev.key === 'Escape') {
                if (self.closeDialog()) return;
                if (self.zoom > 1) { self.setZoom(1); return; }
                if (!self.thumbs.hidden) self.toggleThumbs(false);
                return;
            }
            if (!self.dialog.hidden) return;
            if (t && (t.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(t.tagName))) return;
            if (ev.altKey || ev.metaKey || (ev.ctrlKey && !/^[+=\-0]$/.test(ev.key))) return;
            var handled = true;
            switch (ev.key) {
            case 'ArrowRight': if (self.zoom > 1) { self.panX -= 60; self.applyZoom(); } else self.visualTurn('right'); break;
            case 'ArrowLeft': if (self.zoom > 1) { self.panX += 60; self.applyZoom(); } else self.visualTurn('left'); break;
            case 'ArrowUp': if (self.zoom > 1) { self.panY += 60; self.applyZoom(); } else handled = false; break;
            case 'ArrowDown': if (self.zoom > 1) { self.panY -= 60; self.applyZoom(); } else handled = false; break;
            case 'PageDown': self.stopAutoPlay(); self.next(); break;
            case 'PageUp': self.stopAutoPlay(); self.prev(); break;
            case ' ':
                if (t && /^(BUTTON|A|VIDEO)$/.test(t.tagName)) { handled = false; break; }
                self.stopAutoPlay(); if (ev.shiftKey) self.prev(); else self.next(); break;
            case 'Home': self.userGo(0); break;
            case 'End': self.userGo(self.spreadCount() - 1); break;
            case '+': case '=': self.setZoom(self.zoom * 1.5); break;
            case '-': self.setZoom(self.zoom / 1.5); break;
            case '0': self.setZoom(1); break;
            default: handled = false;
            }
            if (handled) ev.preventDefault();
        });

        var wheelAcc = 0, wheelAt = 0;
        this.stage.addEventListener('wheel', function (ev) {
            ev.preventDefault();
            var r = self.stage.getBoundingClientRect();
            if (ev.ctrlKey) { self.setZoom(self.zoom * (ev.deltaY < 0 ? 1.2 : 1 / 1.2), ev.clientX - r.left, ev.clientY - r.top); return; }
            if (self.zoom > 1) { self.panX -= ev.deltaX; self.panY -= ev.deltaY; self.applyZoom(); return; }
            var now = Date.now();
            if (now - wheelAt > 300) wheelAcc = 0;
            wheelAcc += Math.abs(ev.deltaY) > Math.abs(ev.deltaX) ? ev.deltaY : ev.deltaX;
            if (Math.abs(wheelAcc) >= 40 && now - wheelAt > 450) {
                wheelAt = now;
                self.stopAutoPlay();
                if (wheelAcc > 0) self.next(); else self.prev();
                wheelAcc = 0;
            }
        }, { passive: false });

        this.stage.addEventListener('dblclick', function (ev) {
            if (ev.target.closest && ev.target.closest('a, .zv-edge, .zv-media button, video')) return;
            var r = self.stage.getBoundingClientRect();
            self.setZoom(self.zoom > 1 ? 1 : 2, ev.clientX - r.left, ev.clientY - r.top);
        });

        // One pointer swipes (or pans when zoomed in); two pointers pinch.
        var pts = {}, start = null, pinch = null;
        this.stage.addEventListener('pointerdown', function (ev) {
            pts[ev.pointerId] = { x: ev.clientX, y: ev.clientY };
            var ids = Object.keys(pts);
            if (ids.length === 1) {
                start = { x: ev.clientX, y: ev.clientY, px: self.panX, py: self.panY, t: Date.now() };
            } else if (ids.length === 2) {
                var a = pts[ids[0]], b = pts[ids[1]];
                pinch = { d: Math.hypot(a.x - b.x, a.y - b.y), z: self.zoom };
                start = null;
            }
        });
        this.stage.addEventListener('pointermove', function (ev) {
            if (!pts[ev.pointerId]) return;
            pts[ev.pointerId] = { x: ev.clientX, y: ev.clientY };
            var ids = Object.keys(pts);
            if (pinch && ids.length === 2) {
                var a = pts[ids[0]], b = pts[ids[1]];
                var r = self.stage.getBoundingClientRect();
                self.setZoom(pinch.z * Math.hypot(a.x - b.x, a.y - b.y) / (pinch.d || 1),
                             (a.x + b.x) / 2 - r.left, (a.y + b.y) / 2 - r.top);
            } else if (start && self.zoom > 1) {
                self.panX = start.px + ev.clientX - start.x;
                self.panY = start.py + ev.clientY - start.y;
                self.applyZoom();
            }
        });
        var end = function (ev) {
            if (!pts[ev.pointerId]) return;
            delete pts[ev.pointerId];
            if (Object.keys(pts).length < 2) pinch = null;
            if (start && self.zoom === 1 && ev.type === 'pointerup') {
                var dx = ev.clientX - start.x, dy = ev.clientY - start.y;
                if (Math.abs(dx) > 50 && Math.abs(dx) > 1.5 * Math.abs(dy) && Date.now() - start.t < 1000) {
                    self.visualTurn(dx < 0 ? 'right' : 'left');
                }
            }
            start = null;
        };
        this.stage.addEventListener('pointerup', end);
        this.stage.addEventListener('pointercancel', end);

        window.addEventListener('hashchange', function () {
            var n = self.pageFromHash();
            if (n && self.currentPages().indexOf(n) < 0) self.show(self.spreadOf(n), true);
        });
        var resizeTimer = null;
        window.addEventListener('resize', function () {
            clearTimeout(resizeTimer);
            resizeTimer = setTimeout(function () {
                self.layout();
                self.applyZoom();
            }, 60);
        });
    };

    return {
        Book: Book,
        /* Fills host with a viewer of the book whose resource folder is opts.base. */
        open: function (host, opts) {
            opts = opts || {};
            host.setAttribute('aria-busy', 'true');
            return ZarvexDecode.loadBook(opts.base || '', { panorama: opts.look === 'Panoramic' }).then(function (model) {
                host.removeAttribute('aria-busy');
                return new Book(host, model, opts);
            }).catch(function (e) {
                host.removeAttribute('aria-busy');
                host.setAttribute('data-zarvex-error', String(e && e.message || e));
                var box = el('div', 'zv-error', { role: 'alert' });
                box.textContent = 'This book could not be opened: ' + (e && e.message || e) + '.';
                host.textContent = '';
                host.appendChild(box);
                throw e;
            });
        },
    };
})();
