// pipeline/core.h: one input file to one saved output file.
#pragma once

// Converts gJob.currentInputFile with the run values and settings, and stores the output
// path in gJob.currentOutputFile once it is built. True when the output file was written.
// Intermediate files live in gJob.tempFolder and are gone when it returns.
bool ConvertCurrentFile();
