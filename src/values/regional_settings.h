// The regional settings the platform runs under. They are fixed (Brazilian
// Portuguese) and never read from the machine, so the library behaves the
// same on every server. Every routine of this folder that reads or writes a
// number, a date or a Boolean as text takes its separators and words from
// here.
#pragma once

#include <string_view>

namespace tpl::regional {

inline constexpr char kDecimalSeparator = ',';
inline constexpr char kThousandsSeparator = '.';
// Symbol a currency text may carry ("R$ 10,50").
inline constexpr std::string_view kCurrencySymbol = "R$";

// Short date: day, month, year in this order, joined by kDateSeparator,
// day and month with two digits and the year with four ("13/10/2001").
inline constexpr char kDateSeparator = '/';
// Long time: 24-hour clock, two digits each ("10:20:00").
inline constexpr char kTimeSeparator = ':';

inline constexpr std::string_view kTrueText = "Verdadeiro";
inline constexpr std::string_view kFalseText = "Falso";

// Two-digit years: 00 to kTwoDigitYearPivot - 1 are 20xx, the rest 19xx.
inline constexpr int kTwoDigitYearPivot = 30;

// Month and weekday names as dates are written ("outubro", "sábado"). The
// abbreviations are the first three letters ("out", "sáb"). Typed dates
// are matched against them ignoring case and accents ("marco" is "março").
inline constexpr std::string_view kMonthNames[12] = {
    "janeiro", "fevereiro", "março",    "abril",   "maio",     "junho",
    "julho",   "agosto",    "setembro", "outubro", "novembro", "dezembro"};
inline constexpr std::string_view kWeekdayNames[7] = {
    "domingo",      "segunda-feira", "terça-feira", "quarta-feira",
    "quinta-feira", "sexta-feira",   "sábado"};

}  // namespace tpl::regional
