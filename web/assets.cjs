// Build-time steps of the browser build, in node so that the build needs
// nothing more than it has:
//
//   node assets.cjs pictures OUT BMP...   the sheets in the canvas's byte
//       order, packed into one gzip file that the page unpacks
//   node assets.cjs icon OUT SHARK_BMP    the 512-pixel app icon: the shark's
//       idle sprite at 4x, as packaging/make-icon.sh draws the 128-pixel one
//   node assets.cjs worker OUT TEMPLATE FILE...   the service worker, its
//       cache named after a hash of FILEs, which it keeps
'use strict';
const crypto = require('crypto');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');

function fail(why) {
  console.error(`assets.cjs: ${why}`);
  process.exit(1);
}

// A sheet as the art generator writes it: 32 bits a pixel, BI_BITFIELDS
// with red at 0x00ff0000, which SDL loads as RGB888.
const RGB_MASKS = [0x00ff0000, 0x0000ff00, 0x000000ff];
function readSheet(file) {
  const b = fs.readFileSync(file);
  if (b.length < 66 || b.toString('latin1', 0, 2) !== 'BM' || b.readUInt32LE(14) !== 40 ||
      b.readUInt16LE(28) !== 32 || b.readUInt32LE(30) !== 3 ||
      RGB_MASKS.some((m, i) => b.readUInt32LE(54 + 4 * i) !== m))
    fail(`${file} is not a 32-bit BMP with RGB888 masks`);
  const w = b.readInt32LE(18), h = Math.abs(b.readInt32LE(22)), at = b.readUInt32LE(10);
  if (at + w * h * 4 > b.length)
    fail(`${file} holds fewer pixels than its header claims`);
  return { bytes: b, w, h, at, bottomUp: b.readInt32LE(22) > 0 };
}

// The same picture with red and blue swapped, in the masks and in every
// pixel: SDL then loads it as BGR888, the format of its canvas surface, so
// that every blit is a copy between equal formats. The fourth byte stays 0,
// as the colour keys expect.
function canvasOrder(file) {
  const s = readSheet(file);
  const out = Buffer.from(s.bytes);
  [0x000000ff, 0x0000ff00, 0x00ff0000].forEach((m, i) => out.writeUInt32LE(m, 54 + 4 * i));
  for (let p = s.at, end = s.at + s.w * s.h * 4; p < end; p += 4) {
    out[p] = s.bytes[p + 2];
    out[p + 2] = s.bytes[p];
  }
  return out;
}

// Each file as a name length byte, the name, a 32-bit size and the bytes.
function pictures(out, files) {
  const parts = [];
  for (const file of files) {
    const name = Buffer.from(path.basename(file), 'latin1');
    const body = canvasOrder(file);
    const size = Buffer.alloc(4);
    size.writeUInt32LE(body.length);
    parts.push(Buffer.from([name.length]), name, size, body);
  }
  fs.writeFileSync(out, zlib.gzipSync(Buffer.concat(parts), { level: 9 }));
}

const CRC = Array.from({ length: 256 }, (_, n) => {
  for (let k = 0; k < 8; k++) n = n & 1 ? 0xedb88320 ^ (n >>> 1) : n >>> 1;
  return n >>> 0;
});
function chunk(type, data) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(data.length);
  head.write(type, 4, 'latin1');
  let c = 0xffffffff;
  for (const byte of Buffer.concat([head.subarray(4), data])) c = CRC[(c ^ byte) & 0xff] ^ (c >>> 8);
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE((c ^ 0xffffffff) >>> 0);
  return Buffer.concat([head, data, crc]);
}

function icon(out, shark) {
  const s = readSheet(shark);
  const [sx, sy, sw, sh, scale, size] = [0, 40, 110, 40, 4, 512];
  const rgba = Buffer.alloc(size * size * 4);
  const x0 = (size - sw * scale) >> 1, y0 = (size - sh * scale) >> 1;
  for (let y = 0; y < sh * scale; y++)
    for (let x = 0; x < sw * scale; x++) {
      const row = sy + Math.floor(y / scale);
      const p = s.at + ((s.bottomUp ? s.h - 1 - row : row) * s.w + sx + Math.floor(x / scale)) * 4;
      const [b, g, r] = [s.bytes[p], s.bytes[p + 1], s.bytes[p + 2]];
      if (r === 255 && g === 0 && b === 255) continue; // the magenta key
      rgba.set([r, g, b, 255], ((y0 + y) * size + x0 + x) * 4);
    }
  const rows = [];
  for (let y = 0; y < size; y++) rows.push(Buffer.from([0]), rgba.subarray(y * size * 4, (y + 1) * size * 4));
  const ihdr = Buffer.alloc(13);
  ihdr.writeUInt32BE(size, 0);
  ihdr.writeUInt32BE(size, 4);
  ihdr.set([8, 6, 0, 0, 0], 8);
  fs.writeFileSync(out, Buffer.concat([Buffer.from('89504e470d0a1a0a', 'hex'), chunk('IHDR', ihdr),
                                       chunk('IDAT', zlib.deflateSync(Buffer.concat(rows), { level: 9 })),
                                       chunk('IEND', Buffer.alloc(0))]));
}

// A new build is a new hash, so a new worker with a cache of its own; it
// drops the old one when it takes over.
function worker(out, template, files) {
  const hash = crypto.createHash('sha256');
  for (const f of files) hash.update(path.basename(f)).update(fs.readFileSync(f));
  const list = files.map((f) => path.basename(f));
  const text = fs.readFileSync(template, 'utf8')
    .replace('@VERSION@', hash.digest('hex').slice(0, 16))
    .replace('@FILES@', JSON.stringify(list));
  fs.writeFileSync(out, text);
}

const [step, out, ...rest] = process.argv.slice(2);
if (step === 'pictures' && rest.length) pictures(out, rest);
else if (step === 'icon' && rest.length === 1) icon(out, rest[0]);
else if (step === 'worker' && rest.length >= 2) worker(out, rest[0], rest.slice(1));
else fail('usage: assets.cjs pictures OUT BMP... | icon OUT SHARK_BMP | worker OUT TEMPLATE FILE...');
