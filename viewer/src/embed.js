/* Embedding: the HTML book viewer for every reader; the Flash book player only when the
 * reader asks for it with "?viewer=flash" (the book.swf shipped today is an empty stage, so an
 * installed Flash Player alone must not choose it). The small swfobject interface
 * (hasFlashPlayerVersion, embedSWF) is kept for pages written against it. */
var swfobject = (function () {
    'use strict';

    function flashVersion() {
        var none = [0, 0, 0];
        try {
            var plugin = navigator.plugins && navigator.plugins['Shockwave Flash'];
            if (plugin) {
                // Emulators register under the same name; they cannot run our player.
                if (/ruffle/i.test((plugin.filename || '') + ' ' + (plugin.description || ''))) return none;
                var m = /(\d+)\.(\d+)(?:\s*[rd.](\d+))?/.exec(plugin.description || '');
                return m ? [+m[1], +m[2], +(m[3] || 0)] : none;
            }
            if (window.ActiveXObject) {
                var ax = new window.ActiveXObject('ShockwaveFlash.ShockwaveFlash');
                var v = /(\d+),(\d+),(\d+)/.exec(ax.GetVariable('$version') || '');
                return v ? [+v[1], +v[2], +v[3]] : none;
            }
        } catch (e) { /* no player */ }
        return none;
    }

    function atLeast(have, want) {
        var w = String(want || '0').split('.').map(Number);
        for (var i = 0; i < 3; i++) {
            if ((have[i] || 0) !== (w[i] || 0)) return (have[i] || 0) > (w[i] || 0);
        }
        return true;
    }

    function embedSWF(url, id, width, height, version, expressInstall, flashvars, params, attrs, callback) {
        var target = document.getElementById(id);
        var ok = !!target && atLeast(flashVersion(), version);
        if (ok) {
            var obj = document.createElement('object');
            obj.setAttribute('type', 'application/x-shockwave-flash');
            obj.setAttribute('data', url);
            obj.setAttribute('width', width);
            obj.setAttribute('height', height);
            obj.id = (attrs && attrs.id) || id;
            var all = Object.assign({ movie: url }, params || {});
            if (flashvars) {
                all.flashvars = Object.keys(flashvars).map(function (k) {
                    return encodeURIComponent(k) + '=' + encodeURIComponent(flashvars[k]);
                }).join('&');
            }
            Object.keys(all).forEach(function (k) {
                var p = document.createElement('param');
                p.setAttribute('name', k);
                p.setAttribute('value', all[k]);
                obj.appendChild(p);
            });
            target.parentNode.replaceChild(obj, target);
            target = obj;
        }
        if (callback) callback({ success: ok, id: id, ref: ok ? target : undefined });
        return ok;
    }

    return {
        getFlashPlayerVersion: function () {
            var v = flashVersion();
            return { major: v[0], minor: v[1], release: v[2] };
        },
        hasFlashPlayerVersion: function (want) { return atLeast(flashVersion(), want); },
        embedSWF: embedSWF,
    };
})();

var ZarvexEmbed = (function () {
    'use strict';

    /* opts: target (element id), base (the book's resource folder, "files/"), swf, look.
     * "?viewer=flash" in the address asks for the Flash player where one is installed;
     * "?viewer=html" is the default. */
    function start(opts) {
        opts = opts || {};
        var base = opts.base || 'files/';
        var host = document.getElementById(opts.target || 'zarvex-book');
        var choice = (/[?&]viewer=(html|flash)/.exec(location.search) || [])[1];
        if (choice === 'flash') {
            var slot = document.createElement('div');
            slot.id = (opts.target || 'zarvex-book') + '-swf';
            host.appendChild(slot);
            var done = swfobject.embedSWF(base + (opts.swf || 'book.swf'), slot.id, '100%', '100%', '9.0.0',
                                          base + 'playerProductInstall.swf',
                                          { configPath: 'config.xml', themePath: 'theme/Main.swf' },
                                          { base: base, quality: 'high', allowFullScreen: 'true',
                                            allowScriptAccess: 'sameDomain', wmode: 'direct', bgcolor: '#ffffff' });
            if (done) return Promise.resolve(null);
            slot.remove();
        }
        return ZarvexBook.open(host, { base: base, look: opts.look });
    }

    return { start: start };
})();
