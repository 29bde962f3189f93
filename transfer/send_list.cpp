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
