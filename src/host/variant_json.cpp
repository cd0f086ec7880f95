#include "host/variant_json.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "tpl/datetime.h"
#include "tpl/dictionary.h"

namespace tpl::host {

namespace {

// Dates: "yyyy-mm-ddThh:mm:ss", or "yyyy-mm-dd" for midnight on input.
// Only these two exact shapes are read, so that a value typed by hand is
// never guessed at the way the platform's lenient date recognition would.

// Reads exactly `width` decimal digits at `position`.
bool ReadDigits(std::string_view text, size_t position, size_t width, int& out) {
  if (position + width > text.size()) return false;
  int value = 0;
  for (size_t i = position; i < position + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  out = value;
  return true;
}

// Always with the time, to the second: "yyyy-mm-ddThh:mm:ss".
void AppendIsoDate(Date date, std::string& out) {
  const DateParts parts = SplitDate(date);
  char text[80];
  if (parts.year < 0 || parts.year > 9999) {  // a serial no date function makes
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", parts.year, parts.month, parts.day,
                  parts.hour, parts.minute, parts.second);
    out += text;
    return;
  }
  const auto two = [](char* at, int value) {
    at[0] = static_cast<char>('0' + value / 10);
    at[1] = static_cast<char>('0' + value % 10);
  };
  two(text, parts.year / 100);
  two(text + 2, parts.year % 100);
  text[4] = '-';
  two(text + 5, parts.month);
  text[7] = '-';
  two(text + 8, parts.day);
  text[10] = 'T';
  two(text + 11, parts.hour);
  text[13] = ':';
  two(text + 14, parts.minute);
  text[16] = ':';
  two(text + 17, parts.second);
  out.append(text, 19);
}

// False when the text has another shape or names no real date and time.
bool TryParseIsoDate(std::string_view text, Date& out) {
  constexpr size_t kDateLength = 10;      // yyyy-mm-dd
  constexpr size_t kDateTimeLength = 19;  // yyyy-mm-ddThh:mm:ss
  if (text.size() != kDateLength && text.size() != kDateTimeLength) return false;

  DateParts parts;
  if (!ReadDigits(text, 0, 4, parts.year) || text[4] != '-' ||
      !ReadDigits(text, 5, 2, parts.month) || text[7] != '-' ||
      !ReadDigits(text, 8, 2, parts.day)) {
    return false;
  }
  if (text.size() == kDateTimeLength) {
    if (text[10] != 'T' || !ReadDigits(text, 11, 2, parts.hour) || text[13] != ':' ||
        !ReadDigits(text, 14, 2, parts.minute) || text[16] != ':' ||
        !ReadDigits(text, 17, 2, parts.second)) {
      return false;
    }
  }
  return TryMakeDate(parts, out);
}

// Encoding: written straight to text, in the compact form nlohmann's dump
// gives the same tree, so that an answer of many rows builds no JSON tree.

// Length of the UTF-8 sequence starting at `at`, or 0 when the bytes there
// are not one: overlong forms, surrogates and code points past U+10FFFF
// are not UTF-8 either.
size_t Utf8SequenceLength(std::string_view text, size_t at) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  }
  return length;
}

void AppendEscape(unsigned char byte, std::string& out) {
  switch (byte) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: {
      char text[8];
      std::snprintf(text, sizeof text, "\\u%04x", byte);
      out += text;
    }
  }
}

template <typename Whole>
void AppendWhole(Whole value, std::string& out) {
  char text[24];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  out.append(text, end);
}

void AppendDouble(double value, std::string& out) {
  if (std::isnan(value)) {
    out += "\"NaN\"";
  } else if (std::isinf(value)) {
    out += value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
  } else {
    out += Json(value).dump();  // the shortest text that reads back bit for bit
  }
}

void AppendArray(const Array& array, std::string& out) {
  if (array.Dimensions() == 1) {
    out += "{\"Array\":[";
    bool first = true;
    for (const Variant& element : array.elements()) {
      if (!first) out += ',';
      first = false;
      AppendVariantJson(element, out);
    }
    out += "]}";
    return;
  }
  out += "{\"Matrix\":[";
  for (int32_t row = 0; row <= array.UBound(1); ++row) {
    out += row == 0 ? "[" : ",[";
    for (int32_t column = 0; column <= array.UBound(2); ++column) {
      if (column > 0) out += ',';
      AppendVariantJson(array.at(row, column), out);
    }
    out += ']';
  }
  out += "]}";
}

void AppendObject(const std::shared_ptr<Object>& object, std::string& out) {
  if (!object) {
    out += "{\"Object\":\"Nothing\"}";
    return;
  }
  if (const auto* dictionary = dynamic_cast<const Dictionary*>(object.get())) {
    out += "{\"Dictionary\":{";
    bool first = true;
    for (const auto& [key, item] : dictionary->entries()) {
      if (!first) out += ',';
      first = false;
      AppendJsonString(key, out);
      out += ':';
      AppendVariantJson(item, out);
    }
    out += "}}";
    return;
  }
  out += "{\"Object\":";
  AppendJsonString(object->TypeName(), out);
  out += '}';
}

}  // namespace

