// The result file's lines; see sequence_result.h.
#include "transfer/sequence_result.h"

#include <vector>

#include "console/console_time.h"
#include "terminal/escapes.h"
#include "terminal/hex_bytes.h"

static std::string quoted(const unsigned char* bytes, std::size_t count)
{
    // format_escapes writes at most 4 bytes for each one.
    std::vector<char> text(count * 4 + 1);
    format_escapes(text.data(), static_cast<int>(text.size()), bytes, static_cast<int>(count));
    return "\"" + std::string(text.data()) + "\"";
}

std::string sequence_step_text(const Sequence& sequence, const SequenceStep& step)
{
    const unsigned char* bytes = sequence.bytes.data() + step.offset;
    std::string text = sequence_op_name(step.op);
    switch (step.op) {
    case SEQ_SEND:
    case SEQ_EXPECT:
        return text + " " + quoted(bytes, step.length);
    case SEQ_EXPECTHEX: {
        std::vector<char> hex(step.length * 3 + 1);
        hex_bytes_format(bytes, step.length, hex.data(), hex.size());
        return text + " " + hex.data();
    }
    case SEQ_SENDFILE:
    case SEQ_LOG:
    case SEQ_MARK:
        return text + " " + std::string(reinterpret_cast<const char*>(bytes), step.length);
    case SEQ_WAIT:
    case SEQ_REPEAT:
        return text + " " + std::to_string(step.number);
    case SEQ_ONFAIL:
        return text + (step.number ? " continue" : " stop");
    }
    return text;
}

std::string sequence_result_line(ConsoleTime time, const Sequence& sequence, const SequenceStep& step, int outcome,
                                 const std::string& detail)
{
    char stamp[CONSOLE_STAMP_PREFIX_TEXT + 1];
    console_time_prefix_text(time, stamp);
    std::string line(stamp, CONSOLE_STAMP_PREFIX_TEXT - 1);  // without the blank after it
    line += "\tline " + std::to_string(step.line) + "\t" + sequence_step_text(sequence, step) + "\t";
    line += outcome == SEQUENCE_STEP_PASSED ? "PASS" : outcome == SEQUENCE_STEP_FAILED ? "FAIL" : "OK";
    if (!detail.empty()) line += "\t" + detail;
    return line + "\r\n";
}

std::string sequence_timeout_detail(std::int64_t timeout_ms, const unsigned char* seen, std::size_t count)
{
    return "timeout " + std::to_string(timeout_ms) + " ms\treceived " + quoted(seen, count);
}

std::string sequence_summary_line(std::int64_t passed, std::int64_t failed, std::int64_t steps, bool stopped)
{
    return "summary\tpassed " + std::to_string(passed) + "\tfailed " + std::to_string(failed) + "\tsteps " +
           std::to_string(steps) + "\t" + (stopped ? "STOPPED" : failed ? "FAIL" : "PASS") + "\r\n";
}

std::string sequence_result_path(const std::string& path)
{
    std::size_t name = path.find_last_of("\\/:");
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (name != std::string::npos && dot < name)) return path + ".result";
    return path.substr(0, dot) + ".result";
}
