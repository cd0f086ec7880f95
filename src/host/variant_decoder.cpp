#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "host/input_error.h"
#include "host/iso_date.h"
#include "host/variant_json.h"
#include "tpl/dictionary.h"

namespace tpl::host {

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
