// GTK message boxes on a real display: the answer of the button pressed, the
// "caption: text" line on standard error, and boxes replaced by a test handler;
// starting GTK leaves the C library's number formatting alone.
#include "platform/gtk_start.h"
#include "platform/message_box.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace {

struct pending_press {
    gint response;
    std::string seen_title;
    std::string seen_text;
};

// Presses a button of the first message dialog found, once it is on screen.
gboolean press_when_shown(gpointer data) {
    auto* press = static_cast<pending_press*>(data);
    GList* windows = gtk_window_list_toplevels();
    GtkWidget* dialog = nullptr;
    for (GList* item = windows; item != nullptr; item = item->next)
        if (GTK_IS_MESSAGE_DIALOG(item->data) && gtk_widget_get_mapped(GTK_WIDGET(item->data)))
            dialog = GTK_WIDGET(item->data);
    g_list_free(windows);
    if (dialog == nullptr) return G_SOURCE_CONTINUE;
    press->seen_title = gtk_window_get_title(GTK_WINDOW(dialog));
    gchar* text = nullptr;
    g_object_get(dialog, "text", &text, nullptr);
    press->seen_text = text != nullptr ? text : "";
    g_free(text);
    gtk_dialog_response(GTK_DIALOG(dialog), press->response);
    return G_SOURCE_REMOVE;
}

message_answer show_and_press(gint response, message_buttons buttons, pending_press& press) {
    press.response = response;
    g_timeout_add(50, press_when_shown, &press);
    return show_message_box("Use Windowed Mode Instead?", "KRV GL ;-)", message_icon::exclamation, buttons);
}

class GtkMessageBox : public ::testing::Test {
protected:
    void SetUp() override {
        if (!start_gtk()) GTEST_SKIP() << "GTK cannot open the display";
    }
};

TEST_F(GtkMessageBox, YesNoBoxReturnsTheButtonPressedAndShowsCaptionAndText) {
    pending_press press;
    testing::internal::CaptureStderr();
    EXPECT_EQ(show_and_press(GTK_RESPONSE_YES, message_buttons::yes_no, press), message_answer::yes);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "KRV GL ;-): Use Windowed Mode Instead?\n");
    EXPECT_EQ(press.seen_title, "KRV GL ;-)");
    EXPECT_EQ(press.seen_text, "Use Windowed Mode Instead?");
    EXPECT_EQ(show_and_press(GTK_RESPONSE_NO, message_buttons::yes_no, press), message_answer::no);
    // Closing the box answers No.
    EXPECT_EQ(show_and_press(GTK_RESPONSE_DELETE_EVENT, message_buttons::yes_no, press), message_answer::no);
}

TEST_F(GtkMessageBox, OkBoxReturnsOk) {
    pending_press press;
    EXPECT_EQ(show_and_press(GTK_RESPONSE_OK, message_buttons::ok, press), message_answer::ok);
}

message_answer always_yes(const char*, const char*, message_icon, message_buttons) { return message_answer::yes; }

TEST_F(GtkMessageBox, HandlerAnswersInsteadOfAWindowButStandardErrorStillSaysIt) {
    set_message_box_handler(always_yes);
    testing::internal::CaptureStderr();
    EXPECT_EQ(show_message_box("text", "caption", message_icon::stop, message_buttons::yes_no), message_answer::yes);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "caption: text\n");
    set_message_box_handler(nullptr);
}

}  // namespace

TEST(GtkStart, LeavesTheNumericLocaleAlone) {
    setenv("LC_ALL", "C.UTF-8", 1);  // a locale GTK would otherwise switch to
    if (!start_gtk()) GTEST_SKIP() << "GTK cannot open the display";
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}
