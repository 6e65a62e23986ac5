// Parsing the input script: words separated by blanks, titles and text as the rest of the line.
#include "host/backends/input_script.h"

#include "host/backends/host_error.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>
#include <unordered_map>

namespace quillet::host {

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// What separates words and is trimmed from both ends of a text: every kind of white space, so
// that a line is blank exactly when it splits into no words.
constexpr std::string_view white_space = " \t\r\n\v\f";

std::vector<std::string> words_of(std::string_view s) {
    std::vector<std::string> words;
    for (size_t b = s.find_first_not_of(white_space); b != std::string_view::npos;) {
        size_t e = std::min(s.find_first_of(white_space, b), s.size());
        words.emplace_back(s.substr(b, e - b));
        b = s.find_first_not_of(white_space, e);
    }
    return words;
}

std::string trimmed(std::string_view s) {
    size_t b = s.find_first_not_of(white_space);
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(white_space);
    std::string out(s.substr(b, e - b + 1));
    if (out.size() >= 2 && out.front() == '"' && out.back() == '"')
        out = out.substr(1, out.size() - 2);
    return out;
}

class LineParser {
public:
    LineParser(const std::string& file, int line) : m_file(file), m_line(line) {}

    [[noreturn]] void fail(const std::string& message) const {
        throw HostError(m_file + ":" + std::to_string(m_line) + ": " + message);
    }

    int number(const std::string& word, const char* what) const {
        int value = 0;
        auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (ec != std::errc() || end != word.data() + word.size())
            fail(std::string("expected ") + what + ", found \"" + word + "\"");
        return value;
    }

    ScriptKey key(const std::string& word) const {
        static const std::unordered_map<std::string, Key> names = {
            {"enter", Key::enter},
            {"return", Key::enter},
            {"escape", Key::escape},
            {"esc", Key::escape},
            {"tab", Key::tab},
            {"backspace", Key::backspace},
            {"delete", Key::delete_key},
            {"del", Key::delete_key},
            {"insert", Key::insert},
            {"home", Key::home},
            {"end", Key::end},
            {"pageup", Key::page_up},
            {"pagedown", Key::page_down},
            {"left", Key::left},
            {"right", Key::right},
            {"up", Key::up},
            {"down", Key::down},
            {"f1", Key::f1},
            {"f2", Key::f2},
            {"f3", Key::f3},
            {"f4", Key::f4},
            {"f5", Key::f5},
            {"f6", Key::f6},
            {"f7", Key::f7},
            {"f8", Key::f8},
            {"f9", Key::f9},
            {"f10", Key::f10},
            {"f11", Key::f11},
            {"f12", Key::f12},
            {"alt", Key::alt},
            {"space", Key::character},
        };
        ScriptKey k;
        std::string rest = word;
        for (;;) {
            size_t plus = rest.find('+');
            if (plus == std::string::npos || plus + 1 == rest.size()) break;
            std::string mod = lower(rest.substr(0, plus));
            if (mod == "shift")
                k.modifiers |= mod_shift;
            else if (mod == "ctrl" || mod == "control")
                k.modifiers |= mod_control;
            else if (mod == "alt")
                k.modifiers |= mod_alt;
            else
                fail("unknown modifier \"" + mod + "\" in \"" + word + "\"");
            rest = rest.substr(plus + 1);
        }
        std::string name = lower(rest);
        if (rest.size() == 1) {
            k.key = Key::character;
            k.character = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
            if (!(k.modifiers & (mod_control | mod_alt))) k.character = rest[0];
            return k;
        }
        auto it = names.find(name);
        if (it == names.end()) fail("unknown key \"" + rest + "\"");
        k.key = it->second;
        if (name == "space") k.character = ' ';
        return k;
    }

    // X Y, then optional button and modifiers.
    void pointer(ScriptCommand& c, const std::vector<std::string>& w, bool buttons) const {
        if (w.size() < 3) fail("expected X and Y after \"" + w[0] + "\"");
        c.point = {number(w[1], "X"), number(w[2], "Y")};
        for (size_t i = 3; i < w.size(); ++i) {
            std::string o = lower(w[i]);
            if (buttons && o == "left")
                c.button = MouseButton::left;
            else if (buttons && o == "right")
                c.button = MouseButton::right;
            else if (buttons && o == "middle")
                c.button = MouseButton::middle;
            else if (o == "shift")
                c.modifiers |= mod_shift;
            else if (o == "ctrl" || o == "control")
                c.modifiers |= mod_control;
            else
                fail("unexpected \"" + w[i] + "\" after the point");
        }
    }

