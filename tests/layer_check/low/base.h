// low/base.h: a header at the bottom that wrongly reaches up.
#pragma once
#include "mid/ok.h"
