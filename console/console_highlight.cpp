// Keyword highlighting over a logical line; see console_highlight.h. Portable; the
// window's thread runs it while painting, with console_mutex held.
#include "console/console_highlight.h"

#include <algorithm>

void console_logical_line(const Console* console, std::uint32_t line, std::uint32_t* first, std::uint32_t* last)
{
    const std::uint32_t last_line = console_last_line(console);
    std::uint32_t a = line, b = line;
    while (a > 0 && console_line_info(console, a).continues) --a;
    while (b < last_line && console_line_info(console, b).end == LINE_WRAPPED) ++b;
    *first = console_line_start(console, a);
    *last = console_line_end(console, b);
}

namespace {

struct Collect {
    HighlightRange* ranges;
    std::int32_t count;
    std::int32_t rule;
    std::uint32_t base;
    std::uint32_t length;
};

bool collect(void* context, std::size_t offset)
{
    Collect* c = static_cast<Collect*>(context);
    if (c->count >= HIGHLIGHT_RANGE_MAX) return false;
    const std::uint32_t start = c->base + static_cast<std::uint32_t>(offset);
    c->ranges[c->count++] = HighlightRange{start, start + c->length, c->rule};
    return true;
}

}  // namespace

void console_highlight_line(const Console* console, const ConsoleHighlights* rules, std::uint32_t first,
                            std::uint32_t last, HighlightLine* out)
{
    out->first = first;
    out->last = last;
    out->count = 0;
    if (!rules || rules->count <= 0 || last <= first || !console_has_buffers(console)) return;
    // Found rule by rule, then put in order; where two overlap, the earlier rule
    // keeps its bytes and the later one keeps what is left of its match.
    static thread_local HighlightRange found[HIGHLIGHT_RANGE_MAX];
    Collect c{found, 0, 0, first, 0};
    const unsigned char* text = console->buffer.text + first;
    for (std::int32_t r = 0; r < rules->count && r < HIGHLIGHT_RULE_MAX && c.count < HIGHLIGHT_RANGE_MAX; ++r) {
        const BytePattern& p = rules->patterns[r];
        if (p.length <= 0) continue;
        c.rule = r;
        c.length = static_cast<std::uint32_t>(p.length);
        byte_match_each(&p, text, last - first, collect, &c);
    }
    std::stable_sort(found, found + c.count, [](const HighlightRange& x, const HighlightRange& y) {
        return x.start < y.start || (x.start == y.start && x.rule < y.rule);
    });
    std::uint32_t covered = first;  // bytes before this are taken
    for (std::int32_t i = 0; i < c.count; ++i) {
        HighlightRange range = found[i];
        if (range.end <= covered) continue;
        if (range.start < covered) range.start = covered;
        out->ranges[out->count++] = range;
        covered = range.end;
    }
}
