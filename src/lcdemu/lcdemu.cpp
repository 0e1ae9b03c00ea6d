#include "lcdemu/lcdemu.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display_model/gif_movie.h"
#include "display_model/lcd_model.h"
#include "display_model/png_picture.h"
#include "lcdemu/child.h"
#include "lcdemu/frame_log.h"
#include "lcdemu/pacer.h"
#include "lcdemu/port.h"
#include "lcdemu/stats.h"
#include "lcdemu/term_frame.h"
#include "lcdemu/terminal.h"

namespace {

constexpr int64_t ns_per_ms = 1000000;
constexpr int64_t ns_per_cs = 10 * ns_per_ms;
constexpr int64_t lcdemu_tick_ns = 2 * ns_per_ms;  // bytes are handed over at most this often
constexpr int64_t lcdemu_frame_render_ns = 15 * ns_per_ms;   // a completed frame is drawn this soon
constexpr int64_t lcdemu_change_render_ns = 40 * ns_per_ms;  // other changes, this soon
constexpr int64_t lcdemu_status_refresh_ns = 250 * ns_per_ms;
constexpr int64_t lcdemu_blink_half_ns = 500 * ns_per_ms;  // block cursor on, then off
constexpr int64_t lcdemu_rate_window_ns = 1000 * ns_per_ms;
constexpr int64_t lcdemu_gif_idle_capture_ns =
    100 * ns_per_ms;  // clients that send no whole frames
constexpr int64_t lcdemu_gif_last_frame_ns = 1000 * ns_per_ms;
// A client's burst has ended when the line has stood idle this long, with
// nothing more waiting to cross it: longer than the show ever leaves it
// between its glyphs and its frame, shorter than the pauses of clients that
// update what changed a few times a second.
constexpr int64_t lcdemu_idle_frame_ns = 50 * ns_per_ms;
constexpr uint64_t lcdemu_slice_ns = 100 * 1000;  // the shortest slice a task may ask for
constexpr unsigned long lcdemu_timer_slack_ns = 1000;
constexpr int lcdemu_read_bytes = 4096;
constexpr int lcdemu_release_bytes = 512;
constexpr int lcdemu_read_rounds = 64;  // reads at one wake-up, catching up with the line
constexpr int lcdemu_held_writes = 16;  // writes of the child's threads waiting at once
constexpr int lcdemu_child_grace_ms = 1000;
constexpr int lcdemu_interrupted_status = 130;
constexpr int lcdemu_failed_status = 1;

enum class EmuEnd { running, interrupted, child_ended, client_left, device_gone };

// What a client's notice (a line on its standard error) means, kept in the
// status line for as long as lcdemu runs: a notice that holds these words
// shows as this marker.
struct NoticeMarker {
    const char* words;
    const char* marker;
};
constexpr NoticeMarker lcdemu_notice_markers[] = {
    {"no sound device", "silent: no sound device"},
    {"the sound device failed", "silent: the sound device failed"},
    {"sound device cannot play", "silent: the sound device cannot play"},
};
constexpr int lcdemu_marker_count = sizeof lcdemu_notice_markers / sizeof lcdemu_notice_markers[0];

struct Emu {
    const EmuOptions* options;
    const PicturePalette* palette;
    EmuPort port;
    char port_target[PATH_MAX];  // the port as the child's descriptors name it
    PortLine line;
    WirePacer pacer;
    SenderBacklog backlog;  // what waits in the pty, and since when
    LcdModel model;
    EmuTally tally;
    int signal_pipe[2];
    int64_t start_ns;

    bool has_child;
    EmuChild child;
    unsigned long child_echoed;           // console lines passed through (headless)
    unsigned long child_notices_read;     // notices looked at for markers (and passed through)
    bool marked[lcdemu_marker_count];     // markers that a notice has raised
    char plain_notice[child_line_bytes];  // the newest notice without a marker
    ChildWrite held[lcdemu_held_writes];  // the child's writes to the port, waiting for the line
    int held_count;

    bool drawing;  // on the terminal, not headless
    int columns, rows;
    int64_t last_render_ns;
    bool frame_ready;  // a frame completed since the last drawing
    bool dirty;        // anything fed since the last drawing
    bool blink_on;

    uint64_t rate_frames;  // frames completed when the rate window began
    int64_t rate_since_ns;
    double frames_per_second;

    FILE* wire_file;
    EmuFrameLog log;

    uint64_t bytes_read;     // from the port, since the start
    bool input_end_pending;  // the last client left: its input ends at input_ends_at
    uint64_t input_ends_at;  // in bytes read

    bool gif_open;
    GifMovie gif;
    LcdModel gif_pending;  // the state waiting for its delay to be known
    bool gif_has_pending;
    int64_t gif_start_ns;
    int64_t gif_written_cs;
    int64_t gif_last_capture_ns;
    uint64_t gif_captured_bytes;  // model bytes at the last capture

