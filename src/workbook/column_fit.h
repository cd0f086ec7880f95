// Sizing columns to their content, as the spreadsheet's AutoFit does it:
// every cell's shown text is measured in pixels of the default font
// (Calibri 11 on a 96 dpi screen, where a digit is 7 pixels wide), and the
// column gets the width of its widest cell plus the cell margins. Widths
// are measured in digits, the unit of a column's width.
//
// What a cell shows depends on its number format, so the format codes are
// read here too: a date format shows every date with the same number of
// characters, a fixed-decimals format a number with its integer digits and
// a set number of places, "@" and General show the value's own text.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tpl::workbook {

// Pixels of the default font. Bold letters are about a tenth wider.
inline constexpr int kDigitPixels = 7;

// A number format code as far as showing values goes.
class NumberFormat {
 public:
  enum class Kind {
    General,  // "" or "General": the value's own text
    Text,     // "@": the value's own text, typed text stays text
    Fixed,    // "0", "0.00", "0.000"...: a number with a set number of places
    Date,     // day, month, year, hour, minute or second tokens
  };

  NumberFormat() = default;
  explicit NumberFormat(std::string_view code);

  Kind kind() const noexcept { return kind_; }
  int decimals() const noexcept { return decimals_; }

  // Pixels of a number shown in this format (a date format shows the date
  // of that serial).
  int NumberPixels(double value) const;

 private:
  Kind kind_ = Kind::General;
  int decimals_ = 0;
  int date_pixels_ = 0;  // every date shows this wide in a date format
};

// Pixels of a UTF-8 text in the default font. Accented letters count as
// their base letter; characters of wide scripts as two digits.
int TextPixels(std::string_view text, bool bold = false);

// Pixels of a number shown with the General format: at most 11 characters,
// as the spreadsheet shows it before it turns to scientific notation.
int GeneralNumberPixels(double value);

// Width (in digits) of a column whose widest content is `pixels` wide:
// that content plus the cell margins, at most the largest width a column
// may have (255).
double ColumnWidth(int pixels);

// The widest content seen in each column of a sheet (columns from 1).
class ColumnFit {
 public:
  void Fit(int32_t column, int pixels) {
    if (static_cast<size_t>(column) >= widest_.size()) widest_.resize(column + 1, 0);
    if (pixels > widest_[column]) widest_[column] = pixels;
  }
  // 0 for a column that holds nothing measured.
  int Widest(int32_t column) const {
    return static_cast<size_t>(column) < widest_.size() ? widest_[column] : 0;
  }
  int32_t LastColumn() const { return static_cast<int32_t>(widest_.size()) - 1; }

 private:
  std::vector<int> widest_;
};

}  // namespace tpl::workbook
