// The page: the show's banner as its heading, the display on a canvas,
// Play (and Play on a display over WebSerial), the music position as the
// console line shows it, colours, full screen, keys. The show itself runs
// in the WebAssembly module, one turn each time the page's line has
// carried the last; the canvas shows, at every animation frame, what has
// crossed the line by then.
//
// URL options (test hooks, part of the page's contract): ?fast runs the
// link's clock virtually and as fast as the page can, ?silent plays without
// music, ?record keeps every turn, ?port=fake (fake-denied, fake-unplug)
// puts a port of the page's own behind "Play on a display", ?palette=NAME.
// window.starglow tells tests what happened (see page_hooks below).

import starglow_module from './starglow_wasm.mjs';
import {lcd_canvas_make, lcd_canvas_fit, lcd_canvas_draw} from './lcd_canvas.js';
import {music_load_bytes} from './music_load.js';
import {music_decode_start, music_decode_copy} from './music_decode.js';
import {audio_output_make, audio_output_play, audio_output_splice, audio_output_stop,
        audio_output_heard_start} from './audio_output.js';
import {serial_output_fake_for, serial_output_open, serial_output_write,
        serial_output_close} from './serial_output.js';

const page_music_url = 'starglow.mp3';
const page_fast_budget_ms = 12;   // a fast run yields to the page this often
const page_live_budget_ms = 8;
const page_audio_start_wait_ms = 1500;
const page_display_share_of_height = 0.6;
const page_states = ['idle', 'running', 'ended', 'not run', 'failed'];

const page_query = new URLSearchParams(location.search);
const page_options = {
  fast: page_query.has('fast'),
  silent: page_query.has('silent'),
  record: page_query.has('record'),
  port: page_query.get('port'),
  palette: page_query.get('palette'),
};

const page = {
  wasm: null,
  lcd: null,
  state: 'loading',
  palette: 0,
  frozen: false,
  drawn_dots: null,
  drawn_colours: null,
  redraw: true,
  music: {info: null, prefix: null, whole: null, failed: null, waiting: [], frames: 0},
  audio: null,
  audio_buffer: null,
  port: null,
  fake: serial_output_fake_for(page_options.port),
  last_stdout: '',
  timer: 0,
  play_ms: null,
  first_frame_ms: null,
  ready_ms: null,
};

const page_element = id => document.getElementById(id);

function page_status(text) {
  page_element('status').textContent = text;
}

function page_message(text) {
  const item = document.createElement('li');
  item.textContent = text;
  page_element('messages').append(item);
  page_hooks.messages.push(text);
}

function page_stdout(line) {
  page.last_stdout = line;
}

// The module's standard error: the music layer's own words.
function page_stderr(line) {
  if (line.trim()) page_message(line.replace(/^starglow: /, ''));
}

// -- the display --

function page_fit() {
  const display = page_element('display');
  const full = document.fullscreenElement === display;
  const width = display.clientWidth || window.innerWidth;
  const height = full ? window.innerHeight : window.innerHeight * page_display_share_of_height;
  if (lcd_canvas_fit(page.lcd, width, height)) page.redraw = true;
}

function page_draw() {
  const wasm = page.wasm;
  const columns = page.lcd.columns, rows = page.lcd.rows;
  const dots = wasm.HEAPU8.subarray(wasm._web_picture(page.palette)).subarray(0, columns * rows);
  const colours = wasm.HEAPU8.subarray(wasm._web_picture_colours()).subarray(0, 9);
  page.drawn_dots.set(dots);
  page.drawn_colours.set(colours);
  // What the picture shows, for freeze(): the model as drawn.
  page.drawn_cells.set(wasm.HEAPU8.subarray(wasm._web_display_cells()).subarray(0, 80));
  page.drawn_glyphs.set(wasm.HEAPU8.subarray(wasm._web_display_glyphs()).subarray(0, 64));
  page.drawn_bytes = wasm._web_display_bytes();
  lcd_canvas_draw(page.lcd, page.drawn_dots, page.drawn_colours);
  page.redraw = false;
}

