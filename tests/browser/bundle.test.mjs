// The application skeleton: its launcher opens Contents/Resources/index.html of the bundle it
// sits in, and its property list names that launcher.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const skeleton = path.join(here, '..', '..', 'resources', 'AppFiles', 'TmplData', 'mac.app', 'Contents');

test('the property list names an executable launcher inside the bundle', () => {
    const plist = fs.readFileSync(path.join(skeleton, 'Info.plist'), 'utf8');
    const exe = /<key>CFBundleExecutable<\/key>\s*<string>([^<]+)<\/string>/.exec(plist)[1];
    const st = fs.statSync(path.join(skeleton, 'MacOS', exe));
    assert.ok(st.mode & 0o111, 'the launcher is executable');
    assert.match(plist, /<key>CFBundlePackageType<\/key>\s*<string>APPL<\/string>/);
});

test('the launcher opens the book page of its own bundle, even under a path with blanks', () => {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zarvex bundle '));
    try {
        const contents = path.join(dir, 'My "Book".app', 'Contents');
        fs.cpSync(skeleton, contents, { recursive: true });
        const launcher = path.join(contents, 'MacOS', 'ZarvexBook');
        const env = { ...process.env, ZARVEX_BROWSER: '/bin/echo' };
        let r = spawnSync(launcher, [], { env, encoding: 'utf8' });
        assert.notEqual(r.status, 0, 'no page yet');
        assert.match(r.stderr, /missing/);
        fs.writeFileSync(path.join(contents, 'Resources', 'index.html'), '<!DOCTYPE html><title>b</title>');
        r = spawnSync(launcher, [], { env, encoding: 'utf8' });
        assert.equal(r.status, 0, r.stderr);
        assert.equal(r.stdout.trim(), path.join(contents, 'Resources', 'index.html'));
    } finally {
        fs.rmSync(dir, { recursive: true, force: true });
    }
});
