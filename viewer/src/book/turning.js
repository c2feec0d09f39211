/* The page turn: a leaf folded over a straight line, or a plain fade where the reader asked
 * for reduced motion. The reader can drag the leaf by its corner or edge (grab), or a button
 * turns it by itself (turn). ctx.busy finishes a running turn.
 *
 * The geometry, in the book's pixels: the leaf hinges on a vertical line (the spine, or the
 * binding edge of a single page). The grabbed point G of its outer edge goes to the pointer P.
 * The fold is the perpendicular bisector of G and P; the part of the leaf on G's side lies
 * mirrored across it, showing the leaf's back. Both the visible front and the folded flap lie
 * on the far side of the fold from G, so one clipping box, turned to the fold, holds both.
 * The back's place is its final place (across the hinge) reflected across the fold: two
 * reflections, so a rotation. Only transforms and opacity change from frame to frame. */
var BookTurning = (function () {
    var el = BookDom.el;
    var DURATION = 650;
    var SHADE = 64; // the side of a shadow's element, stretched into place by its transform

    function reducedMotion() {
        return !!(window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)').matches);
    }

    // Shows spread "to", which ctx.spread already names, with an animation from spread "from".
    function turn(ctx, from, to, dir) {
        if (reducedMotion()) { fade(ctx); return; }
        var leaf = curl(ctx, from, to, dir, ctx.pageH);
        ctx.busy = { finish: leaf.finish };
        BookNavigation.afterChange(ctx);
        // Pictures of the new spread still being decoded would stall the turn half way: the
        // leaf waits for them, unturned, a few frames at most.
        var pages = BookLayout.spreadPages(ctx, to).pages, waited = 0;
        var go = function () {
            if (!leaf.alive()) return;
            var pending = pages.some(function (n) { var e = ctx.pictures[n]; return e && e.state === 'loading'; });
            if (pending && waited++ < 20) setTimeout(go, 16);
            else leaf.play(leaf.end, DURATION, ctx.pageH * 0.12);
        };
        go();
    }

    function fade(ctx) {
        var old = ctx.bookEl.cloneNode(true);
        old.classList.add('zv-fadeout');
        old.setAttribute('aria-hidden', 'true');
        Array.prototype.forEach.call(old.querySelectorAll('video'), function (v) { v.remove(); });
        BookPages.render(ctx);
        ctx.zoomEl.appendChild(old);
        var anim = old.animate ? old.animate([{ opacity: 1 }, { opacity: 0 }], { duration: 200 }) : null;
        var done = function () { old.remove(); };
        if (anim) anim.onfinish = done; else done();
    }

    /* Affine maps [a, b, c, d, e, f] as CSS matrix(): (x, y) -> (a x + c y + e, b x + d y + f). */
    function mul(m, n) {
        return [m[0] * n[0] + m[2] * n[1], m[1] * n[0] + m[3] * n[1], m[0] * n[2] + m[2] * n[3],
                m[1] * n[2] + m[3] * n[3], m[0] * n[4] + m[2] * n[5] + m[4], m[1] * n[4] + m[3] * n[5] + m[5]];
    }
    function chain() { return Array.prototype.reduce.call(arguments, mul); }
    function shift(x, y) { return [1, 0, 0, 1, x, y]; }
    function rotate(a) { var c = Math.cos(a), s = Math.sin(a); return [c, s, -s, c, 0, 0]; }
    function stretch(sx, sy) { return [sx, 0, 0, sy, 0, 0]; }
    function invert(m) {
        var det = m[0] * m[3] - m[1] * m[2];
        return [m[3] / det, -m[1] / det, -m[2] / det, m[0] / det,
                (m[2] * m[5] - m[3] * m[4]) / det, (m[1] * m[4] - m[0] * m[5]) / det];
    }
    // The reflection across the line through M whose unit normal is n.
    function reflect(M, n) {
        var k = 2 * (M.x * n.x + M.y * n.y);
        return [1 - 2 * n.x * n.x, -2 * n.x * n.y, -2 * n.x * n.y, 1 - 2 * n.y * n.y, k * n.x, k * n.y];
    }
    function css(m) { return 'matrix(' + m.map(function (v) { return Math.round(v * 1e4) / 1e4; }).join(',') + ')'; }
    function place(e, x, y, w, h) {
        e.style.left = x + 'px'; e.style.top = y + 'px'; e.style.width = w + 'px'; e.style.height = h + 'px';
    }
    // The part [t0, t1] of the line p + t d that lies inside the box 0..w x 0..h (t0 > t1: none).
    function inside(p, d, w, h) {
        var t0 = -Infinity, t1 = Infinity;
        [[p.x, d.x, w], [p.y, d.y, h]].forEach(function (a) {
            if (Math.abs(a[1]) < 1e-9) { if (a[0] < 0 || a[0] > a[2]) { t0 = Infinity; t1 = -Infinity; } return; }
            var u = -a[0] / a[1], v = (a[2] - a[0]) / a[1];
            t0 = Math.max(t0, Math.min(u, v)); t1 = Math.min(t1, Math.max(u, v));
        });
        return [t0, t1];
    }
    // The point moved onto the disc around c of radius r, if it lies outside.
    function within(p, c, r) {
        var dx = p.x - c.x, dy = p.y - c.y, d = Math.hypot(dx, dy);
        return d <= r ? p : { x: c.x + dx * r / d, y: c.y + dy * r / d };
    }

    /* A page shown through a straight clipping box that shows a band of its columns: the box
     * is stretched across the band and its content stretched back, so only transforms change. */
    function cut(page, W, H) {
        var box = el('div', 'zv-curl-cut'), content = el('div', 'zv-curl-cut zv-curl-face');
        place(content, 0, 0, W, H);
        box.appendChild(content);
        return { box: box, content: content, page: page };
    }
    function frontCopy(front) {
        var copy = front.cloneNode(true);
        copy.removeAttribute('data-page');
        Array.prototype.forEach.call(copy.querySelectorAll('video, audio, iframe'), function (v) { v.remove(); });
        return copy;
    }
    /* The front's columns wholly on the far side of the fold (far), or the ones the fold
     * crosses, in the page's own pixels: the fold runs through M with the unit normal n, which
     * points to the grabbed side. */
    function showColumns(part, n, M, H, W, x0, far) {
        var lo = 0, hi = W;
        if (Math.abs(n.x) > 1e-6) {
            var mx = M.x - x0, cTop = -M.y * n.y, cBottom = (H - M.y) * n.y;
            var xFar = mx - Math.max(cTop, cBottom) / n.x, xNear = mx - Math.min(cTop, cBottom) / n.x;
            if (far) { if (n.x > 0) hi = xFar; else lo = xFar; }
            else { lo = Math.min(xFar, xNear) - 1; hi = Math.max(xFar, xNear) + 1; }
        } else if (far) { hi = 0; }
        lo = Math.max(0, Math.min(W, lo)); hi = Math.max(lo, Math.min(W, hi));
        var k = Math.max(1e-3, (hi - lo) / W);
        part.box.style.transform = css(chain(shift(lo, 0), stretch(k, 1)));
        part.content.style.transform = css(chain(stretch(1 / k, 1), shift(-lo, 0)));
        part.box.style.visibility = hi - lo < 0.5 ? 'hidden' : '';
    }

    /* Builds the leaf of a turn from spread "from" to "to" (dir +1 forward), grabbed at height
     * gy of its outer edge, shown unturned (or fully turned when the leaf is the page coming
     * back in single-page mode). The slot under it already shows what the turn uncovers. */
    function curl(ctx, from, to, dir, gy) {
        var two = BookLayout.twoUp(ctx), pageEl = BookPages.pageEl, sidePage = BookLayout.sidePage;
        var W = ctx.pageW, H = ctx.pageH, forward = dir > 0;
        var x0, hinge, outer, front, back, under, reversed = false, slot = ctx.rightSlot;
        if (two) {
            var side = (forward !== ctx.rtl) ? 'right' : 'left', other = side === 'right' ? 'left' : 'right';
            x0 = side === 'right' ? W : 0; hinge = W; outer = side === 'right' ? 2 * W : 0;
            front = pageEl(ctx, sidePage(ctx, from, side), side);
            back = pageEl(ctx, sidePage(ctx, to, other), other);
            under = pageEl(ctx, sidePage(ctx, to, side), side);
            if (side === 'left') slot = ctx.leftSlot;
        } else {
            // One page at a time: forward lifts the old page away, backward lays the new one down.
            var oldP = BookLayout.spreadPages(ctx, from).first, newP = BookLayout.spreadPages(ctx, to).first;
            x0 = 0; hinge = ctx.rtl ? W : 0; outer = ctx.rtl ? 0 : W;
            reversed = !forward;
            front = pageEl(ctx, forward ? oldP : newP);
            back = el('div', 'zv-page zv-paper');
            under = pageEl(ctx, forward ? newP : oldP);
        }
        slot.textContent = '';
        slot.appendChild(under);

        var S = 2 * (3 * W + 2 * H); // the clipping box: wide enough for the spread and the flap
        var leaf = el('div', 'zv-leaf', { 'aria-hidden': 'true' });
        leaf.style.width = (two ? 2 * W : W) + 'px';
        var shadowBox = el('div', 'zv-curl-under'), cast = el('div', 'zv-curl-shade');
        place(shadowBox, x0, 0, W, H);
        shadowBox.appendChild(cast);
        // The front goes through a turned clip only in the columns the fold crosses; the columns
        // wholly on the far side show through a straight clip, which costs no offscreen pass.
        // The back has a turned clip of its own.
        var plain = cut(front, W, H), crossed = cut(frontCopy(front), W, H);
        var frontMask = el('div', 'zv-curl-mask'), frontInner = el('div', 'zv-curl-inner');
        var mask = el('div', 'zv-curl-mask'), inner = el('div', 'zv-curl-inner');
        place(frontMask, 0, 0, S, S);
        place(mask, 0, 0, S, S);
        var frontFace = el('div', 'zv-curl-face zv-curl-front'), backFace = el('div', 'zv-curl-face zv-curl-back');
        var fold = el('div', 'zv-curl-shade zv-curl-fold');
        place(frontFace, x0, 0, W, H);
        place(backFace, 0, 0, W, H);
        place(cast, 0, 0, SHADE, SHADE);
        place(fold, 0, 0, SHADE, SHADE);
        frontFace.appendChild(crossed.page);
        frontInner.appendChild(frontFace);
        frontMask.appendChild(frontInner);
        crossed.content.appendChild(frontMask);
        backFace.appendChild(back);
        backFace.appendChild(fold);
        inner.appendChild(backFace);
        mask.appendChild(inner);
        plain.content.appendChild(plain.page);
        place(plain.box, x0, 0, W, H);
        place(crossed.box, x0, 0, W, H);
        leaf.appendChild(shadowBox);
        leaf.appendChild(plain.box);
        leaf.appendChild(crossed.box);
        leaf.appendChild(mask);
        ctx.bookEl.appendChild(leaf);

        gy = Math.max(0, Math.min(H, gy));
        var G = { x: outer, y: gy }, turned = { x: 2 * hinge - outer, y: gy };
        var top = { x: hinge, y: 0 }, bottom = { x: hinge, y: H };
        var rTop = Math.hypot(G.x - top.x, G.y), rBottom = Math.hypot(G.x - bottom.x, G.y - H);
        var travel = 2 * Math.abs(outer - hinge), out = outer > hinge ? 1 : -1;
        // The back's final place (across the hinge) in the book, from its own top left corner.
        var backHome = chain([-1, 0, 0, 1, 2 * hinge, 0], shift(2 * hinge - x0 - W, 0));
        var state = { P: reversed ? turned : G, start: reversed ? turned : G, end: reversed ? G : turned, reversed: reversed };

        function set(p) {
            // The leaf stays fixed along its hinge: no point moves farther from the hinge's ends.
            for (var i = 0; i < 3; i++) p = within(within(p, top, rTop), bottom, rBottom);
            state.P = p;
            var dx = G.x - p.x, dy = G.y - p.y, len = Math.hypot(dx, dy);
            if (len < 0.5) { dx = out * 0.5; dy = 0; len = 0.5; }
            var n = { x: dx / len, y: dy / len }, M = { x: (G.x + p.x) / 2, y: (G.y + p.y) / 2 };
            var a = Math.atan2(n.y, n.x);
            var box = chain(shift(M.x, M.y), rotate(a), shift(-S, -S / 2));
            mask.style.transform = css(box);
            inner.style.transform = css(invert(box));
            // The crossed columns' content has the page's own pixels, from x0 in the book.
            frontMask.style.transform = css(chain(shift(-x0, 0), box));
            frontInner.style.transform = inner.style.transform;
            showColumns(plain, n, M, H, W, x0, true);
            showColumns(crossed, n, M, H, W, x0, false);
            var backAt = chain(reflect(M, n), backHome);
            backFace.style.transform = css(backAt);
            // Shadows along the fold: cast on the uncovered page and on the flap, deepest mid-turn.
            var depth = Math.sin(Math.PI * Math.min(1, len / travel)), width = Math.min(len / 2, W * 0.35) / W + 0.001;
            cast.style.transform = css(chain(shift(M.x - x0, M.y), rotate(a), shift(0, -S), stretch(width * W / SHADE, 2 * S / SHADE)));
            // On the back, the band runs along the fold inside the page (the back does not clip:
            // a clip across the turned page would cost an offscreen pass on every frame), and
            // stops where its darker half would leave the page.
            var toBack = invert(backAt), m = [toBack[0], toBack[1], toBack[2], toBack[3], 0, 0];
            var Mb = chain(toBack, shift(M.x, M.y)), inward = chain(m, shift(-n.x, -n.y));
            var b = { x: Mb[4], y: Mb[5] }, across = { x: inward[4], y: inward[5] }, along = { x: -across.y, y: across.x };
            var band = width * 0.8 * W, half = { x: b.x + across.x * band / 2, y: b.y + across.y * band / 2 };
            var edge = inside(b, along, W, H), mid = inside(half, along, W, H);
            var t0 = Math.max(edge[0], mid[0]), t1 = Math.min(edge[1], mid[1]);
            if (!(t1 > t0)) { t0 = 0; t1 = 0.001; }
            fold.style.transform = css(chain(shift(b.x, b.y), rotate(Math.atan2(across.y, across.x)), shift(0, t0),
                                             stretch(band / SHADE, (t1 - t0) / SHADE)));
            cast.style.opacity = fold.style.opacity = String(Math.round(depth * 100) / 100);
        }

        var raf = 0, timer = 0, finished = false;
        state.set = set;
        // Moves the grabbed point to "to" in ms, raised by "lift" half way, then finishes.
        state.play = function (to, ms, lift, then) {
            cancelAnimationFrame(raf);
            clearTimeout(timer);
            var from = state.P, t0 = null;
            var step = function (now) {
                if (finished) return;
                if (t0 === null) t0 = now;
                var k = Math.min(1, (now - t0) / ms), e = k < 0.5 ? 2 * k * k : 1 - Math.pow(-2 * k + 2, 2) / 2;
                set({ x: from.x + (to.x - from.x) * e, y: from.y + (to.y - from.y) * e - lift * Math.sin(Math.PI * e) });
                if (k < 1) raf = requestAnimationFrame(step); else state.finish(then);
            };
            raf = requestAnimationFrame(step);
            // A hidden page draws no frames: the turn still ends.
            timer = setTimeout(function () { state.finish(then); }, ms + 400);
        };
        state.finish = function (then) {
            if (finished) return;
            finished = true;
            cancelAnimationFrame(raf);
            clearTimeout(timer);
            leaf.remove();
            ctx.busy = null;
            if (typeof then === 'function') then();
            BookPages.fillSlots(ctx, true);
            BookLoading.update(ctx);
        };
        // Where the grabbed point is between unturned (1) and turned (-1).
        state.progress = function () { return (state.P.x - hinge) / (outer - hinge); };
        state.alive = function () { return !finished; };
        set(state.P);
        return state;
    }

    /* The reader takes the page at the pointer (clientX, clientY) to turn it towards the other
     * side of the screen (side: the side of the page that turns). Returns the drag, with
     * move(x, y), release() and cancel(), or null where there is no page to turn. */
    function grab(ctx, side, clientX, clientY) {
        if (ctx.busy) ctx.busy.finish();
        var dir = ((side === 'right') !== ctx.rtl) ? 1 : -1;
        var from = ctx.spread, to = from + dir;
        if (to < 0 || to >= BookLayout.spreadCount(ctx) || !ctx.pageW) return null;
        BookNavigation.stopAutoPlay(ctx);
        var two = BookLayout.twoUp(ctx);
        var origin = (two ? ctx.leftSlot : ctx.rightSlot).getBoundingClientRect();
        var reduced = reducedMotion();
        var leaf = reduced ? null : curl(ctx, from, to, dir, clientY - origin.top);
        // One page at a time, the pointer crosses half the page while the corner crosses all of it.
        var gain = two ? 1 : 2, last = { x: clientX, y: clientY };
        var drop = function () { if (leaf) leaf.finish(); };
        if (leaf) ctx.busy = { finish: drop };
        var commit = function () {
            ctx.spread = to;
            BookMedia.sync(ctx);
            if (ctx.model.flipSound) BookSound.flip(ctx);
        };
        return {
            move: function (x, y) {
                last = { x: x, y: y };
                if (leaf && leaf.alive()) leaf.set({ x: leaf.start.x + gain * (x - clientX), y: leaf.start.y + (y - clientY) });
            },
            // Past the middle the turn completes, short of it the page falls back.
            release: function () {
                if (!leaf) {
                    var moved = last.x - clientX;
                    if (Math.abs(moved) > 50 && (moved < 0) === (side === 'right')) BookNavigation.show(ctx, to, true, dir);
                    return;
                }
                if (!leaf.alive()) return;
                var p = leaf.progress(), done = leaf.reversed ? p > 0 : p < 0;
                var target = done ? leaf.end : leaf.start;
                var rest = Math.hypot(target.x - leaf.P.x, target.y - leaf.P.y);
                var ms = Math.max(120, DURATION * rest / (2 * ctx.pageW));
                if (done) {
                    leaf.play(target, ms, 0);
                    commit();
                    ctx.busy = { finish: leaf.finish };
                    BookNavigation.afterChange(ctx);
                } else {
                    leaf.play(target, ms, 0);
                }
            },
            cancel: drop,
        };
    }

    return { turn: turn, grab: grab };
})();
