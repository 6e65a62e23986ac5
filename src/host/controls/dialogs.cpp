// Dialogs built from control definitions, and message boxes.
#include "host/controls/dialogs.h"

#include "host/controls/controls.h"
#include "host/text/line_breaks.h"
#include "host/windows/backend.h"
#include "host/windows/ui_style.h"
#include "host/windows/window_record.h"
#include "host/windows/window_system.h"

#include <algorithm>
#include <string>
#include <vector>

namespace quillet::host {

WindowId create_dialog(WindowSystem& ws, const DialogDef& def, WindowId owner,
                       WindowProc procedure) {
    if (def.client_size.width < 0 || def.client_size.height < 0 ||
        def.client_size.width > max_square_surface_side ||
        def.client_size.height > max_square_surface_side)
        return no_window;
    WindowStyle style;
    style.caption = true;
    style.dialog_frame = true;
    FrameInsets f = frame_insets(ws.metrics(), style, false);
    int w = def.client_size.width + f.left + f.right;
    int h = def.client_size.height + f.top + f.bottom;
    IntSize screen = ws.screen_size();
    IntRect around = ws.exists(owner) ? ws.outer_rect(ws.top_level_of(owner))
                                      : IntRect::from_size(screen.width, screen.height);
    int x = around.left + static_cast<int>((around.width() - w) / 2);
    int y = around.top + static_cast<int>((around.height() - h) / 2);
    x = std::clamp(x, 0, std::max(0, screen.width - w));
    y = std::clamp(y, 0, std::max(0, screen.height - h));
    WindowDef wd;
    wd.rect = {x, y, x + w, y + h};
    wd.title = def.title;
    wd.style = style;
    wd.visible = false;
    wd.procedure = std::move(procedure);
    WindowId id = ws.create_window(wd);
    WindowRecord* rec = find_record(ws, id);
    if (!rec) return no_window;
    rec->dialog = true;
    rec->owner = ws.exists(owner) ? ws.top_level_of(owner) : no_window;
    rec->background = ui::face;
    rec->surface.fill(ui::face);
    for (const ControlDef& c : def.controls)
        if (!create_control(ws, id, c)) {
            ws.destroy_window(id);
            return no_window;
        }
    return id;
}

namespace {

// The lines of a message box: its text's lines, each wrapped at blanks (or, for a word wider
// than the box, between characters) to at most max_width pixels. When more than max_lines
// result, the last one shown is "...".
std::vector<std::string> message_lines(const GlyphFont& font, std::string_view text, int max_width,
                                       int max_lines) {
    std::vector<std::string> lines;
    auto width = [&](std::string_view t) { return font.text_extent(t).width; };
    for (size_t start = 0;;) {
        size_t nl = text.find('\n', start);
        std::string_view rest = text.substr(start, nl == std::string_view::npos ? nl : nl - start);
        do {
            // Cut at the last blank that fits (not at a leading one); an empty line is one line.
            const LineBreak at = break_line(rest, max_width, width);
            const size_t cut =
                at.blank != std::string_view::npos && at.blank > 0 ? at.blank : at.fit;
            lines.emplace_back(rest.substr(0, cut));
            rest.remove_prefix(cut);
            if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1); // the blank wrapped at
        } while (!rest.empty());
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    if (static_cast<int>(lines.size()) > max_lines) {
        lines.resize(static_cast<size_t>(std::max(1, max_lines)));
        lines.back() = "...";
    }
    return lines;
}

} // namespace

int message_box(WindowSystem& ws, MessageBoxKind kind, std::string_view text,
                std::string_view title) {
    const Font& font = *ws.ui_font();
    int line_h = font.metrics().height;
    IntSize screen = ws.screen_size();
    std::vector<std::string> shown = message_lines(font, text, std::max(200, screen.width * 5 / 8),
                                                   std::max(1, (screen.height - 140) / line_h));
    int text_w = 0;
    std::string label_text;
    for (const std::string& line : shown) {
        text_w = std::max(text_w, font.text_extent(line).width);
        if (&line != &shown.front()) label_text += '\n';
        // Label text keeps its '&' as typed.
        for (char c : line)
            label_text += c == '&' ? std::string("&&") : std::string(1, c);
    }
    int lines = static_cast<int>(shown.size());
    int width = std::clamp(text_w + 40, 240, std::max(240, screen.width - 40));
    int height = lines * line_h + 76;
    DialogDef def;
    def.title = std::string(title);
    def.client_size = {width, height};
    ControlDef label;
    label.kind = ControlKind::static_left;
    label.rect = {20, 18, width - 20, 18 + lines * line_h};
    label.text = label_text;
    label.id = 1;
    ControlDef ok;
    ok.kind = ControlKind::push_button;
    ok.rect = {width / 2 - 38, height - 38, width / 2 + 38, height - 14};
    ok.text = "Ok";
    ok.id = 2;
    ok.default_button = true;
    def.controls = {label, ok};
    WindowId owner = ws.active_window();
    WindowId box =
        create_dialog(ws, def, owner, [](WindowSystem& system, const Message& m) -> intptr_t {
            if (m.kind == Msg::notify && static_cast<Notify>(m.value) == Notify::clicked) {
                system.end_modal(m.window, 1);
                return 0;
            }
            return system.default_procedure(m);
        });
    if (!box) return -1;
    ws.backend().message_box_opened(box, kind, text);
    ws.show_window(box, true);
    ws.set_focus(control_by_id(ws, box, 2));
    int result = ws.run_modal(box);
    ws.backend().message_box_closed(box);
    ws.destroy_window(box);
    return result < 0 ? 0 : result;
}

} // namespace quillet::host
