// The folders depend one way: console/ <- terminal/ <- ports/ <- app/, and transfer/
// beside ports/ (it uses console/, terminal/ and the frame services; app/ uses it). A
// lower folder reaches the frame only through its few services, and nothing outside
// ports/ reaches a kind's own folder. Read from the sources' #include lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What the lower folders may use of app/: the program-wide record of the frame, the
// settings file, the system check's constants, enabling commands and the status bar.
const std::set<std::string> FRAME_SERVICES = {"app/frame_win.h", "app/settings.h", "app/os_check.h",
                                              "app/commands_win.h", "app/status_bar_win.h"};

std::string folder_of(const std::string& include)
{
    size_t slash = include.find('/');
    return slash == std::string::npos ? "" : include.substr(0, slash);
}

bool kind_folder(const std::string& include)
{
    // ports/serial/..., ports/network/...: deeper than ports/ itself.
    return include.rfind("ports/", 0) == 0 && include.find('/', 6) != std::string::npos;
}

// Why the include breaks the rule, or "" when it keeps it.
std::string breach(const std::string& folder, const std::string& include)
{
    const std::string to = folder_of(include);
    if (to.empty() || to == folder || to == "resources") return "";
    if (folder == "console") return "console/ uses only console/";
    if (to == "app" && (folder == "terminal" || folder == "ports" || folder == "transfer"))
        return FRAME_SERVICES.count(include) ? "" : folder + "/ uses of app/ only the frame services";
    if (folder == "terminal" && to != "console") return "terminal/ uses console/ and the frame services only";
    if ((folder == "ports" || folder == "transfer") && to != "console" && to != "terminal")
        return folder + "/ does not use " + to + "/";
    if (folder == "app" && kind_folder(include)) return "app/ reaches the kinds through ports/port_kinds_win.h";
    return "";
}

TEST(FolderRule, IncludesPointOneWay)
{
    const fs::path root = TAVEX_SOURCE_DIR;
    std::vector<std::string> faults;
    size_t files = 0;
    for (const char* folder : {"console", "terminal", "ports", "transfer", "app"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            ++files;
            std::ifstream file(entry.path());
            for (std::string line; std::getline(file, line);) {
                if (line.rfind("#include \"", 0) != 0) continue;
                const std::string include = line.substr(10, line.find('"', 10) - 10);
                const std::string why = breach(folder, include);
                if (!why.empty()) faults.push_back(fs::relative(entry.path(), root).string() + ": " + include + " (" + why + ")");
            }
        }
    }
    EXPECT_GT(files, 20u);
    EXPECT_TRUE(faults.empty()) << [&] {
        std::string all;
        for (const std::string& f : faults) all += f + "\n";
        return all;
    }();
}

}  // namespace
