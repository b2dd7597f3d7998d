// pipeline/convert_file.h: the conversion of one file, from its input path to the saved output.
#pragma once

#include "naming/file_context.h"
#include "settings/settings.h"

// Loads what the conversions of a run share, once, before the first file: the font of a text
// watermark. False when the watermark is a text and no usable font exists. FinishRun releases
// it.
bool PrepareRun(const WatermarkSettings& watermark);
void FinishRun();

// Converts file.inputPath with the run's values (gJob) and settings (gSettings) and fills in
// the rest of file as it goes: the loaded and target depth, the output size and, once it is
// built, the output path. True when the output file was written. The converter's TGA lives in
// gJob.tempFolder; the DevIL and JPEG XR writers write their intermediates beside the output
// file they replace. None of them is left when this returns.
bool ConvertFile(FileContext& file);
