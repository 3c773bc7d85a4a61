#include "core/version.h"

const char* the_version() { return "Quivet3.1 (16 June 1999)"; }
