// Hand-assembled books for the viewer tests: the same files and envelope that the
// publisher writes (config.xml in its data/CDATA envelope, config.js, pages, thumbnails,
// the template's page and embedding script), with page pictures painted by the browser.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

const KEY = 'Tn4vRq8sWk2yBx';

const CRC_TABLE = (() => {
    const t = new Uint32Array(256);
    for (let n = 0; n < 256; n++) {
        let c = n;
        for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
        t[n] = c >>> 0;
    }
    return t;
})();
export function crc32(buf) {
    let c = 0xffffffff;
    for (const b of buf) c = CRC_TABLE[(c ^ b) & 255] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
}

export function rc4(key, data) {
    const k = Buffer.from(key, 'utf8');
    const s = Array.from({ length: 256 }, (_, i) => i);
    let j = 0;
    for (let i = 0; i < 256; i++) {
        j = (j + s[i] + k[i % k.length]) & 255;
        [s[i], s[j]] = [s[j], s[i]];
    }
    const out = Buffer.alloc(data.length);
    let i = 0;
    j = 0;
    for (let n = 0; n < data.length; n++) {
        i = (i + 1) & 255;
        j = (j + s[i]) & 255;
        [s[i], s[j]] = [s[j], s[i]];
        out[n] = data[n] ^ s[(s[i] + s[j]) & 255];
    }
    return out;
}

// A one-entry ZIP archive as the publisher makes it.
export function zipOne(name, content) {
    const data = zlib.deflateRawSync(content, { level: 9 });
    const nameBuf = Buffer.from(name, 'utf8');
    const crc = crc32(content);
    const local = Buffer.alloc(30);
    local.writeUInt32LE(0x04034b50, 0);
    local.writeUInt16LE(20, 4);
    local.writeUInt16LE(8, 8);
    local.writeUInt32LE(crc, 14);
    local.writeUInt32LE(data.length, 18);
    local.writeUInt32LE(content.length, 22);
    local.writeUInt16LE(nameBuf.length, 26);
    const central = Buffer.alloc(46);
    central.writeUInt32LE(0x02014b50, 0);
    central.writeUInt16LE(0x0315, 4);
    central.writeUInt16LE(20, 6);
    central.writeUInt16LE(8, 10);
    central.writeUInt32LE(crc, 16);
    central.writeUInt32LE(data.length, 20);
    central.writeUInt32LE(content.length, 24);
    central.writeUInt16LE(nameBuf.length, 28);
    const comment = Buffer.from('Archive created with ZipKit');
    const end = Buffer.alloc(22);
    end.writeUInt32LE(0x06054b50, 0);
    end.writeUInt16LE(1, 8);
    end.writeUInt16LE(1, 10);
    end.writeUInt32LE(46 + nameBuf.length, 12);
    end.writeUInt32LE(30 + nameBuf.length + data.length, 16);
    end.writeUInt16LE(comment.length, 20);
    return Buffer.concat([local, nameBuf, data, central, nameBuf, end, comment]);
}

export function envelope(xmlText) {
    const b64 = rc4(KEY, zipOne('config.xml', Buffer.from(xmlText, 'utf8'))).toString('base64');
    return `<?xml version="1.0" encoding="UTF-8"?>\n<data><![CDATA[${b64}]]></data>\n`;
}

// As the publisher (libxml2) writes values: tabs and line breaks as character references, so
// attribute values keep them.
const esc = (s) => String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;')
    .replace(/\t/g, '&#9;').replace(/\n/g, '&#10;').replace(/\r/g, '&#13;');
