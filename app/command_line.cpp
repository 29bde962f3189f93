// Splitting the raw command line into arguments and reading the ports and sequences
// they name. One argument at a time into a buffer of the path size, so neither the
// splitting nor the parsing allocates, however long the line. Portable and pure; the
// UI thread parses at start-up and when another start hands its line over.
#include "app/command_line.h"

#include <cstdio>
#include <cstring>

#include "base/double_byte.h"

const char COMMAND_LINE_SYNTAX[] =
    "tavex.exe [PORT ...]\n"
    "tavex.exe PORT /run FILE [/result PATH] [PORT /run FILE [/result PATH] ...] [/exit]\n"
    "PORT: COMn[:SPEED[,DATA[,PARITY[,STOP]]]] | LPTn | USBn | HOST:PORT | :PORT\n"
    "SPEED: 1-4000000  DATA: 5-8  PARITY: N E O M S  STOP: 1 1.5 2\n";

namespace {

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// Whether text[0, length) is word, ignoring the case of letters.
bool same_word(const char* text, std::size_t length, const char* word)
{
    if (std::strlen(word) != length) return false;
    for (std::size_t i = 0; i < length; ++i)
        if (upper(text[i]) != upper(word[i])) return false;
    return true;
}

// The decimal number text[0, length), or -1 when it is empty, holds anything but
// digits or passes max.
long number(const char* text, std::size_t length, long max)
{
    if (length == 0) return -1;
    long value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (!is_digit(text[i])) return -1;
        value = value * 10 + (text[i] - '0');
        if (value > max) return -1;
    }
    return value;
}

// Appends c to out while there is room; counts it either way.
void put(char c, char* out, std::size_t size, long* length)
{
    if (out && static_cast<std::size_t>(*length) + 1 < size) out[*length] = c;
    ++*length;
}

// "115200,8,N,1", or a shorter start of it.
int parse_serial(const char* spec, CommandLinePort* port)
{
    static const int field_errors[] = {COMMAND_LINE_BAD_SPEED, COMMAND_LINE_BAD_DATA_BITS,
                                       COMMAND_LINE_BAD_PARITY, COMMAND_LINE_BAD_STOP_BITS};
    const char* at = spec;
    for (int field = 0;; ++field) {
        if (field == 4) return COMMAND_LINE_BAD_STOP_BITS;  // a fifth field
        const char* end = std::strchr(at, ',');
        const std::size_t length = end ? static_cast<std::size_t>(end - at) : std::strlen(at);
        long value = -1;
        if (field == 0) {
            value = number(at, length, COMMAND_LINE_MAX_SPEED);
            if (value == 0) value = -1;
            port->baudrate = static_cast<std::int32_t>(value);
        } else if (field == 1) {
            value = number(at, length, 8);
            if (value < 5) value = -1;
            port->data_bits = static_cast<std::int32_t>(value);
        } else if (field == 2) {
            static const char parities[] = "NOEMS";  // in the order of the parity codes
            const char* found = length == 1 ? std::strchr(parities, upper(*at)) : nullptr;
            value = found ? found - parities : -1;
            port->parity = static_cast<std::int32_t>(value);
        } else {
            value = same_word(at, length, "1")     ? 0
                    : same_word(at, length, "1.5") ? 1
                    : same_word(at, length, "2")   ? 2
                                                   : -1;
            port->stop_bits = static_cast<std::int32_t>(value);
        }
        if (value < 0) return field_errors[field];
        if (!end) return COMMAND_LINE_OK;
        at = end + 1;
    }
}

// A host as the network connect dialog takes it, restricted to what can name one: a
// dotted address or a name of letters, digits, '-', '_' and '.'.
bool usable_host(const char* host, std::size_t length)
{
    if (length == 0 || length >= static_cast<std::size_t>(COMMAND_LINE_HOST_SIZE)) return false;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = host[i];
        if (!is_digit(c) && !(upper(c) >= 'A' && upper(c) <= 'Z') && c != '-' && c != '_' && c != '.')
            return false;
    }
    return true;
}

