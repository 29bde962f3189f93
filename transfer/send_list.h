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

// A send list holds at most SEND_LIST_MAX entries, and its file at most
// SEND_LIST_FILE_MAX bytes (that many entries of 259 bytes with CR LF): a file
// chosen by mistake (a program, an image, a disk image of gigabytes) is refused
// after reading that much, instead of filling the dialog's list for minutes.
constexpr std::size_t SEND_LIST_MAX = 4096;
constexpr std::size_t SEND_LIST_FILE_MAX = SEND_LIST_MAX * (SEND_PATH_MAX + 2);

enum SendListCheck {
    SEND_LIST_OK,
    SEND_LIST_NOT_TEXT,  // a byte below 0x20 other than CR and LF: no path holds one
    SEND_LIST_TOO_LONG,  // text, but more than SEND_LIST_FILE_MAX bytes or SEND_LIST_MAX entries
};
// Reads a send list file's bytes (at most SEND_LIST_FILE_MAX + 1 of them, the last
// only telling that there are more) as send_list_parse does; entries is filled only
// when the result is SEND_LIST_OK.
SendListCheck send_list_read(const unsigned char* bytes, std::size_t length, std::vector<std::string>* entries);
