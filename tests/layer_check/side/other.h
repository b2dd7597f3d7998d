// side/other.h: a second layer above low/.
#pragma once
#include "low/base.h"