int parse_port(const char* arg, CommandLinePort* port)
{
    std::memset(port, 0, sizeof *port);
    port->baudrate = port->data_bits = port->parity = port->stop_bits = -1;
    static const struct {
        const char* prefix;
        std::int32_t kind;
    } devices[] = {{"COM", COMMAND_PORT_SERIAL}, {"LPT", COMMAND_PORT_PARALLEL}, {"USB", COMMAND_PORT_USB}};
    for (const auto& device : devices) {
        if (!same_word(arg, 3, device.prefix) || !is_digit(arg[3])) continue;
        std::size_t digits = 3;
        while (is_digit(arg[digits]))
            ++digits;
        const char* rest = arg + digits;
        if (*rest && !(*rest == ':' && device.kind == COMMAND_PORT_SERIAL)) return COMMAND_LINE_BAD_PORT;
        long n = number(arg + 3, digits - 3, COMMAND_LINE_MAX_NUMBER);
        if (n < 1) return COMMAND_LINE_PORT_NUMBER;
        port->kind = device.kind;
        port->number = static_cast<std::int32_t>(n);
        return *rest ? parse_serial(rest + 1, port) : COMMAND_LINE_OK;
    }
    const char* colon = std::strrchr(arg, ':');
    if (!colon) return COMMAND_LINE_BAD_PORT;
    const std::size_t host_length = static_cast<std::size_t>(colon - arg);
    if (host_length > 0 && !usable_host(arg, host_length)) return COMMAND_LINE_BAD_HOST;
    long tcp_port = number(colon + 1, std::strlen(colon + 1), 65535);
    if (tcp_port < 1) return COMMAND_LINE_BAD_TCP_PORT;
    port->kind = COMMAND_PORT_NETWORK;
    port->network_mode = host_length > 0 ? 0 : 1;
    port->tcp_port = static_cast<std::int32_t>(tcp_port);
    std::memcpy(port->host, arg, host_length);
    port->host[host_length] = '\0';
    return COMMAND_LINE_OK;
}

bool fail(CommandLine* out, int error, int index, const char* arg)
{
    out->error = error;
    out->error_argument = index;
    // An argument too long to keep is shown cut, never in the middle of a character.
    const int kept = whole_character_prefix(arg, static_cast<int>(std::strlen(arg)), COMMAND_LINE_TEXT_SIZE - 1);
    std::memcpy(out->error_text, arg, static_cast<std::size_t>(kept));
    out->error_text[kept] = '\0';
    return false;
}

}  // namespace

int command_line_parse_port(const char* text, CommandLinePort* out)
{
    if (!text || !out) return COMMAND_LINE_BAD_PORT;
    if (std::strlen(text) >= static_cast<std::size_t>(COMMAND_LINE_TEXT_SIZE)) return COMMAND_LINE_TOO_LONG;
    return parse_port(text, out);
}

bool command_line_format_port(const CommandLinePort& port, char* out, std::size_t size)
{
    static const char* const prefixes[] = {"", "COM", "LPT", "", "USB"};
    int length = -1;
    if (port.kind == COMMAND_PORT_NETWORK)
        length = std::snprintf(out, size, "%s:%d", port.network_mode ? "" : port.host, port.tcp_port);
    else if (port.kind >= COMMAND_PORT_SERIAL && port.kind <= COMMAND_PORT_USB)
        length = std::snprintf(out, size, "%s%d", prefixes[port.kind], port.number);
    return length > 0 && static_cast<std::size_t>(length) < size;
}

bool command_line_usable_host(const char* text)
{
    return text && usable_host(text, std::strlen(text));
}

bool command_line_runs_sequences(const CommandLine* line)
{
    for (int i = 0; line && i < line->port_count; ++i)
        if (line->ports[i].run_file[0]) return true;
    return false;
}

bool command_line_handed_over(const void* data, std::size_t size)
{
    if (!data || size == 0 || size > COMMAND_LINE_HAND_OVER_SIZE) return false;
    return std::memchr(data, '\0', size) == static_cast<const char*>(data) + size - 1;
}

const char* command_line_skip_program(const char* command_line)
{
    if (!command_line) return "";
    const char* at = command_line;
    bool quoted = false;
    while (*at && (quoted || !is_blank(*at))) {
        if (*at == '"') quoted = !quoted;
        at += is_double_byte(static_cast<unsigned char>(at[0]), static_cast<unsigned char>(at[1])) ? 2 : 1;
    }
    return at;
}

