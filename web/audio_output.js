// The music through Web Audio. The show asks for playback to begin at an
// instant of the wall clock (performance.now()); from the context's output
// timestamps this module tells when the music's first frame is heard, which
// is all the show needs to know how far the music has played. A first part
// of the music may play first: the whole is spliced in at a frame boundary
// once it is decoded, sample for sample the same.

export function audio_output_make(context, on_lost) {
  const output = {
    context,
    sources: [],
    start_time: null,  // context time of frame 0
    rate: 0,
    lost: false,
    heard_start_ms: null,
  };
  context.onstatechange = () => {
    if (output.start_time !== null && context.state !== 'running' && !output.lost) {
      output.lost = true;
      on_lost(`the sound output is ${context.state}`);
    }
  };
  return output;
}

function audio_output_source(output, buffer) {
  const source = output.context.createBufferSource();
  source.buffer = buffer;
  source.connect(output.context.destination);
  output.sources.push(source);
  return source;
}

// Begins `buffer` so that it sounds from wall-clock instant `ms` on.
export function audio_output_play(output, buffer, ms) {
  const context = output.context;
  const ahead_s = Math.max(0, (ms - performance.now()) / 1000);
  output.start_time = context.currentTime + ahead_s;
  output.rate = buffer.sampleRate;
  audio_output_source(output, buffer).start(output.start_time);
  const latency_s = (context.outputLatency || 0) + (context.baseLatency || 0);
  output.heard_start_ms = ms + latency_s * 1000;
  return true;
}

// Hands playback over to `whole` (the complete decode of what plays now).
export function audio_output_splice(output, whole) {
  if (output.start_time === null || output.lost) return;
  const context = output.context;
  const frame = Math.ceil((context.currentTime + 0.2 - output.start_time) * output.rate);
  if (frame >= whole.length) return;
  const when = output.start_time + frame / output.rate;
  for (const source of output.sources) source.stop(when);
  audio_output_source(output, whole).start(when, frame / output.rate);
}

export function audio_output_stop(output, ms) {
  if (output.start_time === null) return;
  const when = output.context.currentTime + Math.max(0, (ms - performance.now()) / 1000);
  for (const source of output.sources) {
    try {
      source.stop(when);
    } catch (error) {
      // Already stopped: nothing more to stop.
    }
  }
  output.start_time = null;
}

// The wall-clock instant at which frame 0 is heard, kept up to date while
// the output plays; it stays where it was once the output is lost.
export function audio_output_heard_start(output) {
  if (output.start_time === null || output.lost) return output.heard_start_ms;
  const context = output.context;
  if (context.getOutputTimestamp) {
    const stamp = context.getOutputTimestamp();
    if (stamp.contextTime > 0 && stamp.performanceTime > 0)
      output.heard_start_ms = stamp.performanceTime + (output.start_time - stamp.contextTime) * 1000;
  }
  return output.heard_start_ms;
}
