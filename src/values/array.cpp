// Arrays of Variants with one or two dimensions, lower bound 0.
#include "tpl/runtime_error.h"
#include "tpl/variant.h"

namespace tpl {
namespace {

// Number of elements of a dimension with the given upper bound; a bound
// below -1 is refused as the platform refuses ReDim a(-2).
size_t Extent(int32_t upper) {
  if (upper < -1) Raise(error::kSubscriptOutOfRange);
  return static_cast<size_t>(upper) + 1;
}

}  // namespace

Array Array::Vector(int32_t upper) {
  Array a;
  a.Redim(upper);
  return a;
}

Array Array::Matrix(int32_t upper_rows, int32_t upper_columns) {
  Array a;
  a.Redim(upper_rows, upper_columns);
  return a;
}

Array Array::Matrix(int32_t upper_rows, int32_t upper_columns, VariantVector elements) {
  if (elements.size() != Extent(upper_rows) * Extent(upper_columns)) {
    Raise(error::kSubscriptOutOfRange);
  }
  Array a;
  a.elements_ = std::move(elements);
  a.dimensions_ = 2;
  a.upper_[0] = upper_rows;
  a.upper_[1] = upper_columns;
  return a;
}

int32_t Array::UBound(int dimension) const {
  if (dimension < 1 || dimension > dimensions_) Raise(error::kSubscriptOutOfRange);
  return upper_[dimension - 1];
}

Variant& Array::at(int32_t index) {
  return const_cast<Variant&>(static_cast<const Array&>(*this).at(index));
}

const Variant& Array::at(int32_t index) const {
  if (dimensions_ != 1 || index < 0 || index > upper_[0]) Raise(error::kSubscriptOutOfRange);
  return elements_[static_cast<size_t>(index)];
}

Variant& Array::at(int32_t row, int32_t column) {
  return const_cast<Variant&>(static_cast<const Array&>(*this).at(row, column));
}

const Variant& Array::at(int32_t row, int32_t column) const {
  if (dimensions_ != 2 || row < 0 || row > upper_[0] || column < 0 || column > upper_[1]) {
    Raise(error::kSubscriptOutOfRange);
  }
  const size_t columns = static_cast<size_t>(upper_[1]) + 1;
  return elements_[static_cast<size_t>(row) * columns + static_cast<size_t>(column)];
}

void Array::Redim(int32_t upper) {
  const size_t count = Extent(upper);
  elements_.clear();
  elements_.resize(count);
  dimensions_ = 1;
  upper_[0] = upper;
  upper_[1] = -1;
}

void Array::Redim(int32_t upper_rows, int32_t upper_columns) {
  const size_t count = Extent(upper_rows) * Extent(upper_columns);
  elements_.clear();
  elements_.resize(count);
  dimensions_ = 2;
  upper_[0] = upper_rows;
  upper_[1] = upper_columns;
}

bool operator==(const Array& a, const Array& b) {
  return a.dimensions_ == b.dimensions_ && a.upper_[0] == b.upper_[0] &&
         a.upper_[1] == b.upper_[1] && a.elements_ == b.elements_;
}

}  // namespace tpl
