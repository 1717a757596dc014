// Process entry: installs author mode's overlay (drawn only with --author) and
// hands over to the application shell.
#include "app/author/author_overlay.h"
#include "app/entry.h"

int main(int argc, char** argv) {
    install_author_overlay();
    return velmoria_main(argc, argv);
}
