// The base of the ui tests that talk to the engine's default window over a headless window
// system: the ui state reset around each test, the window system started, and events sent to
// the default window's handler as the layer delivers them.
#pragma once

#include "host/window_test_support.h"
#include "ui/default_window.h"
#include "ui/ui_reset.h"
#include "ui/window_event_handler.h"
#include "ui/window_table.h"
#include "xvt/layer_state.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>

namespace quillet {

class DefaultWindowFixture : public ::testing::Test {
protected:
    void SetUp() override { reset_ui_state(); }
    void TearDown() override {
        xvt_app_destroy();
        reset_ui_state();
    }
    // A headless window system of screens of the given depth; message boxes stay quiet. The
    // default window is made by the test, after whatever it sets up on the layer first.
    static void start_window_system(int depth = 32) {
        host::HeadlessOptions o;
        o.depth = depth;
        o.echo_message_boxes = false;
        xvt_detail::app.windows =
            std::make_unique<host::WindowSystem>(std::make_unique<host::HeadlessBackend>(o));
    }
    static WindowRecord& window0() { return window_record(default_window); }
    static void send(const XvtEvent& e) { window_event_handler(window0().native_window, e); }
    // An event of the kind with its words after the kind.
    static XvtEvent event(EventKind kind, std::initializer_list<int32_t> words = {}) {
        XvtEvent e;
        e.words[0] = static_cast<int32_t>(kind);
        int i = 1;
        for (int32_t w : words)
            e.words[i++] = w;
        return e;
    }
};

} // namespace quillet
