// Running a sequence; see sequence_run_win.h. The file's format is sequence_file.h's,
// the result's lines sequence_result.h's.
//
// Each port keeps one SequenceRun among its records, made on the UI thread the
// first time a sequence starts there and freed by the port's close. Who touches what:
//  - The receive tap TAP_SEQUENCE (engine thread) feeds every converted chunk to the
//    run's ByteMatchStream under the run's own lock, and sets the run's wake event
//    when the expected bytes have come. The lock is held only for the feed or a read
//    of the stream, never while waiting or calling out, so the tap never waits for
//    the run or the UI thread.
//  - The run's thread owns the steps, the result file and the counters it writes
//    (read by the UI thread with interlocked loads). It waits on the stop event (and,
//    in an expect, on the wake event), so a stop ends any wait at once.
//  - The UI thread starts (attaches the tap, then starts the thread), stops (sets the
//    stop event, then waits for the thread handling sent messages, since the thread
//    may be sending MSG_SEQUENCE_CALL), and takes an ended run down at its notice
//    (joins the thread, detaches the tap).
// The thread's last act is its state's store and a posted notice with the port's
// address only: from then on the port may be closed and freed.
#include "transfer/sequence_run_win.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "base/app_record_win.h"
#include "base/command_state_win.h"
#include "base/status_bar_win.h"
#include "console/byte_match.h"
#include "console/console_win.h"
#include "terminal/disk_file_win.h"
#include "terminal/port_win.h"
#include "terminal/terminal_window_win.h"
#include "transfer/file_send_win.h"
#include "transfer/receive_log_win.h"
#include "transfer/sequence_file.h"
#include "transfer/sequence_result.h"
#include "transfer/transfer_win.h"

void (*sequence_ended_hook)(Port* port, int end);

static const char CAPTION[] = "ｼｰｹﾝｽの実行";
constexpr DWORD FILE_MAX = 16u << 20;           // a sequence file of more is refused
constexpr DWORD SEND_GIVE_UP_MS = 5000;         // a port that takes nothing for this long fails the send
constexpr DWORD NOTICE_EVERY_MS = 50;           // the status follows the run this often at most
constexpr std::int64_t RESULT_LINES_MAX = 100000;  // step lines; the summary always comes
constexpr std::size_t RESULT_FLUSH = 64 * 1024;

enum RunState { RUN_IDLE = 0, RUN_RUNNING = 1, RUN_ENDED = 2 };

struct SequenceRun {
    Port* port;
    HWND frame;
    CRITICAL_SECTION lock;  // guards stream
    ByteMatchStream stream;
    BytePattern pattern;    // the thread's
    HANDLE stop_event;      // manual reset
    HANDLE wake;            // auto reset: the expected bytes came
    HANDLE thread;          // UI thread's: joined when the run is taken down
    volatile LONG state;    // RunState
    volatile LONG stop;
    volatile LONG in_sendfile;  // a sendfile step waits for the file send it started
    volatile LONG line;         // the step under way
    volatile LONG64 passed;
    volatile LONG64 failed;
    volatile LONG end;          // SequenceEnd once ended
    bool unattended;
    bool continue_on_fail;
    Sequence sequence;
    char folder[MAX_PATH];  // the sequence's, for relative paths
    HANDLE result;
    std::string pending;    // result bytes not yet written
    std::int64_t result_lines;
    std::int64_t steps_done;
    DWORD last_notice;
};

static const char record_key = 0;

static void release_run(void* record)
{
    auto* run = static_cast<SequenceRun*>(record);
    DeleteCriticalSection(&run->lock);
    if (run->stop_event) CloseHandle(run->stop_event);
    if (run->wake) CloseHandle(run->wake);
    delete run;
}

static SequenceRun* run_of(const Port* port)
{
    return static_cast<SequenceRun*>(port_record_find(&port->records, &record_key));
}