    EmuEnd end;
    char note[port_path_bytes + 160];  // the latest event, for the status line
};

Emu emu;
TermFrame emu_term;

int64_t lcdemu_now_ns() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// ---- signals ---------------------------------------------------------------

void lcdemu_on_signal(int number) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    ssize_t ignored = write(emu.signal_pipe[1], &byte, 1);
    (void)ignored;
    errno = saved;
}

// A crash must not leave the user's terminal raw and on the other screen.
void lcdemu_on_fatal_signal(int number) {
    terminal_leave();
    signal(number, SIG_DFL);
    raise(number);
}

void lcdemu_install_signals() {
    struct sigaction action {};
    action.sa_handler = lcdemu_on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGWINCH, SIGCHLD})
        sigaction(number, &action, nullptr);
    struct sigaction fatal {};
    fatal.sa_handler = lcdemu_on_fatal_signal;
    sigemptyset(&fatal.sa_mask);
    fatal.sa_flags = static_cast<int>(SA_RESETHAND);
    for (int number : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigaction(number, &fatal, nullptr);
    signal(SIGPIPE, SIG_IGN);  // a closed output shows up as a failed write
}

// Asks the scheduler for short time slices (kernels from 6.12; elsewhere
// the call fails and nothing changes): woken while a client runs, lcdemu
// then takes the processor at once rather than after the client's slice.
// Asked after the child has started, which keeps the usual slices.
void lcdemu_short_slice() {
    struct {
        uint32_t size;
        uint32_t policy;
        uint64_t flags;
        int32_t nice;
        uint32_t priority;
        uint64_t runtime, deadline, period;
    } attributes{};
    attributes.size = sizeof attributes;
    attributes.policy = 0;  // SCHED_OTHER
    attributes.runtime = lcdemu_slice_ns;
    syscall(SYS_sched_setattr, 0, &attributes, 0);
}

void lcdemu_note(const char* text) {
    std::snprintf(emu.note, sizeof emu.note, "%s", text);
    if (!emu.drawing) std::fprintf(stderr, "lcdemu: %s\n", text);
}

void lcdemu_write_port(const uint8_t* bytes, int count) {
    // Non-blocking: a client that never reads loses replies, not our pace.
    ssize_t ignored = write(emu.port.fd, bytes, static_cast<size_t>(count));
    (void)ignored;
}

// ---- drawing ---------------------------------------------------------------

void lcdemu_status_lines(char first[term_status_bytes], char second[term_status_bytes]) {
    char gpo[32] = "";
    if (emu.model.gpo != 0) {
        int at = std::snprintf(gpo, sizeof gpo, "  GPO");
        for (int output = 1; output <= lcd_gpo_count; ++output)
            if (emu.model.gpo & (1 << (output - 1)))
                at += std::snprintf(gpo + at, sizeof gpo - static_cast<size_t>(at), " %d", output);
    }
    char where[2 * port_path_bytes + 16];
    if (emu.port.link[0] != '\0') {
        std::snprintf(where, sizeof where, "%s -> %s", emu.port.link, emu.port.path);
    } else {
        std::snprintf(where, sizeof where, "%s", emu.port.path);
    }
    std::snprintf(first, term_status_bytes, "%.300s  %u baud%s  queue %d B  %.1f frames/s%s%s",
                  where, emu.pacer.baud, emu.line.obeys_xon_xoff ? "  XON/XOFF" : "",
                  emu.pacer.count, emu.frames_per_second, gpo,
                  emu.model.backlight ? "" : "  backlight off");
    // The client's notices first, where a narrow terminal still shows them.
    int at = 0;
    for (int m = 0; m < lcdemu_marker_count; ++m)
        if (emu.marked[m])
            at += std::snprintf(second + at, term_status_bytes - static_cast<size_t>(at), "[%s]  ",
                                lcdemu_notice_markers[m].marker);
    if (emu.has_child && emu.child.lines_seen > 0) {
        at += std::snprintf(second + at, term_status_bytes - static_cast<size_t>(at), "> %s",
                            child_last_line(&emu.child));
    } else if (!emu.has_child || emu.child.notices_seen == 0) {
        at +=
            std::snprintf(second + at, term_status_bytes - static_cast<size_t>(at), "%s", emu.note);
    }
    if (emu.plain_notice[0] != '\0' && at < term_status_bytes)
        std::snprintf(second + at, term_status_bytes - static_cast<size_t>(at), "%s%s",
                      at > 0 ? "  | " : "", emu.plain_notice);
}