void AppendJsonString(std::string_view text, std::string& out) {
  const size_t start = out.size();
  out += '"';
  size_t copied = 0;  // bytes of `text` already in `out`
  for (size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x80) {
      const size_t length = Utf8SequenceLength(text, at);
      if (length == 0) {
        // Bytes that are not UTF-8 become U+FFFD by nlohmann's own rules of
        // how many bytes one replacement covers; its dump writes this text.
        out.resize(start);
        out += Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
        return;
      }
      at += length;
    } else if (byte < 0x20 || byte == '"' || byte == '\\') {
      out.append(text.data() + copied, at - copied);
      AppendEscape(byte, out);
      copied = ++at;
    } else {
      ++at;
    }
  }
  out.append(text.data() + copied, text.size() - copied);
  out += '"';
}

void AppendVariantJson(const Variant& value, std::string& out) {
  switch (value.type()) {
    case VarType::Empty:
      out += "{\"Empty\":null}";
      return;
    case VarType::Null:
      out += "null";
      return;
    case VarType::Integer:
      out += "{\"Integer\":";
      AppendWhole(value.AsInteger(), out);
      out += '}';
      return;
    case VarType::Long:
      out += "{\"Long\":";
      AppendWhole(value.AsLong(), out);
      out += '}';
      return;
    case VarType::Double:
      out += "{\"Double\":";
      AppendDouble(value.AsDouble(), out);
      out += '}';
      return;
    case VarType::Date:
      out += "{\"Date\":\"";
      AppendIsoDate(value.AsDate(), out);
      out += "\"}";
      return;
    case VarType::String:
      AppendJsonString(value.AsString(), out);
      return;
    case VarType::Boolean:
      out += value.AsBoolean() ? "true" : "false";
      return;
    case VarType::Object:
      AppendObject(value.AsObject(), out);
      return;
    case VarType::Array:
      AppendArray(value.AsArray(), out);
      return;
  }
}

Json EncodeVariant(const Variant& value) {
  std::string text;
  AppendVariantJson(value, text);
  return Json::parse(text);
}

// Decoding: the tagged forms, bare numbers, and dates with or without
// their time.