// UI thread: the port's run, made when it has none.
static SequenceRun* make_run(Port* port)
{
    if (SequenceRun* run = run_of(port)) return run;
    auto* run = new (std::nothrow) SequenceRun();
    if (!run) return nullptr;
    InitializeCriticalSection(&run->lock);
    run->stop_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    run->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!run->stop_event || !run->wake || !port_record_set(&port->records, &record_key, run, release_run)) {
        release_run(run);
        return nullptr;
    }
    run->port = port;
    return run;
}

bool sequence_running(const Port* port)
{
    const SequenceRun* run = port ? run_of(port) : nullptr;
    return run && run->state == RUN_RUNNING;
}

int sequence_end_of(const Port* port)
{
    const SequenceRun* run = port ? run_of(port) : nullptr;
    return run && run->state == RUN_IDLE && run->thread == nullptr ? static_cast<int>(run->end) : static_cast<int>(SEQUENCE_RUNNING);
}

// Engine thread.
static bool sequence_tap(Port*, void* state, const unsigned char* data, std::int32_t length)
{
    auto* run = static_cast<SequenceRun*>(state);
    EnterCriticalSection(&run->lock);
    bool found = byte_match_stream_feed(&run->stream, data, static_cast<std::size_t>(length));
    LeaveCriticalSection(&run->lock);
    if (found) SetEvent(run->wake);
    return true;
}

// ---- The run's thread ----

static void flush_result(SequenceRun* run)
{
    DWORD written = 0;
    if (run->result && !run->pending.empty())
        WriteFile(run->result, run->pending.data(), static_cast<DWORD>(run->pending.size()), &written, nullptr);
    run->pending.clear();
}

static void result_line(SequenceRun* run, const SequenceStep& step, int outcome, const std::string& detail = "")
{
    ++run->steps_done;
    if (outcome == SEQUENCE_STEP_PASSED) InterlockedIncrement64(&run->passed);
    if (outcome == SEQUENCE_STEP_FAILED) InterlockedIncrement64(&run->failed);
    if (++run->result_lines > RESULT_LINES_MAX) {
        if (run->result_lines == RESULT_LINES_MAX + 1) run->pending += "...\r\n";
        return;
    }
    run->pending += sequence_result_line(console_clock_now(), run->sequence, step, outcome, detail);
    if (run->pending.size() >= RESULT_FLUSH || outcome == SEQUENCE_STEP_FAILED) flush_result(run);
}

static bool stopped(SequenceRun* run, DWORD wait_ms = 0)
{
    return run->stop || WaitForSingleObject(run->stop_event, wait_ms) == WAIT_OBJECT_0;
}

// A path as the sequence names it: relative to the sequence's folder.
static std::string resolve(const SequenceRun* run, const std::string& path)
{
    bool absolute = (path.size() > 1 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
    return absolute || !run->folder[0] ? path : std::string(run->folder) + "\\" + path;
}

static std::string step_text(const SequenceRun* run, const SequenceStep& step)
{
    return std::string(reinterpret_cast<const char*>(run->sequence.bytes.data()) + step.offset, step.length);
}

// The bytes as typed bytes are: echoed when echo is on, through the send queue
// beside whatever the user types. False when the port took nothing for a while or
// the run was stopped.
static bool send_bytes(SequenceRun* run, const unsigned char* bytes, std::int32_t count)
{
    EnterCriticalSection(&run->lock);
    byte_match_stream_mark(&run->stream);
    LeaveCriticalSection(&run->lock);
    DWORD since = GetTickCount();
    for (std::int32_t sent = 0; sent < count;) {
        if (stopped(run)) return false;
        std::int32_t taken = port_send(run->port, bytes + sent, count - sent, nullptr);
        if (taken > 0) {
            console_show(run->port, bytes + sent, taken, SHOW_TYPED);
            sent += taken;
            since = GetTickCount();
        } else if (GetTickCount() - since > SEND_GIVE_UP_MS || stopped(run, 1)) {
            return false;
        }
    }
    return true;
}

// 1 passed, 0 timed out, -1 stopped.
static int expect(SequenceRun* run, const SequenceStep& step)
{
    const unsigned char* bytes = run->sequence.bytes.data() + step.offset;
    if (step.op == SEQ_EXPECT)
        byte_match_compile_text(&run->pattern, reinterpret_cast<const char*>(bytes), step.length, true);
    else
        byte_match_compile_bytes(&run->pattern, bytes, step.length);
    EnterCriticalSection(&run->lock);
    bool found = byte_match_stream_expect(&run->stream, &run->pattern);
    LeaveCriticalSection(&run->lock);
    DWORD start = GetTickCount();
    while (!found) {
        DWORD spent = GetTickCount() - start;
        if (spent >= static_cast<DWORD>(step.number)) break;
        HANDLE waits[2] = {run->stop_event, run->wake};
        if (WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(step.number) - spent) == WAIT_OBJECT_0) return -1;
        EnterCriticalSection(&run->lock);
        found = run->stream.found != 0;
        LeaveCriticalSection(&run->lock);
    }
    return found ? 1 : 0;
}

