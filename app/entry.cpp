// Placeholder entry until the shell lands: opens nothing and exits.
#include "app/entry.h"

int velmoria_main(int, char**) { return 0; }
