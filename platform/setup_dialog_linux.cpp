// The setup dialog in GTK 3. Its layout keeps the proportions of a 179 x 88
// dialog-unit layout (two pixels per unit): a "Resolution" frame with the mode
// drop-down, a row of three toggle buttons, and the Run and Quit buttons.
#include "platform/setup_dialog.h"

#include "platform/gtk_start.h"

#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>

namespace {

constexpr int unit = 2;  // pixels per dialog unit
constexpr const char* dialog_title = "          Velmoria KRV - 2010 ";
constexpr const char* dialog_css =
    "#velmoria-setup, #velmoria-setup * { font-family: Arial, sans-serif; font-size: 10pt; }";

struct dialog_widgets {
    GtkWidget* window = nullptr;
    GtkWidget* modes = nullptr;
    GtkWidget* antialiased = nullptr;
    GtkWidget* windowed = nullptr;
    GtkWidget* force_16_9 = nullptr;
    GtkWidget* run = nullptr;
    GtkWidget* quit = nullptr;
};

void apply_dialog_font(GtkWidget* window) {
    gtk_widget_set_name(window, "velmoria-setup");
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, dialog_css, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(window), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
}

GtkWidget* group_box(const char* caption, GtkWidget* child, int height_units) {
    GtkWidget* frame = gtk_frame_new(caption);
    gtk_widget_set_size_request(frame, 174 * unit, height_units * unit);
    gtk_container_set_border_width(GTK_CONTAINER(child), 4 * unit);
    gtk_container_add(GTK_CONTAINER(frame), child);
    return frame;
}

GtkWidget* mode_drop_down(const setup_dialog_state& state) {
    GtkWidget* combo = gtk_combo_box_text_new();
    gtk_widget_set_size_request(combo, 144 * unit, -1);
    gtk_widget_set_halign(combo, GTK_ALIGN_CENTER);
    for (const std::string& label : state.modes)
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), label.c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(combo), state.selected);
    return combo;
}

GtkWidget* toggle(const char* caption, bool checked) {
    GtkWidget* button = gtk_toggle_button_new_with_label(caption);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button), checked);
    gtk_widget_set_size_request(button, 42 * unit, 15 * unit);
    return button;
}

void respond(GtkWidget* button, gpointer dialog) {
    gtk_dialog_response(GTK_DIALOG(dialog),
                        GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "response")));
}

GtkWidget* push_button(GtkWidget* window, const char* caption, int width_units, int response) {
    GtkWidget* button = gtk_button_new_with_label(caption);
    gtk_widget_set_size_request(button, width_units * unit, 21 * unit);
    g_object_set_data(G_OBJECT(button), "response", GINT_TO_POINTER(response));
    g_signal_connect(button, "clicked", G_CALLBACK(respond), window);
    return button;
}

// Enter runs (Quit when the Quit button has the focus), Escape quits, wherever the
// focus is, as in a classic dialog. Space still toggles and opens the drop-down.
gboolean on_key(GtkWidget* window, GdkEventKey* event, gpointer data) {
    auto* widgets = static_cast<dialog_widgets*>(data);
    GtkDialog* dialog = GTK_DIALOG(window);
    switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
        gtk_dialog_response(dialog, gtk_window_get_focus(GTK_WINDOW(window)) == widgets->quit
                                        ? GTK_RESPONSE_CANCEL
                                        : GTK_RESPONSE_OK);
        return TRUE;
    case GDK_KEY_Escape:
        gtk_dialog_response(dialog, GTK_RESPONSE_CANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

GtkWidget* row(int spacing_units) {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, spacing_units * unit);
    gtk_widget_set_halign(box, GTK_ALIGN_CENTER);
    return box;
}

void build_dialog(dialog_widgets& w, const setup_dialog_state& state) {
    w.window = gtk_dialog_new();
    GtkWindow* window = GTK_WINDOW(w.window);
    gtk_window_set_title(window, dialog_title);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_keep_above(window, TRUE);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_skip_taskbar_hint(window, TRUE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_position(window, GTK_WIN_POS_MOUSE);
    gtk_widget_set_size_request(w.window, 179 * unit, 88 * unit);
    apply_dialog_font(w.window);

    w.modes = mode_drop_down(state);
    w.antialiased = toggle("Antialiased", state.antialiased);
    w.windowed = toggle("Windowed", state.windowed);
    w.force_16_9 = toggle("Force 16:9", state.force_16_9);
    w.run = push_button(w.window, "Run ... ", 109, GTK_RESPONSE_OK);
    w.quit = push_button(w.window, "Quit", 24, GTK_RESPONSE_CANCEL);

    GtkWidget* toggles = row(8);
    for (GtkWidget* button : {w.antialiased, w.windowed, w.force_16_9})
        gtk_box_pack_start(GTK_BOX(toggles), button, FALSE, FALSE, 0);
    GtkWidget* buttons = row(9);
    gtk_box_pack_start(GTK_BOX(buttons), w.run, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(buttons), w.quit, FALSE, FALSE, 0);

    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(w.window));
    gtk_box_set_spacing(GTK_BOX(content), 0);
    gtk_container_set_border_width(GTK_CONTAINER(w.window), unit);
    gtk_box_pack_start(GTK_BOX(content), group_box("Resolution", w.modes, 28), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(content), group_box(nullptr, toggles, 26), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(content), group_box(nullptr, buttons, 34), FALSE, FALSE, 0);

    gtk_widget_set_can_default(w.run, TRUE);
    gtk_window_set_default(window, w.run);
    g_signal_connect(w.window, "key-press-event", G_CALLBACK(on_key), &w);
}

void read_choice(const dialog_widgets& w, setup_dialog_state& state) {
    state.antialiased = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w.antialiased));
    state.windowed = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w.windowed));
    state.force_16_9 = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w.force_16_9));
    state.selected = gtk_combo_box_get_active(GTK_COMBO_BOX(w.modes));
}

// Lets GTK unmap the destroyed dialog before the show's window appears.
void drain_events() {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

}  // namespace

setup_answer show_setup_dialog(setup_dialog_state& state) {
    if (!start_gtk()) return setup_answer::no_display;
    dialog_widgets widgets;
    build_dialog(widgets, state);
    gtk_widget_show_all(widgets.window);
    gtk_widget_grab_focus(widgets.modes);
    int response = gtk_dialog_run(GTK_DIALOG(widgets.window));
    bool run = response == GTK_RESPONSE_OK;
    if (run) read_choice(widgets, state);
    gtk_widget_destroy(widgets.window);
    drain_events();
    return run ? setup_answer::run : setup_answer::quit;
}
