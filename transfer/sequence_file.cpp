// The sequence file's parser; see sequence_file.h. One pass over the lines, no
// recursion: a repeat's place waits on a stack of fixed depth until its end.
#include "transfer/sequence_file.h"

#include <cstring>

#include "console/byte_match.h"
#include "terminal/escapes.h"
#include "terminal/hex_bytes.h"

namespace {

struct Keyword {
    const char* name;
    int op;
};
// sendhex and send share SEQ_SEND once parsed; the table's order is the parse's.
enum { KEY_SENDHEX = 100, KEY_TIMEOUT = 101 };
const Keyword KEYWORDS[] = {
    {"send", SEQ_SEND},     {"sendhex", KEY_SENDHEX}, {"sendfile", SEQ_SENDFILE}, {"expect", SEQ_EXPECT},
    {"expecthex", SEQ_EXPECTHEX}, {"timeout", KEY_TIMEOUT}, {"wait", SEQ_WAIT}, {"repeat", SEQ_REPEAT},
    {"end", SEQ_END},       {"onfail", SEQ_ONFAIL},   {"log", SEQ_LOG},          {"mark", SEQ_MARK},
};

bool blank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_word(const char* word, std::size_t length, const char* name)
{
    if (std::strlen(name) != length) return false;
    for (std::size_t i = 0; i < length; ++i)
        if (lower(word[i]) != name[i]) return false;
    return true;
}

// A decimal number from first to last, within [0, max].
bool parse_number(const char* text, std::size_t length, std::int64_t max, std::int64_t* value)
{
    if (length == 0 || length > 12) return false;
    std::int64_t n = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        n = n * 10 + (text[i] - '0');
    }
    if (n > max) return false;
    *value = n;
    return true;
}

// One line's argument, after its keyword: quoted ("...", the closing quote being the
// last on the line, blanks kept) or bare (the rest of the line, trailing blanks
// dropped); after a closing quote, the rest (a timeout, for an expect).
struct Argument {
    const char* text;
    std::size_t length;
    bool quoted;
    const char* after;
    std::size_t after_length;
};

int split_argument(const char* at, std::size_t length, Argument* arg)
{
    while (length > 0 && blank(at[length - 1])) --length;
    *arg = Argument{at, length, false, at + length, 0};
    if (length == 0 || at[0] != '"') return SEQUENCE_OK;
    // A quote is never the trail byte of a double-byte character, so a search from
    // the end finds the real one.
    std::size_t close = length - 1;
    while (close > 0 && at[close] != '"') --close;
    if (close == 0) return SEQUENCE_UNCLOSED_QUOTE;
    arg->text = at + 1;
    arg->length = close - 1;
    arg->quoted = true;
    std::size_t rest = close + 1;
    while (rest < length && blank(at[rest])) ++rest;
    arg->after = at + rest;
    arg->after_length = length - rest;
    return SEQUENCE_OK;
}

class Parser {
public:
    explicit Parser(Sequence* out) : out_(out) {}

    int line(const char* at, std::size_t length, std::int32_t number);
    int finish();
    std::int32_t at_line() const { return line_; }

private:
    int text_bytes(const Argument& arg, bool pattern, std::size_t* count);
    int timeout_of(const Argument& arg, std::int64_t* timeout);
    void add(int op, std::int64_t number, const unsigned char* bytes, std::size_t count);

    Sequence* out_;
    std::int32_t line_ = 0;
    std::int64_t timeout_ = SEQUENCE_DEFAULT_TIMEOUT_MS;
    std::int32_t open_[SEQUENCE_MAX_DEPTH] = {};
    int depth_ = 0;
    unsigned char scratch_[SEQUENCE_MAX_LINE + 8];
    BytePattern check_;
};

void Parser::add(int op, std::int64_t number, const unsigned char* bytes, std::size_t count)
{
    SequenceStep s{op, line_, number, -1, static_cast<std::uint32_t>(out_->bytes.size()),
                   static_cast<std::uint32_t>(count)};
    out_->bytes.insert(out_->bytes.end(), bytes, bytes + count);
    out_->steps.push_back(s);
}

