/* The page editor page (PageEditor.html): shows the preview book's pages and lets the user
 * draw links and place pictures, Flash clips, movies and music on them; the application
 * reads the result through GetPageConfig() and writes it to pages.xml.
 *
 * Items written inside a <Page>, after its thumb, normal, large and unknown items:
 *   <Item name="Link" type="rect" action="web" x= y= width= height= href="https://..."/>
 *   <Item name="Link" type="rect" action="page" x= y= width= height= href="<1-based page>"/>
 *   <Item name="Image" type="rect" x= y= width= height= src="editor/<stamp>.png"/>
 *   <Item name="Flash" type="rect" x= y= width= height= src="editor/<stamp>.swf"/>
 *   <Item name="Movie" type="rect" x= y= width= height= src="editor/<stamp>.mp4"/>
 *   <Item name="Music" type="rect" x= y= width= height= src="editor/<stamp>.mp3"/>
 * x, y, width and height are fractions of the page ("%f", origin top left, inside [0,1]); src
 * is the path the application answered, relative to the book's files folder. Links come
 * first, then media in the order placed (the later one is drawn above).
 *
 * The application's object `myconnector` may arrive after load (event "myconnectorready");
 * its calls answer through a callback given last, or by returning the answer or a Promise.
 * Until it is there, the buttons that need it are disabled. */