// A file through the file send, waited for to its end. False: not sent (stopped
// included; the stop aborts the file send).
static bool send_file(SequenceRun* run, const std::string& path, std::string* why)
{
    EnterCriticalSection(&run->lock);
    byte_match_stream_mark(&run->stream);
    LeaveCriticalSection(&run->lock);
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *why = "not found";
        return false;
    }
    TransferPort* transfer = transfer_port(run->port);  // made by the start
    if (transfer->send_state != SEND_IDLE) {
        *why = "file send busy";
        return false;
    }
    auto* list = static_cast<char(*)[260]>(std::calloc(1, 260));
    if (!list) return false;
    std::strncpy(list[0], path.c_str(), 259);
    transfer->send_list = list;
    transfer->send_list_count = 1;
    InterlockedExchange(&run->in_sendfile, 1);
    if (!file_send_start(run->port)) {
        InterlockedExchange(&run->in_sendfile, 0);
        *why = "file send not started";
        return false;
    }
    while (transfer->send_state != SEND_IDLE)
        if (stopped(run, 10)) return false;  // in_sendfile stays: the stop aborts it
    InterlockedExchange(&run->in_sendfile, 0);
    return true;
}

static void notice(SequenceRun* run, bool now)
{
    DWORD tick = GetTickCount();
    if (!now && tick - run->last_notice < NOTICE_EVERY_MS) return;
    run->last_notice = tick;
    transfer_notify(run->port);
}

