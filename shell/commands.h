// The program's modes; each returns the process exit code.
#pragma once

#include "shell/options.h"

int runInfo(const Options& options);
int runExportObj(const Options& options);
