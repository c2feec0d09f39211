/* The book's background music (it waits while page music plays, and starts with the reader's
 * first gesture, as browsers require) and the flip sound. */
var BookSound = (function () {
    function setup(ctx) {
        var m = ctx.model;
        if (m.music && m.music.src) {
            // Browsers let sound start only after the reader's first gesture (startOnGesture).
            ctx.audio = new Audio(BookDom.url(ctx, m.music.src));
            ctx.audio.loop = !!m.music.loop;
            ctx.musicOn = true;
        }
        // Made while the book opens, so the first turn does not wait for it.
        if (m.flipSound && typeof Audio !== 'undefined') ctx.flipAudio = flipSound();
    }
    function attach(ctx) {
        if (!ctx.audio) return;
        ctx.audio.className = 'zv-music';
        ctx.audio.preload = 'none';
        ctx.root.appendChild(ctx.audio);
    }

    function startOnGesture(ctx) {
        // Page music the browser held back starts now.
        if (ctx.pageMusicWanted) BookMedia.sync(ctx);
        if (ctx.audio && ctx.musicOn && ctx.audio.paused && !ctx.musicStarted) {
            ctx.musicStarted = true;
            if (!ctx.pageMusicWanted) play(ctx);
        }
    }
    function play(ctx) {
        var p = ctx.audio.play();
        if (p && p.catch) p.catch(function (e) { if (e && e.name === 'NotAllowedError') ctx.musicStarted = false; });
    }
    // The toolbar's music button.
    function toggle(ctx, btn) {
        ctx.musicOn = !ctx.musicOn;
        if (ctx.musicOn && !ctx.pageMusicWanted) play(ctx); else ctx.audio.pause();
        btn.setAttribute('aria-pressed', String(ctx.musicOn));
    }
    function yieldToPageMusic(ctx, playing) {
        ctx.pageMusicWanted = playing;
        if (!ctx.audio) return;
        if (playing) ctx.audio.pause();
        else if (ctx.musicOn && ctx.musicStarted && ctx.audio.paused) play(ctx);
    }

    /* The flip sound: a short rustle of band-passed noise, made once as a WAV file and played
     * by an audio element. An AudioContext would do the same, but creating one blocks the page
     * for up to half a second where the audio output is slow to open, which stalls the turn. */
    function flipSound() {
        var rate = 22050, len = Math.floor(rate * 0.28);
        var wav = new ArrayBuffer(44 + 2 * len), head = new DataView(wav), samples = new Int16Array(wav, 44, len);
        var word = function (at, s) { for (var i = 0; i < s.length; i++) head.setUint8(at + i, s.charCodeAt(i)); };
        word(0, 'RIFF'); head.setUint32(4, 36 + 2 * len, true); word(8, 'WAVEfmt ');
        head.setUint32(16, 16, true); head.setUint16(20, 1, true); head.setUint16(22, 1, true);
        head.setUint32(24, rate, true); head.setUint32(28, 2 * rate, true); head.setUint16(32, 2, true);
        head.setUint16(34, 16, true); word(36, 'data'); head.setUint32(40, 2 * len, true);
        // A band-pass around 2.2 kHz (Q 0.6) over noise that swells and fades.
        var w = 2 * Math.PI * 2200 / rate, alpha = Math.sin(w) / (2 * 0.6), a0 = 1 + alpha;
        var b0 = alpha / a0, b2 = -alpha / a0, a1 = -2 * Math.cos(w) / a0, a2 = (1 - alpha) / a0;
        var x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (var i = 0; i < len; i++) {
            var t = i / len, s = Math.sin(Math.PI * t);
            var x = (Math.random() * 2 - 1) * s * s * (1 - t) * 0.5;
            var y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1; x1 = x; y2 = y1; y1 = y;
            samples[i] = Math.max(-1, Math.min(1, y)) * 32767;
        }
        var a = new Audio(URL.createObjectURL(new Blob([wav], { type: 'audio/wav' })));
        a.preload = 'auto';
        return a;
    }
    function flip(ctx) {
        if (!ctx.hadGesture || typeof Audio === 'undefined') return;
        try {
            var a = ctx.flipAudio || (ctx.flipAudio = flipSound());
            a.currentTime = 0;
            var p = a.play();
            if (p && p.catch) p.catch(function () { /* no audio output */ });
        } catch (e) { /* no audio output */ }
    }
    return {
        setup: setup, attach: attach, startOnGesture: startOnGesture, toggle: toggle,
        yieldToPageMusic: yieldToPageMusic, flip: flip,
    };
})();
