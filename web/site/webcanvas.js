// Replays the picture's drawing operations (web/src/webcanvas.h) onto a
// canvas's 2-D context whose user space is the picture's 800 x 800 pixels.

const OPCLEAR = 0, OPFILL = 1, OPGLYPHS = 2;
// Liberation Sans has Helvetica's metrics: the window's bitmap fonts.
const FACE = '"Liberation Sans", Helvetica, Arial, sans-serif';

function colour(r, g, b) {
  return `rgb(${Math.round(r * 255)},${Math.round(g * 255)},${Math.round(b * 255)})`;
}

export function paint(ctx, ops) {
  let i = 0;
  while (i < ops.length) {
    const op = ops[i++];
    if (op === OPCLEAR) {
      ctx.fillStyle = '#fff';
      ctx.fillRect(0, 0, 800, 800);
    } else if (op === OPFILL) {
      // Polygons of one colour, one path, filled under the non-zero rule.
      ctx.fillStyle = colour(ops[i], ops[i + 1], ops[i + 2]);
      const polygons = ops[i + 3];
      i += 4;
      ctx.beginPath();
      for (let k = 0; k < polygons; ++k) {
        const n = ops[i++];
        ctx.moveTo(ops[i], ops[i + 1]);
        for (let j = 1; j < n; ++j) ctx.lineTo(ops[i + 2 * j], ops[i + 2 * j + 1]);
        ctx.closePath();
        i += 2 * n;
      }
      ctx.fill('nonzero');
    } else if (op === OPGLYPHS) {
      // Each glyph at the window's pen position, on the window's baseline.
      ctx.fillStyle = '#000';
      ctx.font = `${ops[i]}px ${FACE}`;
      ctx.textBaseline = 'alphabetic';
      const baseline = ops[i + 1], n = ops[i + 2];
      i += 3;
      for (let k = 0; k < n; ++k, i += 2) ctx.fillText(String.fromCharCode(ops[i]), ops[i + 1], baseline);
    } else {
      throw new Error(`unknown drawing operation ${op} at ${i - 1}`);
    }
  }
}
