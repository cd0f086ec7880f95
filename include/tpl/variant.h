// Variant: the tagged value that crosses the public interface, with the
// semantics of the classic automation platform the system was written for.
//
// A Variant holds exactly one of: Empty (never assigned), Null (no data),
// Integer (16-bit), Long (32-bit), Double, Date, String (UTF-8), Boolean,
// Object (reference-counted, shared on copy) or Array (one or two
// dimensions, lower bound 0, copied on copy like the platform's arrays).
//
// Conversions that follow the platform's rules live in conversions.h;
// text, date and number helpers in text.h and datetime.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tpl/bulk_allocator.h"

namespace tpl {

// Type codes as the platform numbers them (VarType).
enum class VarType : uint16_t {
  Empty = 0,
  Null = 1,
  Integer = 2,
  Long = 3,
  Double = 5,
  Date = 7,
  String = 8,
  Object = 9,
  Boolean = 11,
  Array = 0x2000 | 12,  // array of Variants
};

// A point in time as the platform keeps it: days since 30/12/1899, the
// fraction being the time of day. 13/10/2001 10:20 is 37177.430555...
struct Date {
  double serial = 0;
  friend bool operator==(Date a, Date b) { return a.serial == b.serial; }
};

// Base of the reference-counted objects a Variant can hold.
class Object {
 public:
  virtual ~Object() = default;
  virtual std::string TypeName() const = 0;
};

class Array;

class Variant {
 public:
  Variant() noexcept = default;  // Empty
  Variant(int16_t v) noexcept : value_(v) {}
  Variant(int32_t v) noexcept : value_(v) {}
  Variant(double v) noexcept : value_(v) {}
  Variant(Date v) noexcept : value_(v) {}
  Variant(bool v) noexcept : value_(v) {}
  Variant(std::string v) noexcept : value_(std::move(v)) {}
  Variant(std::string_view v) : value_(std::string(v)) {}
  Variant(const char* v) : value_(std::string(v)) {}
  Variant(std::shared_ptr<Object> v) noexcept;
  Variant(Array v);

  Variant(const Variant& other);
  Variant(Variant&& other) noexcept = default;
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept = default;
  ~Variant();

  static Variant Null() noexcept;
  static Variant Integer(int16_t v) noexcept { return Variant(v); }
  static Variant Long(int32_t v) noexcept { return Variant(v); }

  VarType type() const noexcept;
  bool IsEmpty() const noexcept { return value_.index() == kEmpty; }
  bool IsNull() const noexcept { return value_.index() == kNull; }
  bool IsString() const noexcept { return value_.index() == kString; }
  bool IsArray() const noexcept { return value_.index() == kArray; }
  bool IsObject() const noexcept { return value_.index() == kObject; }
  // Integer, Long, Double (the numeric storage types; Boolean and Date not).
  bool IsNumber() const noexcept;

  // Direct access to the stored value. Each requires the matching type and
  // raises a type mismatch (13) otherwise.
  int16_t AsInteger() const;
  int32_t AsLong() const;
  double AsDouble() const;
  Date AsDate() const;
  bool AsBoolean() const;
  const std::string& AsString() const;
  const std::shared_ptr<Object>& AsObject() const;
  Array& AsArray();
  const Array& AsArray() const;

  // Structural equality: same type and same value (arrays element by
  // element, objects by identity). Not the platform's "=" (see Compare).
  friend bool operator==(const Variant& a, const Variant& b);

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
  };
  // Arrays are owned and deep-copied; a pointer keeps Variant small.
  using ArrayBox = std::unique_ptr<Array>;
  enum Index { kEmpty, kNull, kInteger, kLong, kDouble, kDate, kString, kBoolean, kObject, kArray };
  std::variant<std::monostate, NullTag, int16_t, int32_t, double, Date, std::string, bool,
               std::shared_ptr<Object>, ArrayBox>
      value_;
};

// The element storage of arrays and row sets.
using VariantVector = std::vector<Variant, BulkAllocator<Variant>>;

// An array of Variants with one or two dimensions, each indexed from 0 to
// its upper bound. An upper bound of -1 gives an empty dimension.
class Array {
 public:
  Array() = default;  // one dimension, no elements
  static Array Vector(int32_t upper);
  static Array Matrix(int32_t upper_rows, int32_t upper_columns);
  // A matrix over elements already laid out in row order; their count
  // must match the bounds (subscript out of range otherwise).
  static Array Matrix(int32_t upper_rows, int32_t upper_columns, VariantVector elements);

  int Dimensions() const noexcept { return dimensions_; }
  // Upper bound of dimension 1 or 2; subscript out of range (9) otherwise.
  int32_t UBound(int dimension = 1) const;
  size_t size() const noexcept { return elements_.size(); }

  // Element access; subscript out of range (9) outside the bounds or when
  // the number of indexes does not match the dimensions.
  Variant& at(int32_t index);
  const Variant& at(int32_t index) const;
  Variant& at(int32_t row, int32_t column);
  const Variant& at(int32_t row, int32_t column) const;

  // Re-dimensions to new bounds, discarding every element (ReDim).
  void Redim(int32_t upper);
  void Redim(int32_t upper_rows, int32_t upper_columns);

  // Elements in row order (row 0 first) for fast whole-array work.
  VariantVector& elements() noexcept { return elements_; }
  const VariantVector& elements() const noexcept { return elements_; }

  friend bool operator==(const Array& a, const Array& b);

 private:
  int dimensions_ = 1;
  int32_t upper_[2] = {-1, -1};
  VariantVector elements_;
};

}  // namespace tpl