function page_frame() {
  requestAnimationFrame(page_frame);
  if (page.frozen) return;
  const wasm = page.wasm;
  const now = performance.now();
  if (wasm._web_display_catch_up(now) || page.redraw) page_draw();
  if (page.play_ms !== null && page.first_frame_ms === null && wasm._web_display_frames() > 0)
    page.first_frame_ms = now;
  if (page.state === 'running' || page.state === 'ended') {
    const text = String(wasm._web_show_position_ms());
    const line = page_element('console');
    if (line.textContent !== text) line.textContent = text;
  }
}

// -- the music --

function page_music_settled() {
  const m = page.music;
  m.waiting = m.waiting.filter(check => !check());
}

// Resolves once the show can start: the whole music, or its first part
// when the info tag vouches for the rest, or a failure.
function page_music_startable(need_whole) {
  const m = page.music;
  const ready = () => m.failed !== null || m.whole !== null || (!need_whole && m.prefix !== null);
  return new Promise(resolve => {
    const check = () => ready() && (resolve(), true);
    if (!check()) m.waiting.push(check);
  });
}

async function page_music_load() {
  const m = page.music;
  let bytes;
  try {
    bytes = await music_load_bytes(page_music_url, globalThis.starglow_inline_music,
        share => page_status(`Loading the music: ${Math.floor(share * 100)} %`));
  } catch (error) {
    m.failed = `the music could not be loaded: ${error.message}`;
    page_status('No music.');
    page_music_settled();
    return;
  }
  page_status('Decoding the music…');
  let decoding;
  try {
    decoding = music_decode_start(bytes);
  } catch (error) {
    m.failed = `the music could not be decoded (${error.message})`;
    page_music_settled();
    return;
  }
  m.info = decoding.info;
  if (decoding.prefix)
    decoding.prefix.then(buffer => { m.prefix = buffer; page_music_settled(); }, () => {});
  decoding.whole.then(buffer => {
    m.whole = buffer;
    page_status(`The music is ready (${(buffer.length / buffer.sampleRate).toFixed(3)} s).`);
    page_music_settled();
    if (page.state === 'running' && page.audio_buffer && page.audio_buffer !== buffer)
      page_music_complete().catch(page_fatal);
  }, error => {
    m.failed = `the music could not be decoded (${error.message || error})`;
    page_status('No music.');
    page_music_settled();
  });
}

// The show started on the first part: the rest goes in, the output
// changes over to the whole, and the length the tag gave is checked.
async function page_music_complete() {
  const m = page.music, wasm = page.wasm, whole = m.whole;
  if (whole.length !== m.frames) {
    wasm._web_show_abandon();
    page_message(`The music decodes to ${Math.floor(whole.length * 1000 / whole.sampleRate)} ms, ` +
                 `not the ${Math.floor(m.frames * 1000 / whole.sampleRate)} ms its header gave: the show stops.`);
    page_finish();
    return;
  }
  const channels = whole.numberOfChannels >= 2 ? 2 : 1;
  await music_decode_copy(whole, m.prefix_frames, whole.length, channels, () => {
    const at = wasm._web_music_samples();
    return at ? new Int16Array(wasm.HEAP16.buffer, at, whole.length * channels) : null;
  });
  if (page.audio) audio_output_splice(page.audio, whole);
  page.audio_buffer = whole;
}