const colorNumber = (hex) => String(parseInt(String(hex).replace(/^(0x|#)/i, ''), 16) | 0);

/* The FlipBook3D document for settings s (keys as in the templates) and pages. */
export function bookXml(s, pages, size) {
    const v = (k, d) => (s[k] === undefined ? d : s[k]);
    const ext = (p) => (/\.([^./]+)$/.exec(p || '') || [])[1] || '';
    const file = (k) => (v(k, '') ? `extfiles/${k}.${ext(v(k, ''))}` : '');
    const buttons = ['Zoom', 'TiltAngle', 'AutoPlay', 'BackgroundSound', 'Info', 'Bookmark', 'Thumbnail', 'FullScreen',
        'Help', 'Share', 'Print', 'Download'];
    const hidden = buttons.filter((b) => v(b, 'Show') === 'Hide').map((b) => b + ',').join('') + ',Content';
    const { width, height } = size;
    const pageEls = pages.map((p) => {
        const links = (p.links || []).map((l) =>
            `      <Item name="Link" type="rect" action="${esc(l.action)}" x="${l.x}" y="${l.y}" width="${l.width}" height="${l.height}" href="${esc(l.href)}"/>`).join('\n');
        return `    <Page type="Image">
      <Item name="thumb">${p.thumb}</Item>
      <Item name="normal">${p.normal}</Item>
      <Item name="large">${p.normal}</Item>
${links}
    </Page>`;
    }).join('\n');
    return `<FlipBook3D>
  <XMLVersion>1</XMLVersion>
  <Config>
    <Author><Name>${esc(v('AuthorName', 'Ann Author'))}</Name><Email>${esc(v('AuthorEmail', 'ann@example.org'))}</Email>
      <WebSite>${esc(v('AuthorWebSite', 'https://example.org'))}</WebSite><Info>${esc(v('AuthorInfo', ''))}</Info></Author>
    <Setting>
      <Title>${esc(v('Title', 'Test Book'))}</Title>
      <BaseColor>${colorNumber(v('BaseColor', '0x804000'))}</BaseColor>
      <Logo displayLogo="${v('ShowLogo', 'Yes') === 'Yes'}" link="${esc(v('LogoLink', ''))}">${file('LogoFile')}</Logo>
      <GoogleAnalytics webProperty=""/>
      <ShareAnalytics id=""/>
      <ZoomModel>0</ZoomModel>
      <Theme src="theme/Main.swf"/>
      <BackgroundMusic circle="${v('LoopSound', 'Yes') === 'Yes' ? '-1' : '0'}">${file('SoundFile')}</BackgroundMusic>
      <Download src="${file('DownloadFile')}"/>
      <ControlButtonsInvisible>${hidden}</ControlButtonsInvisible>
      <FlipBook3DSetting>
        <Background>
          <BackgroundType>${v('BackgroundType', 'GradientColor')}</BackgroundType>
          <Color>${colorNumber(v('Color', '0x808000'))}</Color>
          <GradientStartColor>${colorNumber(v('GradientStartColor', '0xFF9900'))}</GradientStartColor>
          <GradientEndColor>${colorNumber(v('GradientEndColor', '0xe8ac4d'))}</GradientEndColor>
          <GradientAngle>${v('GradientAngle', '90')}</GradientAngle>
          <ImagePath>${v('BgType', 'Image') === 'Image' ? `extfiles/ImagePath.${ext(v('ImagePath', ''))}` : ''}</ImagePath>
          <Position>${v('ImgPosition', 'Fill')}</Position>
        </Background>
        <AutoFlip loop="${v('loop', '0')}"><Enable>${v('Enable', 'No')}</Enable><Interval>${v('Interval', '3')}</Interval></AutoFlip>
        <TiltAngle>${v('TiltAngle', '0')}</TiltAngle>
        <AutoScale>Yes</AutoScale>
        <PlayFlipSound>${v('PlayFlipSound', 'Yes')}</PlayFlipSound>
        <PerPageThickness>1</PerPageThickness>
        <Mobility direction="${v('direction', 'Right') === 'Left' ? 'left' : 'right'}" startPosition="center"/>
      </FlipBook3DSetting>
      <Template>
        <PanoramicImage type="cube"><Left>extfiles/l.jpg</Left><Right>extfiles/r.jpg</Right><Top>extfiles/u.jpg</Top>
          <Bottom>extfiles/d.jpg</Bottom><Front>extfiles/f.jpg</Front><Back>extfiles/b.jpg</Back></PanoramicImage>
        <InitSetting><Camera panAngle="-90" tiltAngle="-80"/></InitSetting>
      </Template>
    </Setting>
  </Config>
  <Pages bace="" largeWidth="${width}" largeHeight="${height}" width="${width}" height="${height}" thumbWidth="135" thumbHeight="180">
${pageEls}
  </Pages>
</FlipBook3D>
`;
}

/* A SWF 8 page movie (zlib-compressed) holding the JPEG, as our page converter writes it. */
export function swfFromJpeg(jpeg, w, h) {
    const tagLong = (code, body) => {
        const hd = Buffer.alloc(6);
        hd.writeUInt16LE((code << 6) | 0x3f, 0);
        hd.writeUInt32LE(body.length, 2);
        return Buffer.concat([hd, body]);
    };
    const tagShort = (code, body) => {
        const hd = Buffer.alloc(2);
        hd.writeUInt16LE((code << 6) | body.length, 0);
        return Buffer.concat([hd, body]);
    };
    const vals = [0, w * 20, 0, h * 20];
    const nbits = Math.max(...vals.map((x) => x.toString(2).length)) + 1;
    const bits = [];
    const push = (x, n) => { for (let i = n - 1; i >= 0; i--) bits.push((x >> i) & 1); };
    push(nbits, 5);
    vals.forEach((x) => push(x, nbits));
    while (bits.length % 8) bits.push(0);
    const rect = Buffer.alloc(bits.length / 8);
    bits.forEach((b, i) => { if (b) rect[i >> 3] |= 0x80 >> (i & 7); });
    const id = Buffer.from([1, 0]);
    const body = Buffer.concat([rect, Buffer.from([0, 24, 1, 0]), tagShort(69, Buffer.alloc(4)),
        tagShort(9, Buffer.from([255, 255, 255])), tagLong(21, Buffer.concat([id, jpeg])), tagShort(1, Buffer.alloc(0)),
        tagShort(0, Buffer.alloc(0))]);
    const head = Buffer.from([0x43, 0x57, 0x53, 8, 0, 0, 0, 0]);
    head.writeUInt32LE(8 + body.length, 4);
    return Buffer.concat([head, zlib.deflateSync(body)]);
}

/* Page pictures painted by the browser: a coloured page with its number in large type. */
export async function paintPages(browserPage, count, w, h) {
    const urls = await browserPage.evaluate(({ count, w, h }) => {
        const out = [];
        for (let i = 1; i <= count; i++) {
            const c = document.createElement('canvas');
            c.width = w; c.height = h;
            const g = c.getContext('2d');
            g.fillStyle = `hsl(${(i * 47) % 360} 70% 80%)`;
            g.fillRect(0, 0, w, h);
            g.fillStyle = '#222';
            g.font = `bold ${Math.floor(h / 4)}px sans-serif`;
            g.textAlign = 'center';
            g.textBaseline = 'middle';
            g.fillText(String(i), w / 2, h / 2);
            g.strokeStyle = '#333';
            g.lineWidth = 4;
            g.strokeRect(w * 0.1, h * 0.05, w * 0.3, h * 0.08);
            out.push(c.toDataURL('image/jpeg', 0.85));
        }
        return out;
    }, { count, w, h });
    return urls.map((u) => Buffer.from(u.split(',')[1], 'base64'));
}

/* Writes a complete book into dir. opts: template, settings, pages (count), format ('image' or
 * 'flash'), links ({page: [{action, x, y, width, height, href}]}), jpegs (from paintPages). */
export function writeBook(dir, resources, opts) {
    const template = opts.template || 'float';
    const tdir = path.join(resources, 'AppFiles', 'Templates', template);
    const files = path.join(dir, 'files');
    fs.rmSync(dir, { recursive: true, force: true });
    for (const d of ['page', 'thumb', 'extfiles', 'theme', 'mobile']) fs.mkdirSync(path.join(files, d), { recursive: true });
    const size = { width: opts.width || 540, height: opts.height || 720 };
    const pages = [];
    opts.jpegs.forEach((jpeg, k) => {
        const n = (opts.firstIndex || 1) + k;
        const normal = opts.format === 'flash' ? `page/${n}.swf` : `page/${n}.jpg`;
        fs.writeFileSync(path.join(files, normal), opts.format === 'flash' ? swfFromJpeg(jpeg, size.width, size.height) : jpeg);
        fs.writeFileSync(path.join(files, `thumb/${n}.jpg`), jpeg);
        fs.writeFileSync(path.join(files, `mobile/${n}.jpg`), jpeg);
        pages.push({ normal, thumb: `thumb/${n}.jpg`, links: (opts.links || {})[k + 1] || [] });
    });
    for (const [name, data] of Object.entries(opts.extfiles || {})) fs.writeFileSync(path.join(files, 'extfiles', name), data);
    const env = envelope(bookXml(opts.settings || {}, pages, size));
    fs.writeFileSync(path.join(files, 'config.xml'), env);
    if (opts.configJs !== false) fs.writeFileSync(path.join(files, 'config.js'), `window.ZARVEX_CONFIG_XML = ${JSON.stringify(env)};\n`);
    const html = fs.readFileSync(path.join(tdir, 'index.html'), 'utf8')
        .replace('${index.title}', esc(opts.title || 'Test Book'))
        .replace('${meta.keywords}', 'Pellido,page flip,flipping-book')
        .replace('${meta.description}', 'test');
    fs.writeFileSync(path.join(dir, 'index.html'), html);
    fs.copyFileSync(path.join(tdir, 'swfobject.js'), path.join(files, 'swfobject.js'));
    fs.copyFileSync(path.join(resources, 'AppFiles', 'TmplData', 'book.swf'), path.join(files, 'book.swf'));
    return { dir, count: pages.length };
}

/* The mobile version of a book written by writeBook, as the publisher adds it. */
export function writeMobile(dir, resources, type, config) {
    const m = path.join(dir, 'mobile');
    fs.rmSync(m, { recursive: true, force: true });
    fs.cpSync(path.join(resources, 'AppFiles', 'TmplData', 'mobile', type), m, { recursive: true });
    if (type === 'Flip') {
        const js = path.join(m, 'javascript', 'main_preview.js');
        const entries = Object.entries(config).map(([k, v]) => `${k}:${v},`).join('');
        const text = 'function orgt(s){ return binl2hex(core_hx(str2binl(s), s.length * chrsz));} var bookConfig ={' +
            entries + 'thumbPath:"../files/mobile/"};var pageEditor = [];ols=[]';
        fs.writeFileSync(path.join(m, 'javascript', 'main.js'), fs.readFileSync(js, 'utf8') + text);
        fs.rmSync(js);
    } else {
        const idx = path.join(m, 'index.html');
        fs.writeFileSync(idx, fs.readFileSync(idx, 'utf8').replaceAll('${index.title}', config.title)
            .replaceAll('${fbbook.options}', config.options));
    }
}
