// batch/worker_messages.h (private to batch/): the messages between the parent and its worker
// processes. Each kind of message has one list of its fields, which both its writing and its
// reading follow; a message is read only when its bytes are exactly one message of its kind.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "naming/file_context.h"
#include "pipeline/convert_file.h"

// A file for a worker to convert.
struct WorkerTask {
  size_t index = 0;     // the file's place among the run's inputs
  // The 'PICT' resource it is, for a part of a Macintosh file (the worker checks it against its
  // own list of the inputs, which it got when it was started), or kNoResource.
  int32_t resourceId = 0;
  FileNumbers numbers;  // the naming numbers to convert it with
  std::string draft;    // the file to write its output to; empty: the output comes back in bytes
};

std::string EncodeTask(const WorkerTask& task);

// The task the bytes hold; nothing, with the reason in message, when they hold no whole task
// or more than one.
std::optional<WorkerTask> DecodeTask(std::string_view bytes, std::string& message);

// What a worker found of a file: what the conversion filled in of its context (numbers, depths,
// output size) and its result, except the output's bytes, which travel beside the message.
std::string EncodeResult(const FileContext& file, const FileResult& result);

// Fills in of file and result what EncodeResult wrote; false, with the reason in message, when
// the bytes hold no whole result or more than one (file and result may be partly written then).
bool DecodeResult(std::string_view bytes, FileContext& file, FileResult& result,
                  std::string& message);
