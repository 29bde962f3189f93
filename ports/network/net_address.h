// Whether a host text is a dotted IPv4 address (taken as it is) or a name to be
// looked up, and the address it spells. Portable; any thread.
#pragma once

// Four decimal numbers of at most 255 separated by dots, each number and dot with
// spaces or tabs around it allowed; whatever follows the fourth number is ignored.
// False for a null text.
bool is_dotted_address(const char* text);

// The same test, giving the four numbers in order (untouched when false). The engine
// builds the address from them rather than handing the text to inet_addr, which
// refuses the blanks this test allows.
bool net_parse_dotted(const char* text, unsigned char address[4]);
