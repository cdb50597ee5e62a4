// Reads 8-bit, non-interlaced PNG files (greyscale, RGB, RGBA: what the capture and the
// browser write) into RGB pixels, and compares two pictures channel by channel.
import zlib from "node:zlib";

export function decodePng(bytes) {
  const signature = "89504e470d0a1a0a";
  if (bytes.subarray(0, 8).toString("hex") !== signature) throw new Error("not a PNG file");
  let offset = 8, width = 0, height = 0, colorType = 0;
  const data = [];
  while (offset < bytes.length) {
    const length = bytes.readUInt32BE(offset);
    const type = bytes.toString("latin1", offset + 4, offset + 8);
    const body = bytes.subarray(offset + 8, offset + 8 + length);
    if (type === "IHDR") {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      colorType = body[9];
      if (body[8] !== 8 || body[12] !== 0) throw new Error("only 8-bit, non-interlaced PNG");
    } else if (type === "IDAT") {
      data.push(body);
    }
    offset += 12 + length;
  }
  const channels = { 0: 1, 2: 3, 4: 2, 6: 4 }[colorType];
  if (!channels) throw new Error("unsupported PNG colour type " + colorType);
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? rows[y * stride + x - channels] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
      let predictor = 0;
      if (filter === 1) predictor = a;
      else if (filter === 2) predictor = b;
      else if (filter === 3) predictor = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      rows[y * stride + x] = (line[x] + predictor) & 0xff;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0; i < width * height; ++i)
    for (let k = 0; k < 3; ++k)
      rgb[i * 3 + k] = channels >= 3 ? rows[i * channels + k] : rows[i * channels];
  return { width, height, rgb };
}

// The mean absolute difference of each channel, red, green and blue.
export function meanDifference(a, b) {
  if (a.width !== b.width || a.height !== b.height) throw new Error("pictures of different sizes");
  const sums = [0, 0, 0];
  for (let i = 0; i < a.rgb.length; ++i) sums[i % 3] += Math.abs(a.rgb[i] - b.rgb[i]);
  return sums.map((sum) => sum / (a.width * a.height));
}
