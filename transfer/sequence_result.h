// The result file of a sequence run: one line per step that does something (sends,
// waits, expects, logs, marks), and a summary line at the end, in ASCII tab-separated
// fields so that a test bench can read it:
//     [yyyy-mm-dd hh:mm:ss.mmm] <TAB> line N <TAB> STEP <TAB> PASS|FAIL|OK [<TAB> detail]
//     summary <TAB> passed P <TAB> failed F <TAB> steps S <TAB> PASS|FAIL|STOPPED
// A failed expect's detail is its timeout and the last bytes received, printable as
// text and every other byte as \xHH. Portable and pure; the caller owns the strings.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "console/console_lines.h"
#include "transfer/sequence_file.h"

enum SequenceOutcome {
    SEQUENCE_STEP_DONE,    // a step that cannot fail: "OK"
    SEQUENCE_STEP_PASSED,  // an expect that matched
    SEQUENCE_STEP_FAILED,
};

// Where a sequence's result goes unless the user names a file: "NAME.seq" gives
// "NAME.result" beside it.
std::string sequence_result_path(const std::string& sequence_path);
// The step as the result shows it: its keyword and what it sends, waits for or
// names, texts quoted with their escapes.
std::string sequence_step_text(const Sequence& sequence, const SequenceStep& step);
// One result line, line end included.
std::string sequence_result_line(ConsoleTime time, const Sequence& sequence, const SequenceStep& step, int outcome,
                                 const std::string& detail);
// The detail of an expect that timed out: "timeout MS ms<TAB>received \"...\"".
std::string sequence_timeout_detail(std::int64_t timeout_ms, const unsigned char* seen, std::size_t count);
// The summary line; stopped: the run did not reach its end.
std::string sequence_summary_line(std::int64_t passed, std::int64_t failed, std::int64_t steps, bool stopped);
