// GTK 3 message boxes. GTK is started only when the first box is needed, so a run
// that never shows one never touches it.
#include "platform/system_message_box.h"

#include "platform/gtk_start.h"

#include <gtk/gtk.h>

namespace {

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

bool system_message_box(const char* text, const char* caption, message_icon icon, message_buttons buttons,
                        message_answer& answer) {
    if (!start_gtk()) return false;
    answer = run_gtk_box(text, caption, icon, buttons);
    return true;
}