void lcdemu_render(int64_t now) {
    if (!emu.drawing) return;
    emu.blink_on = (now / lcdemu_blink_half_ns) % 2 == 0;
    char first[term_status_bytes], second[term_status_bytes];
    lcdemu_status_lines(first, second);
    const char* const status[term_status_lines] = {first, second};
    const size_t length = term_frame_build(&emu_term, emu.model, *emu.palette, emu.blink_on,
                                           emu.options->compact, emu.columns, emu.rows, status);
    // One frame, one write (repeated only if the terminal takes it in parts).
    const char* bytes = emu_term.bytes;
    size_t left = length;
    while (left > 0) {
        const ssize_t n = write(STDOUT_FILENO, bytes, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bytes += n;
        left -= static_cast<size_t>(n);
    }
    emu.last_render_ns = now;
    emu.frame_ready = false;
    emu.dirty = false;
}

bool lcdemu_render_due(int64_t now) {
    const int64_t since = now - emu.last_render_ns;
    return (emu.frame_ready && since >= lcdemu_frame_render_ns) ||
           (emu.dirty && since >= lcdemu_change_render_ns) || since >= lcdemu_status_refresh_ns ||
           (emu.model.block_cursor && ((now / lcdemu_blink_half_ns) % 2 == 0) != emu.blink_on);
}

// ---- recording -------------------------------------------------------------

void lcdemu_gif_capture(int64_t now) {
    if (!emu.gif_open) return;
    if (emu.gif_has_pending) {
        // Delays are rounded so that the movie's clock never drifts from ours.
        const int64_t due_cs = (now - emu.gif_start_ns + ns_per_cs / 2) / ns_per_cs;
        const int64_t delay_cs = due_cs - emu.gif_written_cs;
        if (delay_cs < gif_movie_min_delay_cs) return;  // too soon: wait for a later state
        if (!gif_movie_add(&emu.gif, emu.gif_pending, static_cast<int>(delay_cs))) {
            lcdemu_note(emu.gif.error);
            gif_movie_close(&emu.gif);
            emu.gif_open = false;
            return;
        }
        emu.gif_written_cs += delay_cs;
    } else {
        emu.gif_start_ns = now;
    }
    emu.gif_pending = emu.model;
    emu.gif_has_pending = true;
    emu.gif_last_capture_ns = now;
    emu.gif_captured_bytes = emu.model.counters.bytes;
}

int lcdemu_unread_bytes() {
    int unread = 0;
    ioctl(emu.port.fd, FIONREAD, &unread);
    return unread;
}

// Bytes the client has written that have not crossed the line: ours, those
// it was let write, and those still in the pty.
int lcdemu_waiting_bytes() {
    return emu.pacer.count + emu.pacer.in_flight + lcdemu_unread_bytes();
}

void lcdemu_log_frame(int64_t at_ns, FrameEnd end) {
    if (emu.log.file == nullptr) return;
    frame_log_write(&emu.log, emu.model, static_cast<double>(at_ns - emu.start_ns) / ns_per_ms,
                    lcdemu_waiting_bytes(), end);
}

// Clients that write only what changed never complete a frame at the last
// cell: what they showed is a frame once their burst is over.
void lcdemu_log_idle_frame(int64_t now) {
    if (emu.log.file == nullptr || !emu.log.fed) return;
    if (emu.pacer.count > 0 || emu.pacer.in_flight > 0) return;
    if (now - emu.pacer.last_done_ns < lcdemu_idle_frame_ns) return;
    if (lcdemu_unread_bytes() > 0 || !frame_log_unshown(&emu.log, emu.model)) return;
    lcdemu_log_frame(emu.pacer.last_done_ns, FrameEnd::idle);
}

// ---- the line --------------------------------------------------------------

void lcdemu_update_line(int64_t now) {
    port_read_line(&emu.port, &emu.line);
    uint32_t baud = emu.options->baud;
    if (baud == 0) baud = emu.line.baud != 0 ? emu.line.baud : emu.pacer.baud;
    pacer_set_baud(&emu.pacer, baud, now);
}

// Bytes that have crossed the line go to the model one by one, so that
// each completed frame is seen (drawn, logged, recorded) as it completes.
void lcdemu_deliver(int64_t now) {
    uint8_t bytes[lcdemu_release_bytes];
    const int n = pacer_release(&emu.pacer, now, bytes, lcdemu_release_bytes);
    for (int i = 0; i < n; ++i) {
        const uint64_t frames = emu.model.counters.frames_completed;
        lcd_model_feed(&emu.model, bytes + i, 1);
        frame_log_fed(&emu.log);
        emu.dirty = true;
        if (emu.input_end_pending && emu.model.counters.bytes >= emu.input_ends_at) {
            emu.input_end_pending = false;
            lcd_model_end_input(&emu.model);
        }
        if (emu.model.counters.frames_completed == frames) continue;
        lcdemu_log_frame(now, FrameEnd::cell);
        emu.frame_ready = true;
        if (emu.drawing && now - emu.last_render_ns >= lcdemu_frame_render_ns) lcdemu_render(now);
        lcdemu_gif_capture(now);
    }
    if (emu.model.reply_count > 0) {
        uint8_t replies[lcd_reply_capacity_bytes];
        const int count = lcd_model_take_replies(&emu.model, replies, lcd_reply_capacity_bytes);
        lcdemu_write_port(replies, count);
        emu.tally.replies_sent += static_cast<uint64_t>(count);
    }
}

// The child's writes to the port go ahead one at a time as the line wants
// bytes; their bytes count as waiting from that moment.
void lcdemu_let_writes(int64_t now) {
    while (emu.held_count > 0 && pacer_wants_bytes(&emu.pacer, now)) {
        const ChildWrite write = emu.held[0];
        std::memmove(emu.held, emu.held + 1,
                     sizeof emu.held[0] * static_cast<size_t>(emu.held_count - 1));
        --emu.held_count;
        pacer_expect(&emu.pacer, static_cast<int>(write.count < INT_MAX ? write.count : INT_MAX),
                     now);
        child_let_write(&emu.child, write);
    }
}

// One waiting write of the child (the descriptor was ready: taking one does
// not block, taking a second might).
void lcdemu_take_write(int64_t now) {
    ChildWrite write;
    if (!child_take_write(&emu.child, &write)) return;
    if (emu.held_count == lcdemu_held_writes || !child_write_goes_to(write, emu.port_target)) {
        child_let_write(&emu.child, write);
        return;
    }
    emu.held[emu.held_count++] = write;
    lcdemu_let_writes(now);
}

// The client's own stop and start characters, as the module sends them. On
// a pty the client side is also held at once, before the stop character
// goes out, and released before the start character does, so that the two
// ways agree once both have acted.
// Read only as the line needs bytes: every client but a child held write by
// write. A pty takes what a client writes, some 20 KB, until the stop has
// acted, and a client that computes its frames in microseconds fills it
// before the kernel has even handed us its first bytes; reading more into a
// queue of our own would only let it run further ahead.
bool lcdemu_reads_as_needed() {
    return !emu.line.obeys_xon_xoff || !emu.has_child || emu.child.hold_fd < 0;
}

// What the flow control goes by. What still waits in the pty counts too:
// the client is let go only when the line is about to want its bytes.
int lcdemu_flow_waiting() {
    const bool in_pty = emu.line.obeys_xon_xoff && emu.port.is_pty;
    return emu.pacer.count + (in_pty ? lcdemu_unread_bytes() : 0);
}

void lcdemu_flow(int64_t now) {
    const FlowSignal signal_now =
        pacer_flow(&emu.pacer, emu.line.obeys_xon_xoff, lcdemu_flow_waiting());
    if (signal_now == FlowSignal::stop) {
        port_hold_client(&emu.port, true);
        lcdemu_write_port(&emu.line.stop_char, 1);
    }
    if (signal_now == FlowSignal::start) {
        port_hold_client(&emu.port, false);
        lcdemu_write_port(&emu.line.start_char, 1);
    }
    lcdemu_let_writes(now);
}

// Takes what the line wants from the port; true when more waits there.
bool lcdemu_read_port(int64_t now) {
    // A client that obeys XON/XOFF is held by the stop character; any other
    // waits in its own write as it would on a real line.
    int want = pacer_room(&emu.pacer);
    if (lcdemu_reads_as_needed()) want = uart_fifo_bytes - emu.pacer.count;
    if (want <= 0) return false;
    if (want > lcdemu_read_bytes) want = lcdemu_read_bytes;
    int64_t since = now;
    want = backlog_next(&emu.backlog, want, now, &since);
    uint8_t bytes[lcdemu_read_bytes];
    const ssize_t n = read(emu.port.fd, bytes, static_cast<size_t>(want));
    if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            backlog_update(&emu.backlog, 0, lcdemu_unread_bytes(), now);
            return false;
        }
        // Nobody holds the other side: our own hold makes that impossible on
        // a pty, so it is a device that went away.
        if (!emu.port.is_pty) emu.end = EmuEnd::device_gone;
        return false;
    }
    if (emu.wire_file != nullptr) {
        // As it comes, so that it can be watched while the client runs.
        std::fwrite(bytes, 1, static_cast<size_t>(n), emu.wire_file);
        std::fflush(emu.wire_file);
    }
    pacer_push(&emu.pacer, bytes, static_cast<int>(n), since);
    emu.bytes_read += static_cast<uint64_t>(n);
    const int unread = lcdemu_unread_bytes();
    backlog_update(&emu.backlog, static_cast<int>(n), unread, now);
    const int waiting = emu.pacer.count + unread;
    if (waiting > emu.tally.queue_peak_bytes) emu.tally.queue_peak_bytes = waiting;
    return unread > 0;
}