// Hands the decoded music (or silence) to the module; returns the buffer
// that plays, or null for none.
async function page_music_hand_over() {
  const m = page.music, wasm = page.wasm;
  if (page_options.silent || m.failed !== null) {
    if (m.failed !== null && !page_options.silent) page_message(`${m.failed}: the show plays silently.`);
    wasm._web_music_silence();
    return null;
  }
  const buffer = m.whole || m.prefix;
  const channels = buffer.numberOfChannels >= 2 ? 2 : 1;
  m.frames = m.whole ? m.whole.length : m.info.frames;
  m.prefix_frames = Math.min(buffer.length, m.frames);
  const at = wasm._web_music_prepare(m.frames, channels, buffer.sampleRate);
  if (!at) {
    page_message('There is no room for the music: the show plays silently.');
    wasm._web_music_silence();
    return null;
  }
  await music_decode_copy(buffer, 0, m.prefix_frames, channels,
      () => new Int16Array(wasm.HEAP16.buffer, at, m.frames * channels));
  return buffer;
}

// -- sound --

async function page_audio_open(context) {
  const wasm = page.wasm;
  if (!context) {
    wasm._web_audio_available(0);
    return;
  }
  const started = await Promise.race([
    context.resume().then(() => context.state === 'running', () => false),
    new Promise(resolve => setTimeout(() => resolve(false), page_audio_start_wait_ms)),
  ]);
  if (!started) {
    wasm._web_audio_available(0);
    context.close().catch(() => {});
    return;
  }
  page.audio = audio_output_make(context, why =>
      page_message(`No sound any more (${why}): the show goes on with the clock.`));
  wasm.page_audio_play = ms => (page.audio_buffer ? audio_output_play(page.audio, page.audio_buffer, ms) : false);
  wasm.page_audio_stop = ms => audio_output_stop(page.audio, ms);
  wasm._web_audio_available(1);
}

// -- the show --

function page_call(run) {
  try {
    return run();
  } catch (error) {
    // The music layer ends the show by exiting, as starglow does.
    if (error && error.name === 'ExitStatus') {
      page.wasm._web_show_fail();
      page_message(`The show stopped: ${page.last_stdout || 'the music layer failed'}`);
      return 4;
    }
    throw error;
  }
}

function page_pump() {
  page.timer = 0;
  const wasm = page.wasm;
  const now = performance.now();
  if (page.audio) wasm._web_audio_heard_start(audio_output_heard_start(page.audio));
  const state = page_call(() =>
      wasm._web_show_run(now, page_options.fast ? page_fast_budget_ms : page_live_budget_ms));
  page_port_flush();
  if (page_states[state] !== 'running') {
    page_finish();
    return;
  }
  if (page_options.fast) {
    page_yield(page_pump);
  } else {
    page.timer = setTimeout(page_pump, Math.max(0, wasm._web_show_next_turn_ms() - performance.now()));
  }
}

// A turn of the page's event loop without a timer's minimum wait.
const page_channel = new MessageChannel();
let page_yielded = null;
page_channel.port1.onmessage = () => page_yielded && page_yielded();
function page_yield(then) {
  page_yielded = then;
  page_channel.port2.postMessage(0);
}

function page_port_flush() {
  const wasm = page.wasm;
  const size = wasm._web_port_size();
  if (!size) return;
  const bytes = wasm.HEAPU8.slice(wasm._web_port_data(), wasm._web_port_data() + size);
  wasm._web_port_clear();
  if (page.port) serial_output_write(page.port, bytes);
}

function page_finish() {
  const wasm = page.wasm;
  const state = page_states[wasm._web_show_state()];
  page.state = state;
  if (page.timer) clearTimeout(page.timer);
  page.timer = 0;
  page_port_flush();
  if (page.port) serial_output_close(page.port);
  if (state === 'ended') {
    page_status('The show has ended.');
  } else if (state === 'not run') {
    const length = wasm._web_music_length_ms();
    if (!page.music.failed)
      page_message(`The music is ${length} ms long; the show needs exactly 203154 ms and does not run with any other length.`);
    page_status('The show did not run.');
  } else {
    page_status('The show stopped.');
  }
  if (page.audio) setTimeout(() => page.audio.context.close().catch(() => {}), 1000);
  const play = page_element('play');
  play.textContent = 'Play again';
  play.disabled = false;
  page_hooks.done = true;
}

