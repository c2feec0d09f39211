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

    function flip(ctx) {
        var AC = window.AudioContext || window.webkitAudioContext;
        if (!AC || !ctx.hadGesture) return;
        try {
            var ac = ctx.audioCtx || (ctx.audioCtx = new AC());
            var len = Math.floor(ac.sampleRate * 0.28);
            var buf = ac.createBuffer(1, len, ac.sampleRate), d = buf.getChannelData(0);
            for (var i = 0; i < len; i++) {
                var t = i / len;
                d[i] = (Math.random() * 2 - 1) * Math.pow(Math.sin(Math.PI * t), 2) * (1 - t) * 0.5;
            }
            var src = ac.createBufferSource(), filter = ac.createBiquadFilter();
            filter.type = 'bandpass'; filter.frequency.value = 2200; filter.Q.value = 0.6;
            src.buffer = buf; src.connect(filter); filter.connect(ac.destination); src.start();
        } catch (e) { /* no audio output */ }
    }

    return {
        setup: setup, attach: attach, startOnGesture: startOnGesture, toggle: toggle,
        yieldToPageMusic: yieldToPageMusic, flip: flip,
    };
})();
