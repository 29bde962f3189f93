// Send list files; see send_list.h. Pure functions over bytes.
#include "transfer/send_list.h"

std::vector<std::string> send_list_parse(const unsigned char* bytes, std::size_t length)
{
    std::vector<std::string> entries;
    if (!bytes) return entries;
    std::string line;
    for (std::size_t i = 0; i < length; ++i) {
        unsigned char b = bytes[i];
        if (b == '\r' || b == '\n') {
            if (!line.empty()) entries.push_back(line);
            line.clear();
            continue;
        }
        line += static_cast<char>(b);
        // A full slot becomes an entry and the rest of the line the next one.
        if (line.size() == SEND_PATH_MAX) {
            entries.push_back(line);
            line.clear();
        }
    }
    if (!line.empty()) entries.push_back(line);
    return entries;
}

std::string send_list_format(const std::vector<std::string>& entries)
{
    std::string bytes;
    for (const std::string& entry : entries) {
        bytes += entry;
        bytes += '\n';
    }
    return bytes;
}

SendListCheck send_list_read(const unsigned char* bytes, std::size_t length, std::vector<std::string>* entries)
{
    entries->clear();
    // Whether it is text at all first: a large file of another kind is told for what
    // it is, not for its size.
    for (std::size_t i = 0; i < length; ++i)
        if (bytes[i] < 0x20 && bytes[i] != '\r' && bytes[i] != '\n') return SEND_LIST_NOT_TEXT;
    if (length > SEND_LIST_FILE_MAX) return SEND_LIST_TOO_LONG;
    std::vector<std::string> read = send_list_parse(bytes, length);
    if (read.size() > SEND_LIST_MAX) return SEND_LIST_TOO_LONG;
    entries->swap(read);
    return SEND_LIST_OK;
}
