// mid/ok.cpp: reaches sideways.
#include "mid/ok.h"
#include "side/other.h"
