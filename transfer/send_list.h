// Send lists: the ordered full paths a file send goes through, and their files
// (.TFL): one path a line in the system code page, nothing else. Portable; the file
// send dialog runs it on the UI thread. Every entry fits a 260-byte slot (at most 259
// bytes and the NUL), the slot of the Port's own copy of the list.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

constexpr int SEND_PATH_SIZE = 260;
constexpr std::size_t SEND_PATH_MAX = SEND_PATH_SIZE - 1;

// The entries of a send list file's bytes, in order. CR, LF and CR LF all end a line;
// empty lines are skipped; a line longer than 259 bytes is cut into entries of 259
// bytes; a last line without a line end is an entry too. Entries are taken as they
// are: no check that the files exist.
std::vector<std::string> send_list_parse(const unsigned char* bytes, std::size_t length);

// The bytes of a send list file: every entry followed by a single LF (no CR).
std::string send_list_format(const std::vector<std::string>& entries);
