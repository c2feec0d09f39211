/* Browser history support for the book page: keeps the page number in the address
 * (#p=N) so that the back button and bookmarks return to a page. */
(function () {
    'use strict';
    window.ZarvexHistory = {
        page: function () {
            var m = /[#&]p=(\d+)/.exec(location.hash);
            return m ? parseInt(m[1], 10) : 0;
        },
        setPage: function (n) {
            try { history.pushState(null, '', '#p=' + n); } catch (e) { location.hash = 'p=' + n; }
        },
    };
})();
