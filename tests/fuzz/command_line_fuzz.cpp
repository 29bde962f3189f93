// Fuzzes the command line, which a shortcut or another start hands over: any bytes
// (long, empty, quotes, backslashes, Shift-JIS) must parse into a record within its
// bounds that names where it stopped, each port written as the last session writes it
// reading back as itself; and the same bytes cut into arguments, quoted by the
// runtime's rules, must split back into themselves.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "base/double_byte.h"

static void check(bool ok)
{
    if (!ok) std::abort();
}

static bool pair_at(const std::string& s, size_t i)
{
    return i + 1 < s.size() &&
           is_double_byte(static_cast<unsigned char>(s[i]), static_cast<unsigned char>(s[i + 1]));
}

// Backslashes doubled before a quote and before the closing one, quotes escaped,
// characters whole.
static std::string quoted(const std::string& arg)
{
    std::string out = "\"";
    size_t backslashes = 0;
    for (size_t i = 0; i < arg.size(); ++i) {
        if (arg[i] == '\\') {
            ++backslashes;
            continue;
        }
        out.append(arg[i] == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += arg[i];
        if (pair_at(arg, i)) out += arg[++i];
    }
    return out.append(2 * backslashes, '\\') + "\"";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text = std::string(reinterpret_cast<const char*>(data), size).c_str();
    static CommandLine line;
    check(command_line_parse(text.c_str(), &line) == (line.error == COMMAND_LINE_OK));
    check(line.port_count >= 0 && line.port_count <= COMMAND_LINE_MAX_PORTS && line.error_argument >= 0);
    check(std::memchr(line.error_text, 0, sizeof line.error_text));
    for (int i = 0; i < line.port_count; ++i) {
        const CommandLinePort& p = line.ports[i];
        check(p.kind == COMMAND_PORT_NETWORK ? p.tcp_port >= 1 && p.tcp_port <= 65535
                                             : p.kind >= 1 && p.kind <= 4 && p.number >= 1 && p.number <= 16);
        check(std::memchr(p.host, 0, sizeof p.host) && std::memchr(p.run_file, 0, sizeof p.run_file) &&
              std::memchr(p.result_path, 0, sizeof p.result_path) && (!p.result_path[0] || p.run_file[0]));
        check(p.baudrate == -1 || (p.baudrate >= 1 && p.baudrate <= COMMAND_LINE_MAX_SPEED));
        check(p.data_bits == -1 || (p.data_bits >= 5 && p.data_bits <= 8));
        check(p.parity >= -1 && p.parity <= 4 && p.stop_bits >= -1 && p.stop_bits <= 2);
        // As the last session writes it, it reads back as the same port.
        char name[COMMAND_LINE_TEXT_SIZE];
        static CommandLinePort again;
        check(command_line_format_port(p, name, sizeof name) && command_line_parse_port(name, &again) == COMMAND_LINE_OK);
        check(again.kind == p.kind && again.number == p.number && again.tcp_port == p.tcp_port &&
              again.network_mode == p.network_mode && std::strcmp(again.host, p.host) == 0);
    }

    // A lead byte without its trail would take an escaping backslash as its trail, as
    // it does in Windows: such texts are left out of the round trip.
    std::vector<std::string> args(1);
    for (char c : text) {
        if (c == ' ') {
            args.emplace_back();
        } else {
            args.back().push_back(c);
        }
    }
    std::string joined = "tavex.exe";
    for (const std::string& arg : args) {
        for (size_t i = 0; i < arg.size(); i += pair_at(arg, i) ? 2 : 1)
            if (is_lead_byte(static_cast<unsigned char>(arg[i])) && !pair_at(arg, i)) return 0;
        joined += " " + quoted(arg);
    }
    const char* at = command_line_skip_program(joined.c_str());
    std::vector<char> out(text.size() + 2);
    for (const std::string& arg : args) {
        check(command_line_next(&at, out.data(), out.size()) == static_cast<long>(arg.size()));
        check(arg == out.data());
    }
    check(command_line_next(&at, out.data(), out.size()) == -1);
    return 0;
}
