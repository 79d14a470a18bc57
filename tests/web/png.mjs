// Reads and writes the 8-bit, non-interlaced RGB and RGBA PNG files the tests
// meet (the gallery's pictures, screenshots), with node's own zlib. A picture
// is {width, height, rgb}: rows top to bottom, three bytes a pixel.
import fs from 'node:fs';
import zlib from 'node:zlib';

const kSignature = Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]);

const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a);
  const pb = Math.abs(p - b);
  const pc = Math.abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

export function decodePng(file, bytes) {
  if (bytes.length < 8 || !bytes.subarray(0, 8).equals(kSignature)) throw new Error(`${file}: not a PNG file`);
  let header = null;
  const data = [];
  for (let at = 8; at + 12 <= bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      header = { width: body.readUInt32BE(0), height: body.readUInt32BE(4), depth: body[8], colour: body[9], interlace: body[12] };
    } else if (type === 'IDAT') {
      data.push(body);
    } else if (type === 'IEND') {
      break;
    }
    at += 12 + length;
  }
  if (!header || header.depth !== 8 || (header.colour !== 2 && header.colour !== 6) || header.interlace !== 0) {
    throw new Error(`${file}: only 8-bit, non-interlaced RGB or RGBA pictures are read (${JSON.stringify(header)})`);
  }
  const { width, height } = header;
  const channels = header.colour === 6 ? 4 : 3;
  const stride = width * channels;
  const raw = zlib.inflateSync(Buffer.concat(data));
  if (raw.length < height * (stride + 1)) throw new Error(`${file}: the picture's data is cut short`);
  const rows = Buffer.alloc(height * stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const row = y * stride;
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? rows[row + i - channels] : 0;
      const b = y > 0 ? rows[row - stride + i] : 0;
      const c = i >= channels && y > 0 ? rows[row - stride + i - channels] : 0;
      const predicted = [0, a, b, (a + b) >> 1, paeth(a, b, c)][filter];
      if (predicted === undefined) throw new Error(`${file}: row ${y} has an unknown filter ${filter}`);
      rows[row + i] = (line[i] + predicted) & 0xff;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0, j = 0; i < rgb.length; i += 3, j += channels) rows.copy(rgb, i, j, j + 3);
  return { width, height, rgb };
}

export function readPng(file) {
  return decodePng(file, fs.readFileSync(file));
}

export function writePng(file, picture) {
  const { width, height, rgb } = picture;
  const raw = Buffer.alloc(height * (width * 3 + 1));
  for (let y = 0; y < height; ++y) rgb.copy(raw, y * (width * 3 + 1) + 1, y * width * 3, (y + 1) * width * 3);
  const chunk = (type, body) => {
    const length = Buffer.alloc(4);
    length.writeUInt32BE(body.length);
    const typed = Buffer.concat([Buffer.from(type, 'latin1'), body]);
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(crc32(typed));
    return Buffer.concat([length, typed, crc]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 2, 0, 0, 0], 8);
  fs.writeFileSync(file, Buffer.concat([kSignature, chunk('IHDR', header), chunk('IDAT', zlib.deflateSync(raw)),
    chunk('IEND', Buffer.alloc(0))]));
}
