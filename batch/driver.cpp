#include "batch/driver.h"

// Placeholder implementation.
void RunBatch(bool) {}
