// The one place GTK is initialised.
#include "platform/gtk_start.h"

#include <gtk/gtk.h>

bool start_gtk() {
    static const bool ready = [] {
        gtk_disable_setlocale();
        return gtk_init_check(nullptr, nullptr) != FALSE;
    }();
    return ready;
}
