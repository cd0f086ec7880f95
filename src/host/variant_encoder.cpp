#include <cmath>
#include <memory>

#include "host/iso_date.h"
#include "host/variant_json.h"
#include "tpl/dictionary.h"

namespace tpl::host {

namespace {

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

}  // namespace tpl::host