// The last client has closed the port: what it wrote ends with the bytes
// still in the pty, and a command it left unfinished there must not take
// the next client's first bytes for its arguments.
void lcdemu_input_ends() {
    emu.input_ends_at = emu.bytes_read + static_cast<uint64_t>(lcdemu_unread_bytes());
    emu.input_end_pending = emu.model.counters.bytes < emu.input_ends_at;
    if (!emu.input_end_pending) lcd_model_end_input(&emu.model);
}

void lcdemu_clients(const PortClients& change) {
    if (change.arrived > 0 && emu.port.openers > 0) {
        emu.tally.clients += change.arrived;
        lcdemu_note("client connected");
    }
    if (change.left > 0 && emu.port.openers == 0) lcdemu_input_ends();
    if (change.left == 0 || emu.port.openers > 0 || emu.has_child) return;
    if (emu.options->once) {
        lcdemu_note("client left");
        if (emu.end == EmuEnd::running) emu.end = EmuEnd::client_left;
    } else {
        lcdemu_note("client left; waiting for the next one");
    }
}

void lcdemu_signals(int64_t now) {
    unsigned char numbers[32];
    const ssize_t n = read(emu.signal_pipe[0], numbers, sizeof numbers);
    for (ssize_t i = 0; i < n; ++i) {
        switch (numbers[i]) {
            case SIGWINCH:
                if (emu.drawing) {
                    terminal_size(STDOUT_FILENO, &emu.columns, &emu.rows);
                    term_frame_invalidate(&emu_term);
                    lcdemu_render(now);
                }
                break;
            case SIGCHLD:
                if (emu.has_child && child_reap(&emu.child) && emu.end == EmuEnd::running)
                    emu.end = EmuEnd::child_ended;
                break;
            default:  // SIGINT, SIGTERM, SIGHUP, SIGQUIT
                emu.end = EmuEnd::interrupted;
                break;
        }
    }
}

