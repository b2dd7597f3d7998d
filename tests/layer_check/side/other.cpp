// side/other.cpp: uses a header private to low/.
#include "low/private.h"
#include "side/other.h"
