// The display drawn on a canvas exactly as lcdemu draws its pictures: the
// picture's dots (glass, unlit, lit) at a whole number of device pixels
// each, and from three pixels a dot up the last row and column of each dot
// left as glass, so that dots stand apart as on real glass. The canvas has
// as many pixels as the screen shows, so nothing is smoothed at any
// device-pixel ratio. A frame is cheap: the dots go into a one-pixel-a-dot
// image that is scaled up without smoothing, and the glass lines, made once
// per scale and colour, go over it.

const lcd_canvas_dot_line_from_scale = 3;

export function lcd_canvas_make(canvas, columns, rows) {
  const small = document.createElement('canvas');
  small.width = columns;
  small.height = rows;
  return {
    canvas, context: canvas.getContext('2d', {alpha: false}), columns, rows, scale: 0,
    small, small_context: small.getContext('2d'), image: new ImageData(columns, rows),
    lines: document.createElement('canvas'), lines_key: '',
  };
}

// Sizes the canvas to the largest whole scale that fits width x height CSS
// pixels; returns true when the scale changed (and the picture must be drawn).
export function lcd_canvas_fit(lcd, width, height) {
  const ratio = window.devicePixelRatio || 1;
  const scale = Math.max(1, Math.floor(Math.min(width * ratio / lcd.columns, height * ratio / lcd.rows)));
  const canvas = lcd.canvas;
  canvas.style.width = `${lcd.columns * scale / ratio}px`;
  canvas.style.height = `${lcd.rows * scale / ratio}px`;
  // Layout may put the canvas between device pixels, where it would be
  // smoothed or shifted: it moves back onto the pixel grid.
  canvas.style.transform = '';
  const box = canvas.getBoundingClientRect();
  const off_x = box.left * ratio - Math.floor(box.left * ratio);
  const off_y = box.top * ratio - Math.floor(box.top * ratio);
  if (off_x || off_y) canvas.style.transform = `translate(${-off_x / ratio}px, ${-off_y / ratio}px)`;
  if (scale === lcd.scale) return false;
  lcd.scale = scale;
  canvas.width = lcd.columns * scale;
  canvas.height = lcd.rows * scale;
  return true;
}

// The glass lines between dots at this scale, transparent elsewhere.
function lcd_canvas_lines(lcd, glass) {
  const {columns, rows, scale, lines} = lcd;
  const key = `${scale} ${glass}`;
  if (lcd.lines_key === key) return;
  lcd.lines_key = key;
  lines.width = columns * scale;
  lines.height = rows * scale;
  const context = lines.getContext('2d');
  context.fillStyle = glass;
  for (let x = 1; x <= columns; ++x) context.fillRect(x * scale - 1, 0, 1, rows * scale);
  for (let y = 1; y <= rows; ++y) context.fillRect(0, y * scale - 1, columns * scale, 1);
}

// dots: columns * rows kinds (0 glass, 1 unlit, 2 lit); colours: r, g, b
// for each kind.
export function lcd_canvas_draw(lcd, dots, colours) {
  const {context, columns, rows, scale, image} = lcd;
  const pixels = image.data;
  for (let at = 0; at < columns * rows; ++at) {
    const kind = 3 * dots[at];
    pixels[4 * at] = colours[kind];
    pixels[4 * at + 1] = colours[kind + 1];
    pixels[4 * at + 2] = colours[kind + 2];
    pixels[4 * at + 3] = 255;
  }
  lcd.small_context.putImageData(image, 0, 0);
  context.imageSmoothingEnabled = false;
  context.drawImage(lcd.small, 0, 0, columns * scale, rows * scale);
  if (scale >= lcd_canvas_dot_line_from_scale) {
    lcd_canvas_lines(lcd, `rgb(${colours[0]},${colours[1]},${colours[2]})`);
    context.drawImage(lcd.lines, 0, 0);
  }
}