// New notices raise their markers (or become the plain notice shown);
// headless, they pass through to standard error as they come.
void lcdemu_take_notices() {
    for (; emu.child_notices_read < emu.child.notices_seen; ++emu.child_notices_read) {
        const unsigned long back = emu.child.notices_seen - 1 - emu.child_notices_read;
        const char* notice = child_notice(&emu.child, static_cast<int>(back));
        if (back >= static_cast<unsigned long>(child_kept_notices) || notice == nullptr) continue;
        if (!emu.drawing) std::fprintf(stderr, "%s\n", notice);
        bool marked = false;
        for (int m = 0; m < lcdemu_marker_count; ++m) {
            if (std::strstr(notice, lcdemu_notice_markers[m].words) != nullptr) {
                emu.marked[m] = true;
                marked = true;
            }
        }
        if (!marked) std::snprintf(emu.plain_notice, sizeof emu.plain_notice, "%s", notice);
        emu.dirty = true;
    }
}

void lcdemu_console() {
    const bool open = child_read_console(&emu.child);
    lcdemu_take_notices();
    if (!open || emu.drawing) return;
    // Headless: the child's console passes through as it comes.
    for (; emu.child_echoed < emu.child.lines_seen; ++emu.child_echoed) {
        const unsigned long back = emu.child.lines_seen - 1 - emu.child_echoed;
        if (back < static_cast<unsigned long>(emu.child.line_count))
            std::printf("%s\n", emu.child.lines[emu.child.line_count - 1 - static_cast<int>(back)]);
    }
    std::fflush(stdout);
}

// ---- the loop --------------------------------------------------------------

// True while the loop must go on: running, or finishing what waits on the
// line after the child or the client has gone (Ctrl-C ends that too).
bool lcdemu_keep_going() {
    switch (emu.end) {
        case EmuEnd::running:
            return true;
        case EmuEnd::interrupted:
        case EmuEnd::device_gone:
            return false;
        case EmuEnd::child_ended:
        case EmuEnd::client_left: {
            // Every byte the client wrote is shown: ours, the kernel's, and
            // (for a child) what its console still has to say.
            int unread = 0;
            ioctl(emu.port.fd, FIONREAD, &unread);
            return emu.pacer.count > 0 || unread > 0 ||
                   (emu.has_child && (emu.child.console_fd >= 0 || emu.child.notice_fd >= 0));
        }
    }
    return false;
}

