// vorlin-arena: everything but this entry point lives in vorlin_core (src/arena).
#include "arena/arena.h"

int main(int argc, char** argv) { return arena_main(argc, argv); }
