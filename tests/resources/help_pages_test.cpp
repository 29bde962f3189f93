// The help pages against the program: every UI text a page quotes in 「」 is one the
// program shows, byte for byte in Shift-JIS (half-width katakana included); one
// spelling per term; every page reachable from the contents, the start page and the
// index, every link landing; and every command and dialog with its topic
// (resources/help_topics.h), every dialog template naming its help context. Reads the
// sources: the help pages, the resource scripts and the program's string literals.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "resources/commands.h"

namespace {

namespace fs = std::filesystem;

const fs::path ROOT = TAVEX_SOURCE_DIR;
const fs::path HELP = ROOT / "resources" / "help";

std::string read_file(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string failures(const std::vector<std::string>& faults)
{
    std::string all;
    for (const std::string& fault : faults)
        all += fault + "\n";
    return all;
}

// UTF-8 text as the program's code page, as the compiler's -fexec-charset makes it;
// "" with ok false when some character has no Shift-JIS form.
std::string to_shift_jis(const std::string& utf8, bool* ok = nullptr)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t in_left = utf8.size();
    char* to = &out[0];
    size_t out_left = out.size();
    bool converted =
        cd != reinterpret_cast<iconv_t>(-1) && iconv(cd, &in, &in_left, &to, &out_left) != size_t(-1);
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    if (ok) *ok = converted;
    out.resize(converted ? out.size() - out_left : 0);
    return out;
}

// --- The program's texts.

// The string literals of a C++ or resource source: comments skipped, escapes decoded,
// adjacent literals joined (an <cinttypes> format macro between two joins as "d").
std::vector<std::string> string_literals(const std::string& source)
{
    std::vector<std::string> found;
    size_t i = 0, n = source.size();
    auto skip_space = [&](size_t at) {
        while (at < n && std::isspace(static_cast<unsigned char>(source[at])))
            ++at;
        return at;
    };
    while (i < n) {
        if (source.compare(i, 2, "//") == 0) {
            i = source.find('\n', i);
            if (i == std::string::npos) break;
        } else if (source.compare(i, 2, "/*") == 0) {
            i = source.find("*/", i + 2);
            if (i == std::string::npos) break;
            i += 2;
        } else if (source[i] == '\'') {
            for (++i; i < n && source[i] != '\''; ++i)
                if (source[i] == '\\') ++i;
            ++i;
        } else if (source[i] == '"') {
            std::string text;
            for (;;) {
                for (++i; i < n && source[i] != '"'; ++i) {
                    if (source[i] != '\\' || i + 1 >= n) {
                        text += source[i];
                        continue;
                    }
                    char e = source[++i];
                    if (e == 'x') {
                        int value = 0, digits = 0;
                        while (digits < 2 && i + 1 < n &&
                               std::isxdigit(static_cast<unsigned char>(source[i + 1]))) {
                            value = value * 16 + std::stoi(std::string(1, source[++i]), nullptr, 16);
                            ++digits;
                        }
                        text += static_cast<char>(value);
                    } else if (e >= '0' && e <= '7') {
                        int value = e - '0';
                        for (int d = 0; d < 2 && i + 1 < n && source[i + 1] >= '0' && source[i + 1] <= '7';
                             ++d)
                            value = value * 8 + (source[++i] - '0');
                        text += static_cast<char>(value);
                    } else {
                        text += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
                    }
                }
                size_t next = skip_space(i + 1);
                if (next < n && source[next] == '"') {
                    i = next;
                    continue;
                }
                std::smatch macro;
                std::string rest = source.substr(next, 16);
                if (std::regex_search(rest, macro, std::regex("^PRI[a-zA-Z]+[0-9]*")) &&
                    skip_space(next + macro.length()) < n &&
                    source[skip_space(next + macro.length())] == '"') {
                    text += 'd';
                    i = skip_space(next + macro.length());
                    continue;
                }
                i = next;
                break;
            }
            found.push_back(text);
        } else {
            ++i;
        }
    }
    return found;
}

// A text with its variable parts: '\0' stands for a hole (a printf conversion in the
// program's texts, an <i>…</i> in a page's quote); every other byte is Shift-JIS.
const char HOLE = '\0';

// As the user sees a program text: the accelerator text after a tab, "(&X)" and "&"
// mnemonics and a label's closing colon gone, printf conversions as holes.
std::string as_shown(const std::string& text)
{
    std::string shown = text.substr(0, text.find('\t'));
    shown = std::regex_replace(shown, std::regex("\\(&.\\)"), "");
    shown.erase(std::remove(shown.begin(), shown.end(), '&'), shown.end());
    while (!shown.empty() && (shown.back() == ':' || shown.back() == ' '))
        shown.pop_back();
    std::string out;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] != '%') {
            out += shown[i];
        } else if (i + 1 < shown.size() && shown[i + 1] == '%') {
            out += '%';
            ++i;
        } else {
            while (i + 1 < shown.size() && std::strchr("-+ #0123456789.hlLjzt", shown[i + 1]))
                ++i;
            if (i + 1 < shown.size()) ++i;  // the conversion letter
            out += HOLE;
        }
    }
    return out;
}