int64_t lcdemu_wait_ns(int64_t now) {
    int64_t until = now + lcdemu_status_refresh_ns;
    if (emu.pacer.count > 0) {
        int64_t due = pacer_next_due_ns(&emu.pacer);
        if (due < now + lcdemu_tick_ns) due = now + lcdemu_tick_ns;
        // The start character (and a held write) go out on time, not on
        // the next tick.
        const int64_t start =
            emu.pacer.held ? pacer_start_due_ns(&emu.pacer, lcdemu_flow_waiting()) : INT64_MAX;
        if (start < due) due = start;
        if (due < until) until = due;
    }
    if (emu.drawing && (emu.dirty || emu.frame_ready)) {
        const int64_t due = emu.last_render_ns +
                            (emu.frame_ready ? lcdemu_frame_render_ns : lcdemu_change_render_ns);
        if (due < until) until = due;
    }
    if (emu.drawing && emu.model.block_cursor) {
        const int64_t due = (now / lcdemu_blink_half_ns + 1) * lcdemu_blink_half_ns;
        if (due < until) until = due;
    }
    if (emu.log.file != nullptr && emu.log.fed && emu.pacer.count == 0) {
        int64_t due = emu.pacer.last_done_ns + lcdemu_idle_frame_ns;
        if (due < now + lcdemu_tick_ns) due = now + lcdemu_tick_ns;  // bytes still on their way
        if (due < until) until = due;
    }
    return until > now ? until - now : 0;
}

void lcdemu_loop() {
    for (;;) {
        int64_t now = lcdemu_now_ns();
        lcdemu_update_line(now);
        lcdemu_deliver(now);
        lcdemu_flow(now);
        lcdemu_log_idle_frame(now);
        if (emu.drawing && lcdemu_render_due(now)) lcdemu_render(now);
        if (emu.gif_open && emu.model.counters.bytes != emu.gif_captured_bytes &&
            now - emu.gif_last_capture_ns >= lcdemu_gif_idle_capture_ns)
            lcdemu_gif_capture(now);
        if (now - emu.rate_since_ns >= lcdemu_rate_window_ns) {
            const uint64_t frames = emu.model.counters.frames_completed;
            emu.frames_per_second = static_cast<double>(frames - emu.rate_frames) * 1e9 /
                                    static_cast<double>(now - emu.rate_since_ns);
            emu.rate_frames = frames;
            emu.rate_since_ns = now;
        }
        if (!lcdemu_keep_going()) return;

        enum { port_slot, signal_slot, notify_slot, console_slot, notice_slot, hold_slot, slots };
        pollfd fds[slots];
        fds[port_slot] = {emu.port.fd, POLLIN, 0};
        fds[signal_slot] = {emu.signal_pipe[0], POLLIN, 0};
        fds[notify_slot] = {emu.port.notify_fd, POLLIN, 0};
        fds[console_slot] = {emu.has_child ? emu.child.console_fd : -1, POLLIN, 0};
        fds[notice_slot] = {emu.has_child ? emu.child.notice_fd : -1, POLLIN, 0};
        fds[hold_slot] = {emu.has_child ? emu.child.hold_fd : -1, POLLIN, 0};
        // Not ready for more bytes: poll the port only for its hang-up.
        // A client that obeys XON/XOFF and is not held is watched for its
        // next write, to be held as soon as it comes.
        const bool want_bytes =
            lcdemu_reads_as_needed()
                ? emu.pacer.count < uart_fifo_bytes || (emu.line.obeys_xon_xoff && !emu.pacer.held)
                : pacer_room(&emu.pacer) > 0;
        if (!want_bytes) fds[port_slot].events = 0;
        const int64_t wait = lcdemu_wait_ns(now);
        const timespec timeout{static_cast<time_t>(wait / 1000000000),
                               static_cast<long>(wait % 1000000000)};
        const int ready = ppoll(fds, slots, &timeout, nullptr);
        if (ready < 0 && errno != EINTR) return;
        if (ready <= 0) continue;
        now = lcdemu_now_ns();
        if (fds[signal_slot].revents & POLLIN) lcdemu_signals(now);
        if (fds[notify_slot].revents & POLLIN) lcdemu_clients(port_poll_clients(&emu.port));
        if ((fds[console_slot].revents | fds[notice_slot].revents) & (POLLIN | POLLHUP))
            lcdemu_console();
        if (fds[hold_slot].revents & (POLLIN | POLLHUP | POLLERR)) lcdemu_take_write(now);
        if (fds[port_slot].revents & (POLLIN | POLLHUP | POLLERR)) {
            // What has crossed goes first (it makes room, and bytes are
            // queued behind none that are overdue); then read again while
            // bytes wait that the line could already have sent.
            for (int round = 0; round < lcdemu_read_rounds; ++round) {
                lcdemu_deliver(now);
                if (!lcdemu_read_port(now)) break;
            }
            lcdemu_flow(now);
        }
    }
}

// ---- setting up and finishing ----------------------------------------------

