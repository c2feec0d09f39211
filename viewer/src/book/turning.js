/* The turn animation: a leaf that turns over the spine (or lifts a single page away), or a
 * plain fade where the reader asked for reduced motion. ctx.busy finishes a running turn. */
var BookTurning = (function () {
    var el = BookDom.el;
    var DURATION = 650;

    function reducedMotion() {
        return !!(window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)').matches);
    }

    // Shows spread "to", which ctx.spread already names, with an animation from spread "from".
    function turn(ctx, from, to, dir) {
        if (reducedMotion()) fade(ctx); else flip(ctx, from, to, dir);
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

    function flip(ctx, from, to, dir) {
        var two = BookLayout.twoUp(ctx), pageEl = BookPages.pageEl;
        var forward = dir > 0;
        var side = two ? ((forward !== ctx.rtl) ? 'right' : 'left') : 'right';
        var other = side === 'right' ? 'left' : 'right';
        var slot = side === 'right' ? ctx.rightSlot : ctx.leftSlot;
        var leaf = el('div', 'zv-leaf zv-leaf-' + side);
        leaf.style.left = (two && side === 'right' ? ctx.pageW : 0) + 'px';
        leaf.style.width = ctx.pageW + 'px';
        var front = el('div', 'zv-face zv-front'), back = el('div', 'zv-face zv-back');
        var shade = el('div', 'zv-shade');
        if (two) {
            front.appendChild(pageEl(ctx, BookLayout.sidePage(ctx, from, side), side));
            back.appendChild(pageEl(ctx, BookLayout.sidePage(ctx, to, other), other));
            slot.textContent = '';
            slot.appendChild(pageEl(ctx, BookLayout.sidePage(ctx, to, side), side));
        } else {
            // One page at a time: forward lifts the old page away, backward lays the new one down.
            var oldP = BookLayout.spreadPages(ctx, from).first, newP = BookLayout.spreadPages(ctx, to).first;
            front.appendChild(pageEl(ctx, forward ? oldP : newP));
            slot.textContent = '';
            slot.appendChild(pageEl(ctx, forward ? newP : oldP));
        }
        front.appendChild(shade);
        leaf.appendChild(front);
        leaf.appendChild(back);
        ctx.bookEl.appendChild(leaf);
        // The leaf hinges on the spine; a single page hinges on its binding edge.
        var hingeLeft = two ? side === 'right' : !ctx.rtl;
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
            ctx.busy = null;
            BookPages.render(ctx);
        };
        var anim = leaf.animate ? leaf.animate(frames, { duration: DURATION, easing: 'ease-in-out', fill: 'forwards' }) : null;
        if (shade.animate) shade.animate(shadeFrames, { duration: DURATION, fill: 'forwards' });
        ctx.busy = { finish: finish };
        if (anim) anim.onfinish = finish; else finish();
        BookNavigation.afterChange(ctx);
    }

    return { turn: turn };
})();