// Runs the steps; false when it stopped early (the stop, or a failure under onfail stop).
static bool run_steps(SequenceRun* run)
{
    const std::vector<SequenceStep>& steps = run->sequence.steps;
    std::int64_t left[SEQUENCE_MAX_DEPTH];
    int depth = 0;
    for (std::size_t at = 0; at < steps.size(); ++at) {
        if (stopped(run)) return false;
        const SequenceStep& step = steps[at];
        InterlockedExchange(&run->line, step.line);
        notice(run, false);
        int outcome = SEQUENCE_STEP_DONE;
        std::string detail;
        switch (step.op) {
        case SEQ_SEND:
            if (!send_bytes(run, run->sequence.bytes.data() + step.offset, static_cast<std::int32_t>(step.length))) {
                if (stopped(run)) return false;
                outcome = SEQUENCE_STEP_FAILED;
                detail = "not sent";
            }
            break;
        case SEQ_SENDFILE:
            if (!send_file(run, resolve(run, step_text(run, step)), &detail)) {
                if (stopped(run)) return false;
                outcome = SEQUENCE_STEP_FAILED;
            }
            break;
        case SEQ_EXPECT:
        case SEQ_EXPECTHEX: {
            int got = expect(run, step);
            if (got < 0) return false;
            outcome = got ? SEQUENCE_STEP_PASSED : SEQUENCE_STEP_FAILED;
            if (!got) {
                unsigned char seen[BYTE_MATCH_TAIL];
                EnterCriticalSection(&run->lock);
                std::size_t count = byte_match_stream_tail(&run->stream, seen, false);
                LeaveCriticalSection(&run->lock);
                detail = sequence_timeout_detail(step.number, seen, count);
            }
            break;
        }
        case SEQ_WAIT:
            if (stopped(run, static_cast<DWORD>(step.number))) return false;
            break;
        case SEQ_REPEAT:
            if (step.number == 0) {
                at = static_cast<std::size_t>(step.jump);  // past its end
            } else {
                left[depth++] = step.number;
            }
            continue;
        case SEQ_END:
            if (--left[depth - 1] > 0) {
                at = static_cast<std::size_t>(step.jump);  // its repeat's first step next
            } else {
                --depth;
            }
            continue;
        case SEQ_ONFAIL:
            run->continue_on_fail = step.number != 0;
            continue;
        case SEQ_LOG:
        case SEQ_LOG_OFF:
            if (SendMessageA(run->frame, MSG_SEQUENCE_CALL, reinterpret_cast<WPARAM>(run), static_cast<LPARAM>(at)) != 1) {
                if (stopped(run)) return false;
                outcome = SEQUENCE_STEP_FAILED;
                detail = "log not started";
            }
            break;
        case SEQ_MARK:
            break;
        }
        result_line(run, step, outcome, detail);
        if (outcome == SEQUENCE_STEP_FAILED && !run->continue_on_fail) return false;
    }
    return true;
}

static DWORD WINAPI run_thread(void* parameter) noexcept
{
    auto* run = static_cast<SequenceRun*>(parameter);
    Port* port = run->port;
    HWND frame = run->frame;
    bool whole = run_steps(run);
    bool was_stopped = !whole && run->failed == 0;
    run->pending += sequence_summary_line(run->passed, run->failed, run->steps_done, was_stopped);
    flush_result(run);
    CloseHandle(run->result);
    run->result = nullptr;
    run->sequence = Sequence{};
    run->pending = std::string();
    InterlockedExchange(&run->end, run->failed ? SEQUENCE_FAILED : was_stopped ? SEQUENCE_NOT_RUN : SEQUENCE_PASSED);
    // The last store; see the file's head.
    InterlockedExchange(&run->state, RUN_ENDED);
    PostMessageA(frame, MSG_TRANSFER_NOTICE, reinterpret_cast<WPARAM>(port), 0);
    return 0;
}

// ---- The UI thread ----

LRESULT sequence_call(WPARAM wparam, LPARAM lparam)
{
    auto* run = reinterpret_cast<SequenceRun*>(wparam);
    if (!run || run->stop || run->state != RUN_RUNNING) return 0;
    const SequenceStep& step = run->sequence.steps[static_cast<std::size_t>(lparam)];
    Port* port = run->port;
    TransferPort* log = transfer_port(port);
    stop_receive_log(port);
    if (step.op == SEQ_LOG_OFF) return 1;
    std::string path = resolve(run, step_text(run, step));
    if (path.size() >= sizeof log->log_file_name) return 0;
    std::memcpy(log->log_file_name, path.c_str(), path.size() + 1);
    return receive_log_start_quiet(port) ? 1 : 0;
}

// Takes an ended run down: the thread joined, the tap detached.
static void take_down(Port* port, SequenceRun* run)
{
    if (!run->thread) return;
    while (WaitForSingleObject(run->thread, 0) == WAIT_TIMEOUT) handle_sent_messages(5);
    CloseHandle(run->thread);
    run->thread = nullptr;
    receive_tap_detach(&port->taps, TAP_SEQUENCE);
    InterlockedExchange(&run->state, RUN_IDLE);
    if (sequence_ended_hook) sequence_ended_hook(port, run->end);
}

