#include <cstdio>

#include "shell/commands.h"

int runExportObj(const Options&) {
    std::fprintf(stderr, "aseplay: --export-obj is not built yet\n");
    return 1;
}
