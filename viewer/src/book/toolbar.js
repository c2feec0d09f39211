/* The toolbar: the page buttons around the page number field, the tool buttons the book does
 * not hide, and what each button does. */
var BookToolbar = (function () {
    var el = BookDom.el;
    var BUTTONS = ['Thumbnail', 'Zoom', 'DoublePage', 'TiltAngle', 'AutoPlay', 'BackgroundSound', 'FullScreen',
                   'Bookmark', 'Share', 'Print', 'Download', 'Info', 'Help'];

    function build(ctx) {
        var m = ctx.model;
        var bar = ctx.bar = el('div', 'zv-bar', { role: 'toolbar', 'aria-label': ctx.t('controls') });
        ctx.buttons = {};
        var nav = el('div', 'zv-nav');
        // In a right-to-left book the page's direction mirrors this row, so Next sits on the left.
        ['First', 'Prev', 'Next', 'Last'].forEach(function (n) { nav.appendChild(button(ctx, n)); });
        ctx.counter = el('input', 'zv-counter', { type: 'text', inputmode: 'numeric', 'aria-label': ctx.t('pageField') });
        ctx.total = el('span', 'zv-total');
        ctx.total.textContent = '/ ' + ctx.count;
        var counterBox = el('label', 'zv-counterbox');
        counterBox.appendChild(ctx.counter);
        counterBox.appendChild(ctx.total);
        nav.insertBefore(counterBox, nav.children[2]);
        bar.appendChild(nav);
        var tools = el('div', 'zv-tools');
        BUTTONS.forEach(function (n) {
            if (ctx.hidden[n]) return;
            if (n === 'BackgroundSound' && !(m.music && m.music.src)) return;
            if (n === 'Download' && !m.download) return;
            if (n === 'DoublePage' && ctx.count < 2) return;
            if (n === 'FullScreen' && !(document.fullscreenEnabled || document.webkitFullscreenEnabled)) return;
            tools.appendChild(button(ctx, n));
        });
        bar.appendChild(tools);
        return bar;
    }

    function button(ctx, name) {
        var label = ctx.t(name);
        var b = el('button', 'zv-btn zv-btn-' + name.toLowerCase(),
                   { type: 'button', 'data-button': name, 'aria-label': label, title: label });
        b.appendChild(BookDom.icon(name));
        if (['Thumbnail', 'Search', 'Zoom', 'DoublePage', 'TiltAngle', 'AutoPlay', 'BackgroundSound'].indexOf(name) >= 0) {
            b.setAttribute('aria-pressed', String(name === 'BackgroundSound' && !!ctx.musicOn));
        }
        b.addEventListener('click', function () { command(ctx, name, b); });
        ctx.buttons[name] = b;
        return b;
    }

    // A page typed into the page number field; anything else puts the current page back.
    function watchCounter(ctx) {
        ctx.counter.addEventListener('change', function () {
            var n = parseInt(ctx.counter.value, 10);
            if (n >= 1) BookNavigation.goToPage(ctx, n); else BookNavigation.afterChange(ctx);
        });
        ctx.counter.addEventListener('focus', function () { ctx.counter.select(); });
    }

    function command(ctx, name, btn) {
        var nav = BookNavigation;
        BookSound.startOnGesture(ctx);
        switch (name) {
        case 'First': nav.userGo(ctx, 0); break;
        case 'Prev': nav.stopAutoPlay(ctx); nav.prev(ctx); break;
        case 'Next': nav.stopAutoPlay(ctx); nav.next(ctx); break;
        case 'Last': nav.userGo(ctx, BookLayout.spreadCount(ctx) - 1); break;
        case 'Thumbnail': BookPanels.toggleThumbs(ctx); break;
        case 'Content': BookContents.show(ctx); break;
        case 'Search': BookSearch.toggle(ctx); break;
        case 'Zoom': BookZoom.set(ctx, ctx.zoom > 1 ? 1 : 2); break;
        case 'DoublePage': BookLayout.choosePages(ctx, ctx.mode === 2 ? 1 : 2); break;
        case 'TiltAngle': tilt(ctx, btn); break;
        case 'AutoPlay': nav.setAutoPlay(ctx, !ctx.autoTimer); break;
        case 'BackgroundSound': BookSound.toggle(ctx, btn); break;
        case 'FullScreen': BookZoom.toggleFullScreen(ctx); break;
        case 'Bookmark': BookPanels.showBookmarks(ctx); break;
        case 'Share': BookPanels.share(ctx); break;
        case 'Print': BookPrint.showDialog(ctx); break;
        case 'Download': download(ctx); break;
        case 'Info': BookPanels.showInfo(ctx); break;
        case 'Help': BookPanels.showHelp(ctx); break;
        }
    }

    function tilt(ctx, btn) {
        var on = !ctx.root.classList.contains('zv-tilted');
        ctx.root.classList.toggle('zv-tilted', on);
        ctx.root.style.setProperty('--zv-tilt', (ctx.model.tilt > 0 ? ctx.model.tilt : 20) + 'deg');
        btn.setAttribute('aria-pressed', String(on));
    }
    function download(ctx) {
        var a = el('a');
        a.href = BookDom.url(ctx, ctx.model.download);
        a.download = '';
        a.target = '_blank';
        document.body.appendChild(a); a.click(); a.remove();
    }

    return { build: build, button: button, watchCounter: watchCounter };
})();
