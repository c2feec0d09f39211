/* Zarvex book viewer: a two-page spread (one page on narrow screens) with a page-turning
 * effect, thumbnails, zoom, full screen, keyboard, wheel and touch control, clickable link
 * areas, the book's colours, background, logo, music, flip sound and auto flip.
 * The viewer's parts (viewer/src/book/*.js, bundled by viewer/build.mjs into one closure)
 * share the state of one book through the Book object, passed to each of them as "ctx". */

/* host: the element the viewer fills. model: from ZarvexDecode.parseBook (or an adapter).
 * opts.base: address of the resource folder that the model's addresses are relative to;
 * opts.look: template name; opts.mobile: prefer a single page in portrait; opts.contentsBase: the
 * folder of the book's contents files when it is not opts.base. */
var bookCount = 0;
function Book(host, model, opts) {
    var ctx = this;
    ctx.host = host;
    ctx.model = model;
    ctx.opts = opts || {};
    ctx.base = ctx.opts.base || '';
    ctx.t = ZarvexText.translator(model.language); // the interface's words: ctx.t('Next')
    ctx.uid = ++bookCount; // tells apart the element ids of several books on one page
    ctx.count = model.pages.length;
    ctx.rtl = !!model.rtl;
    ctx.hidden = {}; // toolbar buttons the book hides
    (model.hidden || []).forEach(function (h) { ctx.hidden[h] = true; });
    ctx.spread = 0; // the spread on screen (navigation); ctx.mode, pageW, pageH: layout
    ctx.pageRatios = {}; // layout: the shape (width / height) of each page whose picture has loaded
    ctx.zoom = 1; ctx.panX = 0; ctx.panY = 0; // zoom
    ctx.pictures = {}; // loading: the page pictures loading or kept, by page number
    ctx.swfFailed = false;
    ctx.busy = null; // turning: the turn under way
    // Media of the pages: playing movies and page music by "page:item" key, the page music
    // the reader switched off or that has ended, and the files that failed to load.
    ctx.movies = {}; ctx.pageAudio = {}; ctx.musicOff = {}; ctx.musicDone = {};
    ctx.brokenMedia = {}; ctx.flashPictures = {};
    ctx.contents = null; // contents: the bookmark tree, once loaded
    ctx.text = null; ctx.search = null; // text: the pages' words; search: the last search
    ctx.storeKey = 'zarvex.lastPage:' + (ctx.opts.bookId || location.pathname); // state
    ctx.pagesChoice = BookState.savedPagesChoice(ctx); // layout: 1 or 2 pages as the reader chose, 0 automatic
    if (!ctx.count) {
        var box = BookDom.el('div', 'zv-error', { role: 'alert' });
        box.textContent = ctx.t('noPages');
        host.textContent = '';
        host.appendChild(box);
        host.setAttribute('data-zarvex-error', 'no pages');
        return;
    }
    build(ctx);
    BookLayout.layout(ctx);
    var start = BookState.pageFromHash(ctx) || BookState.savedPage(ctx) || 1;
    BookNavigation.show(ctx, BookLayout.spreadOf(ctx, start), false);
    bindEvents(ctx);
    BookContents.load(ctx); // after the first pictures have been asked for
    BookText.load(ctx);
    if (model.autoFlip && model.autoFlip.enable) BookNavigation.setAutoPlay(ctx, true);
    host.setAttribute('data-zarvex-ready', 'true');
}

// The reader's ways to move through the book, for scripts of the page that holds it.
Book.prototype.show = function (i, animate, dir) { BookNavigation.show(this, i, animate, dir); };
Book.prototype.next = function () { BookNavigation.next(this); };
Book.prototype.prev = function () { BookNavigation.prev(this); };
Book.prototype.goToPage = function (n) { BookNavigation.goToPage(this, n); };

function build(ctx) {
    BookSound.setup(ctx);
    var root = BookLook.root(ctx);
    root.appendChild(BookLook.header(ctx));
    root.appendChild(BookLoading.notice(ctx));
    // The stage shares its row with the search panel, which takes room from it when open.
    ctx.middle = BookDom.el('div', 'zv-middle');
    ctx.middle.appendChild(BookLayout.stage(ctx));
    root.appendChild(ctx.middle);
    root.appendChild(BookPanels.thumbsPanel(ctx));
    root.appendChild(BookToolbar.build(ctx));
    root.appendChild(BookNavigation.liveRegion(ctx));
    root.appendChild(BookPanels.dialog(ctx));
    root.appendChild(BookPanels.toast(ctx));
    BookSound.attach(ctx);
    if (ctx.model.panorama) BookLook.panorama(ctx, ctx.model.panorama);
    ctx.host.textContent = '';
    ctx.host.appendChild(root);
    BookPanels.fillThumbs(ctx);
}

function bindEvents(ctx) {
    BookInput.watchGestures(ctx);
    BookToolbar.watchCounter(ctx);
    BookInput.watchKeys(ctx);
    BookInput.watchWheel(ctx);
    BookInput.watchPointer(ctx);
    BookState.watchHash(ctx);
    BookLayout.watchResize(ctx);
}

/* Fills host with a viewer of the book whose resource folder is opts.base. */
function open(host, opts) {
    opts = opts || {};
    host.setAttribute('aria-busy', 'true');
    return ZarvexDecode.loadBook(opts.base || '', { panorama: opts.look === 'Panoramic' }).then(function (model) {
        host.removeAttribute('aria-busy');
        return new Book(host, model, opts);
    }).catch(function (e) {
        host.removeAttribute('aria-busy');
        host.setAttribute('data-zarvex-error', String(e && e.message || e));
        var box = BookDom.el('div', 'zv-error', { role: 'alert' });
        box.textContent = ZarvexText.translator('')('cannotOpen', { why: e && e.message || e });
        host.textContent = '';
        host.appendChild(box);
        throw e;
    });
}
