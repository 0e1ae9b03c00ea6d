// The display drawn on a canvas exactly as lcdemu draws its pictures: the
// picture's dots (glass, unlit, lit) at a whole number of device pixels
// each, and from three pixels a dot up the last row and column of each dot
// left as glass, so that dots stand apart as on real glass. The canvas has
// as many pixels as the screen shows, so nothing is smoothed at any
// device-pixel ratio.

const lcd_canvas_dot_line_from_scale = 3;

export function lcd_canvas_make(canvas, columns, rows) {
  return {canvas, context: canvas.getContext('2d', {alpha: false}), columns, rows, scale: 0};
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

// dots: columns * rows kinds (0 glass, 1 unlit, 2 lit); colours: r, g, b
// for each kind.
export function lcd_canvas_draw(lcd, dots, colours) {
  const {context, columns, rows, scale} = lcd;
  const style = kind => `rgb(${colours[3 * kind]},${colours[3 * kind + 1]},${colours[3 * kind + 2]})`;
  context.fillStyle = style(0);
  context.fillRect(0, 0, columns * scale, rows * scale);
  const size = scale >= lcd_canvas_dot_line_from_scale ? scale - 1 : scale;
  for (const kind of [1, 2]) {
    context.beginPath();
    for (let y = 0, at = 0; y < rows; ++y)
      for (let x = 0; x < columns; ++x, ++at)
        if (dots[at] === kind) context.rect(x * scale, y * scale, size, size);
    context.fillStyle = style(kind);
    context.fill();
  }
}
