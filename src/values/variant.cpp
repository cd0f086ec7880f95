// The Variant itself: construction, copying (arrays deep, objects shared),
// type codes, typed access and structural equality.
#include "tpl/variant.h"

#include "tpl/runtime_error.h"

namespace tpl {

// A matrix of a million cells must stay affordable.
static_assert(sizeof(Variant) <= 40, "Variant must stay within 40 bytes");

Variant::Variant(std::shared_ptr<Object> v) noexcept : value_(std::move(v)) {}

Variant::Variant(Array v) : value_(std::make_unique<Array>(std::move(v))) {}

Variant::Variant(const Variant& other) : value_(std::monostate{}) { *this = other; }

Variant& Variant::operator=(const Variant& other) {
  if (this == &other) return *this;
  if (other.value_.index() == kArray) {
    // Arrays are values on the platform: the copy owns its own elements.
    const ArrayBox& box = std::get<kArray>(other.value_);
    value_ = std::make_unique<Array>(box ? *box : Array());
    return *this;
  }
  switch (other.value_.index()) {
    case kEmpty: value_ = std::monostate{}; break;
    case kNull: value_ = NullTag{}; break;
    case kInteger: value_ = std::get<kInteger>(other.value_); break;
    case kLong: value_ = std::get<kLong>(other.value_); break;
    case kDouble: value_ = std::get<kDouble>(other.value_); break;
    case kDate: value_ = std::get<kDate>(other.value_); break;
    case kString: value_ = std::get<kString>(other.value_); break;
    case kBoolean: value_ = std::get<kBoolean>(other.value_); break;
    case kObject: value_ = std::get<kObject>(other.value_); break;
    default: value_ = std::monostate{}; break;  // valueless after a failed assignment
  }
  return *this;
}

Variant::~Variant() = default;

Variant Variant::Null() noexcept {
  Variant v;
  v.value_ = NullTag{};
  return v;
}

VarType Variant::type() const noexcept {
  switch (value_.index()) {
    case kNull: return VarType::Null;
    case kInteger: return VarType::Integer;
    case kLong: return VarType::Long;
    case kDouble: return VarType::Double;
    case kDate: return VarType::Date;
    case kString: return VarType::String;
    case kBoolean: return VarType::Boolean;
    case kObject: return VarType::Object;
    case kArray: return VarType::Array;
    default: return VarType::Empty;
  }
}

bool Variant::IsNumber() const noexcept {
  const auto i = value_.index();
  return i == kInteger || i == kLong || i == kDouble;
}

namespace {
template <size_t I, typename V>
const auto& Get(const V& value) {
  if (value.index() != I) Raise(error::kTypeMismatch);
  return std::get<I>(value);
}
}  // namespace

int16_t Variant::AsInteger() const { return Get<kInteger>(value_); }
int32_t Variant::AsLong() const { return Get<kLong>(value_); }
double Variant::AsDouble() const { return Get<kDouble>(value_); }
Date Variant::AsDate() const { return Get<kDate>(value_); }
bool Variant::AsBoolean() const { return Get<kBoolean>(value_); }
const std::string& Variant::AsString() const { return Get<kString>(value_); }
const std::shared_ptr<Object>& Variant::AsObject() const { return Get<kObject>(value_); }

Array& Variant::AsArray() {
  if (value_.index() != kArray) Raise(error::kTypeMismatch);
  ArrayBox& box = std::get<kArray>(value_);
  if (!box) box = std::make_unique<Array>();  // a moved-from array reads as empty
  return *box;
}

const Array& Variant::AsArray() const {
  static const Array kEmptyArray;
  const ArrayBox& box = Get<kArray>(value_);
  return box ? *box : kEmptyArray;
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.value_.index() != b.value_.index()) return false;
  if (a.value_.index() == Variant::kArray) return a.AsArray() == b.AsArray();
  return a.value_ == b.value_;
}

}  // namespace tpl
