// A small static file server on 127.0.0.1 for the browser tests; serves one folder.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';

const TYPES = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.css': 'text/css',
                '.xml': 'application/xml', '.jpg': 'image/jpeg', '.png': 'image/png', '.gif': 'image/gif',
                '.swf': 'application/x-shockwave-flash', '.mp3': 'audio/mpeg' };

export function serve(root) {
    const base = path.resolve(root);
    const server = http.createServer((req, res) => {
        let file;
        try { file = path.join(base, decodeURIComponent(new URL(req.url, 'http://x').pathname)); } catch { file = base; }
        if (!file.startsWith(base + path.sep)) { res.writeHead(403).end(); return; }
        fs.readFile(file, (e, data) => {
            if (e) { res.writeHead(404, { 'content-type': 'text/plain' }).end('not found'); return; }
            res.writeHead(200, { 'content-type': TYPES[path.extname(file).toLowerCase()] || 'application/octet-stream',
                                 'cache-control': 'no-store' });
            res.end(data);
        });
    });
    return new Promise((resolve) => {
        server.listen(0, '127.0.0.1', () => resolve({ url: `http://127.0.0.1:${server.address().port}/`,
                                                      close: () => new Promise((r) => server.close(r)) }));
    });
}
