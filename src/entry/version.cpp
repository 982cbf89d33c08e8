// version.cpp - the release this library was built as, for tools to print beside their own name.
#include "entry/entry.h"

#ifndef XCOMP_VERSION
#error "the build defines XCOMP_VERSION (the project's version) for entry/"
#endif

const char* xcompVersion() { return XCOMP_VERSION; }
