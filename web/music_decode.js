// The music decoded by the browser, handed to the show as 16-bit samples.
// Decoding the whole track takes a second or more; when the file's info tag
// says how long the music is and the file is all there, the first part is
// decoded on its own too (it decodes to the very same samples), so that the
// show can start on it while the rest decodes.

import {mp3_info_read} from './mp3_info.js';

const music_decode_prefix_bytes = 1 << 20;  // about 40 s of the show's music
const music_decode_chunk_frames = 1 << 17;  // converted per task, so the page stays smooth

function music_decode_with(rate, bytes) {
  const context = new OfflineAudioContext(1, 1, rate);
  return context.decodeAudioData(bytes);
}

// Starts decoding; returns {info, prefix, whole}: promises of AudioBuffers
// (prefix null when the show must wait for the whole).
export function music_decode_start(bytes) {
  const info = mp3_info_read(bytes);
  // Decoding at the file's own rate keeps every sample as encoded; the
  // output resamples if the device runs at another rate.
  const rate = info ? info.rate : 44100;
  const whole = music_decode_with(rate, bytes.slice(0));
  let prefix = null;
  if (info && info.frames !== null && bytes.byteLength >= info.audio_bytes_end &&
      bytes.byteLength > music_decode_prefix_bytes)
    prefix = music_decode_with(rate, bytes.slice(0, music_decode_prefix_bytes));
  return {info, whole, prefix};
}

function music_decode_yield() {
  return new Promise(resolve => setTimeout(resolve, 0));
}

// Writes frames [from, to) of `buffer` into the show's samples, converting
// in chunks; `samples()` gives the show's current view (null once the show
// has let them go: then it stops).
export async function music_decode_copy(buffer, from, to, channels, samples) {
  const sides = [];
  for (let c = 0; c < channels; ++c) sides.push(buffer.getChannelData(Math.min(c, buffer.numberOfChannels - 1)));
  for (let first = from; first < to; first += music_decode_chunk_frames) {
    const view = samples();
    if (!view) return false;
    const last = Math.min(to, first + music_decode_chunk_frames);
    for (let c = 0; c < channels; ++c) {
      const side = sides[c];
      for (let f = first, at = first * channels + c; f < last; ++f, at += channels) {
        const v = Math.round(side[f] * 32768);
        view[at] = v > 32767 ? 32767 : v < -32768 ? -32768 : v;
      }
    }
    if (last < to) await music_decode_yield();
  }
  return true;
}
