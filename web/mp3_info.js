// What an MP3 file says about itself before it is decoded: the rate and
// channels of its first frame, and, from the encoder's info tag, how many
// frames of audio it holds once the encoder's delay and padding are cut
// (as gapless decoders cut them) and how long the file must be to hold them.
// The page uses it to start the show on the first part of the music while
// the rest decodes; the decoded length still has the last word.

const mp3_info_rates = [44100, 48000, 32000];

function mp3_info_u32(bytes, at) {
  return ((bytes[at] << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3]) >>> 0;
}

// The size of an ID3v2 tag at the start, or 0.
function mp3_info_id3_size(bytes) {
  if (bytes.length < 10 || bytes[0] !== 0x49 || bytes[1] !== 0x44 || bytes[2] !== 0x33) return 0;
  const size = (bytes[6] << 21) | (bytes[7] << 14) | (bytes[8] << 7) | bytes[9];
  const footer = bytes[5] & 0x10 ? 10 : 0;
  return 10 + size + footer;
}

// null when the bytes do not begin with an MPEG layer III frame (after an
// ID3v2 tag); otherwise {rate, channels, frames, audio_bytes_end}, the last
// two null when the file has no complete info tag.
export function mp3_info_read(buffer) {
  const bytes = new Uint8Array(buffer);
  const start = mp3_info_id3_size(bytes);
  if (start + 4 > bytes.length) return null;
  const b1 = bytes[start + 1], b2 = bytes[start + 2], b3 = bytes[start + 3];
  if (bytes[start] !== 0xff || (b1 & 0xe0) !== 0xe0) return null;
  const version = (b1 >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
  const layer = (b1 >> 1) & 3;     // 1: layer III
  const rate_index = (b2 >> 2) & 3;
  if (version === 1 || layer !== 1 || rate_index === 3 || (b2 >> 4) === 15) return null;
  const mpeg1 = version === 3;
  const rate = mp3_info_rates[rate_index] / (mpeg1 ? 1 : version === 2 ? 2 : 4);
  const mono = b3 >> 6 === 3;
  const info = {rate, channels: mono ? 1 : 2, frames: null, audio_bytes_end: null};

  const side_info = mpeg1 ? (mono ? 17 : 32) : mono ? 9 : 17;
  const tag = start + 4 + side_info;
  if (tag + 8 > bytes.length) return info;
  const name = String.fromCharCode(...bytes.subarray(tag, tag + 4));
  if (name !== 'Xing' && name !== 'Info') return info;
  const flags = mp3_info_u32(bytes, tag + 4);
  let at = tag + 8;
  let mpeg_frames = null, byte_count = null;
  if (flags & 1) { mpeg_frames = mp3_info_u32(bytes, at); at += 4; }
  if (flags & 2) { byte_count = mp3_info_u32(bytes, at); at += 4; }
  if (flags & 4) at += 100;  // seek table
  if (flags & 8) at += 4;    // quality
  // The encoder's extension: nine characters naming it, then delay and
  // padding as two 12-bit numbers at offset 21.
  if (mpeg_frames === null || byte_count === null || at + 24 > bytes.length) return info;
  const delay = (bytes[at + 21] << 4) | (bytes[at + 22] >> 4);
  const padding = ((bytes[at + 22] & 0x0f) << 8) | bytes[at + 23];
  const frames = mpeg_frames * (mpeg1 ? 1152 : 576) - delay - padding;
  if (frames <= 0) return info;
  info.frames = frames;
  info.audio_bytes_end = start + byte_count;
  return info;
}
