// The show's bytes to a real display over WebSerial: 57600 baud, 8 data
// bits, no parity, one stop bit, no flow control (the module sends none
// unless told to, and the show never tells it). The page hands over each
// write as the page's line begins to carry it, so the port runs at the
// line's pace. A port that fails is reported once and let go; the show goes
// on in the page. With ?port=fake the same path writes to a port made here,
// which keeps every byte (fake-denied: no port is chosen; fake-unplug: the
// port is lost after its first 2000 bytes).

const serial_output_settings = {baudRate: 57600, dataBits: 8, parity: 'none', stopBits: 1, flowControl: 'none'};
const serial_output_backlog_bytes = 5 * 5760;  // five seconds of line

function serial_output_fake(kind) {
  const fake = {bytes: [], count: 0};
  const port = {
    async open() {},
    async close() {},
    writable: new WritableStream({
      write(chunk) {
        if (kind === 'fake-unplug' && fake.count + chunk.length > 2000)
          throw new DOMException('The device has been lost.', 'NetworkError');
        fake.bytes.push(chunk.slice());
        fake.count += chunk.length;
      },
    }),
    addEventListener() {},
  };
  fake.serial = {
    async requestPort() {
      if (kind === 'fake-denied') throw new DOMException('No port selected by the user.', 'NotFoundError');
      return port;
    },
    addEventListener() {},
  };
  return fake;
}

export function serial_output_fake_for(kind) {
  return kind && kind.startsWith('fake') ? serial_output_fake(kind) : null;
}

// Asks for a port and opens it; throws an Error saying why it could not.
export async function serial_output_open(serial, on_failure) {
  let port;
  try {
    port = await serial.requestPort();
  } catch (error) {
    throw new Error(error.name === 'NotFoundError' ? 'no serial port was chosen' : `no serial port: ${error.message}`);
  }
  try {
    await port.open(serial_output_settings);
  } catch (error) {
    throw new Error(`the serial port could not be opened (${error.message})`);
  }
  const output = {port, writer: port.writable.getWriter(), in_flight: 0, failed: false, on_failure};
  serial.addEventListener('disconnect', event => {
    if (event.target === port) serial_output_fail(output, 'the serial port was unplugged');
  });
  return output;
}

function serial_output_fail(output, why) {
  if (output.failed) return;
  output.failed = true;
  output.on_failure(why);
  try {
    output.writer.releaseLock();
  } catch (error) {
    // A writer that cannot let go now is dropped with its port.
  }
  output.port.close().catch(() => {});
}

// Queues bytes for the port; never waits.
export function serial_output_write(output, bytes) {
  if (output.failed || bytes.length === 0) return;
  if (output.in_flight > serial_output_backlog_bytes) {
    serial_output_fail(output, 'the serial port does not take the bytes as fast as the line sends them');
    return;
  }
  output.in_flight += bytes.length;
  output.writer.write(bytes).then(
      () => { output.in_flight -= bytes.length; },
      error => serial_output_fail(output, `writing to the serial port failed (${error.message})`));
}

export function serial_output_close(output) {
  if (output.failed) return;
  output.failed = true;
  output.writer.close().catch(() => {}).finally(() => output.port.close().catch(() => {}));
}