// The argument's text with its escapes into scratch_; an expect's must make a
// pattern the matcher takes.
int Parser::text_bytes(const Argument& arg, bool pattern, std::size_t* count)
{
    char text[SEQUENCE_MAX_LINE + 1];
    std::memcpy(text, arg.text, arg.length);
    text[arg.length] = '\0';
    int kept = -1;
    int n = expand_escapes_checked(scratch_, text, static_cast<int>(arg.length), &kept);
    if (kept >= 0) return SEQUENCE_BAD_ESCAPE;
    if (n == 0) return SEQUENCE_NO_TEXT;
    *count = static_cast<std::size_t>(n);
    if (!pattern) return SEQUENCE_OK;
    switch (byte_match_compile_text(&check_, reinterpret_cast<const char*>(scratch_), static_cast<std::size_t>(n), true)) {
    case BYTE_MATCH_TOO_LONG: return SEQUENCE_TOO_LONG;
    case BYTE_MATCH_INCOMPLETE: return SEQUENCE_LONE_LEAD;
    }
    return SEQUENCE_OK;
}

int Parser::timeout_of(const Argument& arg, std::int64_t* timeout)
{
    *timeout = timeout_;
    if (arg.after_length == 0) return SEQUENCE_OK;
    return parse_number(arg.after, arg.after_length, SEQUENCE_MAX_MS, timeout) ? SEQUENCE_OK : SEQUENCE_AFTER_QUOTE;
}

int Parser::line(const char* at, std::size_t length, std::int32_t number)
{
    line_ = number;
    if (length > SEQUENCE_MAX_LINE) return SEQUENCE_TOO_LONG;
    if (std::memchr(at, '\0', length)) return SEQUENCE_BAD_ESCAPE;  // a NUL is written \0
    std::size_t i = 0;
    while (i < length && blank(at[i])) ++i;
    if (i == length || at[i] == '#') return SEQUENCE_OK;
    std::size_t word = i;
    while (i < length && !blank(at[i])) ++i;
    int op = -1;
    for (const Keyword& k : KEYWORDS)
        if (same_word(at + word, i - word, k.name)) op = k.op;
    if (op < 0) return SEQUENCE_UNKNOWN_STEP;
    while (i < length && blank(at[i])) ++i;
    Argument arg;
    if (int error = split_argument(at + i, length - i, &arg)) return error;
    bool takes_timeout = op == SEQ_EXPECT || op == SEQ_EXPECTHEX;
    if (arg.after_length > 0 && !takes_timeout) return SEQUENCE_AFTER_QUOTE;
    if (out_->steps.size() >= SEQUENCE_MAX_STEPS) return SEQUENCE_TOO_MANY_STEPS;

    std::int64_t value = 0;
    int error = SEQUENCE_OK;
    switch (op) {
    case SEQ_SEND:
    case SEQ_EXPECT: {
        std::size_t count = 0;
        if (arg.length == 0) return SEQUENCE_NO_TEXT;
        if ((error = text_bytes(arg, op == SEQ_EXPECT, &count))) return error;
        if (op == SEQ_EXPECT && (error = timeout_of(arg, &value))) return error;
        add(op, value, scratch_, count);
        return SEQUENCE_OK;
    }
    case KEY_SENDHEX:
    case SEQ_EXPECTHEX: {
        std::size_t count = 0, where = 0;
        std::size_t capacity = op == SEQ_EXPECTHEX ? static_cast<std::size_t>(BYTE_PATTERN_MAX) : SEQUENCE_MAX_LINE;
        switch (hex_bytes_parse(arg.text, arg.length, scratch_, capacity, &count, &where)) {
        case HEX_BYTES_OK: break;
        case HEX_BYTES_EMPTY: return SEQUENCE_NO_TEXT;
        case HEX_BYTES_TOO_MANY: return SEQUENCE_TOO_LONG;
        default: return SEQUENCE_BAD_HEX;
        }
        if (op == SEQ_EXPECTHEX && (error = timeout_of(arg, &value))) return error;
        add(op == KEY_SENDHEX ? SEQ_SEND : SEQ_EXPECTHEX, value, scratch_, count);
        return SEQUENCE_OK;
    }
    case SEQ_SENDFILE:
    case SEQ_LOG:
    case SEQ_MARK:
        if (arg.length == 0) return SEQUENCE_NO_TEXT;
        if (op == SEQ_LOG && !arg.quoted && same_word(arg.text, arg.length, "off")) {
            add(SEQ_LOG_OFF, 0, nullptr, 0);
            return SEQUENCE_OK;
        }
        add(op, 0, reinterpret_cast<const unsigned char*>(arg.text), arg.length);
        return SEQUENCE_OK;
    case KEY_TIMEOUT:
    case SEQ_WAIT:
    case SEQ_REPEAT:
        if (!parse_number(arg.text, arg.quoted ? 0 : arg.length, op == SEQ_REPEAT ? SEQUENCE_MAX_REPEAT : SEQUENCE_MAX_MS,
                          &value))
            return SEQUENCE_BAD_NUMBER;
        if (op == KEY_TIMEOUT) {
            timeout_ = value;
            return SEQUENCE_OK;
        }
        if (op == SEQ_REPEAT) {
            if (depth_ == SEQUENCE_MAX_DEPTH) return SEQUENCE_TOO_DEEP;
            open_[depth_++] = static_cast<std::int32_t>(out_->steps.size());
        }
        add(op, value, nullptr, 0);
        return SEQUENCE_OK;
    case SEQ_END: {
        if (arg.length > 0) return SEQUENCE_EXTRA;
        if (depth_ == 0) return SEQUENCE_END_WITHOUT_REPEAT;
        std::int32_t repeat = open_[--depth_];
        out_->steps[static_cast<std::size_t>(repeat)].jump = static_cast<std::int32_t>(out_->steps.size());
        add(SEQ_END, 0, nullptr, 0);
        out_->steps.back().jump = repeat;
        return SEQUENCE_OK;
    }
    case SEQ_ONFAIL:
        if (!arg.quoted && same_word(arg.text, arg.length, "stop")) {
            add(SEQ_ONFAIL, 0, nullptr, 0);
        } else if (!arg.quoted && same_word(arg.text, arg.length, "continue")) {
            add(SEQ_ONFAIL, 1, nullptr, 0);
        } else {
            return SEQUENCE_BAD_ONFAIL;
        }
        return SEQUENCE_OK;
    }
    return SEQUENCE_UNKNOWN_STEP;
}

