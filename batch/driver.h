// batch/driver.h: one command-line run after the options have been read.
#pragma once

// Checks the settings, echoes them in debug mode, collects the inputs, converts them and
// prints the summary. Prints every message itself; returns when the run has ended.
void RunBatch(bool quiet);
