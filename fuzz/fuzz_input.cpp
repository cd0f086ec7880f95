#include "fuzz_input.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "tpl/datetime.h"

namespace tpl::fuzz {

void Fail(const std::string& what) { throw Defect(what); }

std::string_view AsText(const uint8_t* data, size_t size) {
  return size == 0 ? std::string_view() : std::string_view(reinterpret_cast<const char*>(data), size);
}

namespace {

constexpr std::string_view kStretchOpen = "{{*";
constexpr std::string_view kStretchClose = "}}";
// More repetitions than the expanded text could ever hold are cut here.
constexpr size_t kMaxRepetitions = 10'000'000;

struct Stretch {
  size_t count = 0;
  std::string_view piece;
  size_t length = 0;  // of the whole "{{*N:piece}}"
};

// The stretch at the start of `text`, or one with a length of 0. A text
// with no "}}" is never searched, so that an input full of unclosed
// stretches is still read in one pass.
Stretch ReadStretch(std::string_view text, bool closed) {
  Stretch stretch;
  if (!text.starts_with(kStretchOpen)) return stretch;
  size_t position = kStretchOpen.size();
  size_t count = 0;
  size_t digits = 0;
  for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position) {
    if (count < kMaxRepetitions) count = count * 10 + size_t(text[position] - '0');
    ++digits;
  }
  if (!closed || digits == 0 || position >= text.size() || text[position] != ':') return stretch;
  const size_t close = text.find(kStretchClose, position + 1);
  if (close == std::string_view::npos) return stretch;
  stretch.count = std::min(count, kMaxRepetitions);
  stretch.piece = text.substr(position + 1, close - position - 1);
  stretch.length = close + kStretchClose.size();
  return stretch;
}

void AppendRepetitions(const Stretch& stretch, std::string& out) {
  const bool numbered = stretch.piece.find('~') != std::string_view::npos;
  for (size_t i = 0; i < stretch.count && out.size() < kMaxExpandedSize; ++i) {
    if (!numbered) {
      out += stretch.piece;
      continue;
    }
    const std::string number = std::to_string(i);
    for (char c : stretch.piece) {
      if (c == '~') {
        out += number;
      } else {
        out += c;
      }
    }
  }
}

// The range of serials a Date may hold: 01/01/100 to 31/12/9999 23:59:59.
bool IsDateSerial(double serial) {
  static const double first = [] {
    Date date;
    TryMakeDate(DateParts{100, 1, 1, 0, 0, 0}, date);
    return date.serial;
  }();
  static const double last = [] {
    Date date;
    TryMakeDate(DateParts{9999, 12, 31, 23, 59, 59}, date);
    return date.serial;
  }();
  return serial >= first && serial <= last;
}

// Whole numbers wrap to the width asked for, so that every field gives a
// value and the fuzzer can reach both ends of each range.
int64_t WholeNumber(std::string_view text) {
  int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

double RealNumber(std::string_view text) {
  const std::string copy(text);
  return std::strtod(copy.c_str(), nullptr);
}

// The pieces of `text` between the separators; n separators give n + 1 pieces.
std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (size_t end; (end = text.find(separator, start)) != std::string_view::npos; start = end + 1)
    pieces.push_back(text.substr(start, end - start));
  pieces.push_back(text.substr(start));
  return pieces;
}

Variant ArrayOfTexts(std::string_view list) {
  const std::vector<std::string_view> items = SplitAt(list, ',');
  Array array = Array::Vector(static_cast<int32_t>(items.size()) - 1);
  for (size_t i = 0; i < items.size(); ++i) array.at(static_cast<int32_t>(i)) = Variant(items[i]);
  return Variant(std::move(array));
}

}  // namespace

std::string Expand(std::string_view input) {
  std::string out;
  const size_t last_close = input.rfind(kStretchClose);
  size_t position = 0;
  while (position < input.size() && out.size() < kMaxExpandedSize) {
    const size_t open = input.find(kStretchOpen, position);
    const size_t plain_end = open == std::string_view::npos ? input.size() : open;
    out.append(input.substr(position, plain_end - position));
    position = plain_end;
    if (position == input.size()) break;
    const bool closed = last_close != std::string_view::npos && last_close > position;
    const Stretch stretch = ReadStretch(input.substr(position), closed);
    if (stretch.length == 0) {
      out += input[position++];
      continue;
    }
    AppendRepetitions(stretch, out);
    position += stretch.length;
  }
  if (out.size() > kMaxExpandedSize) out.resize(kMaxExpandedSize);
  return out;
}

std::vector<std::string_view> SplitLines(std::string_view text) { return SplitAt(text, '\n'); }

std::vector<std::string_view> SplitFields(std::string_view line) { return SplitAt(line, '|'); }

std::string_view FieldAt(const std::vector<std::string_view>& fields, size_t index) {
  return index < fields.size() ? fields[index] : std::string_view();
}

Variant ReadValue(std::string_view field) {
  if (!field.starts_with('#')) return Variant(field);
  if (field == "#null") return Variant::Null();
  if (field == "#empty") return Variant();
  if (field == "#true") return Variant(true);
  if (field == "#false") return Variant(false);
  if (field == "#obj") return Variant(std::shared_ptr<Object>());
  const size_t colon = field.find(':');
  if (colon == std::string_view::npos) return Variant(field);
  const std::string_view tag = field.substr(0, colon);
  const std::string_view rest = field.substr(colon + 1);
  if (tag == "#int") return Variant::Integer(static_cast<int16_t>(WholeNumber(rest)));
  if (tag == "#long") return Variant::Long(static_cast<int32_t>(WholeNumber(rest)));
  if (tag == "#dbl") return Variant(RealNumber(rest));
  if (tag == "#date") {
    const double serial = RealNumber(rest);
    return IsDateSerial(serial) ? Variant(Date{serial}) : Variant(serial);
  }
  if (tag == "#arr") return ArrayOfTexts(rest);
  return Variant(field);
}

}  // namespace tpl::fuzz