async function page_play(on_display) {
  if (page.state === 'ended' || page.state === 'not run' || page.state === 'failed') {
    location.reload();
    return;
  }
  if (page.state !== 'idle') return;
  page.state = 'starting';
  page_element('play').disabled = true;
  page_element('play-port').disabled = true;
  // The sound must be asked for while the click is fresh.
  let context = null;
  if (!page_options.fast && !page_options.silent && page.music.failed === null) {
    try {
      const rate = page.music.info ? page.music.info.rate : undefined;
      context = new AudioContext(rate ? {sampleRate: rate} : {});
    } catch (error) {
      page_message(`No sound (${error.message}): the show plays silently.`);
    }
  }
  if (on_display) {
    const serial = page.fake ? page.fake.serial : navigator.serial;
    try {
      page.port = await serial_output_open(serial, why => page_message(`Display: ${why}; the show goes on here.`));
    } catch (error) {
      page_message(`Display: ${error.message}; the show plays here only.`);
    }
  }
  if (!page_options.silent) {
    if (page.music.failed === null && page.music.whole === null) page_status('Decoding the music…');
    await page_music_startable(page_options.fast);
  }
  page.audio_buffer = await page_music_hand_over();
  const silent = page.audio_buffer === null;
  await page_audio_open(silent ? null : context);
  if (silent && context) context.close().catch(() => {});

  const wasm = page.wasm;
  page.play_ms = performance.now();
  const state = page_call(() => wasm._web_show_start(page.play_ms, page_options.fast ? 1 : 0,
      silent ? 1 : 0, page_options.record ? 1 : 0, page.port ? 1 : 0));
  page_port_flush();
  if (page_states[state] !== 'running') {
    page_finish();
    return;
  }
  page.state = 'running';
  page_status(page_options.fast ? 'Playing on the virtual clock…' : 'Playing.');
  if (page.music.whole && page.audio_buffer && page.audio_buffer !== page.music.whole)
    page_music_complete().catch(page_fatal);
  page_pump();
}

function page_full_screen() {
  const display = page_element('display');
  if (document.fullscreenElement) {
    document.exitFullscreen().catch(() => {});
  } else if (display.requestFullscreen) {
    display.requestFullscreen().catch(error => page_message(`No full screen: ${error.message}`));
  }
}

function page_keys(event) {
  if (event.ctrlKey || event.altKey || event.metaKey) return;
  if (event.target instanceof HTMLSelectElement) return;
  if (event.key === ' ') {
    event.preventDefault();
    if (!event.repeat && page.state === 'idle') page_play(false).catch(page_fatal);
  } else if (event.key === 'f' || event.key === 'F') {
    page_full_screen();
  }
}

function page_fatal(error) {
  page_status('Something went wrong.');
  page_message(`The page failed: ${error && error.message ? error.message : error}`);
}

// -- hooks for tests and the curious --

function page_base64(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(text);
}

function page_heap_bytes(data, size) {
  const wasm = page.wasm;
  return wasm.HEAPU8.subarray(wasm[data](), wasm[data]() + wasm[size]());
}

