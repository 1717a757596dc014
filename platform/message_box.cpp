// GTK 3 message boxes. GTK is started only when the first box is needed, so a run
// that never shows one never touches it; without a display the box is written to
// standard error alone and a Yes/No question answers No.
#include "platform/message_box.h"

#include "platform/gtk_start.h"

#include <gtk/gtk.h>

#include <cstdio>

namespace {

message_box_handler box_handler = nullptr;

bool gtk_ready() { return start_gtk(); }

GtkMessageType message_type_of(message_icon icon) {
    switch (icon) {
    case message_icon::information: return GTK_MESSAGE_INFO;
    case message_icon::exclamation: return GTK_MESSAGE_WARNING;
    case message_icon::stop: return GTK_MESSAGE_ERROR;
    }
    return GTK_MESSAGE_OTHER;
}

// Lets GTK finish unmapping the box before the caller goes on.
void drain_gtk_events() {
    while (gtk_events_pending()) gtk_main_iteration();
}

message_answer run_gtk_box(const char* text, const char* caption, message_icon icon, message_buttons buttons) {
    GtkButtonsType gtk_buttons = buttons == message_buttons::yes_no ? GTK_BUTTONS_YES_NO : GTK_BUTTONS_OK;
    GtkWidget* dialog =
        gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, message_type_of(icon), gtk_buttons, "%s", text);
    gtk_window_set_title(GTK_WINDOW(dialog), caption);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    drain_gtk_events();
    if (buttons == message_buttons::ok) return message_answer::ok;
    return response == GTK_RESPONSE_YES ? message_answer::yes : message_answer::no;
}

}  // namespace

void set_message_box_handler(message_box_handler handler) { box_handler = handler; }

message_answer show_message_box(const char* text, const char* caption, message_icon icon,
                                message_buttons buttons) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    if (box_handler != nullptr) return box_handler(text, caption, icon, buttons);
    if (!gtk_ready()) return buttons == message_buttons::yes_no ? message_answer::no : message_answer::ok;
    return run_gtk_box(text, caption, icon, buttons);
}
