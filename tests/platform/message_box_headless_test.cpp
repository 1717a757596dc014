// Message boxes without any display: the box is written to standard error only, a
// Yes/No question answers No and an OK box answers OK, without blocking.
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(HeadlessMessageBox, WritesCaptionAndTextAndAnswersNo) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("GDK_BACKEND", "x11", 1);
    testing::internal::CaptureStderr();
    message_answer answer = show_message_box("Program Will Now Close.", "ERROR", message_icon::stop);
    message_answer question = show_message_box("Use Windowed Mode Instead?", "KRV GL ;-)", message_icon::exclamation,
                                               message_buttons::yes_no);
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, message_answer::ok);
    EXPECT_EQ(question, message_answer::no);
    EXPECT_NE(errors.find("ERROR: Program Will Now Close.\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("KRV GL ;-): Use Windowed Mode Instead?\n"), std::string::npos) << errors;
}

}  // namespace
