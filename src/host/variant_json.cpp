#include "host/variant_json.h"

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

// Always with the time, to the second.
std::string FormatIsoDate(Date date) {
  const DateParts parts = SplitDate(date);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", parts.year, parts.month,
                parts.day, parts.hour, parts.minute, parts.second);
  return text;
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

// Encoding: always the tagged forms for numbers and dates.

Json Tagged(const char* tag, Json value) {
  Json tagged = Json::object();
  tagged[tag] = std::move(value);
  return tagged;
}

Json EncodeDouble(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  return value;
}

Json EncodeArray(const Array& array) {
  Json elements = Json::array();
  if (array.Dimensions() == 1) {
    for (const Variant& element : array.elements()) elements.push_back(EncodeVariant(element));
    return Tagged("Array", std::move(elements));
  }
  for (int32_t row = 0; row <= array.UBound(1); ++row) {
    Json cells = Json::array();
    for (int32_t column = 0; column <= array.UBound(2); ++column) {
      cells.push_back(EncodeVariant(array.at(row, column)));
    }
    elements.push_back(std::move(cells));
  }
  return Tagged("Matrix", std::move(elements));
}

Json EncodeObject(const std::shared_ptr<Object>& object) {
  if (!object) return Tagged("Object", "Nothing");
  if (const auto* dictionary = dynamic_cast<const Dictionary*>(object.get())) {
    Json items = Json::object();
    for (const auto& [key, item] : dictionary->entries()) items[key] = EncodeVariant(item);
    return Tagged("Dictionary", std::move(items));
  }
  return Tagged("Object", object->TypeName());
}

}  // namespace

Json EncodeVariant(const Variant& value) {
  switch (value.type()) {
    case VarType::Empty:
      return Tagged("Empty", nullptr);
    case VarType::Null:
      return nullptr;
    case VarType::Integer:
      return Tagged("Integer", value.AsInteger());
    case VarType::Long:
      return Tagged("Long", value.AsLong());
    case VarType::Double:
      return Tagged("Double", EncodeDouble(value.AsDouble()));
    case VarType::Date:
      return Tagged("Date", FormatIsoDate(value.AsDate()));
    case VarType::String:
      return value.AsString();
    case VarType::Boolean:
      return value.AsBoolean();
    case VarType::Object:
      return EncodeObject(value.AsObject());
    case VarType::Array:
      return EncodeArray(value.AsArray());
  }
  return nullptr;
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
