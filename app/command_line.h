// The program's command line: the ports to open at start and the sequences to run on
// them. "tavex.exe [PORT ...]", PORT being COMn[:SPEED[,DATA[,PARITY[,STOP]]]], LPTn,
// USBn, HOST:PORT or :PORT; "PORT /run FILE [/result PATH]" pairs; "/exit"; "/?".
// The raw command line (Shift-JIS, as GetCommandLineA gives it) is split by the
// Windows rules and parsed into a plain record. Portable and pure; the caller owns
// the record and words the messages (the syntax's Japanese explanation included).
#pragma once
#include <cstddef>
#include <cstdint>

// The limits are the kinds' own, written here because app/ reaches the kinds only
// through their one door: sixteen COM and LPT ports and USB devices, and the network
// connect dialog's host field.
constexpr int COMMAND_LINE_MAX_PORTS = 64;
constexpr int COMMAND_LINE_MAX_NUMBER = 16;  // COMn, LPTn, USBn: n from 1
constexpr int COMMAND_LINE_HOST_SIZE = 256;  // a host: up to 255 bytes
constexpr int COMMAND_LINE_TEXT_SIZE = 260;  // an argument, a file or a path: up to 259 bytes
constexpr std::int32_t COMMAND_LINE_MAX_SPEED = 4000000;

// The kinds a port request names, numbered as the program's port kinds.
enum CommandPortKind {
    COMMAND_PORT_SERIAL = 1,
    COMMAND_PORT_PARALLEL = 2,
    COMMAND_PORT_NETWORK = 3,
    COMMAND_PORT_USB = 4,
};

// Why a command line was refused; the argument at fault is CommandLine.error_argument.
enum CommandLineError {
    COMMAND_LINE_OK = 0,
    COMMAND_LINE_TOO_LONG,        // an argument of COMMAND_LINE_TEXT_SIZE bytes or more
    COMMAND_LINE_UNKNOWN_OPTION,  // "/" or "-" and no option of ours
    COMMAND_LINE_BAD_PORT,        // neither COMn, LPTn, USBn, HOST:PORT nor :PORT
    COMMAND_LINE_PORT_NUMBER,     // COMn, LPTn or USBn with n outside 1 to 16
    COMMAND_LINE_BAD_SPEED,       // not 1 to 4000000
    COMMAND_LINE_BAD_DATA_BITS,   // not 5 to 8
    COMMAND_LINE_BAD_PARITY,      // not N, E, O, M or S
    COMMAND_LINE_BAD_STOP_BITS,   // not 1, 1.5 or 2
    COMMAND_LINE_BAD_HOST,        // empty or not a host name or dotted address
    COMMAND_LINE_BAD_TCP_PORT,    // not 1 to 65535
    COMMAND_LINE_TOO_MANY_PORTS,  // more than COMMAND_LINE_MAX_PORTS
    COMMAND_LINE_MISSING_VALUE,   // /run or /result as the last argument
    COMMAND_LINE_NO_PORT,         // /run with no port before it, or after that port's /run
    COMMAND_LINE_NO_RUN,          // /result not after a port's /run FILE, /exit with no /run
};

// One port to open. Fields a kind does not use are zero or empty.
struct CommandLinePort {
    std::int32_t kind;                  // CommandPortKind
    std::int32_t number;                // COMn, LPTn: n; USBn: n, the n-th entry of the device list (1-based)
    char host[COMMAND_LINE_HOST_SIZE];  // network client: the host; server (":PORT"): empty
    std::int32_t tcp_port;              // network: 1 to 65535
    std::int32_t network_mode;          // numbered as the network kind's modes: 0 client, 1 server
    // COMn:...: the line settings for this session, coded as SerialSettings codes
    // them; -1 where not given (the port's own setting stays).
    std::int32_t baudrate;
    std::int32_t data_bits;
    std::int32_t parity;                       // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::int32_t stop_bits;                    // 0 one, 1 one and a half, 2 two
    char run_file[COMMAND_LINE_TEXT_SIZE];     // /run FILE; empty when none
    char result_path[COMMAND_LINE_TEXT_SIZE];  // /result PATH; empty when none
};

struct CommandLine {
    CommandLinePort ports[COMMAND_LINE_MAX_PORTS];
    std::int32_t port_count;
    std::int32_t help;                        // "/?" given: show the syntax; the rest is not read
    std::int32_t exit_at_end;                 // "/exit": end the program when every sequence has ended
    std::int32_t error;                       // CommandLineError
    std::int32_t error_argument;              // 0-based among the arguments after the program's name
    char error_text[COMMAND_LINE_TEXT_SIZE];  // that argument (cut to fit)
};

// The syntax in ASCII, one line per form, for the caller's "/?" message.
extern const char COMMAND_LINE_SYNTAX[];

// Parses a whole command line (the program's name first, as GetCommandLineA gives
// it). On error, the ports parsed so far stay in the record, error says why and
// error_argument which argument; nothing is opened by the caller then, or the
// caller opens what came before. Returns error == COMMAND_LINE_OK.
bool command_line_parse(const char* command_line, CommandLine* out);

// One port argument alone ("COM3:9600,8,N,1", "LPT2", "host:5000", ":5000"), read as
// the command line reads it into out. Returns COMMAND_LINE_OK or why it was refused.
int command_line_parse_port(const char* text, CommandLinePort* out);
// The port as the command line names it ("COM3", "LPT2", "USB4", "host:5000",
// ":5000"), without line settings or sequence; false when it does not fit in size.
bool command_line_format_port(const CommandLinePort& port, char* out, std::size_t size);
// Whether text can name a host on the command line: a dotted address or a name of
// letters, digits, '-', '_' and '.', shorter than COMMAND_LINE_HOST_SIZE.
bool command_line_usable_host(const char* text);
// Whether some port of the line runs a sequence (/run): such a start is an instance
// of its own and hands nothing over.
bool command_line_runs_sequences(const CommandLine* line);

// A command line another start hands over (WM_COPYDATA) comes from outside this
// process: it is taken only when it is one text of 1 to COMMAND_LINE_HAND_OVER_SIZE
// bytes, its NUL last and nowhere before (the longest command line Windows passes is
// 32767 characters).
constexpr std::size_t COMMAND_LINE_HAND_OVER_SIZE = 32768;
bool command_line_handed_over(const void* data, std::size_t size);

// The splitting, by the rules of the Windows C runtime: blanks and tabs separate;
// double quotes group and are removed ("" inside quotes is one quote); backslashes
// are literal except before a double quote, where 2n of them give n and the quote
// groups, 2n + 1 give n and a literal quote. A Shift-JIS character is taken whole,
// so a trail byte 0x5C is no backslash. The program's name has rules of its own:
// quotes group, backslashes are literal.
//
// Returns where the arguments begin, after the program's name.
const char* command_line_skip_program(const char* command_line);
// Takes the next argument from *at (moving it past the argument) into out, cut to
// size - 1 bytes and terminated. Returns the argument's full length, or -1 when none
// is left.
long command_line_next(const char** at, char* out, std::size_t size);
