// The escape expansion of line input and function-key strings: \0 \\ \a \b \f \n \r
// \t \v and \xHH, anything else kept as written. Portable; pure.
#pragma once

// Expands the NUL-terminated text into output, stopping before the input character
// at which limit bytes are already written; output must hold limit + 4 bytes.
// Returns the number of bytes written (not NUL-terminated). The output is never
// longer than the text, so a limit of the text's length expands all of it.
int expand_escapes(unsigned char* output, const char* text, int limit);
// The same, also telling where the first backslash stands that begins no escape and
// was kept as written ("\q", "\x" without a digit, a backslash at the end): its
// offset in text in *kept_at, or -1 when every backslash began an escape.
int expand_escapes_checked(unsigned char* output, const char* text, int limit, int* kept_at);

// The reverse, for showing received bytes: printable ASCII and whole Shift-JIS
// characters as they are, a backslash as "\\", CR LF and tab as "\r" "\n" "\t",
// every other byte as "\xHH"; expanding the result gives the bytes back. Writes
// whole characters and escapes only, as many as fit in size bytes with the
// terminator (4 per byte is always enough); returns the length written.
int format_escapes(char* out, int size, const unsigned char* bytes, int count);
