// The windowing layer over a headless window system with a script, and a handler that records
// the events a window receives.
#pragma once

#include "host/window_test_support.h"
#include "xvt/layer_state.h"
#include "xvt/xvt.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillet::xvt_test {

// Errors offered to the hook, in order.
inline std::vector<ErrorRecord> hooked_errors;
inline long record_error(const ErrorRecord& record, long) {
    hooked_errors.push_back(record);
    return 1;
}

inline std::vector<std::string> diagnostics;
inline void record_diagnostic(const char* line) {
    diagnostics.emplace_back(line);
}

class LayerTest : public ::testing::Test {
protected:
    void start(const std::string& script = "") {
        xvt_detail::app.windows = host::test::make_system(script);
    }
    void SetUp() override {
        hooked_errors.clear();
        diagnostics.clear();
        start();
        xvt_errmsg_set_hook(record_error);
        xvt_set_diagnostic_sink(record_diagnostic);
    }
    void TearDown() override { xvt_app_destroy(); }
    host::WindowSystem& ws() { return *xvt_detail::app.windows; }
    void drain() { host::test::drain(ws()); }

    std::vector<XvtEvent> events;
    XvtEventHandler recorder() {
        return [this](XvtWindow, const XvtEvent& e) {
            events.push_back(e);
            return 0L;
        };
    }
    std::vector<XvtEvent> of_kind(EventKind kind) const {
        std::vector<XvtEvent> out;
        for (const XvtEvent& e : events)
            if (e.kind() == kind) out.push_back(e);
        return out;
    }
    XvtWindow open(const std::string& title, int32_t type = 1, uint32_t flags = 0x013,
                   const XvtMenuItem* menu = nullptr) {
        XvtWinDef def;
        def.type = type;
        def.client = {40, 40, 240, 190};
        def.title = title;
        def.menu = menu;
        def.flags = flags;
        return xp_win_create_def(def, no_xvt_window, recorder(), 7);
    }
};

} // namespace quillet::xvt_test
