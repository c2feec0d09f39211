// The book configuration inside its envelope: a one-entry ZIP archive, scrambled with RC4 and
// the players' key, in Base64 inside a data element. Tests feed it to the viewer's decoder
// and edit published books with it. Also the SWF page that holds a JPEG picture.
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';
import zlib from 'node:zlib';

/* The viewer's decoding layer (viewer/src/decode.js) in Node, with the given browser globals. */
export function loadDecoder(globals = { DecompressionStream }) {
    const source = fs.readFileSync(new URL('../../../viewer/src/decode.js', import.meta.url), 'utf8');
    const ctx = vm.createContext({ atob, TextEncoder, TextDecoder, Blob, Response, Uint8Array, Promise, URL, ...globals });
    vm.runInContext(source + '\nthis.ZarvexDecode = ZarvexDecode;', ctx);
    return ctx.ZarvexDecode;
}
const decoder = loadDecoder();

// The local header and deflated data of a one-entry archive: all that the players read.
export function zipOne(name, content) {
    const data = zlib.deflateRawSync(content, { level: 9 }), head = Buffer.alloc(30);
    head.writeUInt32LE(0x04034b50, 0);
    head.writeUInt16LE(20, 4);
    head.writeUInt16LE(8, 8);
    head.writeUInt32LE(zlib.crc32(content), 14);
    head.writeUInt32LE(data.length, 18);
    head.writeUInt32LE(content.length, 22);
    head.writeUInt16LE(Buffer.byteLength(name), 26);
    return Buffer.concat([head, Buffer.from(name), data]);
}

// RC4 undoes itself; the decoder's is checked against the published test vectors.
export const envelope = (xml) => '<?xml version="1.0" encoding="UTF-8"?>\n<data><![CDATA[' +
    Buffer.from(decoder.rc4('Tn4vRq8sWk2yBx', zipOne('config.xml', Buffer.from(xml)))).toString('base64') + ']]></data>\n';

/* Rewrites the configuration of the book in dir through edit(xml text); the viewer then reads
 * config.xml, as it does on a web server when config.js is missing. */
export async function editConfig(dir, edit) {
    const file = path.join(dir, 'files', 'config.xml');
    fs.writeFileSync(file, envelope(edit(await decoder.decodeEnvelope(fs.readFileSync(file, 'utf8')))));
    fs.rmSync(path.join(dir, 'files', 'config.js'), { force: true });
}

/* A one-frame SWF 8 movie whose DefineBitsJPEG2 tag holds the picture, optionally behind the
 * erroneous EOI/SOI pair some old writers put before it. */
export function swfWithJpeg(jpeg, { compressed = false, prefix = false } = {}) {
    const picture = prefix ? Buffer.concat([Buffer.from([0xff, 0xd9, 0xff, 0xd8]), jpeg]) : jpeg;
    const tag = Buffer.alloc(8);
    tag.writeUInt16LE((21 << 6) | 0x3f, 0);
    tag.writeUInt32LE(2 + picture.length, 2);
    const body = Buffer.concat([Buffer.from([0, 0, 24, 1, 0]), tag, picture, Buffer.from([0, 0])]);
    const head = Buffer.from(compressed ? 'CWS\x08\0\0\0\0' : 'FWS\x08\0\0\0\0', 'latin1');
    head.writeUInt32LE(8 + body.length, 4);
    return Buffer.concat([head, compressed ? zlib.deflateSync(body) : body]);
}
