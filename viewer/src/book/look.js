/* The book's look: the root element with the template and colours, the background, the
 * header with logo and title, and the panorama of the Panoramic template. */
var BookLook = (function () {
    var el = BookDom.el, luminance = BookDom.luminance;

    function root(ctx) {
        var m = ctx.model;
        var r = ctx.root = el('div', 'zv-root zv-look-' + (ctx.opts.look || 'classic') +
                               (ctx.opts.mobile ? ' zv-mobile' : ''));
        r.setAttribute('dir', ctx.rtl ? 'rtl' : 'ltr');
        r.setAttribute('lang', ctx.t.lang);
        r.style.setProperty('--zv-base', m.baseColor || '#804000');
        var baseN = parseInt((m.baseColor || '#804000').slice(1), 16);
        r.style.setProperty('--zv-base-rgb', [(baseN >> 16) & 255, (baseN >> 8) & 255, baseN & 255].join(', '));
        r.style.setProperty('--zv-on-base', luminance(m.baseColor || '#804000') > 0.6 ? '#111' : '#fff');
        applyBackground(ctx);
        return r;
    }

    function applyBackground(ctx) {
        var bg = ctx.model.background || {}, s = ctx.root.style;
        var type = String(bg.type || '').toLowerCase();
        var layers = [];
        if (bg.image) {
            layers.push('url("' + BookDom.url(ctx, bg.image).replace(/"/g, '%22') + '")');
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
        ctx.root.classList.toggle('zv-bg-light', light > 0.6);
        s.setProperty('--zv-bg-color', type.indexOf('gradient') >= 0 ? bg.start : bg.color);
    }

    function header(ctx) {
        var m = ctx.model;
        var top = el('header', 'zv-top');
        if (m.logo && m.logo.src && m.logo.show) {
            var logo = el(m.logo.link ? 'a' : 'span', 'zv-logo');
            if (m.logo.link) { logo.href = m.logo.link; logo.target = '_blank'; logo.rel = 'noopener'; }
            var li = el('img', '', { alt: ctx.t(m.logo.link ? 'logoLink' : 'logo') });
            li.src = BookDom.url(ctx, m.logo.src);
            logo.appendChild(li);
            top.appendChild(logo);
        }
        var title = el('h1', 'zv-title');
        title.textContent = m.title || '';
        top.appendChild(title);
        return top;
    }

    // The panorama behind the book: its front face (or the first one there is), drawn once as
    // a still picture; a turning 3D cube would cost every frame, also while the reader reads.
    function panorama(ctx, faces) {
        var face = ['front', 'left', 'right', 'back', 'top', 'bottom'].filter(function (f) { return faces[f]; })[0];
        if (!face) return;
        var pano = el('div', 'zv-pano', { 'aria-hidden': 'true' });
        pano.style.backgroundImage = 'url("' + BookDom.url(ctx, faces[face]).replace(/"/g, '%22') + '")';
        ctx.root.insertBefore(pano, ctx.root.firstChild);
        ctx.root.classList.add('zv-has-pano');
    }

    return { root: root, header: header, panorama: panorama };
})();
