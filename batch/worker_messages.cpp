#include "batch/worker_messages.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

// The fields of each message, in their order, for the writer and for the reader alike: visit is
// called on each field, const for writing.
template <typename Task, typename Visit>
void TaskFields(Task& task, Visit& visit) {
  visit(task.index);
  visit(task.resourceId);
  visit(task.numbers.randomNumber);
  visit(task.numbers.counter);
  visit(task.draft);
}

// The parts of a decoder's notes, each a list of its fields as the messages are.
template <typename T, typename U>
concept Is = std::is_same_v<std::remove_const_t<T>, U>;

template <Is<pict::Damage> Damage, typename Visit>
void Fields(Damage& damage, Visit& visit) {
  visit(damage.offset);
  visit(damage.opcodeOffset);
  visit(damage.what);
}
template <Is<pict::SkippedOpcode> Skipped, typename Visit>
void Fields(Skipped& skipped, Visit& visit) {
  visit(skipped.opcode);
  visit(skipped.name);
  visit(skipped.count);
}
template <Is<pict::FontSubstitution> Font, typename Visit>
void Fields(Font& font, Visit& visit) {
  visit(font.named);
  visit(font.used);
}
template <Is<pict::AppliedProfile> Profile, typename Visit>
void Fields(Profile& profile, Visit& visit) {
  visit(profile.source);
  visit(profile.description);
}
template <Is<pict::QuickTimeCodec> Codec, typename Visit>
void Fields(Codec& codec, Visit& visit) {
  visit(codec.codec);
  visit(codec.decoder);
}
template <Is<pict::Notes> Notes, typename Visit>
void Fields(Notes& notes, Visit& visit) {
  visit(notes.damage);
  visit(notes.skipped);
  visit(notes.fonts);
  visit(notes.profiles);
  visit(notes.codecs);
  visit(notes.horizontalDpi);
  visit(notes.verticalDpi);
}

template <typename File, typename Result, typename Visit>
void ResultFields(File& file, Result& result, Visit& visit) {
  visit(file.numbers.randomNumber);
  visit(file.numbers.counter);
  visit(file.loadedBpp);
  visit(file.targetBpp);
  visit(file.outputWidth);
  visit(file.outputHeight);
  visit(result.loaded);
  visit(result.encoded);
  visit(result.failure);
  visit(result.decoders);
  visit(result.reader);
  visit(result.pictureWidth);
  visit(result.pictureHeight);
  visit(result.notes);
  visit(result.milliseconds);
  visit(result.warning);
}

template <typename T>
struct IsVector : std::false_type {};
template <typename T>
struct IsVector<std::vector<T>> : std::true_type {};
template <typename T>
struct IsOptional : std::false_type {};
template <typename T>
struct IsOptional<std::optional<T>> : std::true_type {};

// Numbers (integers, enums, flags) as 8 bytes in this machine's order, since both ends are this
// program, and so the bits of a double; texts as their length and their bytes; a list as its
// length and its elements, an optional value as a flag and the value when there is one, and a
// part of the notes as its fields.
class FieldWriter {
 public:
  template <typename T>
  void operator()(const T& value) {
    if constexpr (std::is_same_v<T, std::string>) {
      Number(static_cast<int64_t>(value.size()));
      bytes_ += value;
    } else if constexpr (std::is_same_v<T, double>) {
      Number(std::bit_cast<int64_t>(value));
    } else if constexpr (IsVector<T>::value) {
      Number(static_cast<int64_t>(value.size()));
      for (const auto& element : value) Fields(element, *this);
    } else if constexpr (IsOptional<T>::value) {
      Number(value.has_value());
      if (value) Fields(*value, *this);
    } else if constexpr (std::is_class_v<T>) {
      Fields(value, *this);
    } else {
      Number(static_cast<int64_t>(value));
    }
  }
  std::string Take() { return std::move(bytes_); }

 private:
  void Number(int64_t value) { bytes_.append(reinterpret_cast<const char*>(&value), sizeof value); }
  std::string bytes_;
};

// Reads what FieldWriter wrote; the first field that is cut short or out of its type's range makes
// the whole message unreadable.
class FieldReader {
 public:
  explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}

  template <typename T>
  void operator()(T& value) {
    if constexpr (std::is_class_v<T> && !std::is_same_v<T, std::string> && !IsVector<T>::value &&
                  !IsOptional<T>::value) {
      Fields(value, *this);
    } else {
      Read(value);
    }
  }

  // True when every field was read and nothing is left over.
  bool Finish(std::string& message) {
    if (message_.empty() && at_ != bytes_.size()) message_ = "bytes are left after the message";
    message = message_;
    return message_.empty();
  }

 private:
  template <typename T>
  void Read(T& value) {
    int64_t number = 0;
    if (!Number(number)) return;
    if constexpr (std::is_same_v<T, double>) {
      value = std::bit_cast<double>(number);
    } else if constexpr (IsVector<T>::value) {
      // Each element takes at least one number: a count beyond what is left cannot be.
      if (number < 0 || static_cast<uint64_t>(number) > (bytes_.size() - at_) / sizeof number)
        return Fail("a list runs past the end of the message");
      value.assign(static_cast<size_t>(number), {});
      for (auto& element : value) Fields(element, *this);
    } else if constexpr (IsOptional<T>::value) {
      if (number != 0 && number != 1) return Fail("a flag is neither 0 nor 1");
      value.reset();
      if (number == 1) Fields(value.emplace(), *this);
    } else if constexpr (std::is_same_v<T, std::string>) {
      if (number < 0 || static_cast<uint64_t>(number) > bytes_.size() - at_)
        return Fail("a text runs past the end of the message");
      value.assign(bytes_.substr(at_, static_cast<size_t>(number)));
      at_ += static_cast<size_t>(number);
    } else if constexpr (std::is_same_v<T, bool>) {
      if (number != 0 && number != 1) return Fail("a flag is neither 0 nor 1");
      value = number == 1;
    } else {
      using Stored = typename std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>,
                                                 std::type_identity<T>>::type;
      if (!std::in_range<Stored>(number)) return Fail("a number is out of its range");
      value = static_cast<T>(number);
    }
  }

  bool Number(int64_t& number) {
    if (!message_.empty()) return false;
    if (bytes_.size() - at_ < sizeof number) {
      Fail("the message ends in the middle of a field");
      return false;
    }
    std::memcpy(&number, bytes_.data() + at_, sizeof number);
    at_ += sizeof number;
    return true;
  }
  void Fail(const char* why) {
    if (message_.empty()) message_ = why;
  }

  std::string_view bytes_;
  size_t at_ = 0;
  std::string message_;
};

}  // namespace

std::string EncodeTask(const WorkerTask& task) {
  FieldWriter writer;
  TaskFields(task, writer);
  return writer.Take();
}

std::optional<WorkerTask> DecodeTask(std::string_view bytes, std::string& message) {
  WorkerTask task;
  FieldReader reader(bytes);
  TaskFields(task, reader);
  if (!reader.Finish(message)) return std::nullopt;
  return task;
}

std::string EncodeResult(const FileContext& file, const FileResult& result) {
  FieldWriter writer;
  ResultFields(file, result, writer);
  return writer.Take();
}

bool DecodeResult(std::string_view bytes, FileContext& file, FileResult& result,
                  std::string& message) {
  FieldReader reader(bytes);
  ResultFields(file, result, reader);
  return reader.Finish(message);
}
