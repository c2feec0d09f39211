/* The page editor's model: the page list (pages.xml) read into pages of editable items, and
 * written back in the form the application stores. Links and media items become editable
 * objects; the root, the pages' own attributes, the thumb/normal/large items and everything
 * the editor does not know are kept as read. No DOM beyond DOMParser, so the rules stay small
 * and separate from the editor's screen. */
var ZarvexPageList = (function () {
    'use strict';

    var MEDIA = ['Image', 'Flash', 'Movie', 'Music'];
    var ROLES = ['thumb', 'normal', 'large'];

    function escapeText(s) {
        return String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/\r/g, '&#13;');
    }
    function escapeAttr(s) {
        return escapeText(s).replace(/"/g, '&quot;').replace(/\t/g, '&#9;').replace(/\n/g, '&#10;');
    }
    function attrsText(pairs) {
        return pairs.map(function (p) { return ' ' + p[0] + '="' + escapeAttr(p[1]) + '"'; }).join('');
    }
    function attrsOf(el) {
        var out = [];
        for (var i = 0; i < el.attributes.length; i++) out.push([el.attributes[i].name, el.attributes[i].value]);
        return out;
    }

    /* One element as pretty-printed lines at the given depth: element-only content is
     * indented one element a line, text-only content stays on the element's line, mixed
     * content is written exactly as the serializer gives it. */
    function elementLines(el, depth) {
        var pad = new Array(depth + 1).join('  ');
        var open = '<' + el.nodeName + attrsText(attrsOf(el));
        var kids = [], text = '', mixed = false;
        for (var n = el.firstChild; n; n = n.nextSibling) {
            if (n.nodeType === 1) kids.push(n);
            else if (n.nodeType === 3 || n.nodeType === 4) {
                text += n.nodeValue;
                if (n.nodeType === 4 || /\S/.test(n.nodeValue)) mixed = true;
            }
        }
        if (kids.length && mixed) return [pad + new XMLSerializer().serializeToString(el)];
        if (!kids.length) return [pad + open + (text ? '>' + escapeText(text) + '</' + el.nodeName + '>' : '/>')];
        var lines = [pad + open + '>'];
        kids.forEach(function (k) { lines.push.apply(lines, elementLines(k, depth + 1)); });
        lines.push(pad + '</' + el.nodeName + '>');
        return lines;
    }

    function number(v) {
        if (v === null || !/^\s*[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?\s*$/.test(v)) return NaN;
        return parseFloat(v);
    }

    /* The rectangle of an item element, or null when it is not a rectangle inside the page. */
    function rectOf(el) {
        var r = { x: number(el.getAttribute('x')), y: number(el.getAttribute('y')),
                  w: number(el.getAttribute('width')), h: number(el.getAttribute('height')) };
        if (!(r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= 1.000001 && r.y + r.h <= 1.000001)) return null;
        return clampRect(r, 0, 0);
    }

    /* A Link item as an editable link, or null when the editor cannot show it faithfully. */
    function linkOf(el) {
        var rect = rectOf(el);
        if (!rect || (el.getAttribute('type') || 'rect') !== 'rect') return null;
        var action = (el.getAttribute('action') || '').toLowerCase();
        var href = (el.getAttribute('href') || '').trim();
        var pageMatch = /^(?:#p=|page:)?(\d+)$/.exec(href);
        if (action === 'page' || (!action && pageMatch)) {
            var page = parseInt(pageMatch ? pageMatch[1] : el.getAttribute('pageIndex'), 10);
            if (!(page > 0)) return null;
            rect.action = 'page';
            rect.href = String(page);
        } else if (action === 'web' || !action) {
            if (!href) return null;
            rect.action = 'web';
            rect.href = href;
        } else {
            return null;
        }
        rect.kind = 'Link';
        return rect;
    }

    function mediaOf(el, name) {
        var rect = rectOf(el);
        var src = (el.getAttribute('src') || '').trim();
        if (!rect || !src || (el.getAttribute('type') || 'rect') !== 'rect') return null;
        rect.kind = name;
        rect.src = src;
        return rect;
    }

    var nextId = 1;

    /* The page list of a pages.xml text. Throws when the text is not a page list. */
    function parse(text) {
        var doc = new DOMParser().parseFromString(text, 'application/xml');
        var root = doc.documentElement;
        if (!root || root.nodeName !== 'Pages' || doc.getElementsByTagName('parsererror').length) {
            throw new Error('the page list is not readable');
        }
        var list = { rootName: root.nodeName, rootAttrs: attrsOf(root), parts: [], pages: [] };
        for (var c = root.firstElementChild; c; c = c.nextElementSibling) {
            if (c.nodeName !== 'Page') { list.parts.push({ kept: c }); continue; }
            var page = { attrs: attrsOf(c), roles: {}, kept: [], items: [] };
            for (var it = c.firstElementChild; it; it = it.nextElementSibling) {
                var name = it.nodeName === 'Item' ? it.getAttribute('name') : null;
                var item = null;
                if (ROLES.indexOf(name) >= 0 && !page.roles[name]) { page.roles[name] = it; continue; }
                if (name === 'Link') item = linkOf(it);
                else if (MEDIA.indexOf(name) >= 0) item = mediaOf(it, name);
                if (item) {
                    item.id = nextId++;
                    page.items.push(item);
                } else {
                    page.kept.push(it);
                }
            }
            list.parts.push({ page: page });
            list.pages.push(page);
        }
        return list;
    }

    function text(el) { return el ? el.textContent.trim() : ''; }
    /* The file of a page shown large in the editor, and its thumbnail. */
    function pageFiles(page) {
        var normal = text(page.roles.normal) || text(page.roles.large) || text(page.roles.thumb);
        return { normal: normal, thumb: text(page.roles.thumb) || normal };
    }
    function rootAttr(list, name) {
        for (var i = 0; i < list.rootAttrs.length; i++) if (list.rootAttrs[i][0] === name) return list.rootAttrs[i][1];
        return '';
    }

    function fixed(v) { return (Math.round(v * 1e6) / 1e6).toFixed(6); }
    /* x, y, width, height with six decimals, the rectangle still inside the page after rounding. */
    function rectAttrs(r) {
        var x = fixed(r.x), y = fixed(r.y);
        var w = fixed(Math.min(r.w, 1 - parseFloat(x))), h = fixed(Math.min(r.h, 1 - parseFloat(y)));
        return [['x', x], ['y', y], ['width', w], ['height', h]];
    }
    function itemLine(item) {
        var head = [['name', item.kind], ['type', 'rect']];
        if (item.kind === 'Link') {
            return '<Item' + attrsText(head.concat([['action', item.action]], rectAttrs(item), [['href', item.href]])) + '/>';
        }
        return '<Item' + attrsText(head.concat(rectAttrs(item), [['src', item.src]])) + '/>';
    }

    /* The page list as text: thumb, normal, large, kept items, links, then media in their order. */
    function serialize(list) {
        var lines = [];
        list.parts.forEach(function (part) {
            if (part.kept) { lines.push.apply(lines, elementLines(part.kept, 1)); return; }
            var page = part.page, body = [];
            ROLES.forEach(function (r) { if (page.roles[r]) body.push.apply(body, elementLines(page.roles[r], 2)); });
            page.kept.forEach(function (k) { body.push.apply(body, elementLines(k, 2)); });
            page.items.filter(function (i) { return i.kind === 'Link'; })
                .concat(page.items.filter(function (i) { return i.kind !== 'Link'; }))
                .forEach(function (i) { body.push('    ' + itemLine(i)); });
            var open = '  <Page' + attrsText(page.attrs);
            if (!body.length) { lines.push(open + '/>'); return; }
            lines.push(open + '>');
            lines.push.apply(lines, body);
            lines.push('  </Page>');
        });
        var head = '<' + list.rootName + attrsText(list.rootAttrs);
        if (!lines.length) return head + '/>\n';
        return head + '>\n' + lines.join('\n') + '\n</' + list.rootName + '>\n';
    }

    /* The rectangle moved and cut so that it lies inside the page, at least minW by minH. */
    function clampRect(r, minW, minH) {
        var w = Math.min(Math.max(r.w, minW), 1), h = Math.min(Math.max(r.h, minH), 1);
        return { x: Math.min(Math.max(r.x, 0), 1 - w), y: Math.min(Math.max(r.y, 0), 1 - h), w: w, h: h };
    }

    function encodePath(p) { return p.split('/').map(encodeURIComponent).join('/'); }
    /* The address of a file of the book: base ("bace") joined with the relative text. An absolute
     * base path becomes a file address; an empty base is the files folder beside the editor. */
    function fileUrl(base, rel) {
        rel = String(rel || '').replace(/\\/g, '/');
        if (!rel) return '';
        base = String(base || '').replace(/\\/g, '/');
        if (base && !/\/$/.test(base)) base += '/';
        var drive = /^\/?([A-Za-z]:)(\/.*)$/.exec(base + rel);
        if (drive) return 'file:///' + drive[1] + encodePath(drive[2]);
        if (/^[a-z][a-z0-9+.-]+:/i.test(base)) return base + encodePath(rel);
        if (/^\//.test(base)) return 'file://' + encodePath(base + rel);
        return encodePath((base || 'files/') + rel);
    }

    /* The web address typed for a link, completed with http:// where the scheme is left out,
     * or '' when it is not a web or mail address that readers can follow. */
    function webAddress(typed, safeHref) {
        var t = String(typed || '').trim();
        if (!t || /\s/.test(t)) return '';
        if (!/^[a-z][a-z0-9+.-]*:/i.test(t)) {
            if (!/^[^/?#@:]+\.[a-z]{2,}(?::\d+)?(?:[/?#].*)?$/i.test(t)) return '';
            t = 'http://' + t;
        }
        var u;
        try { u = new URL(t); } catch (e) { return ''; }
        var ok = u.protocol === 'mailto:' ? /^[^@\s]+@[^@\s]+$/.test(decodeURIComponent(u.pathname))
            : /^https?:$/.test(u.protocol) && /^\/\//.test(t.slice(u.protocol.length)) &&
              (/\.[a-z0-9-]{2,}$/i.test(u.hostname) || u.hostname === 'localhost' || /^\[?[\d.:]+\]?$/.test(u.hostname));
        if (!ok) return '';
        return safeHref && safeHref(t) !== t ? '' : t;
    }

    return {
        parse: parse, serialize: serialize, pageFiles: pageFiles, rootAttr: rootAttr, clampRect: clampRect,
        fileUrl: fileUrl, webAddress: webAddress, escapeText: escapeText, escapeAttr: escapeAttr,
    };
})();