bool lcdemu_open_file(const std::string& path, const char* mode, FILE** file) {
    if (path.empty()) return true;
    *file = std::fopen(path.c_str(), mode);
    if (*file == nullptr) {
        std::fprintf(stderr, "lcdemu: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

bool lcdemu_setup(const EmuOptions& options) {
    emu.options = &options;
    emu.palette = picture_palette_named(options.palette.c_str());
    if (emu.palette == nullptr) {
        std::fprintf(stderr, "lcdemu: no palette named %s (there are:", options.palette.c_str());
        for (const PicturePalette& p : picture_palettes) std::fprintf(stderr, " %s", p.name);
        std::fprintf(stderr, ")\n");
        return false;
    }
    if (options.scale < 1 || options.scale > gif_movie_max_scale) {
        std::fprintf(stderr, "lcdemu: --scale must be 1 to %d\n", gif_movie_max_scale);
        return false;
    }
    char error[512];
    const bool opened =
        options.device.empty()
            ? port_open_pty(&emu.port, options.link.c_str(), error, sizeof error)
            : port_open_device(&emu.port, options.device.c_str(),
                               options.baud != 0 ? options.baud : port_device_default_baud, error,
                               sizeof error);
    if (!opened) {
        std::fprintf(stderr, "lcdemu: %s\n", error);
        return false;
    }
    if (realpath(emu.port.path, emu.port_target) == nullptr)
        std::snprintf(emu.port_target, sizeof emu.port_target, "%s", emu.port.path);
    lcd_model_init(&emu.model);
    if (!lcdemu_open_file(options.wire, "wb", &emu.wire_file)) return false;
    if (!options.log.empty() &&
        !frame_log_open(&emu.log, options.log.c_str(), emu.model, error, sizeof error)) {
        std::fprintf(stderr, "lcdemu: %s\n", error);
        return false;
    }
    if (!options.gif.empty()) {
        if (!gif_movie_open(&emu.gif, options.gif.c_str(), *emu.palette, options.scale)) {
            std::fprintf(stderr, "lcdemu: %s\n", emu.gif.error);
            return false;
        }
        emu.gif_open = true;
    }
    if (pipe2(emu.signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::fprintf(stderr, "lcdemu: cannot make a pipe: %s\n", std::strerror(errno));
        return false;
    }
    lcdemu_install_signals();
    prctl(PR_SET_TIMERSLACK, lcdemu_timer_slack_ns);  // the start character goes out on time

    pacer_init(&emu.pacer, options.baud != 0 ? options.baud : port_device_default_baud);
    emu.start_ns = lcdemu_now_ns();
    emu.rate_since_ns = emu.start_ns;
    emu.tally.child_exit = -1;
    lcdemu_update_line(emu.start_ns);

    const char* shown = emu.port.link[0] != '\0' ? emu.port.link : emu.port.path;
    std::printf("lcdemu: display on %s\n", shown);
    if (emu.port.is_pty && options.command.empty())
        std::printf("run the show against it:  STARGLOW_COM1=%s starglow 1\n", shown);
    std::fflush(stdout);
    char waiting[port_path_bytes + 64];
    std::snprintf(waiting, sizeof waiting, "waiting for a client: STARGLOW_COM1=%s starglow 1",
                  shown);
    std::snprintf(emu.note, sizeof emu.note, "%s",
                  emu.port.is_pty ? waiting : "reading the device");

    if (!options.command.empty()) {
        std::vector<char*> argv;
        for (const std::string& a : options.command) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (!child_start(&emu.child, argv.data(), emu.port.path, options.hold_child, error,
                         sizeof error)) {
            std::fprintf(stderr, "lcdemu: %s\n", error);
            return false;
        }
        emu.has_child = true;
    }
    lcdemu_short_slice();

    emu.drawing = !options.headless;
    if (emu.drawing && !isatty(STDOUT_FILENO)) {
        std::fprintf(stderr, "lcdemu: standard output is not a terminal; running headless\n");
        emu.drawing = false;
    }
    if (emu.drawing) {
        if (!terminal_size(STDOUT_FILENO, &emu.columns, &emu.rows)) {
            emu.columns = term_full_columns;
            emu.rows = term_needed_rows;
        }
        term_frame_init(&emu_term);
        terminal_enter(STDOUT_FILENO);
        lcdemu_render(emu.start_ns);
    }
    return true;
}

// What the client said on its standard error while the picture hid it:
// one line that sums it up, then the lines themselves.
void lcdemu_summarise_notices() {
    const EmuChild& c = emu.child;
    char markers[256] = "";
    int at = 0;
    for (int m = 0; m < lcdemu_marker_count; ++m)
        if (emu.marked[m])
            at += std::snprintf(markers + at, sizeof markers - static_cast<size_t>(at), "%s%s",
                                at == 0 ? "; " : ", ", lcdemu_notice_markers[m].marker);
    const char* name = emu.options->command[0].c_str();
    if (c.notices_seen > static_cast<unsigned long>(c.notice_count)) {
        std::fprintf(stderr, "lcdemu: %s wrote %lu lines on standard error%s; the last %d:\n", name,
                     c.notices_seen, markers, c.notice_count);
    } else {
        std::fprintf(stderr, "lcdemu: %s wrote %lu line%s on standard error%s:\n", name,
                     c.notices_seen, c.notices_seen == 1 ? "" : "s", markers);
    }
    for (int i = 0; i < c.notice_count; ++i) std::fprintf(stderr, "  %s\n", c.notices[i]);
}

int lcdemu_finish() {
    const int64_t now = lcdemu_now_ns();
    const EmuOptions& options = *emu.options;
    int status = 0;
    if (emu.has_child) {
        // Writes it is waiting to make go ahead, so that it can end cleanly.
        for (int i = 0; i < emu.held_count; ++i) child_let_write(&emu.child, emu.held[i]);
        emu.held_count = 0;
        child_stop(&emu.child, lcdemu_child_grace_ms);
        child_end_hold(&emu.child);
        child_read_console(&emu.child);
        lcdemu_take_notices();
        emu.tally.child_exit = child_exit_code(&emu.child);
        status = emu.tally.child_exit;
    }
    if (emu.end == EmuEnd::interrupted) status = lcdemu_interrupted_status;
    if (emu.end == EmuEnd::device_gone) status = lcdemu_failed_status;
    terminal_leave();

    char error[512];
    if (emu.gif_open) {
        // The state at the end closes the movie, held for a moment.
        lcdemu_gif_capture(now);
        if (emu.gif_has_pending)
            gif_movie_add(&emu.gif, emu.gif_pending,
                          static_cast<int>(lcdemu_gif_last_frame_ns / ns_per_cs));
        if (!gif_movie_close(&emu.gif)) {
            std::fprintf(stderr, "lcdemu: %s\n", emu.gif.error);
            if (status == 0) status = lcdemu_failed_status;
        }
    }
    if (!options.png.empty() && !png_picture_write(emu.model, *emu.palette, options.scale,
                                                   options.png.c_str(), error, sizeof error)) {
        std::fprintf(stderr, "lcdemu: %s\n", error);
        if (status == 0) status = lcdemu_failed_status;
    }
    emu.tally.stops_sent = emu.pacer.stops_sent;
    emu.tally.starts_sent = emu.pacer.starts_sent;
    emu.tally.baud = emu.pacer.baud;
    emu.tally.elapsed_ms = (now - emu.start_ns) / ns_per_ms;
    if (!options.stats.empty() &&
        !stats_write(options.stats.c_str(), emu.model, emu.tally, error, sizeof error)) {
        std::fprintf(stderr, "lcdemu: %s\n", error);
        if (status == 0) status = lcdemu_failed_status;
    }
    // What the last burst left is a frame too, once it has all crossed.
    if (emu.end != EmuEnd::interrupted && frame_log_unshown(&emu.log, emu.model))
        lcdemu_log_frame(emu.pacer.last_done_ns, FrameEnd::exit);
    if (emu.wire_file != nullptr) std::fclose(emu.wire_file);
    frame_log_close(&emu.log);

    if (emu.end == EmuEnd::device_gone)
        std::fprintf(stderr, "lcdemu: %s went away\n", emu.port.path);
    if (emu.end == EmuEnd::child_ended && emu.tally.child_exit != 0 && emu.child.line_count > 0) {
        std::fprintf(stderr, "lcdemu: %s ended with status %d; its last words:\n",
                     options.command[0].c_str(), emu.tally.child_exit);
        for (int i = 0; i < emu.child.line_count; ++i)
            std::fprintf(stderr, "  %s\n", emu.child.lines[i]);
    }
    if (emu.drawing && emu.has_child && emu.child.notices_seen > 0) lcdemu_summarise_notices();
    std::fprintf(stderr,
                 "lcdemu: %" PRIu64 " bytes, %" PRIu64 " frames, %" PRIu64 " unknown bytes\n",
                 emu.model.counters.bytes, emu.model.counters.frames_completed,
                 emu.model.counters.unknown_bytes);
    port_close(&emu.port);
    return status;
}

}  // namespace

int lcdemu_run(const EmuOptions& options) {
    emu.signal_pipe[0] = emu.signal_pipe[1] = -1;
    emu.port.fd = emu.port.client_side = emu.port.notify_fd = -1;
    emu.child.hold_fd = emu.child.console_fd = emu.child.notice_fd = -1;
    if (!lcdemu_setup(options)) {
        terminal_leave();
        if (emu.has_child) {
            child_stop(&emu.child, 0);
            child_end_hold(&emu.child);
        }
        if (emu.gif_open) gif_movie_close(&emu.gif);
        if (emu.port.fd >= 0) port_close(&emu.port);
        return lcdemu_failed_status;
    }
    lcdemu_loop();
    return lcdemu_finish();
}
