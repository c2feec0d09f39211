// The viewer's decoding layer (viewer/src/decode.js) outside the browser: RC4, the inflater
// fallbacks, the configuration envelope, the JPEG inside a SWF page and the link filter.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import zlib from 'node:zlib';
import crypto from 'node:crypto';
import { envelope, loadDecoder, swfWithJpeg, zipOne } from './support/envelope.mjs';

const D = loadDecoder();
const withoutStreams = loadDecoder({});
const bytes = (u8) => Buffer.from(u8.buffer, u8.byteOffset, u8.length);

test('RC4 gives the published test vectors and undoes itself', () => {
    assert.equal(bytes(D.rc4('Key', Buffer.from('Plaintext'))).toString('hex'), 'bbf316e8d940af0ad3');
    assert.equal(bytes(D.rc4('Wiki', Buffer.from('pedia'))).toString('hex'), '1021bf0420');
    const data = crypto.randomBytes(1000);
    assert.deepEqual(bytes(D.rc4('Tn4vRq8sWk2yBx', D.rc4('Tn4vRq8sWk2yBx', data))), data);
});

test('the small inflater reads every kind of DEFLATE block', () => {
    const inputs = [Buffer.alloc(0), Buffer.from('a'), Buffer.from('<Pages>'.repeat(5000)),
        crypto.randomBytes(70000), Buffer.from(Array.from({ length: 30000 }, (_, i) => (i * i) % 251))];
    const ways = [['stored', { level: 0 }], ['fast', { level: 1 }], ['best', { level: 9 }],
        ['fixed codes', { strategy: zlib.constants.Z_FIXED }]];
    for (const input of inputs) {
        for (const [what, options] of ways) {
            assert.deepEqual(bytes(D.tinyInflate(zlib.deflateRawSync(input, options))), input, `${input.length} bytes, ${what}`);
        }
    }
    assert.throws(() => D.tinyInflate(zlib.deflateRawSync(Buffer.from('hello world')).subarray(0, 3)));
});

test('the envelope decodes with raw DEFLATE streams, through their gzip wrapping and without streams', async () => {
    class OnlyGzip extends DecompressionStream {
        constructor(format) {
            if (format === 'deflate-raw') throw new TypeError('unsupported format');
            super(format);
        }
    }
    const xml = `<FlipBook3D><Pages bace=""><Page type="Image"/></Pages><Title>é ü ß 書 ${'config '.repeat(999)}</Title></FlipBook3D>`;
    for (const [what, decoder] of [['streams', D], ['gzip only', loadDecoder({ DecompressionStream: OnlyGzip })],
        ['no streams', withoutStreams]]) {
        assert.equal(await decoder.decodeEnvelope(envelope(xml)), xml, what);
    }
    await assert.rejects(D.decodeEnvelope('<data></data>'));
    await assert.rejects(D.decodeEnvelope('<html/>'), /no data element/);
    await assert.rejects(D.unzipFirst(Buffer.from('not a zip archive at all, but long enough')), /not a ZIP/);
});

test('the JPEG inside a SWF page comes out byte for byte', async () => {
    const jpeg = Buffer.concat([Buffer.from([0xff, 0xd8, 0xff, 0xe0]), crypto.randomBytes(3000), Buffer.from([0xff, 0xd9])]);
    for (const compressed of [true, false]) {
        for (const prefix of [false, true]) {
            const blob = await D.jpegFromSwf(new Uint8Array(swfWithJpeg(jpeg, { compressed, prefix })));
            assert.equal(blob.type, 'image/jpeg');
            assert.deepEqual(Buffer.from(await blob.arrayBuffer()), jpeg, `compressed ${compressed}, prefixed ${prefix}`);
        }
    }
    await assert.rejects(D.jpegFromSwf(new Uint8Array(Buffer.from('GIF89a....'))), /not a readable SWF/);
});

test('link addresses other than web, mail and page addresses are refused', () => {
    // Hostile inputs: browsers drop tabs and line breaks anywhere in an address, and control
    // characters and blanks around it, after any check that reads the raw text.
    const refused = ['javascript:alert(1)', ' JavaScript:x', 'java\tscript:alert(1)', 'java\nscript:alert(1)',
        'java\r\nscript:alert(1)', '\x01\x1fjavascript:alert(1)', 'javascript\u0000:alert(1)', '\u00a0javascript:alert(1)',
        'vbscript:msgbox(1)', 'data:text/html,x', 'file:///etc/passwd', 'blob:https://example.org/x', 'tel:+4912345'];
    const followed = [
        ['https://example.org/a?b', 'https://example.org/a?b'],
        ['HTTP://EXAMPLE.ORG/', 'HTTP://EXAMPLE.ORG/'],
        ['https://exa\tmple.org/', 'https://example.org/'],
        ['www.example.org', 'http://www.example.org'],
        ['mailto:a@b.c', 'mailto:a@b.c'],
        ['guide/intro.html', 'guide/intro.html'],
        ['//example.org/x', '//example.org/x'],
    ];
    for (const [href, expected] of [...refused.map((h) => [h, '']), ...followed]) {
        assert.equal(D.safeHref(href), expected, JSON.stringify(href));
    }
    assert.equal(D.fileRef('extfiles/ImagePath.'), '');
    assert.equal(D.fileRef('extfiles/LogoFile.png'), 'extfiles/LogoFile.png');
});