long command_line_next(const char** at, char* out, std::size_t size)
{
    if (!at || !*at) return -1;
    const char* p = *at;
    while (is_blank(*p))
        ++p;
    if (!*p) {
        *at = p;
        return -1;
    }
    long length = 0;
    bool quoted = false;
    while (*p && (quoted || !is_blank(*p))) {
        std::size_t backslashes = 0;
        while (p[backslashes] == '\\')
            ++backslashes;
        if (p[backslashes] == '"') {
            for (std::size_t i = 0; i < backslashes / 2; ++i)
                put('\\', out, size, &length);
            p += backslashes;
            if (backslashes % 2 == 1) {
                put('"', out, size, &length);
            } else if (quoted && p[1] == '"') {
                put('"', out, size, &length);  // "" inside quotes
                ++p;
            } else {
                quoted = !quoted;
            }
            ++p;
        } else if (backslashes > 0) {
            for (std::size_t i = 0; i < backslashes; ++i)
                put('\\', out, size, &length);
            p += backslashes;
        } else if (is_double_byte(static_cast<unsigned char>(p[0]), static_cast<unsigned char>(p[1]))) {
            put(p[0], out, size, &length);
            put(p[1], out, size, &length);
            p += 2;
        } else {
            put(*p++, out, size, &length);
        }
    }
    if (out && size > 0) out[static_cast<std::size_t>(length) < size ? length : size - 1] = '\0';
    *at = p;
    return length;
}

bool command_line_parse(const char* command_line, CommandLine* out)
{
    if (!out) return false;
    std::memset(out, 0, sizeof *out);
    const char* at = command_line_skip_program(command_line);
    char arg[COMMAND_LINE_TEXT_SIZE];
    CommandLinePort* last = nullptr;  // the port a /run or /result belongs to
    bool any_run = false;
    int exit_index = -1;
    char exit_text[8] = "";
    int index = 0;
    for (long length; (length = command_line_next(&at, arg, sizeof arg)) >= 0; ++index) {
        if (length >= COMMAND_LINE_TEXT_SIZE) return fail(out, COMMAND_LINE_TOO_LONG, index, arg);
        if (arg[0] == '/' || arg[0] == '-') {
            const char* option = arg + 1;
            const std::size_t option_length = std::strlen(option);
            if (same_word(option, option_length, "?")) {
                out->help = 1;
                return true;
            }
            if (same_word(option, option_length, "exit")) {
                out->exit_at_end = 1;
                exit_index = index;
                std::strcpy(exit_text, arg);  // "/exit" in some case, five bytes
                continue;
            }
            const bool run = same_word(option, option_length, "run");
            if (!run && !same_word(option, option_length, "result"))
                return fail(out, COMMAND_LINE_UNKNOWN_OPTION, index, arg);
            if (run && (!last || last->run_file[0])) return fail(out, COMMAND_LINE_NO_PORT, index, arg);
            if (!run && (!last || !last->run_file[0] || last->result_path[0]))
                return fail(out, COMMAND_LINE_NO_RUN, index, arg);
            char* value = run ? last->run_file : last->result_path;
            length = command_line_next(&at, value, COMMAND_LINE_TEXT_SIZE);
            if (length <= 0) {
                value[0] = '\0';
                return fail(out, COMMAND_LINE_MISSING_VALUE, length < 0 ? index : index + 1,
                            length < 0 ? arg : "");
            }
            ++index;
            if (length >= COMMAND_LINE_TEXT_SIZE) {
                const bool kept = fail(out, COMMAND_LINE_TOO_LONG, index, value);
                value[0] = '\0';
                return kept;
            }
            any_run = any_run || run;
            continue;
        }
        if (out->port_count == COMMAND_LINE_MAX_PORTS)
            return fail(out, COMMAND_LINE_TOO_MANY_PORTS, index, arg);
        CommandLinePort* port = &out->ports[out->port_count];
        const int error = parse_port(arg, port);
        if (error != COMMAND_LINE_OK) return fail(out, error, index, arg);
        last = &out->ports[out->port_count++];
    }
    if (out->exit_at_end && !any_run) return fail(out, COMMAND_LINE_NO_RUN, exit_index, exit_text);
    return true;
}