namespace {

[[noreturn]] void Refuse(const std::string& where, const std::string& problem) {
  throw InputError(where + ": " + problem);
}

// The value of a JSON number written without fraction or exponent, when it
// fits in 64 bits.
std::optional<int64_t> IntegerLiteral(const Json& json) {
  if (json.is_number_unsigned()) {
    const uint64_t value = json.get<uint64_t>();
    if (value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
    return static_cast<int64_t>(value);
  }
  if (json.is_number_integer()) return json.get<int64_t>();
  return std::nullopt;
}

template <typename Whole>
Whole DecodeWhole(const Json& json, const std::string& where, const char* range) {
  const std::optional<int64_t> value = IntegerLiteral(json);
  if (!value) Refuse(where, std::string("expected a whole number ") + range);
  if (*value < std::numeric_limits<Whole>::min() || *value > std::numeric_limits<Whole>::max()) {
    Refuse(where, std::to_string(*value) + " is outside " + range);
  }
  return static_cast<Whole>(*value);
}

Variant DecodeBareNumber(const Json& json) {
  const double value = json.get<double>();
  const std::optional<int64_t> literal = IntegerLiteral(json);
  const bool whole = literal || (std::isfinite(value) && value == std::trunc(value));
  const bool fits = literal ? (*literal >= std::numeric_limits<int32_t>::min() &&
                               *literal <= std::numeric_limits<int32_t>::max())
                            : (value >= std::numeric_limits<int32_t>::min() &&
                               value <= std::numeric_limits<int32_t>::max());
  if (whole && fits) {
    return Variant::Long(literal ? static_cast<int32_t>(*literal) : static_cast<int32_t>(value));
  }
  return Variant(value);
}

Variant DecodeEmpty(const Json& json, const std::string& where) {
  if (!json.is_null()) Refuse(where, "Empty takes null, as in {\"Empty\":null}");
  return Variant();
}

Variant DecodeInteger(const Json& json, const std::string& where) {
  return Variant::Integer(DecodeWhole<int16_t>(json, where, "-32768..32767 (16-bit Integer)"));
}

Variant DecodeLong(const Json& json, const std::string& where) {
  return Variant::Long(
      DecodeWhole<int32_t>(json, where, "-2147483648..2147483647 (32-bit Long)"));
}

Variant DecodeDouble(const Json& json, const std::string& where) {
  if (json.is_number()) return Variant(json.get<double>());
  if (json.is_string()) {
    const auto& text = json.get_ref<const std::string&>();
    if (text == "NaN") return Variant(std::numeric_limits<double>::quiet_NaN());
    if (text == "Infinity") return Variant(std::numeric_limits<double>::infinity());
    if (text == "-Infinity") return Variant(-std::numeric_limits<double>::infinity());
  }
  Refuse(where, "expected a number, \"NaN\", \"Infinity\" or \"-Infinity\"");
}

Variant DecodeDate(const Json& json, const std::string& where) {
  Date date;
  if (!json.is_string() || !TryParseIsoDate(json.get_ref<const std::string&>(), date)) {
    Refuse(where, "expected a real date as \"yyyy-mm-dd\" or \"yyyy-mm-ddThh:mm:ss\"");
  }
  return Variant(date);
}

Variant DecodeArray(const Json& json, const std::string& where) {
  if (!json.is_array()) Refuse(where, "expected a JSON array of values");
  Array array = Array::Vector(static_cast<int32_t>(json.size()) - 1);
  for (size_t i = 0; i < json.size(); ++i) {
    array.at(static_cast<int32_t>(i)) = DecodeVariant(json[i], where + "[" + std::to_string(i) + "]");
  }
  return Variant(std::move(array));
}

Variant DecodeMatrix(const Json& json, const std::string& where) {
  if (!json.is_array()) Refuse(where, "expected a JSON array of rows");
  const size_t columns = json.empty() || !json[0].is_array() ? 0 : json[0].size();
  for (size_t row = 0; row < json.size(); ++row) {
    const std::string row_where = where + "[" + std::to_string(row) + "]";
    if (!json[row].is_array()) Refuse(row_where, "expected a row as a JSON array");
    if (json[row].size() != columns) {
      Refuse(row_where, "has " + std::to_string(json[row].size()) + " values where row 0 has " +
                            std::to_string(columns));
    }
  }
  const auto upper_rows = static_cast<int32_t>(json.size()) - 1;
  const auto upper_columns = json.empty() ? -1 : static_cast<int32_t>(columns) - 1;
  Array matrix = Array::Matrix(upper_rows, upper_columns);
  for (int32_t row = 0; row <= upper_rows; ++row) {
    for (int32_t column = 0; column <= upper_columns; ++column) {
      matrix.at(row, column) =
          DecodeVariant(json[row][column], where + "[" + std::to_string(row) + "][" +
                                               std::to_string(column) + "]");
    }
  }
  return Variant(std::move(matrix));
}

Variant DecodeDictionary(const Json& json, const std::string& where) {
  if (!json.is_object()) Refuse(where, "expected a JSON object of items");
  auto dictionary = std::make_shared<Dictionary>();
  for (const auto& [key, item] : json.items()) {
    dictionary->Add(key, DecodeVariant(item, where + "[\"" + key + "\"]"));
  }
  return Variant(std::shared_ptr<Object>(std::move(dictionary)));
}

Variant DecodeObject(const Json& json, const std::string& where) {
  if (json != "Nothing") {
    Refuse(where, "only an unset reference, {\"Object\":\"Nothing\"}, can be given; "
                  "other objects cannot be built from JSON");
  }
  return Variant(std::shared_ptr<Object>());
}

struct Tag {
  std::string_view name;
  Variant (*decode)(const Json&, const std::string&);
};

constexpr Tag kTags[] = {
    {"Empty", DecodeEmpty},   {"Integer", DecodeInteger}, {"Long", DecodeLong},
    {"Double", DecodeDouble}, {"Date", DecodeDate},       {"Array", DecodeArray},
    {"Matrix", DecodeMatrix}, {"Dictionary", DecodeDictionary}, {"Object", DecodeObject},
};

Variant DecodeTagged(const Json& json, const std::string& where) {
  if (json.size() != 1) {
    Refuse(where, "a tagged value is an object with exactly one key, such as {\"Long\":7}; "
                  "this one has " + std::to_string(json.size()));
  }
  const auto entry = json.begin();
  const std::string& name = entry.key();
  for (const Tag& tag : kTags) {
    if (tag.name == name) return tag.decode(entry.value(), where + "." + name);
  }
  Refuse(where, "unknown tag \"" + name +
                    "\" (Empty, Integer, Long, Double, Date, Array, Matrix, Dictionary, Object)");
}

}  // namespace

Variant DecodeVariant(const Json& json, const std::string& where) {
  switch (json.type()) {
    case Json::value_t::null:
      return Variant::Null();
    case Json::value_t::boolean:
      return Variant(json.get<bool>());
    case Json::value_t::string:
      return Variant(json.get<std::string>());
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
      return DecodeBareNumber(json);
    case Json::value_t::object:
      return DecodeTagged(json, where);
    case Json::value_t::array:
      Refuse(where, "a bare JSON array is not a value; write {\"Array\":[...]} or "
                    "{\"Matrix\":[[...]]}");
    default:
      Refuse(where, "not a value of the encoding");
  }
}

}  // namespace tpl::host
