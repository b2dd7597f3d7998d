// mid/ok.h: a header that uses the layer below, as it may.
#pragma once
#include "low/base.h"
