#include "shell/commands.h"

int runInfo(const Options&) { return 1; }
