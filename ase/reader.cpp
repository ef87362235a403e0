#include "ase/reader.h"

int readScene(Scene&, const char*, std::FILE*) { return 1; }