void sequence_refresh(Port* port)
{
    SequenceRun* run = port ? run_of(port) : nullptr;
    if (run && run->state == RUN_ENDED) take_down(port, run);
    if (!port || !port->console.has_focus) return;
    char text[128] = "";
    if (run) {
        const char* what = run->state == RUN_RUNNING ? "ｼｰｹﾝｽ実行中" : run->end == SEQUENCE_NOT_RUN ? "ｼｰｹﾝｽ中止" : "ｼｰｹﾝｽ終了";
        if (run->state == RUN_RUNNING)
            std::snprintf(text, sizeof text, "%s %ld行目 合格 %lld 不合格 %lld", what, static_cast<long>(run->line),
                          static_cast<long long>(run->passed), static_cast<long long>(run->failed));
        else
            std::snprintf(text, sizeof text, "%s 合格 %lld 不合格 %lld", what, static_cast<long long>(run->passed),
                          static_cast<long long>(run->failed));
    }
    set_status_text(STATUS_SEQUENCE, text);
    command_state_refresh();
}

void sequence_stopping(Port* port)
{
    SequenceRun* run = port ? run_of(port) : nullptr;
    if (!run || run->state != RUN_RUNNING) return;
    InterlockedExchange(&run->stop, 1);
    SetEvent(run->stop_event);
}

void sequence_stopped(Port* port)
{
    SequenceRun* run = port ? run_of(port) : nullptr;
    if (run) take_down(port, run);
}

void sequence_stop(Port* port)
{
    SequenceRun* run = port ? run_of(port) : nullptr;
    if (!run || run->state != RUN_RUNNING) return;
    sequence_stopping(port);
    // A file send the run started ends with it.
    bool sending_file = run->in_sendfile != 0;
    take_down(port, run);
    if (sending_file) file_send_abort(port);
    sequence_refresh(port);
}

// The messages of the file's faults, by SequenceError.
static const char* const SYNTAX_TEXTS[] = {
    "",
    "send, sendhex, sendfile, expect, expecthex, timeout, wait, repeat, end, onfail, log, mark のいずれかが必要です",
    "送信する内容、待つ内容、ﾌｧｲﾙ名またはﾏｰｸの文字列が必要です",
    "\\ の後には 0 \\ a b f n r t v xHH のいずれかが必要です",
    "2桁ずつの16進数が必要です",
    "範囲内の10進数が必要です (wait と timeout は 0～86400000 ﾐﾘ秒、repeat は 0～1000000000)",
    "閉じる \" が必要です",
    "閉じる \" の後にはﾀｲﾑｱｳﾄ(ﾐﾘ秒)だけが書けます (expect と expecthex)",
    "stop または continue が必要です",
    "長すぎます (1行は4096ﾊﾞｲﾄ、expect の文字列は1024ﾊﾞｲﾄまで)",
    "repeat の入れ子が深すぎます (32段まで)",
    "対応する repeat がありません",
    "対応する end が必要です",
    "ｽﾃｯﾌﾟが多すぎます (100000まで)",
    "2ﾊﾞｲﾄ文字の途中で終わっています",
    "end の後には何も書けません",
};
static_assert(sizeof SYNTAX_TEXTS / sizeof SYNTAX_TEXTS[0] == SEQUENCE_EXTRA + 1, "a text for every fault");

