// The application skeleton: its property list names a launcher, which opens
// Contents/Resources/index.html of the bundle it sits in.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';

const skeleton = path.join(fileURLToPath(import.meta.url), '..', '..', '..', 'resources', 'AppFiles', 'TmplData', 'mac.app', 'Contents');

test('the launcher the property list names opens the book page of its own bundle, even under a path with blanks', () => {
    const plist = fs.readFileSync(path.join(skeleton, 'Info.plist'), 'utf8');
    assert.match(plist, /<key>CFBundlePackageType<\/key>\s*<string>APPL<\/string>/);
    const exe = /<key>CFBundleExecutable<\/key>\s*<string>([^<]+)<\/string>/.exec(plist)[1];
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zarvex bundle '));
    try {
        const contents = path.join(dir, 'My "Book".app', 'Contents');
        fs.cpSync(skeleton, contents, { recursive: true });
        const launch = () => spawnSync(path.join(contents, 'MacOS', exe), [],
                                       { env: { ...process.env, ZARVEX_BROWSER: '/bin/echo' }, encoding: 'utf8' });
        let r = launch();
        assert.equal(r.status, 1, `no page yet: ${r.error || r.stderr}`);
        assert.match(r.stderr, /missing/);
        fs.writeFileSync(path.join(contents, 'Resources', 'index.html'), '<!DOCTYPE html><title>b</title>');
        r = launch();
        assert.equal(r.status, 0, r.error || r.stderr);
        assert.equal(r.stdout.trim(), path.join(contents, 'Resources', 'index.html'));
    } finally {
        fs.rmSync(dir, { recursive: true, force: true });
    }
});
