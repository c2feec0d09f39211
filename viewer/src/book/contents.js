/* The book's contents: the bookmark tree that the publisher writes beside the configuration
 * (outline.js, which loads from disk as well, else outline.xml), the "Content" button, shown
 * only when the book has a tree, and the panel that lists it as a tree for mouse, keyboard and
 * screen reader: nested entries, arrow keys, Home, End and Enter. An entry names a page of the
 * PDF; it turns to the book position whose page file is that page, and is shown disabled when
 * the book left that page out.
 * ctx.contents: the entries { title, pdfPage, children } once loaded, null before or without. */
var BookContents = (function () {
    var el = BookDom.el;

    // The tree's text: outline.js's, else outline.xml's.
    function loadText(folder) {
        if (!ZarvexDecode.bookHasFile('outline.js')) return Promise.reject(new Error('no outline'));
        return ZarvexDecode.loadTwin(folder + 'outline.js', function () {
            var text = window.ZARVEX_OUTLINE_XML;
            delete window.ZARVEX_OUTLINE_XML;
            return typeof text === 'string' ? text : null;
        }, folder + 'outline.xml', function (text) { return text; });
    }

    function childEl(parent, name) {
        for (var c = parent.firstElementChild; c; c = c.nextElementSibling) if (c.nodeName === name) return c;
        return null;
    }
    // The entries of an "ols" element or of a bookmark's "ci" element.
    function entries(parent) {
        var list = [];
        for (var o = parent.firstElementChild; o; o = o.nextElementSibling) {
            if (o.nodeName !== 'o') continue;
            var c = childEl(o, 'c'), p = childEl(o, 'p'), ci = childEl(o, 'ci');
            list.push({ title: c ? c.textContent.trim() : '', pdfPage: parseInt(p ? p.textContent : '', 10) || 0,
                        children: ci ? entries(ci) : [] });
        }
        return list;
    }
    function parse(text) {
        var root = new DOMParser().parseFromString(text, 'application/xml').documentElement;
        return root && root.nodeName === 'ols' ? entries(root) : [];
    }

    /* Loads the tree of the book whose files lie in opts.contentsBase (else the book's resource
     * folder) and, when it has entries, adds the button. data-contents on the root tells scripts
     * the outcome: "ready" or "none". */
    function load(ctx) {
        var folder = ctx.opts.contentsBase !== undefined ? ctx.opts.contentsBase : ctx.base;
        loadText(folder).then(parse).catch(function () { return []; }).then(function (list) {
            if (list.length) {
                ctx.contents = list;
                addButton(ctx);
            }
            ctx.root.setAttribute('data-contents', list.length ? 'ready' : 'none');
        });
    }

    // Next to the thumbnails button, or first among the tools.
    function addButton(ctx) {
        var tools = ctx.bar.querySelector('.zv-tools'), after = ctx.buttons.Thumbnail;
        var height = ctx.bar.offsetHeight;
        tools.insertBefore(BookToolbar.button(ctx, 'Content'), after ? after.nextSibling : tools.firstChild);
        if (ctx.bar.offsetHeight !== height) { BookLayout.layout(ctx); BookPages.render(ctx); }
    }

    // The book position (1-based) of each PDF page that the book holds: its page file's number.
    function positions(ctx) {
        var at = {};
        ctx.model.pages.forEach(function (page, k) {
            var n = page.fileIndex || k + 1;
            if (!at[n]) at[n] = k + 1;
        });
        return at;
    }

    var itemCount = 0;
    function item(ctx, entry, at, level, index, size) {
        var id = 'zv-toc-' + ctx.uid + '-' + (++itemCount), pos = at[entry.pdfPage];
        var li = el('li', 'zv-toc-item', { role: 'treeitem', tabindex: '-1', 'aria-level': String(level),
                                           'aria-setsize': String(size), 'aria-posinset': String(index + 1),
                                           'aria-labelledby': id + '-t ' + id + '-n' });
        var row = el('span', 'zv-toc-row'), twisty = el('span', 'zv-toc-twisty', { 'aria-hidden': 'true' });
        var title = el('span', 'zv-toc-title', { id: id + '-t' }), num = el('span', 'zv-toc-page', { id: id + '-n' });
        title.textContent = entry.title || '\u2014';
        if (pos) {
            li.setAttribute('data-position', String(pos));
            num.textContent = String(pos);
            num.setAttribute('aria-label', ctx.t('page', { n: pos }));
        } else {
            li.setAttribute('aria-disabled', 'true');
            num.textContent = ctx.t('notInBook');
        }
        row.appendChild(twisty); row.appendChild(title); row.appendChild(num);
        li.appendChild(row);
        if (entry.children.length) {
            li.setAttribute('aria-expanded', 'true');
            var group = el('ul', 'zv-toc-group', { role: 'group' });
            entry.children.forEach(function (child, k) {
                group.appendChild(item(ctx, child, at, level + 1, k, entry.children.length));
            });
            li.appendChild(group);
            twisty.addEventListener('click', function (ev) { ev.stopPropagation(); expand(li, !isOpen(li)); li.focus(); });
        }
        row.addEventListener('click', function () { activate(ctx, li); });
        return li;
    }

    function isOpen(li) { return li.getAttribute('aria-expanded') === 'true'; }
    function expand(li, open) {
        if (!li.hasAttribute('aria-expanded')) return;
        li.setAttribute('aria-expanded', String(open));
        li.querySelector('.zv-toc-group').hidden = !open;
    }
    // The entries the reader can see, in the order they stand.
    function visible(tree) {
        return Array.prototype.filter.call(tree.querySelectorAll('.zv-toc-item'), function (li) {
            return li.getClientRects().length > 0;
        });
    }
    // One entry at a time takes part in the Tab order: the one that had the focus last.
    function focusItem(tree, li) {
        if (!li) return;
        var before = tree.querySelector('.zv-toc-item[tabindex="0"]');
        if (before) before.setAttribute('tabindex', '-1');
        li.setAttribute('tabindex', '0');
        li.focus();
    }
    function activate(ctx, li) {
        var pos = parseInt(li.getAttribute('data-position'), 10);
        if (!pos) return;
        BookPanels.closeDialog(ctx);
        BookNavigation.goToPage(ctx, pos);
    }

    function onKey(ctx, tree, ev) {
        var li = ev.target.closest && ev.target.closest('.zv-toc-item');
        if (!li || ev.altKey || ev.ctrlKey || ev.metaKey) return;
        var list = visible(tree), at = list.indexOf(li);
        // In a right-to-left tree the children lie to the left.
        var inward = getComputedStyle(tree).direction === 'rtl' ? 'ArrowLeft' : 'ArrowRight';
        var outward = inward === 'ArrowLeft' ? 'ArrowRight' : 'ArrowLeft';
        switch (ev.key) {
        case 'ArrowDown': focusItem(tree, list[at + 1]); break;
        case 'ArrowUp': focusItem(tree, list[at - 1]); break;
        case 'Home': focusItem(tree, list[0]); break;
        case 'End': focusItem(tree, list[list.length - 1]); break;
        case inward:
            if (li.hasAttribute('aria-expanded') && !isOpen(li)) expand(li, true);
            else if (isOpen(li)) focusItem(tree, li.querySelector('.zv-toc-item'));
            break;
        case outward:
            if (isOpen(li)) expand(li, false);
            else focusItem(tree, li.parentElement.closest('.zv-toc-item'));
            break;
        case 'Enter': case ' ': activate(ctx, li); break;
        default: return;
        }
        ev.preventDefault();
        ev.stopPropagation();
    }

    /* Opens the panel with the focus on the entry of the page on screen (the last entry at or
     * before it), else on the first. */
    function show(ctx) {
        if (!ctx.contents) return;
        var at = positions(ctx), current = BookLayout.currentPages(ctx)[0] || 1;
        var tree = el('ul', 'zv-toc', { role: 'tree', 'aria-label': ctx.t('Content') });
        ctx.contents.forEach(function (entry, k) { tree.appendChild(item(ctx, entry, at, 1, k, ctx.contents.length)); });
        tree.addEventListener('keydown', function (ev) { onKey(ctx, tree, ev); });
        tree.addEventListener('focusin', function (ev) {
            if (ev.target.classList.contains('zv-toc-item')) focusItem(tree, ev.target);
        });
        var here = null, best = 0;
        Array.prototype.forEach.call(tree.querySelectorAll('.zv-toc-item[data-position]'), function (li) {
            var pos = +li.getAttribute('data-position');
            if (pos <= current && pos > best) { best = pos; here = li; }
        });
        if (here) here.setAttribute('aria-current', 'location');
        BookPanels.openDialog(ctx, ctx.t('Content'), tree);
        focusItem(tree, here || tree.querySelector('.zv-toc-item'));
    }

    return { load: load, show: show, parse: parse };
})();
