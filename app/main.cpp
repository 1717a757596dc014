// Process entry: hands over to the application shell.
#include "app/entry.h"

int main(int argc, char** argv) { return velmoria_main(argc, argv); }