(function () {
    'use strict';

    var PL = ZarvexPageList;
    var MIN_PX = 8; // smallest item side, in pixels of the page on screen
    var KIND_LABEL = { Link: 'Link', Image: 'Picture', Flash: 'Flash clip', Movie: 'Movie', Music: 'Music' };

    var $ = function (sel) { return document.querySelector(sel); };
    var ui = {
        thumbs: $('.pe-thumbs'), stage: $('.pe-stage'), page: $('.pe-page'), picture: $('.pe-picture'),
        missing: $('.pe-missing'), layer: $('.pe-layer'), status: $('.pe-status'), rename: $('#pe-rename'),
        props: $('.pe-props'), linkForm: $('.pe-link-form'), linkError: $('.pe-link-error'),
        linkUrl: $('#pe-link-url'), linkPage: $('#pe-link-page'), itemInfo: $('.pe-item-info'),
        hint: $('.pe-hint'), dialog: $('.pe-dialog'), undo: $('[data-do=undo]'), redo: $('[data-do=redo]'),
        remove: $('[data-do=delete]'), title: $('.pe-page-title'),
    };

    var S = {
        list: null, loadError: '', pageIndex: 0, tool: 'select', selected: 0, pending: null,
        history: [], at: 0, savedAt: 0, picked: [], savedText: '', busy: false,
        size: { w: 0, h: 0 }, aspect: 0.707, flashPictures: {},
    };

    // ---- The application's bridge ----
    function connector() { return window.myconnector || null; }
    /* Calls the bridge; resolves with the answer. Methods without an answer do not wait for
     * one: calls reach the application in the order they are made. */
    function call(name, args, answered) {
        return new Promise(function (resolve, reject) {
            var c = connector();
            if (!c || typeof c[name] !== 'function') { reject(new Error('the application does not offer ' + name)); return; }
            var r;
            try { r = c[name].apply(c, (args || []).concat([resolve])); } catch (e) { reject(e); return; }
            if (r !== undefined) Promise.resolve(r).then(resolve, reject);
            else if (!answered) resolve(undefined);
        });
    }

    // ---- Page functions the application calls ----
    window.GetPageConfig = function () { return S.list ? PL.serialize(S.list) : ''; };
    window.ReName = function () { return ui.rename.checked ? 'YES' : 'NO'; };

    // ---- Status and state of the controls ----
    function say(text) { ui.status.textContent = text; }
    function page() { return S.list ? S.list.pages[S.pageIndex] : null; }
    function clone(items) { return items.map(function (i) { return Object.assign({}, i); }); }
    function selectedItem() {
        var p = page();
        if (S.pending) return S.pending;
        return p ? p.items.filter(function (i) { return i.id === S.selected; })[0] || null : null;
    }
    function dirty() { return S.at !== S.savedAt; }

    function refreshControls() {
        var bridge = !!connector() && !!S.list;
        document.querySelectorAll('[data-needs-bridge]').forEach(function (b) { b.disabled = !bridge || S.busy; });
        document.querySelectorAll('[data-tool]').forEach(function (b) {
            b.setAttribute('aria-pressed', String(b.dataset.tool === S.tool));
            b.disabled = !S.list;
        });
        ui.undo.disabled = S.at === 0;
        ui.redo.disabled = S.at === S.history.length;
        ui.remove.disabled = !selectedItem() || !!S.pending;
        ui.page.classList.toggle('pe-drawing', S.tool === 'link');
        document.title = (dirty() ? '* ' : '') + 'Page editor';
    }

    // ---- Undo and redo: each step keeps one page's items before and after ----
    function commit(pageIndex, before, mergeKey) {
        var after = clone(S.list.pages[pageIndex].items);
        if (JSON.stringify(before) === JSON.stringify(after)) return;
        var last = S.history[S.at - 1];
        if (mergeKey && last && S.at === S.history.length && last.mergeKey === mergeKey &&
            last.page === pageIndex && S.savedAt !== S.at) {
            last.after = after;
        } else {
            S.history.splice(S.at);
            if (S.savedAt > S.at) S.savedAt = -1;
            S.history.push({ page: pageIndex, before: before, after: after, mergeKey: mergeKey || '' });
            S.at++;
        }
        render();
    }
    function travel(back) {
        if (S.pending) cancelPending();
        if (back ? S.at === 0 : S.at === S.history.length) return;
        var step = back ? S.history[--S.at] : S.history[S.at++];
        var items = clone(back ? step.before : step.after);
        S.list.pages[step.page].items = items;
        var ids = items.map(function (i) { return i.id; });
        if (ids.indexOf(S.selected) < 0) S.selected = 0;
        showPage(step.page);
        say(back ? 'Undone.' : 'Redone.');
    }

    // ---- Page on screen ----
    function pageCount() { return S.list ? S.list.pages.length : 0; }
    function base() { return PL.rootAttr(S.list, 'bace'); }

    function layout() {
        var pad = 24;
        var aw = Math.max(ui.stage.clientWidth - 2 * pad, 40), ah = Math.max(ui.stage.clientHeight - 2 * pad, 40);
        var w = Math.min(aw, ah * S.aspect);
        S.size = { w: Math.round(w), h: Math.round(w / S.aspect) };
        ui.page.style.width = S.size.w + 'px';
        ui.page.style.height = S.size.h + 'px';
    }

    function showMissing(text) {
        ui.picture.hidden = true;
        ui.missing.hidden = false;
        ui.missing.textContent = text;
    }
    function showPicture(url) {
        ui.missing.hidden = true;
        ui.picture.hidden = false;
        ui.picture.src = url;
    }
    function loadPicture() {
        var p = page(), file = PL.pageFiles(p).normal, n = S.pageIndex;
        var url = PL.fileUrl(base(), file);
        ui.picture.removeAttribute('src');
        ui.page.dataset.picture = 'loading';
        var shown = function (state) { if (S.pageIndex === n) ui.page.dataset.picture = state; };
        if (!file) { showMissing('This page names no picture.'); shown('missing'); return; }
        if (/\.swf$/i.test(file)) {
            ui.picture.hidden = true;
            ui.missing.hidden = true;
            ZarvexDecode.loadBytes(url).then(function (bytes) {
                return ZarvexDecode.jpegFromSwf(bytes).then(function (blob) {
                    if (S.pageIndex !== n) return;
                    if (S.flashPictures[url]) URL.revokeObjectURL(S.flashPictures[url]);
                    S.flashPictures[url] = URL.createObjectURL(blob);
                    showPicture(S.flashPictures[url]);
                }, function () {
                    if (S.pageIndex === n) { showMissing('This Flash page holds no picture the editor can show.'); shown('missing'); }
                });
            }, function () {
                if (S.pageIndex === n) { showMissing('The picture of this page is missing (' + file + ').'); shown('missing'); }
            });
            return;
        }
        showPicture(url);
    }
    ui.picture.addEventListener('load', function () { ui.page.dataset.picture = 'shown'; });
    ui.picture.addEventListener('error', function () {
        if (!ui.picture.getAttribute('src')) return;
        showMissing('The picture of this page is missing (' + PL.pageFiles(page()).normal + ').');
        ui.page.dataset.picture = 'missing';
    });

    function showPage(n) {
        if (!S.list || n < 0 || n >= pageCount()) return;
        var changed = n !== S.pageIndex || !ui.page.dataset.picture;
        if (n !== S.pageIndex) { cancelPending(); S.selected = 0; }
        S.pageIndex = n;
        if (changed) loadPicture();
        ui.title.textContent = 'Page ' + (n + 1) + ' of ' + pageCount();
        ui.page.setAttribute('aria-label', 'Page ' + (n + 1));
        render();
    }

    function renderThumbs() {
        var buttons = ui.thumbs.querySelectorAll('.pe-thumb');
        S.list.pages.forEach(function (p, i) {
            var b = buttons[i];
            if (!b) {
                b = document.createElement('button');
                b.type = 'button';
                b.className = 'pe-thumb';
                var img = document.createElement('img');
                img.alt = '';
                img.draggable = false;
                img.addEventListener('error', function () { img.hidden = true; });
                img.src = PL.fileUrl(base(), PL.pageFiles(p).thumb);
                var label = document.createElement('span');
                label.className = 'pe-thumb-label';
                b.append(img, label);
                b.addEventListener('click', function () { showPage(i); });
                ui.thumbs.appendChild(b);
            }
            var count = p.items.length;
            b.querySelector('.pe-thumb-label').textContent = 'Page ' + (i + 1) + (count ? ' · ' + count : '');
            b.setAttribute('aria-label', 'Page ' + (i + 1) + (count ? ', ' + count + (count === 1 ? ' item' : ' items') : ''));
            if (i === S.pageIndex) {
                if (b.getAttribute('aria-current') !== 'page') b.scrollIntoView({ block: 'nearest' });
                b.setAttribute('aria-current', 'page');
            } else {
                b.removeAttribute('aria-current');
            }
        });
    }

    function itemLabel(item) {
        if (item.kind === 'Link') {
            if (!item.href) return 'New link';
            return item.action === 'page' ? 'Link to page ' + item.href : 'Link to ' + item.href;
        }
        return KIND_LABEL[item.kind] + ' ' + item.src;
    }
    function flashPicture(item, img) {
        var url = PL.fileUrl(base(), item.src);
        if (S.flashPictures[url]) { img.src = S.flashPictures[url]; return; }
        ZarvexDecode.loadBytes(url).then(ZarvexDecode.jpegFromSwf).then(function (blob) {
            S.flashPictures[url] = S.flashPictures[url] || URL.createObjectURL(blob);
            img.src = S.flashPictures[url];
        }, function () { img.hidden = true; });
    }
    function makeItemElement(item) {
        var e = document.createElement('div');
        e.className = 'pe-item pe-' + item.kind.toLowerCase();
        e.tabIndex = 0;
        e.setAttribute('role', 'button');
        e.dataset.id = item.id;
        e.dataset.kind = item.kind;
        if (item.kind === 'Image' || item.kind === 'Flash') {
            var img = document.createElement('img');
            img.alt = '';
            img.draggable = false;
            img.addEventListener('error', function () { img.hidden = true; });
            if (item.kind === 'Image') img.src = PL.fileUrl(base(), item.src);
            else flashPicture(item, img);
            e.appendChild(img);
        }
        var tag = document.createElement('span');
        tag.className = 'pe-tag';
        e.appendChild(tag);
        e.addEventListener('focus', function () {
            if (S.pending || S.selected === item.id || ui.layer.dataset.dragging) return;
            select(item.id);
        });
        return e;
    }
    var HANDLES = ['nw', 'n', 'ne', 'e', 'se', 's', 'sw', 'w'];
    function renderItems() {
        var p = page();
        var shown = p.items.filter(function (i) { return i.kind !== 'Link'; })
            .concat(p.items.filter(function (i) { return i.kind === 'Link'; }));
        if (S.pending) shown.push(S.pending);
        var keep = {};
        shown.forEach(function (item) {
            var e = ui.layer.querySelector('.pe-item[data-id="' + item.id + '"]');
            if (e && e.dataset.src !== (item.src || '')) { e.remove(); e = null; }
            if (!e) { e = makeItemElement(item); e.dataset.src = item.src || ''; }
            ui.layer.appendChild(e); // document order is drawing order
            keep[item.id] = true;
            e.style.left = item.x * 100 + '%';
            e.style.top = item.y * 100 + '%';
            e.style.width = item.w * 100 + '%';
            e.style.height = item.h * 100 + '%';
            var label = itemLabel(item);
            e.querySelector('.pe-tag').textContent = item.kind === 'Link' ? label.replace(/^Link to /, '') : KIND_LABEL[item.kind];
            e.setAttribute('aria-label', label);
            e.title = label;
            var on = item === S.pending || item.id === S.selected;
            e.classList.toggle('pe-selected', on);
            e.classList.toggle('pe-pending', item === S.pending);
            e.setAttribute('aria-pressed', String(on));
            var handles = e.querySelectorAll('.pe-handle');
            if (on && !handles.length) {
                HANDLES.forEach(function (h) {
                    var d = document.createElement('span');
                    d.className = 'pe-handle';
                    d.dataset.handle = h;
                    e.appendChild(d);
                });
            } else if (!on) {
                handles.forEach(function (h) { h.remove(); });
            }
        });
        ui.layer.querySelectorAll('.pe-item').forEach(function (e) { if (!keep[e.dataset.id]) e.remove(); });
    }

    function renderProps() {
        var item = selectedItem();
        var isLink = !!item && item.kind === 'Link';
        ui.linkForm.hidden = !isLink;
        ui.itemInfo.hidden = !item || isLink;
        ui.hint.hidden = !!item;
        if (isLink && ui.linkForm.dataset.for !== String(item.id)) {
            ui.linkForm.dataset.for = item.id;
            ui.linkError.textContent = '';
            var web = item.action !== 'page';
            ui.linkForm.querySelector('[value=web]').checked = web;
            ui.linkForm.querySelector('[value=page]').checked = !web;
            ui.linkUrl.value = web ? item.href : '';
            ui.linkPage.value = web ? '' : item.href;
            ui.linkPage.max = pageCount();
            linkKindChanged();
            ui.linkForm.querySelector('[data-do=link-cancel]').hidden = item !== S.pending;
            ui.linkForm.querySelector('[data-do=link-remove]').hidden = item === S.pending;
        }
        if (!isLink) delete ui.linkForm.dataset.for;
        if (item && !isLink) {
            ui.itemInfo.querySelector('.pe-item-kind').textContent = KIND_LABEL[item.kind];
            ui.itemInfo.querySelector('.pe-item-file').textContent = item.src;
        }
    }
    function linkKindChanged() {
        var web = ui.linkForm.querySelector('[value=web]').checked;
        ui.linkUrl.disabled = !web;
        ui.linkPage.disabled = web;
    }

    function render() {
        if (!S.list) { refreshControls(); return; }
        renderItems();
        renderProps();
        renderThumbs();
        refreshControls();
    }

    // ---- Selection and editing ----
    function select(id) {
        if (S.pending) cancelPending();
        S.selected = id;
        render();
        var e = id && ui.layer.querySelector('.pe-item[data-id="' + id + '"]');
        if (e && document.activeElement !== e && !ui.layer.dataset.dragging) e.focus({ preventScroll: true });
    }
    function setTool(tool) {
        S.tool = tool;
        refreshControls();
        if (tool === 'link') say('Drag across the page to draw a link.');
    }
    function cancelPending() {
        if (!S.pending) return;
        S.pending = null;
        delete ui.linkForm.dataset.for;
        render();
    }
    function startPending(rect) {
        S.selected = 0;
        S.pending = Object.assign({ id: -1, kind: 'Link', action: 'web', href: '' }, rect);
        setTool('select');
        render();
        say('Set where the link leads, then press Apply.');
        ui.linkUrl.focus();
    }
    function applyLink(ev) {
        ev.preventDefault();
        var item = selectedItem();
        if (!item || item.kind !== 'Link') return;
        var web = ui.linkForm.querySelector('[value=web]').checked, href;
        if (web) {
            href = PL.webAddress(ui.linkUrl.value, ZarvexDecode.safeHref);
            if (!href) {
                ui.linkError.textContent = 'That is not a web address. Type one such as https://example.org/.';
                ui.linkUrl.focus();
                return;
            }
        } else {
            var n = Number(ui.linkPage.value);
            if (!(Number.isInteger(n) && n >= 1 && n <= pageCount())) {
                ui.linkError.textContent = 'Type a page number from 1 to ' + pageCount() + '.';
                ui.linkPage.focus();
                return;
            }
            href = String(n);
        }
        ui.linkError.textContent = '';
        var p = page(), before = clone(p.items);
        if (item === S.pending) {
            S.pending = null;
            item = Object.assign({}, item, { id: nextId() });
            p.items.push(item);
        }
        item.action = web ? 'web' : 'page';
        item.href = href;
        S.selected = item.id;
        delete ui.linkForm.dataset.for;
        commit(S.pageIndex, before);
        say(itemLabel(item) + '.');
        var e = ui.layer.querySelector('.pe-item[data-id="' + item.id + '"]');
        if (e) e.focus({ preventScroll: true });
    }
    var idCounter = 1e6;
    function nextId() { return ++idCounter; }

    function deleteSelected() {
        var item = selectedItem();
        if (!item || S.pending) return;
        var p = page(), before = clone(p.items);
        p.items = p.items.filter(function (i) { return i !== item; });
        S.selected = 0;
        commit(S.pageIndex, before);
        say(KIND_LABEL[item.kind] + ' removed.');
        ui.page.focus({ preventScroll: true });
    }

    /* Moves (dx, dy) or resizes (handle) the selected item by pixels of the page on screen. */
    function reshape(item, start, dxPx, dyPx, handle) {
        var dx = dxPx / S.size.w, dy = dyPx / S.size.h;
        var minW = MIN_PX / S.size.w, minH = MIN_PX / S.size.h;
        if (!handle) {
            var r = PL.clampRect({ x: start.x + dx, y: start.y + dy, w: start.w, h: start.h }, 0, 0);
            item.x = r.x; item.y = r.y;
            return;
        }
        var left = start.x, top = start.y, right = start.x + start.w, bottom = start.y + start.h;
        if (/w/.test(handle)) left = Math.min(Math.max(left + dx, 0), right - minW);
        if (/e/.test(handle)) right = Math.max(Math.min(right + dx, 1), left + minW);
        if (/n/.test(handle)) top = Math.min(Math.max(top + dy, 0), bottom - minH);
        if (/s/.test(handle)) bottom = Math.max(Math.min(bottom + dy, 1), top + minH);
        var c = PL.clampRect({ x: left, y: top, w: right - left, h: bottom - top }, Math.min(minW, 1), Math.min(minH, 1));
        item.x = c.x; item.y = c.y; item.w = c.w; item.h = c.h;
    }

    function pointIn(ev) {
        var r = ui.page.getBoundingClientRect();
        return { x: Math.min(Math.max((ev.clientX - r.left) / r.width, 0), 1),
                 y: Math.min(Math.max((ev.clientY - r.top) / r.height, 0), 1) };
    }

    var drag = null;
    ui.layer.addEventListener('pointerdown', function (ev) {
        if (ev.button !== 0 || !S.list) return;
        var target = ev.target.closest('.pe-item');
        var handle = ev.target.closest('.pe-handle');
        ev.preventDefault();
        if (S.tool === 'link') {
            cancelPending();
            var p0 = pointIn(ev);
            drag = { mode: 'draw', p0: p0 };
            var band = document.createElement('div');
            band.className = 'pe-band';
            ui.layer.appendChild(band);
            drag.band = band;
        } else if (target) {
            var id = Number(target.dataset.id);
            if (id !== -1 && S.selected !== id) select(id);
            var item = selectedItem();
            if (!item) return;
            drag = { mode: 'shape', item: item, handle: handle ? handle.dataset.handle : '', x: ev.clientX, y: ev.clientY,
                     start: { x: item.x, y: item.y, w: item.w, h: item.h },
                     before: clone(page().items) };
        } else {
            if (S.pending) cancelPending();
            select(0);
            return;
        }
        ui.layer.dataset.dragging = drag.mode;
        ui.layer.setPointerCapture(ev.pointerId);
    });
    ui.layer.addEventListener('pointermove', function (ev) {
        if (!drag) return;
        if (drag.mode === 'draw') {
            var p1 = pointIn(ev), r = rectBetween(drag.p0, p1);
            Object.assign(drag.band.style, { left: r.x * 100 + '%', top: r.y * 100 + '%', width: r.w * 100 + '%', height: r.h * 100 + '%' });
            drag.rect = r;
            return;
        }
        reshape(drag.item, drag.start, ev.clientX - drag.x, ev.clientY - drag.y, drag.handle);
        renderItems();
    });
    function rectBetween(a, b) {
        return { x: Math.min(a.x, b.x), y: Math.min(a.y, b.y), w: Math.abs(a.x - b.x), h: Math.abs(a.y - b.y) };
    }
    function endDrag(ev, cancelled) {
        if (!drag) return;
        var d = drag;
        drag = null;
        delete ui.layer.dataset.dragging;
        if (ui.layer.hasPointerCapture(ev.pointerId)) ui.layer.releasePointerCapture(ev.pointerId);
        if (d.mode === 'draw') {
            d.band.remove();
            var r = d.rect;
            if (cancelled || !r || r.w * S.size.w < MIN_PX || r.h * S.size.h < MIN_PX) {
                say('Drag across the page to draw a link.');
                return;
            }
            startPending(r);
            return;
        }
        if (cancelled) Object.assign(d.item, d.start);
        if (d.item === S.pending) { render(); return; }
        commit(S.pageIndex, d.before);
        render();
    }
    ui.layer.addEventListener('pointerup', function (ev) { endDrag(ev, false); });
    ui.layer.addEventListener('pointercancel', function (ev) { endDrag(ev, true); });

    // ---- Keyboard ----
    function nudge(dxPx, dyPx, resize) {
        var item = selectedItem();
        if (!item) return;
        var before = clone(page().items), start = { x: item.x, y: item.y, w: item.w, h: item.h };
        reshape(item, start, dxPx, dyPx, resize ? (dxPx ? 'e' : 's') : '');
        if (item === S.pending) { render(); return; }
        commit(S.pageIndex, before, (resize ? 'size:' : 'move:') + item.id);
    }
    var ARROWS = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
    document.addEventListener('keydown', function (ev) {
        if (!S.list || ui.dialog.open) return;
        var typing = /^(INPUT|TEXTAREA|SELECT)$/.test(ev.target.nodeName) && ev.target.type !== 'checkbox';
        var key = ev.key.length === 1 ? ev.key.toLowerCase() : ev.key;
        var mod = ev.ctrlKey || ev.metaKey;
        if (mod && !typing && (key === 'z' || key === 'y')) {
            ev.preventDefault();
            travel(key === 'z' && !ev.shiftKey);
            return;
        }
        if (key === 'Escape') {
            if (drag) return;
            if (S.pending) { cancelPending(); say('Link not added.'); }
            else if (S.tool !== 'select') setTool('select');
            else if (S.selected && !typing) select(0);
            return;
        }
        if (typing || mod) return;
        if ((key === 'Delete' || key === 'Backspace') && selectedItem() && !S.pending) {
            ev.preventDefault();
            deleteSelected();
        } else if (ARROWS[key] && selectedItem() && !ev.target.closest('.pe-thumbs')) {
            ev.preventDefault();
            var step = ev.shiftKey ? 10 : 1;
            nudge(ARROWS[key][0] * step, ARROWS[key][1] * step, ev.altKey);
        } else if (key === 'PageDown' || key === 'PageUp') {
            ev.preventDefault();
            showPage(S.pageIndex + (key === 'PageDown' ? 1 : -1));
        }
    });

    // ---- Placing media ----
    function naturalSize(url) {
        return new Promise(function (resolve) {
            var img = new Image();
            img.onload = function () { resolve(img.naturalWidth > 0 ? { w: img.naturalWidth, h: img.naturalHeight } : null); };
            img.onerror = function () { resolve(null); };
            img.src = url;
        });
    }
    /* The first rectangle of a placed item: centred, pictures at their own aspect where it is known. */
    function defaultRect(kind, src, n) {
        var known = kind === 'Image' ? naturalSize(PL.fileUrl(base(), src))
            : kind === 'Flash' ? ZarvexDecode.loadBytes(PL.fileUrl(base(), src)).then(ZarvexDecode.jpegFromSwf)
                .then(function (blob) { return naturalSize(URL.createObjectURL(blob)); }).catch(function () { return null; })
            : Promise.resolve(kind === 'Movie' ? { w: 16, h: 9 } : kind === 'Music' ? { w: 1, h: 1 } : null);
        return known.then(function (size) {
            var w = kind === 'Music' ? 0.12 : kind === 'Movie' ? 0.5 : 0.4;
            var h = size ? w * S.aspect * size.h / size.w : 0.3;
            if (h > 0.8) { w *= 0.8 / h; h = 0.8; }
            var shift = (n % 8) * 0.03;
            return PL.clampRect({ x: (1 - w) / 2 + shift, y: (1 - h) / 2 + shift, w: w, h: h }, 0, 0);
        });
    }
    function place(kind, method) {
        if (S.busy || !S.list) return;
        S.busy = true;
        cancelPending();
        refreshControls();
        var n = S.pageIndex;
        call(method, [], true).then(function (answer) {
            var paths = String(answer || '').split('|').map(function (s) { return s.trim(); }).filter(Boolean);
            if (!paths.length) return;
            paths.forEach(function (p) { if (S.picked.indexOf(p) < 0) S.picked.push(p); });
            return Promise.all(paths.map(function (p, i) { return defaultRect(kind, p, i); })).then(function (rects) {
                showPage(n);
                var target = S.list.pages[n], before = clone(target.items);
                rects.forEach(function (r, i) {
                    target.items.push(Object.assign({ id: nextId(), kind: kind, src: paths[i] }, r));
                });
                S.selected = target.items[target.items.length - 1].id;
                commit(n, before);
                say(paths.length > 1 ? paths.length + ' pictures placed.' : KIND_LABEL[kind] + ' placed.');
                var e = ui.layer.querySelector('.pe-item[data-id="' + S.selected + '"]');
                if (e) e.focus({ preventScroll: true });
            });
        }).catch(function (e) {
            say('The file could not be placed: ' + e.message);
        }).then(function () {
            S.busy = false;
            refreshControls();
        });
    }

    // ---- Saving and leaving ----
    function save() {
        var text = window.GetPageConfig();
        return call('OnSave').then(function () {
            S.savedText = text;
            S.savedAt = S.at;
            refreshControls();
            say('Saved.');
        }, function (e) { say('Not saved: ' + e.message); });
    }
    /* Files picked in this session that the stored page list does not name go away. */
    function removeUnusedFiles(storedText) {
        return Promise.all(S.picked.filter(function (p) {
            return storedText.indexOf('"' + PL.escapeAttr(p) + '"') < 0 && storedText.indexOf('>' + PL.escapeText(p) + '<') < 0;
        }).map(function (p) { return call('OnDeleteFile', [p]).catch(function () {}); }));
    }
    function saveAndExit() {
        removeUnusedFiles(window.GetPageConfig()).then(function () { return call('SaveAndExit'); })
            .catch(function (e) { say('Could not leave the editor: ' + e.message); });
    }
    function leave() {
        removeUnusedFiles(S.savedText).then(function () { return call('Exit'); })
            .catch(function (e) { say('Could not leave the editor: ' + e.message); });
    }
    function exit() {
        if (!dirty()) { leave(); return; }
        ui.dialog.returnValue = '';
        ui.dialog.showModal();
    }
    ui.dialog.addEventListener('close', function () {
        if (ui.dialog.returnValue === 'discard') leave();
        else if (ui.dialog.returnValue === 'save') saveAndExit();
    });

    // ---- Wiring ----
    document.querySelectorAll('[data-tool]').forEach(function (b) {
        b.addEventListener('click', function (ev) {
            var tool = b.dataset.tool;
            if (tool === 'link' && ev.detail === 0 && S.list) {
                // From the keyboard there is nothing to drag: a link of the default size is drawn.
                startPending({ x: 0.35, y: 0.45, w: 0.3, h: 0.06 });
                return;
            }
            setTool(S.tool === tool ? 'select' : tool);
        });
    });
    document.querySelectorAll('[data-place]').forEach(function (b) {
        b.addEventListener('click', function () { place(b.dataset.place, b.dataset.method); });
    });
    var ACTIONS = {
        undo: function () { travel(true); }, redo: function () { travel(false); }, delete: deleteSelected,
        save: save, 'save-exit': saveAndExit, exit: exit,
        help: function () { call('OpenHelp').catch(function (e) { say(e.message); }); },
        'link-cancel': function () { cancelPending(); say('Link not added.'); },
        'link-remove': deleteSelected,
        'item-remove': deleteSelected,
    };
    document.querySelectorAll('[data-do]').forEach(function (b) {
        if (ACTIONS[b.dataset.do]) b.addEventListener('click', ACTIONS[b.dataset.do]);
    });
    ui.linkForm.addEventListener('submit', applyLink);
    ui.linkForm.querySelectorAll('[name=pe-link-kind]').forEach(function (r) { r.addEventListener('change', linkKindChanged); });
    ui.page.addEventListener('dragstart', function (ev) { ev.preventDefault(); });
    if (typeof ResizeObserver === 'function') new ResizeObserver(layout).observe(ui.stage);
    else window.addEventListener('resize', layout);

    // The application's close button asks as the Exit button does.
    window.RequestExit = exit;

    function bridgeReady() { refreshControls(); }
    window.addEventListener('myconnectorready', bridgeReady);

    function start(text) {
        S.list = PL.parse(text);
        S.savedText = PL.serialize(S.list);
        var w = parseFloat(PL.rootAttr(S.list, 'width')) || parseFloat(PL.rootAttr(S.list, 'largeWidth'));
        var h = parseFloat(PL.rootAttr(S.list, 'height')) || parseFloat(PL.rootAttr(S.list, 'largeHeight'));
        if (w > 0 && h > 0) S.aspect = w / h;
        layout();
        if (!pageCount()) { showMissing('The book has no pages.'); refreshControls(); return; }
        ui.page.dataset.picture = '';
        S.pageIndex = -1;
        showPage(0);
        document.body.dataset.ready = 'true';
    }
    ZarvexDecode.loadBytes('pages.xml').then(function (bytes) {
        start(new TextDecoder('utf-8').decode(bytes));
    }).catch(function (e) {
        S.list = null;
        S.loadError = e.message;
        showMissing('The page list could not be read: ' + e.message + '.');
        document.body.dataset.ready = 'error';
        refreshControls();
    });
    refreshControls();
})();
