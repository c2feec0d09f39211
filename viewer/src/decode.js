/* Zarvex book decoding: the configuration envelope (Base64, RC4, ZIP with raw DEFLATE),
 * the book model read from the FlipBook3D document, and JPEG pages taken out of SWF pages.
 * Runs in any current browser without network access; everything is read relative to the
 * book's resource folder. */
var ZarvexDecode = (function () {
    'use strict';

    var CONFIG_KEY = 'Tn4vRq8sWk2yBx';

    function base64ToBytes(text) {
        var clean = String(text).replace(/[^A-Za-z0-9+/=]/g, '');
        var bin = atob(clean);
        var out = new Uint8Array(bin.length);
        for (var i = 0; i < bin.length; i++) out[i] = bin.charCodeAt(i);
        return out;
    }

    // RC4 is its own inverse: the same call encrypts and decrypts.
    function rc4(keyText, data) {
        var key = new TextEncoder().encode(keyText).subarray(0, 512);
        var s = new Uint8Array(256);
        var i, j = 0, t;
        for (i = 0; i < 256; i++) s[i] = i;
        for (i = 0; i < 256; i++) {
            j = (j + s[i] + key[i % key.length]) & 255;
            t = s[i]; s[i] = s[j]; s[j] = t;
        }
        var out = new Uint8Array(data.length);
        i = 0; j = 0;
        for (var n = 0; n < data.length; n++) {
            i = (i + 1) & 255;
            j = (j + s[i]) & 255;
            t = s[i]; s[i] = s[j]; s[j] = t;
            out[n] = data[n] ^ s[(s[i] + s[j]) & 255];
        }
        return out;
    }

    function u16(b, o) { return b[o] | (b[o + 1] << 8); }
    function u32(b, o) { return (b[o] | (b[o + 1] << 8) | (b[o + 2] << 16)) + b[o + 3] * 16777216; }

    function streamThrough(bytes, format) {
        var ds = new DecompressionStream(format);
        var stream = new Blob([bytes]).stream().pipeThrough(ds);
        return new Response(stream).arrayBuffer().then(function (buf) { return new Uint8Array(buf); });
    }

    // Raw DEFLATE. Engines without the 'deflate-raw' format (Chromium before 103, as in older
    // embedded web views) still inflate it when it is wrapped as gzip with the ZIP entry's CRC
    // and size; without any DecompressionStream the small inflater below does the work.
    function inflateRaw(bytes, crc, size) {
        if (typeof DecompressionStream === 'function') {
            var raw;
            try { raw = streamThrough(bytes, 'deflate-raw'); } catch (e) { raw = null; }
            if (raw) return raw.catch(function () { return inflateViaGzip(bytes, crc, size); });
            return inflateViaGzip(bytes, crc, size);
        }
        return Promise.resolve().then(function () { return tinyInflate(bytes); });
    }

    function inflateViaGzip(bytes, crc, size) {
        var gz = new Uint8Array(bytes.length + 18);
        gz.set([0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 255]);
        gz.set(bytes, 10);
        var o = 10 + bytes.length;
        [crc, size].forEach(function (v, k) {
            for (var n = 0; n < 4; n++) gz[o + k * 4 + n] = (v >>> (8 * n)) & 255;
        });
        return streamThrough(gz, 'gzip').catch(function () { return tinyInflate(bytes); });
    }

    function inflateZlib(bytes) {
        if (typeof DecompressionStream === 'function') {
            return streamThrough(bytes, 'deflate').catch(function () { return tinyInflate(bytes.subarray(2)); });
        }
        return Promise.resolve().then(function () { return tinyInflate(bytes.subarray(2)); });
    }

    // A compact RFC 1951 inflater; slow but dependable fallback.
    function tinyInflate(src) {
        var pos = 0, bit = 0, len = src.length;
        var out = new Uint8Array(Math.max(1024, len * 4)), n0 = 0;
        function room(extra) {
            if (n0 + extra <= out.length) return;
            var bigger = new Uint8Array(Math.max(out.length * 2, n0 + extra));
            bigger.set(out.subarray(0, n0));
            out = bigger;
        }
        function bits(n) {
            var v = 0;
            for (var k = 0; k < n; k++) {
                if (pos >= len) throw new Error('truncated deflate stream');
                v |= ((src[pos] >> bit) & 1) << k;
                if (++bit === 8) { bit = 0; pos++; }
            }
            return v;
        }
        function build(lengths) {
            var counts = new Uint16Array(16), offs = new Uint16Array(16), syms = new Uint16Array(lengths.length);
            for (var k = 0; k < lengths.length; k++) counts[lengths[k]]++;
            counts[0] = 0;
            for (k = 1; k < 16; k++) offs[k] = offs[k - 1] + counts[k - 1];
            for (k = 0; k < lengths.length; k++) if (lengths[k]) syms[offs[lengths[k]]++] = k;
            return { counts: counts, syms: syms };
        }
        function decode(t) {
            var code = 0, first = 0, index = 0;
            for (var l = 1; l < 16; l++) {
                code |= bits(1);
                var c = t.counts[l];
                if (code - c < first) return t.syms[index + (code - first)];
                index += c; first += c; first <<= 1; code <<= 1;
            }
            throw new Error('bad deflate code');
        }
        var LB = [3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258];
        var LE = [0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0];
        var DB = [1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577];
        var DE = [0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13];
        var final;
        do {
            final = bits(1);
            var type = bits(2);
            if (type === 0) {
                if (bit) { bit = 0; pos++; }
                var n = u16(src, pos); pos += 4;
                if (pos + n > len) throw new Error('truncated deflate stream');
                room(n);
                out.set(src.subarray(pos, pos + n), n0);
                n0 += n; pos += n;
                continue;
            }
            var lt, dt, k2;
            if (type === 1) {
                var l1 = [];
                for (k2 = 0; k2 < 288; k2++) l1.push(k2 < 144 ? 8 : k2 < 256 ? 9 : k2 < 280 ? 7 : 8);
                var d1 = [];
                for (k2 = 0; k2 < 30; k2++) d1.push(5);
                lt = build(l1); dt = build(d1);
            } else if (type === 2) {
                var hl = bits(5) + 257, hd = bits(5) + 1, hc = bits(4) + 4;
                var order = [16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15];
                var cl = new Array(19).fill(0);
                for (k2 = 0; k2 < hc; k2++) cl[order[k2]] = bits(3);
                var ct = build(cl), lens = [];
                while (lens.length < hl + hd) {
                    var sym = decode(ct);
                    if (sym < 16) lens.push(sym);
                    else if (sym === 16) { var prev = lens[lens.length - 1]; for (var r = bits(2) + 3; r > 0; r--) lens.push(prev); }
                    else if (sym === 17) { for (r = bits(3) + 3; r > 0; r--) lens.push(0); }
                    else { for (r = bits(7) + 11; r > 0; r--) lens.push(0); }
                }
                lt = build(lens.slice(0, hl)); dt = build(lens.slice(hl));
            } else {
                throw new Error('bad deflate block');
            }
            for (;;) {
                var s = decode(lt);
                if (s < 256) { room(1); out[n0++] = s; continue; }
                if (s === 256) break;
                s -= 257;
                var length = LB[s] + bits(LE[s]);
                var ds = decode(dt);
                var dist = DB[ds] + bits(DE[ds]);
                var start = n0 - dist;
                if (start < 0) throw new Error('bad deflate distance');
                room(length);
                for (k2 = 0; k2 < length; k2++) out[n0++] = out[start + k2];
            }
        } while (!final);
        return out.slice(0, n0);
    }

    // First entry of a ZIP archive (the configuration archive holds exactly one).
    function unzipFirst(bytes) {
        if (bytes.length < 30 || u32(bytes, 0) !== 0x04034b50) {
            return Promise.reject(new Error('not a ZIP archive'));
        }
        var flags = u16(bytes, 6), method = u16(bytes, 8);
        var crc = u32(bytes, 14), csize = u32(bytes, 18), usize = u32(bytes, 22);
        var start = 30 + u16(bytes, 26) + u16(bytes, 28);
        if ((flags & 8) || csize === 0xffffffff) {
            // Sizes live in the central directory when a data descriptor is used.
            for (var o = bytes.length - 22; o >= 0; o--) {
                if (u32(bytes, o) === 0x06054b50) {
                    var cd = u32(bytes, o + 16);
                    if (u32(bytes, cd) === 0x02014b50) {
                        crc = u32(bytes, cd + 16); csize = u32(bytes, cd + 20); usize = u32(bytes, cd + 24);
                    }
                    break;
                }
            }
        }
        var data = bytes.subarray(start, start + csize);
        if (method === 0) return Promise.resolve(data);
        if (method !== 8) return Promise.reject(new Error('unsupported ZIP method ' + method));
        return inflateRaw(data, crc, usize);
    }

    /* The envelope text (the whole config.xml file) to the FlipBook3D XML text. */
    function decodeEnvelope(envelopeText) {
        return Promise.resolve().then(function () {
            var m = /<data[^>]*>\s*(?:<!\[CDATA\[)?([\s\S]*?)(?:\]\]>)?\s*<\/data>/.exec(envelopeText);
            if (!m) throw new Error('the book configuration has no data element');
            return unzipFirst(rc4(CONFIG_KEY, base64ToBytes(m[1])));
        }).then(function (bytes) {
            return new TextDecoder('utf-8').decode(bytes);
        });
    }

    function childEl(parent, name) {
        if (!parent) return null;
        for (var n = parent.firstElementChild; n; n = n.nextElementSibling) {
            if (n.nodeName === name) return n;
        }
        return null;
    }
    function pathEl(root, path) {
        var el = root;
        path.split('/').forEach(function (p) { el = childEl(el, p); });
        return el;
    }
    function text(root, path, def) {
        var el = pathEl(root, path);
        return el ? el.textContent.trim() : (def === undefined ? '' : def);
    }
    function attr(root, path, name, def) {
        var el = pathEl(root, path);
        var v = el && el.getAttribute(name);
        return v === null || v === undefined ? (def === undefined ? '' : def) : v;
    }

    function colorFromNumber(v, fallback) {
        var n = parseInt(v, 10);
        if (isNaN(n)) return fallback;
        return '#' + ('000000' + (n >>> 0 & 0xffffff).toString(16)).slice(-6);
    }
    function colorFromHex(v, fallback) {
        var m = /^\s*(?:0x|#)?([0-9a-fA-F]{1,6})/.exec(String(v || ''));
        return m ? '#' + ('000000' + m[1]).slice(-6).toLowerCase() : fallback;
    }
    // A file address written by the publisher ("extfiles/Key.ext"); empty or extension-less
    // addresses stand for "no file".
    function fileRef(v) {
        v = String(v || '').trim();
        if (!v || /\.$/.test(v) || !/\.[A-Za-z0-9]+$/.test(v)) return '';
        return v;
    }
    function num(v, def) {
        var n = parseFloat(v);
        return isFinite(n) ? n : def;
    }
    // Only web, mail and relative addresses become links; script and every other scheme are
    // dropped. Browsers remove tabs and line breaks anywhere in an address, and control
    // characters and blanks around it, before they read its scheme: so the address is cleaned
    // the same way first, and the browser's own parser has the last word on the scheme.
    function safeHref(h) {
        h = String(h || '').replace(/[\u0000-\u001f\u007f-\u009f]/g, '').trim();
        if (!h) return '';
        var scheme = /^([a-z][a-z0-9+.-]*):/i.exec(h);
        if (scheme && !/^(https?|mailto)$/i.test(scheme[1])) return '';
        if (!scheme && /^www\./i.test(h)) h = 'http://' + h;
        try {
            if (!/^(https?|mailto):$/.test(new URL(h, 'https://book.invalid/').protocol)) return '';
        } catch (e) {
            return '';
        }
        return h;
    }

    // A media file the page editor placed: a path inside the book's files folder. Scheme
    // addresses, absolute paths, backslashes and ".." (also percent-encoded, which the browser
    // reads as "..") are refused, and the browser's parser must agree that it stays inside.
    function mediaRef(v) {
        v = fileRef(v);
        if (!v || /[\u0000-\u001f\u007f\\]/.test(v) || /^([a-z][a-z0-9+.-]*:|\/)/i.test(v)) return '';
        if (v.split('/').some(function (s) { return /^(\.|%2e){2}$/i.test(s); })) return '';
        var inside = 'https://book.invalid/files/';
        try {
            if (new URL(v, inside).href.indexOf(inside) !== 0) return '';
        } catch (e) {
            return '';
        }
        return v;
    }

    /* Media items of a page, as the page editor writes them:
     *   <Item name="Image|Flash|Movie|Music" type="rect" x="0.1" y="0.2" width="0.3" height="0.25"
     *         src="editor/071226153012.png"/>
     * x, y, width and height are fractions of the page (origin top left), src a path relative to
     * the files folder. Rectangles reaching out of the page are cut to it; empty ones and those
     * wholly outside are dropped, as are items without a usable file. Document order is the
     * drawing order. */
    var MEDIA_KINDS = { Image: 'image', Flash: 'flash', Movie: 'movie', Music: 'music' };
    function parseMedia(pageEl) {
        var media = [];
        for (var it = pageEl.firstElementChild; it; it = it.nextElementSibling) {
            var kind = it.nodeName === 'Item' && MEDIA_KINDS[it.getAttribute('name')];
            if (!kind) continue;
            var src = mediaRef(it.getAttribute('src'));
            var x = num(it.getAttribute('x'), NaN), y = num(it.getAttribute('y'), NaN);
            var w = num(it.getAttribute('width'), NaN), h = num(it.getAttribute('height'), NaN);
            if (!src || !(w > 0 && h > 0) || !isFinite(x) || !isFinite(y)) continue;
            var x0 = Math.max(0, x), y0 = Math.max(0, y), x1 = Math.min(1, x + w), y1 = Math.min(1, y + h);
            if (!(x1 > x0 && y1 > y0)) continue;
            media.push({ kind: kind, x: x0, y: y0, width: x1 - x0, height: y1 - y0, src: src });
        }
        return media;
    }

    function parseLinks(pageEl) {
        var links = [];
        for (var it = pageEl.firstElementChild; it; it = it.nextElementSibling) {
            if (it.nodeName !== 'Item' || it.getAttribute('name') !== 'Link') continue;
            var action = (it.getAttribute('action') || '').toLowerCase();
            var href = it.getAttribute('href') || '';
            var target = it.getAttribute('pageIndex') || it.getAttribute('page') || '';
            var link = {
                x: num(it.getAttribute('x'), 0), y: num(it.getAttribute('y'), 0),
                width: num(it.getAttribute('width'), 0), height: num(it.getAttribute('height'), 0),
            };
            var pageMatch = /^(?:#p=|page:)?(\d+)$/.exec(href.trim());
            if (action === 'page' || (!action && pageMatch)) {
                var p = parseInt(target || (pageMatch && pageMatch[1]), 10);
                if (!(p > 0)) continue;
                link.page = p;
            } else {
                link.href = safeHref(href);
                if (!link.href) continue;
            }
            if (link.width <= 0 || link.height <= 0) continue;
            links.push(link);
        }
        return links;
    }

    /* The book model of a FlipBook3D document. Addresses stay relative to the resource folder. */
    function parseBook(xmlText, opts) {
        var doc = new DOMParser().parseFromString(xmlText, 'application/xml');
        var root = doc.documentElement;
        if (!root || root.nodeName !== 'FlipBook3D') throw new Error('the book configuration is not readable');
        var S = pathEl(root, 'Config/Setting');
        var F = childEl(S, 'FlipBook3DSetting');
        var B = childEl(F, 'Background');
        var pagesEl = childEl(root, 'Pages');
        var hidden = text(S, 'ControlButtonsInvisible').split(',').map(function (s) { return s.trim(); })
            .filter(Boolean);
        var direction = (attr(F, 'Mobility', 'direction', 'right') + ' ' + text(S, 'Direction')).toLowerCase();
        var model = {
            title: text(S, 'Title'),
            author: {
                name: text(root, 'Config/Author/Name'), email: text(root, 'Config/Author/Email'),
                web: text(root, 'Config/Author/WebSite'), info: text(root, 'Config/Author/Info'),
            },
            baseColor: colorFromNumber(text(S, 'BaseColor'), '#804000'),
            logo: { src: fileRef(text(S, 'Logo')), show: attr(S, 'Logo', 'displayLogo') !== 'false',
                    link: safeHref(attr(S, 'Logo', 'link')) },
            music: { src: fileRef(text(S, 'BackgroundMusic')), loop: attr(S, 'BackgroundMusic', 'circle') === '-1' },
            download: fileRef(attr(S, 'Download', 'src')),
            hidden: hidden,
            background: {
                type: text(B, 'BackgroundType', 'GradientColor'),
                color: colorFromNumber(text(B, 'Color'), '#808000'),
                start: colorFromNumber(text(B, 'GradientStartColor'), '#ff9900'),
                end: colorFromNumber(text(B, 'GradientEndColor'), '#e8ac4d'),
                angle: num(text(B, 'GradientAngle'), 90),
                image: fileRef(text(B, 'ImagePath')),
                position: text(B, 'Position', 'Fill'),
            },
            autoFlip: { enable: text(F, 'AutoFlip/Enable') === 'Yes', interval: num(text(F, 'AutoFlip/Interval'), 3),
                        loop: parseInt(attr(F, 'AutoFlip', 'loop', '0'), 10) || 0 },
            tilt: num(text(F, 'TiltAngle'), 0),
            flipSound: text(F, 'PlayFlipSound', 'Yes') === 'Yes',
            rtl: /\bleft\b/.test(direction) || /\brtl\b/.test(direction),
            language: text(S, 'Language'), // the player's language; empty: the browser's
            pageWidth: num(pagesEl && pagesEl.getAttribute('width'), 0),
            pageHeight: num(pagesEl && pagesEl.getAttribute('height'), 0),
            pages: [],
        };
        var pano = pathEl(S, 'Template/PanoramicImage');
        if (pano && opts && opts.panorama) {
            model.panorama = {};
            ['Front', 'Back', 'Left', 'Right', 'Top', 'Bottom'].forEach(function (f) {
                model.panorama[f.toLowerCase()] = fileRef(text(pano, f));
            });
        }
        if (pagesEl) {
            for (var p = pagesEl.firstElementChild; p; p = p.nextElementSibling) {
                if (p.nodeName !== 'Page') continue;
                var items = {};
                for (var it = p.firstElementChild; it; it = it.nextElementSibling) {
                    var n = it.getAttribute('name');
                    if (it.nodeName === 'Item' && n && n !== 'Link' && !(n in items)) items[n] = it.textContent.trim();
                }
                var normal = items.normal || items.large || items.thumb || '';
                var m = /(\d+)\.[A-Za-z0-9]+$/.exec(normal);
                model.pages.push({
                    number: model.pages.length + 1,
                    fileIndex: m ? parseInt(m[1], 10) : model.pages.length + 1,
                    normal: normal, large: items.large || normal, thumb: items.thumb || normal,
                    links: parseLinks(p), media: parseMedia(p),
                });
            }
        }
        return model;
    }

    /* The JPEG picture of a SWF page (DefineBitsJPEG2/3, or DefineBits with JPEGTables). */
    function jpegFromSwf(bytes) {
        var sig = String.fromCharCode(bytes[0], bytes[1], bytes[2]);
        var body;
        if (sig === 'FWS') body = Promise.resolve(bytes.subarray(8));
        else if (sig === 'CWS') body = inflateZlib(bytes.subarray(8));
        else return Promise.reject(new Error('not a readable SWF file'));
        return body.then(function (b) {
            var nbits = b[0] >> 3;
            var o = Math.ceil((5 + 4 * nbits) / 8) + 4;
            var tables = null;
            while (o + 2 <= b.length) {
                var h = u16(b, o), code = h >> 6, len = h & 63;
                o += 2;
                if (len === 63) { len = u32(b, o); o += 4; }
                var tag = b.subarray(o, o + len);
                o += len;
                if (code === 0) break;
                if (code === 8) tables = tag;
                var img = null;
                if (code === 21) img = tag.subarray(2);
                else if (code === 35 || code === 90) img = tag.subarray(6, 6 + u32(tag, 2));
                else if (code === 6) {
                    img = tag.subarray(2);
                    if (tables) {
                        var t = tables;
                        if (t[0] === 0xff && t[1] === 0xd8) t = t.subarray(2);
                        if (t.length >= 2 && t[t.length - 2] === 0xff && t[t.length - 1] === 0xd9) t = t.subarray(0, t.length - 2);
                        if (img[0] === 0xff && img[1] === 0xd8) img = img.subarray(2);
                        var joined = new Uint8Array(2 + t.length + img.length);
                        joined.set([0xff, 0xd8]); joined.set(t, 2); joined.set(img, 2 + t.length);
                        img = joined;
                    }
                }
                if (img) {
                    if (img[0] === 0xff && img[1] === 0xd9 && img[2] === 0xff && img[3] === 0xd8) img = img.subarray(4);
                    var type = img[0] === 0x89 && img[1] === 0x50 ? 'image/png' : img[0] === 0x47 ? 'image/gif' : 'image/jpeg';
                    return new Blob([img], { type: type });
                }
            }
            throw new Error('the SWF page holds no picture');
        });
    }

    /* Bytes of a file of the book. fetch() does not read file addresses; XMLHttpRequest does
     * where the browser allows it (web views with local file access), and fails otherwise.
     * opts.signal (an AbortSignal) stops the download; opts.priority: 'high' or 'low'. */
    function loadBytes(url, opts) {
        opts = opts || {};
        if (/^file:/i.test(url) || (location.protocol === 'file:' && !/^[a-z]+:/i.test(url))) {
            return new Promise(function (resolve, reject) {
                var x = new XMLHttpRequest();
                x.open('GET', url);
                x.responseType = 'arraybuffer';
                x.onload = function () {
                    if (x.response && (x.status === 0 || x.status === 200)) resolve(new Uint8Array(x.response));
                    else reject(new Error('cannot read ' + url));
                };
                x.onerror = function () { reject(new Error('cannot read ' + url)); };
                if (opts.signal) opts.signal.addEventListener('abort', function () { x.abort(); reject(new Error('cancelled')); });
                try { x.send(); } catch (e) { reject(e); }
            });
        }
        var init = {};
        if (opts.signal) init.signal = opts.signal;
        if (opts.priority) init.priority = opts.priority;
        return fetch(url, init).then(function (r) {
            if (!r.ok) throw new Error('cannot read ' + url + ' (' + r.status + ')');
            return r.arrayBuffer();
        }).then(function (b) { return new Uint8Array(b); });
    }

    function loadScript(url) {
        return new Promise(function (resolve, reject) {
            var s = document.createElement('script');
            s.src = url;
            s.onload = function () { s.remove(); resolve(); };
            s.onerror = function () { s.remove(); reject(new Error('cannot load ' + url)); };
            document.head.appendChild(s);
        });
    }

    /* The envelope text of the book whose resource folder is base: from the already loaded
     * config script, from config.js (works from disk), or from config.xml. */
    function loadEnvelope(base) {
        if (typeof window.ZARVEX_CONFIG_XML === 'string') return Promise.resolve(window.ZARVEX_CONFIG_XML);
        return loadScript(base + 'config.js').then(function () {
            if (typeof window.ZARVEX_CONFIG_XML !== 'string') throw new Error('empty config script');
            return window.ZARVEX_CONFIG_XML;
        }).catch(function () {
            return loadBytes(base + 'config.xml').then(function (b) { return new TextDecoder('utf-8').decode(b); });
        });
    }

    /* Whether the book's resource folder holds the optional script `name` ("outline.js",
     * "text/index.js", "zoom/index.js"): its config script lists them; a book whose config
     * script does not (older books, config.xml only) is simply asked. */
    function bookHasFile(name) {
        var list = window.ZARVEX_BOOK_FILES;
        return !Array.isArray(list) || list.indexOf(name) >= 0;
    }

    /* A file published with a script twin, which loads from disk as well: the value `take` reads
     * from the twin as soon as it has run (before another book's can replace it), else the file
     * itself, where the browser lets a script read it, turned into a value by `parse`. `take`
     * answers null or undefined when the twin holds nothing usable. */
    function loadTwin(scriptUrl, take, fileUrl, parse) {
        return loadScript(scriptUrl).then(function () {
            var value = take();
            if (value === null || value === undefined) throw new Error('nothing in ' + scriptUrl);
            return value;
        }).catch(function () {
            return loadBytes(fileUrl).then(function (b) { return parse(new TextDecoder('utf-8').decode(b)); });
        });
    }

    function loadBook(base, opts) {
        return loadEnvelope(base).then(decodeEnvelope).then(function (xml) { return parseBook(xml, opts); });
    }

    return {
        base64ToBytes: base64ToBytes, rc4: rc4, unzipFirst: unzipFirst, tinyInflate: tinyInflate,
        decodeEnvelope: decodeEnvelope, parseBook: parseBook, jpegFromSwf: jpegFromSwf,
        loadBytes: loadBytes, loadScript: loadScript, loadEnvelope: loadEnvelope, loadBook: loadBook,
        bookHasFile: bookHasFile, loadTwin: loadTwin,
        colorFromHex: colorFromHex, safeHref: safeHref, fileRef: fileRef,
    };
})();
