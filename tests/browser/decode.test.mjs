// The viewer's decoding layer (viewer/src/decode.js) outside the browser: RC4, the inflater
// fallbacks, the configuration envelope and the JPEG inside a SWF page.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';
import zlib from 'node:zlib';
import crypto from 'node:crypto';
import { fileURLToPath } from 'node:url';
import { envelope, swfFromJpeg, zipOne } from './support/book.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const source = fs.readFileSync(path.join(here, '..', '..', 'viewer', 'src', 'decode.js'), 'utf8');

function load(globals = {}) {
    const ctx = vm.createContext({ atob, TextEncoder, TextDecoder, Blob, Response, Uint8Array, Promise, URL, ...globals });
    vm.runInContext(source + '\nthis.ZarvexDecode = ZarvexDecode;', ctx);
    return ctx.ZarvexDecode;
}
const D = load({ DecompressionStream });
const withoutStreams = load({});
const bytes = (u8) => Buffer.from(u8.buffer, u8.byteOffset, u8.length);

test('RC4 gives the published test vectors and undoes itself', () => {
    assert.equal(bytes(D.rc4('Key', Buffer.from('Plaintext'))).toString('hex'), 'bbf316e8d940af0ad3');
    assert.equal(bytes(D.rc4('Wiki', Buffer.from('pedia'))).toString('hex'), '1021bf0420');
    const data = crypto.randomBytes(1000);
    assert.deepEqual(bytes(D.rc4('Tn4vRq8sWk2yBx', D.rc4('Tn4vRq8sWk2yBx', data))), data);
});

test('the small inflater reads every kind of DEFLATE block', () => {
    const cases = [
        Buffer.alloc(0),
        Buffer.from('a'),
        Buffer.from('<Pages>'.repeat(5000)),
        crypto.randomBytes(70000), // stored blocks
        Buffer.from(Array.from({ length: 30000 }, (_, i) => (i * i) % 251)),
    ];
    for (const input of cases) {
        for (const level of [0, 1, 9]) {
            const packed = zlib.deflateRawSync(input, { level });
            assert.deepEqual(bytes(D.tinyInflate(packed)), input, `${input.length} bytes at level ${level}`);
        }
        // Fixed Huffman codes only.
        const fixed = zlib.deflateRawSync(input, { strategy: zlib.constants.Z_FIXED });
        assert.deepEqual(bytes(D.tinyInflate(fixed)), input);
    }
    assert.throws(() => D.tinyInflate(zlib.deflateRawSync(Buffer.from('hello world')).subarray(0, 3)));
});

test('the envelope decodes to the configuration text with and without DecompressionStream', async () => {
    const xml = '<FlipBook3D><Pages bace=""><Page type="Image"/></Pages><Title>é ü ß 書</Title></FlipBook3D>';
    const env = envelope(xml);
    assert.equal(await D.decodeEnvelope(env), xml);
    assert.equal(await withoutStreams.decodeEnvelope(env), xml);
    await assert.rejects(D.decodeEnvelope('<data></data>'));
    await assert.rejects(D.decodeEnvelope('<html/>'), /no data element/);
});

test('a ZIP entry is read through the gzip wrapping when raw DEFLATE streams are missing', async () => {
    class OnlyGzip extends DecompressionStream {
        constructor(format) {
            if (format === 'deflate-raw') throw new TypeError('unsupported format');
            super(format);
        }
    }
    const gzipOnly = load({ DecompressionStream: OnlyGzip });
    const content = Buffer.from('config '.repeat(999));
    assert.deepEqual(bytes(await gzipOnly.unzipFirst(zipOne('config.xml', content))), content);
});

test('the JPEG inside a SWF page comes out byte for byte', async () => {
    const jpeg = Buffer.concat([Buffer.from([0xff, 0xd8, 0xff, 0xe0]), crypto.randomBytes(3000), Buffer.from([0xff, 0xd9])]);
    const cws = swfFromJpeg(jpeg, 1224, 1584);
    const blob = await D.jpegFromSwf(new Uint8Array(cws));
    assert.equal(blob.type, 'image/jpeg');
    assert.deepEqual(Buffer.from(await blob.arrayBuffer()), jpeg);
    // The same movie uncompressed, with the erroneous SOI/EOI prefix some old writers put.
    const fws = Buffer.concat([Buffer.from('FWS'), cws.subarray(3, 8), zlib.inflateSync(cws.subarray(8))]);
    const prefixed = Buffer.from(fws);
    const at = prefixed.indexOf(Buffer.from([0xff, 0xd8, 0xff, 0xe0]));
    const withPrefix = Buffer.concat([prefixed.subarray(0, at), Buffer.from([0xff, 0xd9, 0xff, 0xd8]), prefixed.subarray(at)]);
    const tagLenAt = at - 2 - 4; // long tag header: UI16 code and 0x3f, UI32 length, UI16 id
    withPrefix.writeUInt32LE(fws.readUInt32LE(tagLenAt) + 4, tagLenAt);
    const blob2 = await D.jpegFromSwf(new Uint8Array(withPrefix));
    assert.deepEqual(Buffer.from(await blob2.arrayBuffer()), jpeg);
    await assert.rejects(D.jpegFromSwf(new Uint8Array(Buffer.from('GIF89a....'))), /not a readable SWF/);
});

test('link addresses other than web, mail and page addresses are refused', () => {
    // Hostile inputs: browsers drop tabs and line breaks anywhere in an address, and control
    // characters and blanks around it, after any check that reads the raw text.
    const cases = [
        ['javascript:alert(1)', ''],
        [' JavaScript:x', ''],
        ['java\tscript:alert(1)', ''],
        ['java\nscript:alert(1)', ''],
        ['java\r\nscript:alert(1)', ''],
        ['\x01\x1fjavascript:alert(1)', ''],
        ['javascript\u0000:alert(1)', ''],
        ['\u00a0javascript:alert(1)', ''],
        ['vbscript:msgbox(1)', ''],
        ['data:text/html,x', ''],
        ['file:///etc/passwd', ''],
        ['blob:https://example.org/x', ''],
        ['tel:+4912345', ''],
        ['https://example.org/a?b', 'https://example.org/a?b'],
        ['HTTP://EXAMPLE.ORG/', 'HTTP://EXAMPLE.ORG/'],
        ['https://exa\tmple.org/', 'https://example.org/'],
        ['www.example.org', 'http://www.example.org'],
        ['mailto:a@b.c', 'mailto:a@b.c'],
        ['guide/intro.html', 'guide/intro.html'],
        ['//example.org/x', '//example.org/x'],
    ];
    for (const [href, expected] of cases) assert.equal(D.safeHref(href), expected, JSON.stringify(href));
    assert.equal(D.fileRef('extfiles/ImagePath.'), '');
    assert.equal(D.fileRef('extfiles/LogoFile.png'), 'extfiles/LogoFile.png');
});