void sequence_write_error(const char* result_path, const char* text)
{
    HANDLE file = disk_file_open(result_path, GENERIC_WRITE, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string line = std::string("error\t") + text + "\r\n" + sequence_summary_line(0, 0, 0, true);
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

// A fault before the run: in a box, or unattended into the result file.
static void tell(HWND owner, bool unattended, const std::string& result_path, const std::string& text)
{
    if (unattended)
        sequence_write_error(result_path.c_str(), text.c_str());
    else
        MessageBoxA(owner, text.c_str(), CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

static bool read_whole(const char* path, std::string* text)
{
    HANDLE file = disk_file_open(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD high = 0, size = GetFileSize(file, &high);
    bool ok = size != INVALID_FILE_SIZE && high == 0 && size <= FILE_MAX;
    if (ok) {
        text->resize(size);
        DWORD got = 0;
        ok = size == 0 || (ReadFile(file, &(*text)[0], size, &got, nullptr) && got == size);
    }
    CloseHandle(file);
    return ok;
}

bool sequence_start(Port* port, const char* path, const char* result_path, HWND owner, bool unattended)
{
    if (!port || sequence_running(port)) return false;
    std::string result = result_path && result_path[0] ? result_path : sequence_result_path(path);
    std::string text;
    if (!read_whole(path, &text)) {
        tell(owner, unattended, result, "\"" + std::string(path) + "\"が開けません");
        return false;
    }
    Sequence sequence;
    SequenceParse parse = sequence_parse(text.data(), text.size(), &sequence);
    if (parse.error != SEQUENCE_OK) {
        char where[MAX_PATH + 64];
        std::snprintf(where, sizeof where, "\"%s\" の %d 行目: ", path, parse.line);
        tell(owner, unattended, result, where + std::string(SYNTAX_TEXTS[parse.error]));
        return false;
    }
    SequenceRun* run = make_run(port);
    if (!run || run->thread) return false;
    std::string folder = path;
    std::size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? "" : folder.substr(0, slash);
    if (folder.size() >= sizeof run->folder) folder.clear();
    std::memcpy(run->folder, folder.c_str(), folder.size() + 1);
    // A file to send that is not there is a fault of the sequence, found before anything is sent.
    for (const SequenceStep& step : sequence.steps) {
        if (step.op != SEQ_SENDFILE) continue;
        std::string name = resolve(run, std::string(reinterpret_cast<const char*>(sequence.bytes.data()) + step.offset, step.length));
        DWORD attributes = GetFileAttributesA(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            char where[MAX_PATH + 64];
            std::snprintf(where, sizeof where, "\"%s\" の %d 行目: ", path, step.line);
            tell(owner, unattended, result, where + ("\"" + name + "\"が開けません"));
            return false;
        }
    }
    HANDLE file = disk_file_open(result.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
        if (!unattended) transfer_tell_unwritten(owner, result.c_str(), CAPTION, nullptr);
        return false;
    }
    transfer_port(port);  // the file send's record, for a sendfile step
    run->frame = port->frame_window;
    run->sequence = std::move(sequence);
    run->result = file;
    run->pending.clear();
    run->result_lines = 0;
    run->steps_done = 0;
    run->last_notice = GetTickCount() - NOTICE_EVERY_MS;
    run->unattended = unattended;
    run->continue_on_fail = false;
    run->passed = 0;
    run->failed = 0;
    run->line = 0;
    run->stop = 0;
    run->in_sendfile = 0;
    run->end = SEQUENCE_RUNNING;
    ResetEvent(run->stop_event);
    ResetEvent(run->wake);
    byte_match_stream_init(&run->stream);
    InterlockedExchange(&run->state, RUN_RUNNING);
    receive_tap_attach(&port->taps, TAP_SEQUENCE, sequence_tap, run);
    run->thread = CreateThread(nullptr, 0, run_thread, run, 0, nullptr);
    if (!run->thread) {
        receive_tap_detach(&port->taps, TAP_SEQUENCE);
        CloseHandle(file);
        run->result = nullptr;
        run->sequence = Sequence{};
        InterlockedExchange(&run->state, RUN_IDLE);
        return false;
    }
    sequence_refresh(port);
    return true;
}

void sequence_command(HWND frame)
{
    Port* port = find_active_port();
    if (!port || sequence_running(port)) return;
    HWND window = port_window(port);
    char name[MAX_PATH] = "";
    if (!transfer_choose_file(frame, name, CAPTION, "ｼｰｹﾝｽ(*.seq)\0*.seq\0すべてのﾌｧｲﾙ(*.*)\0*.*\0", false)) return;
    // The port may have been closed while the dialog was open.
    if (Port* still = port_from_window(window)) sequence_start(still, name, "", frame, false);
}
