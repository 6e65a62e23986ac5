// The error handler stack, its pop rules and the guard of window messages.
#include "xvt_test_support.h"

namespace quillet {
namespace {

using namespace xvt_test;

std::vector<std::string> calls;
long first_handler(const ErrorRecord&, long data) {
    calls.push_back("first " + std::to_string(data));
    return 0;
}
long second_handler(const ErrorRecord&, long data) {
    calls.push_back("second " + std::to_string(data));
    return data == 99 ? 1 : 0;
}

class ErrorStack : public LayerTest {
protected:
    void SetUp() override {
        LayerTest::SetUp();
        calls.clear();
    }
};

TEST_F(ErrorStack, PoppingAnUnpushedHandlerReportsAndKeepsTheStack) {
    xvt_run_guarded([] {
        xvt_errmsg_push_handler(first_handler, 1);
        xvt_errmsg_pop_handler(second_handler);
        ADD_FAILURE() << "the report must end the message";
    });
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000008u);
    EXPECT_EQ(hooked_errors[0].api, "xvt_errmsg_pop_handler");
    EXPECT_EQ(hooked_errors[0].category, "errmsg");
    EXPECT_EQ(hooked_errors[0].text, "Attempt to pop unpushed handler.");
    // The stack was left as it was: the pushed handler saw the error first.
    EXPECT_EQ(calls, std::vector<std::string>{"first 1"});
}

TEST_F(ErrorStack, PoppingTheSecondNewestAlsoFreesTheNewest) {
    xvt_run_guarded([] {
        xvt_errmsg_push_handler(first_handler, 1);
        xvt_errmsg_push_handler(second_handler, 2);
        xvt_errmsg_push_handler(first_handler, 3);
        xvt_errmsg_push_handler(second_handler, 4);
        xvt_errmsg_pop_handler(first_handler); // the one with data 3, and 4 above it
        EXPECT_EQ(xvt_errmsg_handler_count(), 2u);
        xvt_errmsg_pop_handler(second_handler);
        xvt_errmsg_pop_handler(first_handler);
        EXPECT_EQ(xvt_errmsg_handler_count(), 0u);
    });
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(ErrorStack, AnErrorEndsTheMessageAndGoesToTheNewestHandlerFirst) {
    bool after = false;
    xvt_run_guarded([&] {
        xvt_errmsg_push_handler(first_handler, 1);
        xvt_errmsg_push_handler(second_handler, 99);
        xvt_report_error("xp_dwin_draw_line", ErrorCategory::dwin, ErrorId::illegal_window);
        after = true;
    });
    EXPECT_FALSE(after);
    EXPECT_EQ(calls, std::vector<std::string>{"second 99"}); // it answered: no one else asked
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(ErrorStack, UnansweredErrorsGoToTheHook) {
    xvt_run_guarded([] {
        xvt_errmsg_push_handler(first_handler, 1);
        xvt_errmsg_push_handler(second_handler, 2);
        xvt_report_error("xp_font_set_size", ErrorCategory::font, ErrorId::invalid_parameter);
    });
    EXPECT_EQ(calls, (std::vector<std::string>{"second 2", "first 1"}));
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].api, "xp_font_set_size");
    EXPECT_EQ(hooked_errors[0].category, "font");
    EXPECT_EQ(hooked_errors[0].text, "Invalid parameter.");
}

TEST_F(ErrorStack, HandlersLeftPushedAreFreedAndReported) {
    xvt_run_guarded([] { xvt_errmsg_push_handler(first_handler, 1); });
    EXPECT_EQ(xvt_errmsg_handler_count(), 0u);
    EXPECT_TRUE(calls.empty()); // freed before the report
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].text, "Pushed handlers not popped.");
    EXPECT_EQ(hooked_errors[0].category, "error handling");
    EXPECT_EQ(hooked_errors[0].api, "xp_app_process_pending_events");
}

TEST_F(ErrorStack, ANestedMessageHasItsOwnStack) {
    xvt_run_guarded([] {
        xvt_errmsg_push_handler(second_handler, 99);
        xvt_run_guarded([] {
            EXPECT_EQ(xvt_errmsg_handler_count(), 0u);
            xvt_report_error("xp_rect_set", ErrorCategory::rect, ErrorId::null_pointer);
        });
        EXPECT_EQ(xvt_errmsg_handler_count(), 1u);
        xvt_errmsg_pop_handler(second_handler);
    });
    EXPECT_TRUE(calls.empty()); // the outer handler never saw the inner message's error
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000005u);
}

TEST_F(ErrorStack, OutsideAMessageAReportIsOfferedAtOnceAndReturns) {
    xvt_report_error("xvt_mem_free", ErrorCategory::app, ErrorId::invalid_parameter);
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
}

TEST_F(ErrorStack, MemoryFreeTakesOnlyBlocksTheLayerHandedOut) {
    auto* block = static_cast<unsigned char*>(xvt_mem_alloc(16));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[0] | block[15], 0); // zero-filled
    xvt_mem_free(block);
    EXPECT_TRUE(hooked_errors.empty());
    int mine = 0;
    for (void* refused :
         {static_cast<void*>(nullptr), static_cast<void*>(block), static_cast<void*>(&mine)}) {
        hooked_errors.clear();
        xvt_mem_free(refused); // null, freed already, not the layer's
        ASSERT_EQ(hooked_errors.size(), 1u);
        EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
        EXPECT_EQ(hooked_errors[0].api, "xvt_mem_free");
        EXPECT_EQ(hooked_errors[0].category, "app");
    }
    // A block outlives the application that handed it out.
    void* kept = xvt_mem_alloc(0);
    ASSERT_NE(kept, nullptr);
    xvt_app_destroy();
    hooked_errors.clear();
    xvt_errmsg_set_hook(record_error);
    xvt_mem_free(kept);
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(ErrorStack, OtherExceptionsPassTheGuardAndLeaveTheStackSound) {
    xvt_errmsg_push_handler(first_handler, 1); // outside any message
    EXPECT_THROW(xvt_run_guarded([] {
                     xvt_errmsg_push_handler(second_handler, 2);
                     throw std::runtime_error("a B-code error");
                 }),
                 std::runtime_error);
    EXPECT_EQ(xvt_errmsg_handler_count(), 1u);
    xvt_errmsg_pop_handler(first_handler);
}

} // namespace
} // namespace quillet