// Whether a program text says enough to stand for a quote: a bare "%s" or "%d,%s"
// would match anything.
bool telling(const std::string& text)
{
    int letters = 0;
    for (unsigned char c : text)
        if (c >= 0x80 || std::isalnum(c)) ++letters;
    return letters >= (text.find(HOLE) == std::string::npos ? 1 : 2);
}

std::vector<std::string> program_texts()
{
    std::vector<fs::path> sources;
    for (const char* folder : {"base", "app", "console", "terminal", "ports", "transfer", "resources"})
        for (const auto& entry : fs::recursive_directory_iterator(ROOT / folder)) {
            std::string ext = entry.path().extension().string();
            if (ext == ".cpp" || ext == ".h" || ext == ".rc") sources.push_back(entry.path());
        }
    std::set<std::string> texts;
    for (const fs::path& path : sources)
        for (const std::string& literal : string_literals(read_file(path))) {
            std::stringstream parts(literal);  // a filter's or a version value's NULs part it
            for (std::string part; std::getline(parts, part, '\0');) {
                // A C++ source's Japanese is UTF-8 (Shift-JIS once compiled) unless the
                // portable core wrote it as Shift-JIS escapes, which are not UTF-8.
                bool utf8 = true;
                std::string bytes = to_shift_jis(part, &utf8);
                std::string shown = as_shown(utf8 ? bytes : part);
                if (telling(shown)) texts.insert(shown);
            }
        }
    return {texts.begin(), texts.end()};
}

// Whether subject (a quote) is what pattern (a program text) shows. A hole of the
// pattern takes a hole of the quote, an example value in ASCII ("COM1"), or one of the
// program's own texts (wholes: a message the program puts together from two texts);
// never other Japanese text, so "COM%d" cannot vouch for "COM1 はオープン出来ません".
bool shows(const std::string& pattern, const std::string& subject, const std::set<std::string>& wholes)
{
    auto fills_hole = [&](size_t from, size_t to) {
        bool plain = true;
        for (size_t i = from; i < to; ++i)
            if (static_cast<unsigned char>(subject[i]) >= 0x80) plain = false;
        return plain || wholes.count(subject.substr(from, to - from)) != 0;
    };
    std::vector<std::vector<char>> memo(pattern.size() + 1, std::vector<char>(subject.size() + 1, -1));
    std::function<bool(size_t, size_t)> match = [&](size_t p, size_t s) -> bool {
        if (p == pattern.size()) return s == subject.size();
        char& known = memo[p][s];
        if (known >= 0) return known;
        bool result = false;
        if (pattern[p] == HOLE) {
            for (size_t to = s; to <= subject.size() && !result; ++to)
                result = fills_hole(s, to) && match(p + 1, to);
        } else {
            result = s < subject.size() && subject[s] == pattern[p] && match(p + 1, s + 1);
        }
        known = result;
        return result;
    };
    return match(0, 0);
}

