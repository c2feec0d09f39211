/* The pages' text as a reader reads and searches it, without the page: the running text of a
 * page's words (files/text/<n>.json: { w, h, words: [[x, y, w, h, "word"]...], lines: [first
 * word of each line...] }), and the search inside it. The search compares folded copies: the
 * compatibility decomposition (ligatures and presentation forms become their letters), lower
 * case, no combining marks (accents, Hebrew points, Arabic harakat), no tatweel or format
 * characters. The folded copy of a page runs across its words and lines, so a phrase matches
 * over a line's end and a word inside a run of CJK letters, which stand without blanks; each
 * folded letter remembers the word and the letters it came from, so hits map back to words. */
var BookTextMatch = (function () {
    // A CJK letter, kana or full-width form is a word of its own and stands without blanks
    // beside another (as PageTextExtractor writes and joins them).
    function standsAlone(word) {
        var c = word.codePointAt(0);
        if (word.length !== (c > 0xffff ? 2 : 1)) return false;
        return (c >= 0x2e80 && c <= 0x2fdf) || (c >= 0x3001 && c <= 0x30ff) || (c >= 0x3400 && c <= 0x4dbf) ||
            (c >= 0x4e00 && c <= 0x9fff) || (c >= 0xf900 && c <= 0xfaff) || (c >= 0xff01 && c <= 0xff60) ||
            (c >= 0x20000 && c <= 0x3ffff);
    }
    function gap(a, b) { return standsAlone(a) && standsAlone(b) ? '' : ' '; }

    function text(word) { return String(word[4] || ''); }

    // The words as running text: blanks between words (none between CJK letters), a line break
    // between lines.
    function runningText(page) {
        var out = '', starts = {};
        (page.lines || []).forEach(function (k) { starts[k] = true; });
        page.words.forEach(function (w, i) {
            if (i > 0) out += starts[i] ? '\n' : gap(text(page.words[i - 1]), text(w));
            out += text(w);
        });
        return out;
    }

    var DROPPED = /[\p{M}\p{Cf}\u0640]/gu;
    function fold(s) {
        return String(s).normalize('NFKD').toLowerCase().normalize('NFKD').replace(DROPPED, '');
    }
    function foldQuery(q) { return fold(q).replace(/\s+/g, ' ').trim(); }

    /* The folded copy of a page: folded, and for each of its UTF-16 units the word it came from
     * (-1 for the blank between words) and the span of the word's letters it stands for. A word
     * hyphenated at a line's end stands whole in it, without its hyphen. */
    function index(page) {
        var folded = '', word = [], from = [], to = [], starts = {};
        (page.lines || []).forEach(function (k) { starts[k] = true; });
        page.words.forEach(function (w, i) {
            var t = text(w), before = i > 0 ? text(page.words[i - 1]) : '';
            if (starts[i] && /\p{L}[-\u2010]$/u.test(before) && /^\p{Ll}/u.test(t)) {
                folded = folded.slice(0, -1);
                word.pop(); from.pop(); to.pop();
            } else if (i > 0) {
                var g = gap(before, t);
                if (g) { folded += g; word.push(-1); from.push(0); to.push(0); }
            }
            for (var o = 0; o < t.length;) {
                var ch = String.fromCodePoint(t.codePointAt(o)), f = fold(ch);
                for (var u = 0; u < f.length; u++) { word.push(i); from.push(o); to.push(o + ch.length); }
                // A mark dropped from the copy goes with the letter before it.
                if (!f && word[word.length - 1] === i) to[to.length - 1] = o + ch.length;
                folded += f;
                o += ch.length;
            }
        });
        return { page: page, folded: folded, word: word, from: from, to: to };
    }

    /* The hits of the query in an indexed page, in reading order, at most "limit": each the
     * first and last word it touches and where in them it starts and ends (letter offsets). */
    function find(idx, query, limit) {
        var q = foldQuery(query), hits = [];
        if (!q) return hits;
        for (var at = idx.folded.indexOf(q); at >= 0 && hits.length < (limit || Infinity);
            at = idx.folded.indexOf(q, at + q.length)) {
            var a = at, b = at + q.length - 1;
            // A hit that starts or ends on a blank starts or ends in the word beside it.
            while (idx.word[a] < 0) a++;
            while (idx.word[b] < 0) b--;
            hits.push({ first: idx.word[a], last: idx.word[b], from: idx.from[a], to: idx.to[b] });
        }
        return hits;
    }
    function words(hit) {
        var list = [];
        for (var i = hit.first; i <= hit.last; i++) list.push(i);
        return list;
    }

    /* The hit in its context on the page, "reach" letters or so on each side: { before, match,
     * after }, with an ellipsis where the context was cut. */
    function context(page, hit, reach) {
        var ws = page.words.map(text), match = '';
        for (var k = hit.first; k <= hit.last; k++) {
            match += (k > hit.first ? gap(ws[k - 1], ws[k]) : '') +
                ws[k].slice(k === hit.first ? hit.from : 0, k === hit.last ? hit.to : ws[k].length);
        }
        var first = ws[hit.first], last = ws[hit.last];
        var before = first.slice(0, hit.from), after = last.slice(hit.to), i = hit.first, j = hit.last;
        while (i > 0 && before.length < reach) { before = ws[i - 1] + gap(ws[i - 1], ws[i]) + before; i--; }
        while (j < ws.length - 1 && after.length < reach) { after += gap(ws[j], ws[j + 1]) + ws[j + 1]; j++; }
        var cutBefore = i > 0 || before.length > reach, cutAfter = j < ws.length - 1 || after.length > reach;
        // A context cut short ends at a blank where it has one.
        if (before.length > reach) {
            before = before.slice(before.length - reach);
            var blank = before.indexOf(' ');
            if (blank >= 0 && blank < before.length - 1) before = before.slice(blank + 1);
        }
        if (after.length > reach) {
            after = after.slice(0, reach);
            var end = after.lastIndexOf(' ');
            if (end > 0) after = after.slice(0, end);
        }
        return { before: (cutBefore ? '\u2026' : '') + before, match: match, after: after + (cutAfter ? '\u2026' : '') };
    }

    return { separator: gap, runningText: runningText, fold: fold, index: index, find: find, words: words, context: context };
})();
