// Text routines on UTF-8 strings, counting characters. A byte that does not
// start a valid UTF-8 sequence counts as one character of its own, so no
// text can make these routines fail.
#include "tpl/text.h"

#include <utf8proc.h>

#include "tpl/runtime_error.h"

namespace tpl {
namespace {

// Length in bytes of the character starting at `at` (1 for an invalid byte).
size_t CharBytes(std::string_view text, size_t at) {
  if (static_cast<unsigned char>(text[at]) < 0x80) return 1;
  utf8proc_int32_t code_point = 0;
  const auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + at),
                                  static_cast<utf8proc_ssize_t>(text.size() - at), &code_point);
  return n > 0 ? static_cast<size_t>(n) : 1;
}

// Byte offset of character `index` (0-based); text.size() when past the end.
size_t ByteOffset(std::string_view text, size_t index) {
  size_t at = 0;
  for (; index > 0 && at < text.size(); --index) at += CharBytes(text, at);
  return at;
}

template <typename Map>
std::string MapCase(std::string_view text, Map map) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      out += static_cast<char>(map(byte));
      ++at;
      continue;
    }
    utf8proc_int32_t code_point = 0;
    const auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + at),
                                    static_cast<utf8proc_ssize_t>(text.size() - at), &code_point);
    if (n <= 0) {
      out += text[at++];  // invalid byte kept as it is
      continue;
    }
    utf8proc_uint8_t buffer[4];
    const auto written = utf8proc_encode_char(map(code_point), buffer);
    out.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(written));
    at += static_cast<size_t>(n);
  }
  return out;
}

// Byte offset of the first occurrence of needle at a character boundary at
// or after byte `from`, or npos.
size_t FindAtBoundary(std::string_view text, std::string_view needle, size_t from) {
  // The byte search finds candidates; walking the characters from the last
  // boundary tells whether one starts a character.
  size_t boundary = from;
  for (size_t found = text.find(needle, from); found != std::string_view::npos;
       found = text.find(needle, boundary)) {
    while (boundary < found) boundary += CharBytes(text, boundary);
    if (boundary == found) return found;
  }
  return std::string_view::npos;
}

}  // namespace

size_t Len(std::string_view text) {
  size_t count = 0;
  for (size_t at = 0; at < text.size(); at += CharBytes(text, at)) ++count;
  return count;
}

std::string Mid(std::string_view text, size_t start, size_t length) {
  if (start < 1) Raise(error::kInvalidProcedureCall);
  const size_t begin = ByteOffset(text, start - 1);
  const std::string_view rest = text.substr(begin);
  return std::string(rest.substr(0, ByteOffset(rest, length)));
}

std::string Left(std::string_view text, size_t length) {
  return std::string(text.substr(0, ByteOffset(text, length)));
}

std::string Right(std::string_view text, size_t length) {
  const size_t count = Len(text);
  if (length >= count) return std::string(text);
  return std::string(text.substr(ByteOffset(text, count - length)));
}

std::string LTrim(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string RTrim(std::string_view text) {
  const size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string Trim(std::string_view text) { return LTrim(RTrim(text)); }

std::string UCase(std::string_view text) {
  // "ß" stays as it is, as on the platform (no capital sharp s).
  return MapCase(text, [](utf8proc_int32_t c) { return c == 0xDF ? c : utf8proc_toupper(c); });
}

std::string LCase(std::string_view text) { return MapCase(text, utf8proc_tolower); }

size_t InStr(std::string_view text, std::string_view needle, size_t start) {
  if (start < 1) Raise(error::kInvalidProcedureCall);
  if (text.empty() || start > Len(text)) return 0;
  if (needle.empty()) return start;
  const size_t found = FindAtBoundary(text, needle, ByteOffset(text, start - 1));
  return found == std::string_view::npos ? 0 : Len(text.substr(0, found)) + 1;
}

std::string Replace(std::string_view text, std::string_view find, std::string_view with) {
  if (find.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  for (size_t found; (found = FindAtBoundary(text, find, at)) != std::string_view::npos;) {
    out.append(text.substr(at, found - at));
    out.append(with);
    at = found + find.size();
  }
  out.append(text.substr(at));
  return out;
}

}  // namespace tpl