    int duration(const std::string& word) const {
        std::string w = lower(word);
        int scale = 1;
        if (w.ends_with("ms")) {
            w.resize(w.size() - 2);
        } else if (w.ends_with("s")) {
            w.resize(w.size() - 1);
            scale = 1000;
        }
        int n = number(w, "a time such as 200ms or 2s");
        if (n < 0) fail("a negative time");
        if (n > std::numeric_limits<int>::max() / scale)
            fail("the time \"" + word + "\" is too long (at most 2147483647ms, about 24 days)");
        return n * scale;
    }

private:
    const std::string& m_file;
    int m_line;
};

} // namespace

InputScript parse_input_script(const std::string& name, const std::string& text) {
    InputScript script{name, {}};
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        // A line is blank when it has no words (a quoted blank included).
        std::vector<std::string> w = words_of(trimmed(raw));
        if (w.empty() || w[0][0] == '#') continue;
        LineParser p(name, line);
        std::string verb = lower(w[0]);
        size_t after_verb = raw.find(w[0]) + w[0].size();
        std::string rest = trimmed(std::string_view(raw).substr(after_verb));
        ScriptCommand c;
        c.line = line;
        using K = ScriptCommand::Kind;
        if (verb == "type") {
            c.kind = K::type;
            // The text is the line after "type " exactly, blanks included.
            c.text = after_verb < raw.size() ? raw.substr(after_verb + 1) : "";
            if (c.text.empty()) p.fail("\"type\" needs the text to type");
        } else if (verb == "key") {
            c.kind = K::key;
            if (w.size() < 2) p.fail("\"key\" needs at least one key name");
            for (size_t i = 1; i < w.size(); ++i)
                c.keys.push_back(p.key(w[i]));
        } else if (verb == "move" || verb == "click" || verb == "dclick" || verb == "down" ||
                   verb == "up") {
            c.kind = verb == "move"     ? K::move
                     : verb == "click"  ? K::click
                     : verb == "dclick" ? K::double_click
                     : verb == "down"   ? K::down
                                        : K::up;
            p.pointer(c, w, verb != "move");
        } else if (verb == "wheel") {
            c.kind = K::wheel;
            if (w.size() != 4) p.fail("\"wheel\" needs X, Y and the number of lines");
            c.point = {p.number(w[1], "X"), p.number(w[2], "Y")};
            c.amount = p.number(w[3], "the number of lines");
        } else if (verb == "target") {
            c.kind = K::target;
            c.text = rest;
            if (c.text.empty()) p.fail("\"target\" needs a window title");
        } else if (verb == "quit") {
            c.kind = K::quit;
            if (w.size() != 1) p.fail("\"quit\" takes nothing after it");
        } else if (verb == "close") {
            c.kind = K::close;
            c.text = rest;
        } else if (verb == "resize") {
            c.kind = K::resize;
            if (w.size() != 3) p.fail("\"resize\" needs the client width and height");
            c.point = {p.number(w[1], "a width"), p.number(w[2], "a height")};
            if (c.point.x < 0 || c.point.y < 0) p.fail("a negative size");
        } else if (verb == "menu") {
            c.kind = K::menu;
            c.text = rest;
            if (c.text.empty()) p.fail("\"menu\" needs a path such as File/Open");
        } else if (verb == "wait") {
            if (w.size() >= 2 && lower(w[1]) == "window") {
                c.kind = K::wait_window;
                c.text = trimmed(std::string_view(rest).substr(6));
                c.amount = 10000;
                if (c.text.empty()) p.fail("\"wait window\" needs a window title");
            } else {
                c.kind = K::wait_time;
                if (w.size() != 2)
                    p.fail("\"wait\" needs a time such as 200ms or 2s, or \"window TITLE\"");
                c.amount = p.duration(w[1]);
            }
        } else if (verb == "snapshot") {
            c.kind = K::snapshot;
            c.text = rest;
            for (char ch : c.text)
                if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '-' && ch != '_')
                    p.fail("a snapshot name may hold letters, digits, '-' and '_' only");
        } else if (verb == "answer") {
            c.kind = K::answer;
            c.text = rest;
            if (c.text.empty()) p.fail("\"answer\" needs a button title");
        } else {
            p.fail("unknown command \"" + w[0] + "\"");
        }
        script.commands.push_back(std::move(c));
    }
    return script;
}

InputScript read_input_script(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw HostError(path + ": cannot read the input script");
    std::ostringstream text;
    text << in.rdbuf();
    return parse_input_script(path, text.str());
}

} // namespace quillet::host
