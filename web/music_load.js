// The music's bytes: fetched from the page's folder with a progress line,
// or, in the one-file page, taken from the copy inlined in it.

export async function music_load_bytes(url, inline_base64, on_progress) {
  if (inline_base64) {
    const text = atob(inline_base64);
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    return bytes.buffer;
  }
  let response;
  try {
    response = await fetch(url);
  } catch (error) {
    throw new Error(`${url} could not be fetched (${error.message})`);
  }
  if (!response.ok) throw new Error(`${url} could not be fetched (${response.status} ${response.statusText})`);
  const total = Number(response.headers.get('Content-Length')) || 0;
  if (!response.body || !total) return await response.arrayBuffer();
  const reader = response.body.getReader();
  const bytes = new Uint8Array(total);
  let have = 0;
  for (;;) {
    const {done, value} = await reader.read();
    if (done) break;
    if (have + value.length > total) throw new Error(`${url} is longer than the server said`);
    bytes.set(value, have);
    have += value.length;
    on_progress(have / total);
  }
  if (have !== total) throw new Error(`${url} arrived cut short (${have} of ${total} bytes)`);
  return bytes.buffer;
}
