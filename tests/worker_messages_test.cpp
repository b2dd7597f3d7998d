// The messages between the parent and its workers: what is written is read back field for field,
// and a message cut short, or with bytes to spare, is refused with a reason.
#include "batch/worker_messages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "batch/report.h"

namespace {

WorkerTask SampleTask() {
  // A path with letters of two bytes and a NUL byte in it.
  static constexpr char kDraft[] = "/out/d\xC3\xA9j\xC3\xA0/marrowick\0x.png";
  WorkerTask task;
  task.index = 123456789012;
  task.resourceId = -32768;  // the lowest id of a 'PICT' resource
  task.numbers = {99999, int64_t{1} << 40};
  task.draft = std::string(kDraft, sizeof kDraft - 1);
  return task;
}

// A file context and result with every field that travels away from its default.
struct SampleResult {
  FileContext file;
  FileResult result;
};

SampleResult MakeSampleResult() {
  SampleResult sample;
  sample.file.numbers = {4711, 42};
  sample.file.loadedBpp = 32;
  sample.file.targetBpp = 8;
  sample.file.outputWidth = 2265;
  sample.file.outputHeight = -1;
  sample.result.loaded = true;
  sample.result.encoded = Encoded::InDraft;
  sample.result.failure = "cannot write /out/a.png: No space left on device";
  sample.result.decoders = "our decoder: read it";
  sample.result.reader = "our decoder";
  sample.result.pictureWidth = 4530;
  sample.result.pictureHeight = 1;
  sample.result.milliseconds = int64_t{1} << 33;
  pict::Notes& notes = sample.result.notes;
  notes.damage = pict::Damage{41233, 40000, "opcode 009A (DirectBitsRect): pixel data ends"};
  notes.skipped = {{0x00A2, "reserved", 2}, {0x0015, "PnLocHFrac", 1}};
  notes.fonts = {{"Geneva", "DejaVu Sans"}};
  notes.profiles = {{"ColorSync comment", ""}};
  notes.codecs = {{"jpeg", "libjpeg"}, {"rpza", "rpza"}};
  notes.horizontalDpi = 300.5;
  notes.verticalDpi = 0.1;
  sample.result.warning = "parts drawn in srcXor mode are pixels";
  return sample;
}

// Every proper beginning of the bytes, and the bytes with one to spare, refused with a reason.
template <typename Decode>
void ExpectOnlyTheWholeMessageIsRead(const std::string& bytes, Decode decode) {
  for (size_t size = 0; size < bytes.size(); ++size) {
    std::string message;
    EXPECT_FALSE(decode(bytes.substr(0, size), message)) << size << " of " << bytes.size();
    EXPECT_FALSE(message.empty()) << size;
  }
  std::string message;
  EXPECT_FALSE(decode(bytes + '\0', message));
  EXPECT_EQ(message, "bytes are left after the message");
}

TEST(WorkerMessages, TaskComesBackFieldForField) {
  const WorkerTask sent = SampleTask();
  std::string message;
  const std::optional<WorkerTask> read = DecodeTask(EncodeTask(sent), message);
  ASSERT_TRUE(read) << message;
  EXPECT_EQ(read->index, sent.index);
  EXPECT_EQ(read->resourceId, sent.resourceId);
  EXPECT_EQ(read->numbers, sent.numbers);
  EXPECT_EQ(read->draft, sent.draft);
  ExpectOnlyTheWholeMessageIsRead(EncodeTask(sent), [](const std::string& bytes, auto& why) {
    return DecodeTask(bytes, why).has_value();
  });
}

TEST(WorkerMessages, ResultComesBackFieldForFieldWithoutTheOutputsBytes) {
  SampleResult sent = MakeSampleResult();
  sent.result.bytes = "not sent with the fields";
  FileContext file;
  FileResult result;
  std::string message;
  ASSERT_TRUE(DecodeResult(EncodeResult(sent.file, sent.result), file, result, message)) << message;
  EXPECT_EQ(file.numbers, sent.file.numbers);
  EXPECT_EQ(file.loadedBpp, sent.file.loadedBpp);
  EXPECT_EQ(file.targetBpp, sent.file.targetBpp);
  EXPECT_EQ(file.outputWidth, sent.file.outputWidth);
  EXPECT_EQ(file.outputHeight, sent.file.outputHeight);
  EXPECT_EQ(result.loaded, sent.result.loaded);
  EXPECT_EQ(result.encoded, sent.result.encoded);
  EXPECT_EQ(result.failure, sent.result.failure);
  EXPECT_EQ(result.decoders, sent.result.decoders);
  EXPECT_EQ(result.reader, sent.result.reader);
  EXPECT_EQ(result.pictureWidth, sent.result.pictureWidth);
  EXPECT_EQ(result.pictureHeight, sent.result.pictureHeight);
  EXPECT_EQ(result.milliseconds, sent.result.milliseconds);
  // The notes, by the report line they make, which shows every field of them.
  ReportEntry read, written;
  read.result = &result;
  written.result = &sent.result;
  EXPECT_EQ(ReportLine(read, ""), ReportLine(written, ""));
  EXPECT_EQ(result.notes.horizontalDpi, 300.5);
  EXPECT_EQ(result.warning, sent.result.warning);
  EXPECT_EQ(result.bytes, "");
  ExpectOnlyTheWholeMessageIsRead(EncodeResult(sent.file, sent.result),
                                  [](const std::string& bytes, auto& why) {
                                    FileContext anyFile;
                                    FileResult anyResult;
                                    return DecodeResult(bytes, anyFile, anyResult, why);
                                  });
}

TEST(WorkerMessages, NotesWithoutDamageComeBackWithoutIt) {
  SampleResult sent = MakeSampleResult();
  sent.result.notes.damage.reset();
  sent.result.notes.fonts.clear();
  FileContext file;
  FileResult result;
  result.notes.damage = pict::Damage{};  // what was there before is not kept
  std::string message;
  ASSERT_TRUE(DecodeResult(EncodeResult(sent.file, sent.result), file, result, message)) << message;
  EXPECT_FALSE(result.notes.damage);
  EXPECT_TRUE(result.notes.fonts.empty());
  EXPECT_EQ(result.notes.codecs.size(), 2u);
}

TEST(WorkerMessages, NumbersOutsideTheirFieldsAreRefused) {
  // A result whose first field, the random number, holds more than 32 bits; and a task whose
  // draft claims more bytes than follow.
  std::string wide = EncodeResult(MakeSampleResult().file, MakeSampleResult().result);
  wide[4] = 1;
  FileContext file;
  FileResult result;
  std::string message;
  EXPECT_FALSE(DecodeResult(wide, file, result, message));
  EXPECT_EQ(message, "a number is out of its range");
  std::string longText = EncodeTask(SampleTask());
  longText[32] = 100;  // the draft's length, after the index, resource id and numbers
  EXPECT_FALSE(DecodeTask(longText, message));
  EXPECT_EQ(message, "a text runs past the end of the message");
}

}  // namespace
