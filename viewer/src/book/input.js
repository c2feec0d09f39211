/* Reader input: the first gesture (which lets sound start), the keyboard, the wheel, double
 * clicks, swipes, pans and pinches on the stage, and the page edges that turn pages. Pages
 * turn only from these and the buttons, so link areas inside a page stay clickable. */
var BookInput = (function () {
    var el = BookDom.el, nav = BookNavigation;

    function watchGestures(ctx) {
        var gesture = function () { ctx.hadGesture = true; BookSound.startOnGesture(ctx); };
        // A mouse press lets sound start; a touch does so only when the finger lifts.
        ctx.root.addEventListener('pointerdown', gesture, true);
        ctx.root.addEventListener('pointerup', gesture, true);
        document.addEventListener('keydown', gesture, true);
    }

    function watchKeys(ctx) {
        document.addEventListener('keydown', function (ev) {
            if (ev.defaultPrevented) return;
            var t = ev.target;
            if (ev.key === 'Escape') {
                // The panel that holds the keyboard closes first.
                if (BookPanels.closeDialog(ctx)) return;
                if (!ctx.thumbs.hidden && ctx.thumbs.contains(t)) { BookPanels.toggleThumbs(ctx, false); return; }
                if (ctx.zoom > 1) { BookZoom.set(ctx, 1); return; }
                if (!ctx.thumbs.hidden) BookPanels.toggleThumbs(ctx, false);
                return;
            }
            if (!ctx.dialog.hidden) return;
            if (t && (t.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(t.tagName))) return;
            if (ev.altKey || ev.metaKey || (ev.ctrlKey && !/^[+=\-0]$/.test(ev.key))) return;
            var handled = true;
            switch (ev.key) {
            case 'ArrowRight': if (ctx.zoom > 1) BookZoom.pan(ctx, -60, 0); else nav.visualTurn(ctx, 'right'); break;
            case 'ArrowLeft': if (ctx.zoom > 1) BookZoom.pan(ctx, 60, 0); else nav.visualTurn(ctx, 'left'); break;
            case 'ArrowUp': if (ctx.zoom > 1) BookZoom.pan(ctx, 0, 60); else handled = false; break;
            case 'ArrowDown': if (ctx.zoom > 1) BookZoom.pan(ctx, 0, -60); else handled = false; break;
            case 'PageDown': nav.stopAutoPlay(ctx); nav.next(ctx); break;
            case 'PageUp': nav.stopAutoPlay(ctx); nav.prev(ctx); break;
            case ' ':
                if (t && /^(BUTTON|A|VIDEO)$/.test(t.tagName)) { handled = false; break; }
                nav.stopAutoPlay(ctx); if (ev.shiftKey) nav.prev(ctx); else nav.next(ctx); break;
            case 'Home': nav.userGo(ctx, 0); break;
            case 'End': nav.userGo(ctx, BookLayout.spreadCount(ctx) - 1); break;
            case '+': case '=': BookZoom.set(ctx, ctx.zoom * 1.5); break;
            case '-': BookZoom.set(ctx, ctx.zoom / 1.5); break;
            case '0': BookZoom.set(ctx, 1); break;
            default: handled = false;
            }
            if (handled) ev.preventDefault();
        });
    }

    // The wheel turns one page per notch-sized stroke, pans when zoomed in, zooms with Ctrl.
    function watchWheel(ctx) {
        var wheelAcc = 0, wheelAt = 0;
        ctx.stage.addEventListener('wheel', function (ev) {
            ev.preventDefault();
            var r = ctx.stage.getBoundingClientRect();
            if (ev.ctrlKey) { BookZoom.set(ctx, ctx.zoom * (ev.deltaY < 0 ? 1.2 : 1 / 1.2), ev.clientX - r.left, ev.clientY - r.top); return; }
            if (ctx.zoom > 1) { BookZoom.pan(ctx, -ev.deltaX, -ev.deltaY); return; }
            var now = Date.now();
            if (now - wheelAt > 300) wheelAcc = 0;
            wheelAcc += Math.abs(ev.deltaY) > Math.abs(ev.deltaX) ? ev.deltaY : ev.deltaX;
            if (Math.abs(wheelAcc) >= 40 && now - wheelAt > 450) {
                wheelAt = now;
                nav.stopAutoPlay(ctx);
                if (wheelAcc > 0) nav.next(ctx); else nav.prev(ctx);
                wheelAcc = 0;
            }
        }, { passive: false });
    }

    function watchPointer(ctx) {
        var stage = ctx.stage;
        // A double click zooms, except on a word, which it selects as in any text.
        stage.addEventListener('dblclick', function (ev) {
            if (ev.target.closest && ev.target.closest('a, .zv-edge, .zv-media button, video, .zv-word')) return;
            var r = stage.getBoundingClientRect();
            BookZoom.set(ctx, ctx.zoom > 1 ? 1 : 2, ev.clientX - r.left, ev.clientY - r.top);
        });

        // One pointer takes the page and turns it (or pans when zoomed in); two pointers pinch.
        // A drag that starts on a link turns the page too: the browser's own drag of links and
        // pictures is off, and the click that ends a drag follows no link. A mouse or pen pressed
        // on the page's text (a word or the blank between two) selects text instead; the edges
        // and the page's blank parts still take the page, and a finger always does.
        var pts = {}, start = null, pinch = null, drag = null, dragged = false;
        stage.addEventListener('dragstart', function (ev) { ev.preventDefault(); });
        stage.addEventListener('click', function (ev) {
            if (!dragged) return;
            dragged = false;
            ev.preventDefault();
            ev.stopPropagation();
        }, true);
        var dropDrag = function () { if (drag) drag.cancel(); drag = null; };
        stage.addEventListener('pointerdown', function (ev) {
            if (ev.pointerType !== 'touch' && ev.target.closest && ev.target.closest('.zv-word, .zv-gap')) return;
            pts[ev.pointerId] = { x: ev.clientX, y: ev.clientY };
            var ids = Object.keys(pts);
            dragged = false;
            if (ids.length === 1) {
                start = { x: ev.clientX, y: ev.clientY, px: ctx.panX, py: ctx.panY, id: ev.pointerId };
            } else if (ids.length === 2) {
                var a = pts[ids[0]], b = pts[ids[1]];
                pinch = { d: Math.hypot(a.x - b.x, a.y - b.y), z: ctx.zoom };
                start = null;
                dropDrag();
            }
        });
        stage.addEventListener('pointermove', function (ev) {
            if (!pts[ev.pointerId]) return;
            pts[ev.pointerId] = { x: ev.clientX, y: ev.clientY };
            var ids = Object.keys(pts);
            if (pinch && ids.length === 2) {
                var a = pts[ids[0]], b = pts[ids[1]];
                var r = stage.getBoundingClientRect();
                BookZoom.set(ctx, pinch.z * Math.hypot(a.x - b.x, a.y - b.y) / (pinch.d || 1),
                             (a.x + b.x) / 2 - r.left, (a.y + b.y) / 2 - r.top);
            } else if (start && ctx.zoom > 1) {
                ctx.panX = start.px + ev.clientX - start.x;
                ctx.panY = start.py + ev.clientY - start.y;
                BookZoom.apply(ctx);
            } else if (start) {
                var dx = ev.clientX - start.x, dy = ev.clientY - start.y;
                // A mostly sideways move takes the page; the side it moves away from turns.
                if (!drag && !start.taken && Math.abs(dx) > 6 && Math.abs(dx) > Math.abs(dy)) {
                    start.taken = true;
                    drag = BookTurning.grab(ctx, dx < 0 ? 'right' : 'left', start.x, start.y);
                    if (drag) try { stage.setPointerCapture(ev.pointerId); } catch (e) { /* pointer gone */ }
                }
                if (drag) drag.move(ev.clientX, ev.clientY);
            }
        });
        var end = function (ev) {
            if (!pts[ev.pointerId]) return;
            delete pts[ev.pointerId];
            if (Object.keys(pts).length < 2) pinch = null;
            if (drag && start && start.id === ev.pointerId) {
                dragged = true;
                if (ev.type === 'pointerup') drag.release(); else drag.cancel();
                drag = null;
            }
            start = null;
        };
        // Also when let go outside the stage: a pointer left in the list would make the next
        // touch a pinch.
        window.addEventListener('pointerup', end);
        window.addEventListener('pointercancel', end);
    }

    // The outer edges of the spread turn pages; the rest of a page is left to its links.
    function addEdges(ctx, slot, side) {
        var page = slot.firstChild;
        if (!page || page.classList.contains('zv-blank')) return;
        var edge = el('div', 'zv-edge zv-edge-' + side, { 'aria-hidden': 'true' });
        edge.addEventListener('click', function (ev) {
            ev.stopPropagation();
            if (ctx.zoom > 1) return;
            nav.visualTurn(ctx, side);
        });
        page.appendChild(edge);
    }

    return {
        watchGestures: watchGestures, watchKeys: watchKeys, watchWheel: watchWheel, watchPointer: watchPointer,
        addEdges: addEdges,
    };
})();
