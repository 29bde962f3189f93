// The escape expansion of line input and function-key strings: \0 \\ \a \b \f \n \r
// \t \v and \xHH, anything else kept as written. Portable; pure.
#pragma once

// Expands the NUL-terminated text into output, stopping before the input character
// at which limit bytes are already written; output must hold limit + 4 bytes.
// Returns the number of bytes written (not NUL-terminated).
int expand_escapes(unsigned char* output, const char* text, int limit);
