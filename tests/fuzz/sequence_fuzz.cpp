// Fuzzes the sequence file's parser: any bytes either parse into steps whose bytes
// lie in the record and whose repeats and ends point at each other, properly nested
// and no deeper than allowed, or are refused with a line that exists and nothing
// kept. Nesting is bounded by the parser's own stack, never by recursion.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "transfer/sequence_file.h"

static void check(bool ok)
{
    if (!ok) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Sequence s;
    SequenceParse p = sequence_parse(reinterpret_cast<const char*>(data), size, &s);
    std::int32_t lines = 1;
    for (std::size_t i = 0; i < size; ++i) lines += data[i] == '\n';
    if (p.error != SEQUENCE_OK) {
        check(s.steps.empty() && s.bytes.empty());
        check(p.line >= 1 && p.line <= lines);
        return 0;
    }
    check(s.steps.size() <= SEQUENCE_MAX_STEPS);
    std::vector<std::int32_t> open;
    std::int32_t last_line = 0;
    for (std::size_t i = 0; i < s.steps.size(); ++i) {
        const SequenceStep& step = s.steps[i];
        check(step.line > last_line && step.line <= lines);
        last_line = step.line;
        check(static_cast<std::size_t>(step.offset) + step.length <= s.bytes.size());
        check(step.number >= 0);
        if (step.op == SEQ_REPEAT) {
            open.push_back(static_cast<std::int32_t>(i));
            check(open.size() <= static_cast<std::size_t>(SEQUENCE_MAX_DEPTH));
        } else if (step.op == SEQ_END) {
            check(!open.empty() && step.jump == open.back());
            check(s.steps[static_cast<std::size_t>(open.back())].jump == static_cast<std::int32_t>(i));
            open.pop_back();
        }
        if (step.op == SEQ_SEND || step.op == SEQ_EXPECT || step.op == SEQ_EXPECTHEX) check(step.length > 0);
    }
    check(open.empty());
    return 0;
}
