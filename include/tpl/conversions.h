// Conversions and comparisons of Variants with the rules of the classic
// automation platform, under the fixed Brazilian Portuguese regional
// settings (decimal comma, thousands point, dd/mm/yyyy).
//
// Each TryTo... conversion never throws and reports failure by returning
// false; each C... conversion calls it and raises the platform's numbered
// error instead: type mismatch (13), overflow (6), invalid use of Null (94).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tpl/variant.h"

namespace tpl {

// --- conversions -----------------------------------------------------------

// Empty gives 0, Boolean -1 or 0, a Date its serial number, a String its
// number read under the regional settings ("1,5" is 1.5, "1.000" is 1000).
// Texts are read as the platform reads them: blanks around, a sign before
// or after ("3-"), parentheses for a negative ("(3)"), the currency symbol
// ("R$ 10,50"), thousands points anywhere after the first digit and never
// checked for grouping ("1.5" is 15), one decimal comma, an exponent
// ("1E3"), or "&H1F" / "&O17". A text beyond the range of a Double is an
// overflow (6); a date text is not a number.
bool TryToDouble(const Variant& v, double& out);
// Whole numbers round half to even (2.5 gives 2, 3.5 gives 4), then must
// fit the type (overflow otherwise: CInt(32767.5) fails). "&HFFFF" is -1 as
// an Integer and 65535 as a Long.
bool TryToInteger(const Variant& v, int16_t& out);
bool TryToLong(const Variant& v, int32_t& out);
// Empty gives "", numbers their regional text (0.5 gives "0,5"), Booleans
// "Verdadeiro"/"Falso", dates "13/10/2001 10:20:00" (time left out at
// midnight, date left out on day zero). Doubles keep 15 significant digits
// and switch to scientific notation below 1E-04 and from 1E+15 ("1E-05",
// "1E+20"); Arrays and Objects give a type mismatch.
bool TryToText(const Variant& v, std::string& out);
bool TryToBoolean(const Variant& v, bool& out);
// Strings go through the lenient date recognition of datetime.h; numbers
// are serials and must lie between 01/01/100 and 31/12/9999 (overflow).
bool TryToDate(const Variant& v, Date& out);

double CDbl(const Variant& v);
int16_t CInt(const Variant& v);
int32_t CLng(const Variant& v);
std::string CStr(const Variant& v);
bool CBool(const Variant& v);
Date CDate(const Variant& v);

// Banker's rounding of a double to a whole number (half to even).
double RoundHalfEven(double value);

// --- readings of text --------------------------------------------------------

// Leading-number parse (the platform's Val): blanks are skipped, the
// longest leading part that forms a number with "." as decimal point is
// read (sign, digits, point, exponent), and a text with no such part gives
// 0. "10,50" gives 10; "abc" and "" give 0; " 1 2" gives 12 (blanks, tabs
// and line feeds are ignored anywhere); "1D2" is 100; "&H1F" is 31 and
// "&HFFFF" is -1. A number beyond the range of a Double raises overflow (6).
double Val(std::string_view text);

// Lenient numeric test: true when the value converts to a number under the
// regional settings (blanks around, a sign, thousands points, one decimal
// comma, an exponent). Empty is numeric (it converts to 0), Null is not;
// Booleans and numbers are; Dates, Arrays and Objects are not.
bool IsNumeric(const Variant& v);

// Lenient date recognition: Dates are dates; texts are when datetime.h
// recognises them. Numbers are not.
bool IsDate(const Variant& v);

// --- comparison and arithmetic ----------------------------------------------

// The platform's "=" and "<" between two Variants: numbers (Empty as 0)
// compare numerically, texts (Empty as "") compare by code points, a
// number is less than a text. Null on either side gives no result. Booleans
// (-1 and 0) and Dates (their serials) count as numbers; an Array or an
// Object raises a type mismatch (13).
std::optional<int> Compare(const Variant& a, const Variant& b);

// Comparison of a Variant with a typed number: a text is converted to a
// number (type mismatch when it is not numeric), Empty reads as 0. Null
// gives no result.
std::optional<int> CompareWithNumber(const Variant& v, double number);

// The platform's "+" and "-" on Variants: Integer widens to Long and to
// Double on overflow, a numeric text is read as Double, Empty counts as 0,
// Null gives Null. Adding two texts concatenates them (so does a text and
// Empty). Booleans count as Integers. A Date plus or minus a number is a
// Date; a Date minus a Date is a Double. Non-numeric texts in arithmetic,
// Arrays and Objects raise 13; results beyond range raise 6.
Variant Add(const Variant& a, const Variant& b);
Variant Subtract(const Variant& a, const Variant& b);

}  // namespace tpl