int Parser::finish()
{
    if (depth_ == 0) return SEQUENCE_OK;
    line_ = out_->steps[static_cast<std::size_t>(open_[depth_ - 1])].line;
    return SEQUENCE_REPEAT_WITHOUT_END;
}

}  // namespace

SequenceParse sequence_parse(const char* text, std::size_t length, Sequence* out)
{
    out->steps.clear();
    out->bytes.clear();
    Parser parser(out);
    std::int32_t number = 0;
    std::size_t start = 0;
    int error = SEQUENCE_OK;
    while (start < length && error == SEQUENCE_OK) {
        const void* lf = std::memchr(text + start, '\n', length - start);
        std::size_t end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text) : length;
        std::size_t line_length = end - start;
        if (line_length > 0 && text[end - 1] == '\r') --line_length;
        error = parser.line(text + start, line_length, ++number);
        start = end + 1;
    }
    if (error == SEQUENCE_OK) error = parser.finish();
    if (error == SEQUENCE_OK) return SequenceParse{SEQUENCE_OK, 0};
    // A repeat left open is reported at its own line.
    SequenceParse result{error, parser.at_line()};
    out->steps.clear();
    out->bytes.clear();
    return result;
}

const char* sequence_op_name(int op)
{
    static const char* const NAMES[] = {"send", "sendfile", "expect", "expecthex", "wait", "repeat",
                                        "end",  "onfail",   "log",    "log off",   "mark"};
    return op >= 0 && op < static_cast<int>(sizeof NAMES / sizeof NAMES[0]) ? NAMES[op] : "";
}
