#include "workbook/column_fit.h"

#include <utf8proc.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace tpl::workbook {
namespace {

// Pixel widths of the printable ASCII characters in Calibri 11, grouped by
// width. Characters not listed (controls) take no room.
constexpr std::array<unsigned char, 128> AsciiPixels() {
  std::array<unsigned char, 128> pixels{};
  struct Group {
    const char* characters;
    unsigned char width;
  };
  constexpr Group kGroups[] = {
      {"W@", 13},
      {"mM", 12},
      {"w%", 11},
      {"NOQ&", 10},
      {"ADGHUV", 9},
      {"bdehnopquBCKPRX", 8},
      {"0123456789agkvxyEFSTYZ#$*+<=>?^_|~", 7},
      {"cszL\"/\\", 6},
      {"frtJ!()-[]{}", 5},
      {"ijlI,.:;`", 4},
      {"' ", 3},
  };
  for (const Group& group : kGroups) {
    for (const char* c = group.characters; *c != '\0'; ++c) pixels[static_cast<size_t>(*c)] = group.width;
  }
  return pixels;
}

constexpr std::array<unsigned char, 128> kAsciiPixels = AsciiPixels();

constexpr int kUnknownCharacterPixels = 8;
constexpr int kWideCharacterPixels = 2 * kDigitPixels;
// The largest width a column may have, in digits.
constexpr double kMaxColumnWidth = 255;
// Room AutoFit leaves around a cell's text, in pixels.
constexpr int kCellMargin = 7;
// What a column's width already holds beside its digits.
constexpr int kColumnPadding = 5;
// General shows at most this many characters of a number.
constexpr size_t kGeneralNumberCharacters = 11;

// Width of a character outside ASCII: the base letter of an accented
// Latin letter, two digits for the wide scripts, an average letter
// otherwise.
int OtherCharacterPixels(utf8proc_int32_t code_point) {
  if (utf8proc_charwidth(code_point) >= 2) return kWideCharacterPixels;
  utf8proc_int32_t parts[4];
  int last_boundclass = 0;
  const auto n = utf8proc_decompose_char(code_point, parts, 4, UTF8PROC_DECOMPOSE,
                                         &last_boundclass);
  if (n > 0 && parts[0] >= 0 && parts[0] < 128 && kAsciiPixels[parts[0]] > 0)
    return kAsciiPixels[parts[0]];
  return kUnknownCharacterPixels;
}

int IntegerDigits(double magnitude) {
  if (magnitude < 1e15) {
    int digits = 1;
    for (double power = 10; magnitude >= power; power *= 10) ++digits;
    return digits;
  }
  return static_cast<int>(std::floor(std::log10(magnitude))) + 1;
}

bool IsDateToken(char c) {
  switch (c) {
    case 'd': case 'D': case 'm': case 'M': case 'y': case 'Y':
    case 'h': case 'H': case 's': case 'S':
      return true;
    default:
      return false;
  }
}

}  // namespace

NumberFormat::NumberFormat(std::string_view code) {
  if (code.empty() || code == "General") return;
  if (code == "@") {
    kind_ = Kind::Text;
    return;
  }
  if (std::any_of(code.begin(), code.end(), IsDateToken)) {
    // Every token shows as digits ("dd" two, "yyyy" four); the separators
    // show as themselves.
    kind_ = Kind::Date;
    for (char c : code) {
      date_pixels_ += IsDateToken(c) ? kDigitPixels : TextPixels(std::string_view(&c, 1));
    }
    return;
  }
  if (code.find_first_not_of("0#,.") != std::string_view::npos) return;  // shown as General
  kind_ = Kind::Fixed;
  size_t point = code.find('.');
  if (point != std::string_view::npos) decimals_ = static_cast<int>(code.size() - point - 1);
}

int NumberFormat::NumberPixels(double value) const {
  switch (kind_) {
    case Kind::Date:
      return date_pixels_;
    case Kind::Fixed: {
      double magnitude = std::fabs(value);
      int pixels = IntegerDigits(magnitude) * kDigitPixels;
      if (value < 0 && magnitude * std::pow(10.0, decimals_) >= 0.5) pixels += kAsciiPixels['-'];
      if (decimals_ > 0) pixels += kAsciiPixels[','] + decimals_ * kDigitPixels;
      return pixels;
    }
    case Kind::General:
    case Kind::Text:
      break;
  }
  return GeneralNumberPixels(value);
}

int GeneralNumberPixels(double value) {
  char text[64];
  auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 10);
  if (error != std::errc()) return static_cast<int>(kGeneralNumberCharacters) * kDigitPixels;
  size_t length = std::min(static_cast<size_t>(end - text), kGeneralNumberCharacters);
  return TextPixels(std::string_view(text, length));
}

int TextPixels(std::string_view text, bool bold) {
  int pixels = 0;
  for (size_t at = 0; at < text.size();) {
    unsigned char byte = static_cast<unsigned char>(text[at]);
    if (byte < 128) {
      pixels += kAsciiPixels[byte];
      ++at;
      continue;
    }
    utf8proc_int32_t code_point = 0;
    const auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + at),
                                    static_cast<utf8proc_ssize_t>(text.size() - at), &code_point);
    if (n <= 0) {  // an invalid byte shows as a replacement character
      pixels += kUnknownCharacterPixels;
      ++at;
      continue;
    }
    pixels += OtherCharacterPixels(code_point);
    at += static_cast<size_t>(n);
  }
  return bold ? (pixels * 11 + 9) / 10 : pixels;
}

double ColumnWidth(int pixels) {
  double width = static_cast<double>(pixels + kCellMargin - kColumnPadding) / kDigitPixels;
  return std::clamp(width, 1.0, kMaxColumnWidth);
}

}  // namespace tpl::workbook
