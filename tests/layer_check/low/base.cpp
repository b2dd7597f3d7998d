// low/base.cpp: the bottom may use its own private header.
#include "low/base.h"
#include "low/private.h"