const page_hooks = {
  ready: false,
  done: false,
  messages: [],
  get state() { return page.state; },
  turnsJsonl: () => new TextDecoder().decode(page_heap_bytes('_web_turns_data', '_web_turns_size')),
  wireBase64: () => page_base64(page_heap_bytes('_web_wire_data', '_web_wire_size')),
  serialBase64: () => {
    if (!page.fake) return '';
    const all = new Uint8Array(page.fake.count);
    let at = 0;
    for (const chunk of page.fake.bytes) { all.set(chunk, at); at += chunk.length; }
    return page_base64(all);
  },
  stats: () => {
    const wasm = page.wasm;
    return {
      ready_ms: page.ready_ms, play_ms: page.play_ms, first_frame_ms: page.first_frame_ms,
      t0_ms: wasm._web_show_t0_ms(), turns: wasm._web_show_turns(),
      turn_ms_total: wasm._web_show_turn_ms_total(), turn_ms_most: wasm._web_show_turn_ms_most(),
      stalls: wasm._web_show_stalls(), line_bytes: wasm._web_line_bytes(),
      clock_ms: wasm._web_show_clock_ms(), position_ms: wasm._web_show_position_ms(),
      audio_time: page.audio ? page.audio.context.currentTime : null,
      audio_state: page.audio ? page.audio.context.state : null,
      scale: page.lcd.scale, palette: page.palette, record_complete: wasm._web_record_complete() === 1,
    };
  },
  // Stops drawing (the show goes on) and tells what the canvas shows.
  freeze: () => {
    page.frozen = true;
    const box = page.lcd.canvas.getBoundingClientRect();
    return {
      dots: Array.from(page.drawn_dots), colours: Array.from(page.drawn_colours),
      cells: Array.from(page.drawn_cells), glyphs: Array.from(page.drawn_glyphs), bytes: page.drawn_bytes,
      scale: page.lcd.scale, columns: page.lcd.columns, rows: page.lcd.rows,
      box: {x: box.x, y: box.y, width: box.width, height: box.height},
    };
  },
  thaw: () => { page.frozen = false; page.redraw = true; },
};
window.starglow = page_hooks;

// -- start --

function page_heading(banner) {
  const lines = banner.split('\n');
  // A blank line, the logo, a blank line, the title, the subtitle.
  const blank = lines.indexOf('', 1);
  page_element('logo').textContent = lines.slice(1, blank).join('\n');
  const title = (lines[blank + 1] || '').trim();
  page_element('title').textContent = title;
  page_element('subtitle').textContent = (lines[blank + 2] || '').trim();
  document.title = title;
}

async function page_main() {
  let wasm;
  try {
    wasm = await starglow_module({print: page_stdout, printErr: page_stderr});
  } catch (error) {
    page_status(`The show could not be loaded: ${error.message || error}`);
    return;
  }
  page.wasm = wasm;
  page_heading(wasm.UTF8ToString(wasm._web_banner()));

  const select = page_element('palette');
  for (let i = 0; i < wasm._web_palette_count(); ++i) {
    const name = wasm.UTF8ToString(wasm._web_palette_name(i));
    select.add(new Option(name, String(i)));
    if (name === page_options.palette) page.palette = i;
  }
  select.value = String(page.palette);
  select.addEventListener('change', () => { page.palette = Number(select.value); page.redraw = true; });

  page.lcd = lcd_canvas_make(page_element('lcd'), wasm._web_picture_columns(), wasm._web_picture_rows());
  page.drawn_dots = new Uint8Array(page.lcd.columns * page.lcd.rows);
  page.drawn_colours = new Uint8Array(9);
  page.drawn_cells = new Uint8Array(80);
  page.drawn_glyphs = new Uint8Array(64);
  wasm._web_show_before_play();
  page_fit();
  page_draw();
  page.ready_ms = performance.now();
  page.state = 'idle';
  page_hooks.ready = true;
  requestAnimationFrame(page_frame);

  new ResizeObserver(page_fit).observe(page_element('display'));
  window.addEventListener('resize', page_fit);
  document.addEventListener('fullscreenchange', page_fit);
  document.addEventListener('keydown', page_keys);
  page_element('full-screen').addEventListener('click', page_full_screen);
  page_element('play').addEventListener('click', () => page_play(false).catch(page_fatal));
  const play_port = page_element('play-port');
  if (page.fake || navigator.serial) {
    play_port.hidden = false;
    play_port.addEventListener('click', () => page_play(true).catch(page_fatal));
  }
  page_element('play').disabled = false;
  play_port.disabled = false;

  if (page_options.silent) {
    page_status('Silent: the show plays without music.');
  } else {
    page_music_load().catch(page_fatal);
  }
}

page_main().catch(page_fatal);
