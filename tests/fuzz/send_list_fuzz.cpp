// Fuzzes what a user's files hand the file send: a send list file's bytes, and folder
// and file names as the browser joins, opens and labels them. Each result is checked
// against its rule: entries are whole, non-empty, at most 259 bytes, hold no line
// end, keep every other byte in order, and survive being written and read again; a
// file the load refuses holds a byte no path has, or too much; folders and paths
// never outgrow their 260-byte slot.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "transfer/file_browser.h"
#include "transfer/send_list.h"

static void check(bool ok)
{
    if (!ok) std::abort();
}

static void fuzz_list(const unsigned char* data, size_t size)
{
    std::vector<std::string> entries = send_list_parse(data, size);
    std::string kept, joined;
    for (size_t i = 0; i < size; ++i)
        if (data[i] != '\r' && data[i] != '\n') kept += static_cast<char>(data[i]);
    for (const std::string& entry : entries) {
        check(!entry.empty() && entry.size() <= SEND_PATH_MAX);
        check(entry.find_first_of("\r\n") == std::string::npos);
        joined += entry;
    }
    check(joined == kept);
    check(send_list_parse(reinterpret_cast<const unsigned char*>(send_list_format(entries).data()),
                          send_list_format(entries).size()) == entries);
    // The dialog's load: the same entries, or a refusal for a reason the bytes show.
    std::vector<std::string> read;
    SendListCheck result = send_list_read(data, size, &read);
    bool control = false;
    for (size_t i = 0; i < size; ++i) control |= data[i] < 0x20 && data[i] != '\r' && data[i] != '\n';
    if (result == SEND_LIST_OK) check(!control && read == entries);
    if (result == SEND_LIST_NOT_TEXT) check(control && read.empty());
    if (result == SEND_LIST_TOO_LONG) check(!control && (entries.size() > SEND_LIST_MAX || size > SEND_LIST_FILE_MAX));
}

static void fuzz_browser(const std::string& folder_text, const std::string& name)
{
    char folder[SEND_PATH_SIZE];
    if (!send_folder_from_directory(folder, folder_text.c_str())) return;
    check(std::strlen(folder) <= SEND_PATH_MAX);
    char path[SEND_PATH_SIZE];
    if (send_path_join(path, folder, name.c_str()))
        check(std::strlen(path) == std::strlen(folder) + 1 + name.size());
    else
        check(path[0] == '\0' && std::strlen(folder) + 1 + name.size() > SEND_PATH_MAX);
    std::string before = folder;
    send_folder_open(folder, name.c_str());
    check(std::strlen(folder) <= SEND_PATH_MAX);
    if (name == "..") check(before.compare(0, std::strlen(folder), folder) == 0);
    std::string label = send_folder_label(folder);
    check(label.size() <= 3 + 25);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_list(data, size);
    // A folder and a name, split at the first NUL.
    std::string text(reinterpret_cast<const char*>(data), size);
    size_t cut = text.find('\0');
    std::string folder = text.substr(0, cut);
    std::string name = cut == std::string::npos ? ".." : text.substr(cut + 1).c_str();
    fuzz_browser(folder, name);
    return 0;
}
