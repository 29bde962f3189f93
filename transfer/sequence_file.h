// A sequence file (".seq"): the steps a port runs unattended, one a line, in
// Shift-JIS text. A strict line format, no language: a line is blank, a comment
// ("#" first after any blanks), or one step, a keyword (either case) and its
// arguments:
//     send TEXT | send "TEXT"          the text with its escapes (\r \n \xHH ...)
//     sendhex 02 41 03                 bytes in hexadecimal
//     sendfile PATH                    a file through the file send (quotes allowed)
//     expect TEXT | expect "TEXT" [MS] wait for the text (a timeout only after quotes)
//     expecthex HEX | expecthex "HEX" [MS]
//     timeout MS                       the timeout of the expects that follow
//     wait MS
//     repeat N ... end                 nested at most SEQUENCE_MAX_DEPTH deep
//     onfail stop | onfail continue
//     log PATH | log off               the receive log
//     mark TEXT                        a line in the result
// Parsing is all or nothing and reports the first fault with its line. Portable and
// pure; the caller owns the record and words the messages.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr std::int32_t SEQUENCE_DEFAULT_TIMEOUT_MS = 5000;
constexpr std::int64_t SEQUENCE_MAX_MS = 86400000;       // a wait or timeout: a day at most
constexpr std::int64_t SEQUENCE_MAX_REPEAT = 1000000000;
constexpr int SEQUENCE_MAX_DEPTH = 32;                    // repeats inside repeats
constexpr std::size_t SEQUENCE_MAX_STEPS = 100000;
constexpr std::size_t SEQUENCE_MAX_LINE = 4096;           // bytes in one line, its line end apart

enum SequenceOp {
    SEQ_SEND,       // bytes: what to send (send and sendhex alike)
    SEQ_SENDFILE,   // bytes: the path
    SEQ_EXPECT,     // bytes: the text; number: the timeout
    SEQ_EXPECTHEX,  // bytes: the bytes; number: the timeout
    SEQ_WAIT,       // number: milliseconds
    SEQ_REPEAT,     // number: the count; jump: its end
    SEQ_END,        // jump: its repeat
    SEQ_ONFAIL,     // number: 1 continue, 0 stop
    SEQ_LOG,        // bytes: the path
    SEQ_LOG_OFF,
    SEQ_MARK,       // bytes: the text (may be empty)
};

struct SequenceStep {
    std::int32_t op;    // SequenceOp
    std::int32_t line;  // 1-based line in the file
    std::int64_t number;
    std::int32_t jump;
    std::uint32_t offset;  // the step's bytes in Sequence::bytes
    std::uint32_t length;
};

struct Sequence {
    std::vector<SequenceStep> steps;
    std::vector<unsigned char> bytes;
};

enum SequenceError {
    SEQUENCE_OK = 0,
    SEQUENCE_UNKNOWN_STEP,     // a word that is no keyword
    SEQUENCE_NO_TEXT,          // send, expect or mark... without what it needs
    SEQUENCE_BAD_ESCAPE,       // a backslash that begins no escape
    SEQUENCE_BAD_HEX,          // not hexadecimal bytes
    SEQUENCE_BAD_NUMBER,       // not a decimal number in its range
    SEQUENCE_UNCLOSED_QUOTE,   // a quote with no closing quote
    SEQUENCE_AFTER_QUOTE,      // something other than a timeout after the closing quote
    SEQUENCE_BAD_ONFAIL,       // neither stop nor continue
    SEQUENCE_TOO_LONG,         // a text or pattern longer than the matcher takes, a line too long
    SEQUENCE_TOO_DEEP,         // repeats nested too deep
    SEQUENCE_END_WITHOUT_REPEAT,
    SEQUENCE_REPEAT_WITHOUT_END,
    SEQUENCE_TOO_MANY_STEPS,
    SEQUENCE_LONE_LEAD,        // a text ending in half a double-byte character
    SEQUENCE_EXTRA,            // a word after a step that takes none or one
};

struct SequenceParse {
    std::int32_t error;  // SequenceError
    std::int32_t line;   // where; 0 when OK
};

// Parses text[0, length). On failure the sequence is left empty.
SequenceParse sequence_parse(const char* text, std::size_t length, Sequence* out);

// The step's keyword as the file writes it ("send", "expecthex", ...), for results.
const char* sequence_op_name(int op);