// --- The pages.

std::vector<fs::path> help_pages()
{
    std::vector<fs::path> pages;
    for (const auto& entry : fs::directory_iterator(HELP))
        if (entry.path().extension() == ".htm") pages.push_back(entry.path());
    std::sort(pages.begin(), pages.end());
    return pages;
}

std::string decode_entities(std::string text)
{
    for (auto [entity, plain] : std::vector<std::pair<std::string, std::string>>{
             {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&nbsp;", " "}, {"&amp;", "&"}}) {
        for (size_t at; (at = text.find(entity)) != std::string::npos;)
            text.replace(at, entity.size(), plain);
    }
    return text;
}

const std::string OPEN_QUOTE = "「", CLOSE_QUOTE = "」";

// The texts a page quotes in 「」 (UTF-8 as written), and the page without them.
std::vector<std::string> quotes(const std::string& page, std::string* rest = nullptr)
{
    std::vector<std::string> found;
    size_t at = 0;
    for (size_t open; (open = page.find(OPEN_QUOTE, at)) != std::string::npos;) {
        size_t close = page.find(CLOSE_QUOTE, open);
        if (close == std::string::npos) break;
        if (rest) *rest += page.substr(at, open - at);
        found.push_back(page.substr(open + OPEN_QUOTE.size(), close - open - OPEN_QUOTE.size()));
        at = close + CLOSE_QUOTE.size();
    }
    if (rest) *rest += page.substr(at);
    return found;
}

// A quote as the program would show it: <i>…</i> a hole, other markup gone, Shift-JIS.
std::string quote_bytes(const std::string& quote, bool* ok)
{
    std::string text = std::regex_replace(quote, std::regex("<i>.*?</i>"), std::string(1, '\x01'));
    text = decode_entities(std::regex_replace(text, std::regex("<[^>]*>"), ""));
    std::string bytes = to_shift_jis(text, ok);
    std::replace(bytes.begin(), bytes.end(), '\x01', HOLE);
    return bytes;
}

TEST(HelpPages, QuotedUiTextsAreTheProgramsOwnByteForByte)
{
    const std::vector<std::string> texts = program_texts();
    ASSERT_GT(texts.size(), 200u);
    std::set<std::string> wholes;
    for (const std::string& text : texts)
        if (text.find(HOLE) == std::string::npos) wholes.insert(text);
    std::vector<std::string> faults;
    size_t quoted = 0;
    for (const fs::path& page : help_pages()) {
        std::vector<std::string> names = quotes(read_file(page));
        if (page.filename() != "main_index.htm")
            EXPECT_FALSE(names.empty()) << page.filename() << " quotes nothing";
        for (const std::string& name : names) {
            ++quoted;
            bool ok = true;
            std::string bytes = quote_bytes(name, &ok);
            bool found = false;
            for (const std::string& text : texts) {
                if (ok && shows(text, bytes, wholes)) {
                    found = true;
                    break;
                }
            }
            if (!found) faults.push_back(page.filename().string() + ": 「" + name + "」");
        }
    }
    EXPECT_GT(quoted, 300u);
    EXPECT_TRUE(faults.empty()) << "quoted, but not shown so by the program:\n" << failures(faults);
}

// The same term is written one way throughout; a UI text is always quoted as the
// program shows it, never in a looser form of its own.
TEST(HelpPages, OneSpellingPerTerm)
{
    struct Spelling {
        const char* wrong;
        const char* unless_followed_by;
        const char* right;
    };
    const Spelling spellings[] = {
        {"フォルダ", "ー", "フォルダー"},
        {"コンピュータ", "ー", "コンピューター"},
        {"ウインドウ", "", "ウィンドウ"},
        {"ドライバ", "ー", "ドライバー"},
        {"コントローラ", "ー", "コントローラー"},
        {"プリンタ", "ー", "プリンター"},
        {"ユーザ", "ー", "ユーザー"},
        {"サーバ", "ー", "サーバー"},
        {"インターフェース", "", "インターフェイス"},
        {"エコーバック", "", "「ﾛｰｶﾙｴｺｰ」"},
        {"送信改行", "", "「送信時の改行変換」"},
        {"オープン出来ません", "", "「… はｵｰﾌﾟﾝ出来ません」"},
        {"通常のテキスト", "", "「通常のﾃｷｽﾄ」"},
    };
    std::vector<std::string> faults;
    for (const fs::path& page : help_pages()) {
        std::string prose;
        quotes(read_file(page), &prose);
        for (const Spelling& s : spellings) {
            for (size_t at = prose.find(s.wrong); at != std::string::npos; at = prose.find(s.wrong, at + 1)) {
                size_t after = at + std::strlen(s.wrong);
                if (*s.unless_followed_by &&
                    prose.compare(after, std::strlen(s.unless_followed_by), s.unless_followed_by) == 0)
                    continue;
                faults.push_back(page.filename().string() + ": " + s.wrong + " (write " + s.right + ")");
            }
        }
    }
    EXPECT_TRUE(faults.empty()) << failures(faults);
}

// --- Reaching the pages.

std::set<std::string> matches(const std::string& text, const std::string& pattern)
{
    std::set<std::string> found;
    std::regex re(pattern);
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
        found.insert((*it)[1]);
    return found;
}

// Whether "page.htm" or "page.htm#anchor" names a help page (and an anchor in it).
bool lands(const std::string& target)
{
    std::string page = target.substr(0, target.find('#'));
    if (!fs::exists(HELP / page)) return false;
    if (target.find('#') == std::string::npos) return true;
    std::string anchor = target.substr(target.find('#') + 1);
    std::string text = read_file(HELP / page);
    return text.find("id=\"" + anchor + "\"") != std::string::npos ||
           text.find("name=\"" + anchor + "\"") != std::string::npos;
}

TEST(HelpPages, EveryPageIsInTheProjectTheContentsAndOnTheStartPageAndEveryLinkLands)
{
    std::set<std::string> pages;
    for (const fs::path& page : help_pages())
        pages.insert(page.filename().string());
    ASSERT_GE(pages.size(), 19u);
    const std::string project = read_file(HELP / "tavex.hhp");
    const std::string files = project.substr(project.find("[FILES]"));
    std::set<std::string> listed = matches(files, "\n([a-z_]+\\.htm)");
    EXPECT_EQ(pages, listed) << "tavex.hhp [FILES]";
    EXPECT_NE(files.find("\nstyle.css"), std::string::npos);
    EXPECT_EQ(pages, matches(read_file(HELP / "tavex.hhc"), "name=\"Local\" value=\"([^\"#]+)"))
        << "tavex.hhc";
    std::set<std::string> on_start = matches(read_file(HELP / "main_index.htm"), "href=\"([^\"#]+\\.htm)");
    on_start.insert("main_index.htm");
    EXPECT_EQ(pages, on_start) << "the start page links every page";

    std::vector<std::string> faults;
    for (const std::string& target :
         matches(read_file(HELP / "tavex.hhk"), "name=\"Local\" value=\"([^\"]+)"))
        if (!lands(target)) faults.push_back("tavex.hhk: " + target);
    EXPECT_GE(matches(read_file(HELP / "tavex.hhk"), "name=\"Name\" value=\"([^\"]+)").size(), 50u);
    for (const std::string& page : pages) {
        const std::string text = read_file(HELP / page);
        for (std::string target : matches(text, "href=\"([^\"]+)")) {
            if (target == "style.css") continue;
            if (target[0] == '#') target = page + target;
            if (!lands(target)) faults.push_back(page + ": " + target);
        }
        if (page != "main_index.htm" && text.find("href=\"main_index.htm\"") == std::string::npos)
            faults.push_back(page + ": no way back to the start page");
    }
    EXPECT_TRUE(faults.empty()) << failures(faults);
}

// --- Context help.

struct Topic {
    bool dialog;
    int id;
    std::string page;
};

const Topic TOPICS[] = {
#define TOPIC_COMMAND(id, page) {false, id, page},
#define TOPIC_DIALOG(id, page) {true, id, page},
#include "resources/help_topics.h"
#undef TOPIC_COMMAND
#undef TOPIC_DIALOG
};

// Every "#define NAME number" of the resource headers whose name starts with prefix.
std::map<std::string, int> defined_numbers(const std::string& prefix)
{
    std::map<std::string, int> numbers;
    for (const auto& entry : fs::directory_iterator(ROOT / "resources")) {
        if (entry.path().extension() != ".h") continue;
        for (const auto& [name, value] : [&] {
                 std::map<std::string, int> found;
                 std::string text = read_file(entry.path());
                 std::regex re("#define (" + prefix + "\\w+) (\\d+)");
                 for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
                     found[(*it)[1]] = std::stoi((*it)[2]);
                 return found;
             }())
            numbers[name] = value;
    }
    return numbers;
}

bool has_topic(bool dialog, int id)
{
    for (const Topic& topic : TOPICS)
        if (topic.dialog == dialog && topic.id == id) return true;
    return false;
}

TEST(HelpTopics, EveryCommandAndEveryDialogHasAPageThatExists)
{
    std::vector<std::string> faults;
    std::map<std::string, int> commands = defined_numbers("CMD_");
    ASSERT_GE(commands.size(), 30u);
    for (int key = CMD_FUNCTION_KEY_1; key <= CMD_FUNCTION_KEY_12; ++key)
        commands["F" + std::to_string(key - CMD_FUNCTION_KEY_1 + 1)] = key;
    for (int key = CMD_SHIFT_FUNCTION_KEY_1; key <= CMD_SHIFT_FUNCTION_KEY_12; ++key)
        commands["Shift+F" + std::to_string(key - CMD_SHIFT_FUNCTION_KEY_1 + 1)] = key;
    for (const auto& [name, id] : commands)
        if (!has_topic(false, id))
            faults.push_back("command " + name + " (" + std::to_string(id) + ") has no topic");
    std::map<std::string, int> dialogs = defined_numbers("IDD_");
    ASSERT_GE(dialogs.size(), 15u);
    for (const auto& [name, id] : dialogs)
        if (!has_topic(true, id))
            faults.push_back("dialog " + name + " (" + std::to_string(id) + ") has no topic");
    for (const Topic& topic : TOPICS)
        if (!lands(topic.page)) faults.push_back("topic " + std::to_string(topic.id) + ": no " + topic.page);
    EXPECT_TRUE(faults.empty()) << failures(faults);
}

// F1 finds a dialog's topic through the help context its template names.
TEST(HelpTopics, EveryDialogTemplateNamesItsOwnHelpContext)
{
    std::vector<std::string> faults;
    size_t templates = 0;
    for (const auto& entry : fs::directory_iterator(ROOT / "resources" / "dialogs")) {
        std::string text = read_file(entry.path());
        std::smatch line;
        if (!std::regex_search(text, line, std::regex("\n(IDD_\\w+) DIALOGEX[^\n]*"))) continue;
        ++templates;
        if (line[0].str().find(", HELP_DIALOG_CONTEXT(" + line[1].str() + ")") == std::string::npos)
            faults.push_back(entry.path().filename().string() + ":" + line[0].str());
    }
    EXPECT_EQ(templates, defined_numbers("IDD_").size());
    EXPECT_TRUE(faults.empty()) << failures(faults);
}

}  // namespace
