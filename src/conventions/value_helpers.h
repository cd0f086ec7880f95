// The small value routines shared by the whole library: SQL literals for
// SQL Server and Oracle, number texts between the "," and "." conventions,
// decimal texts for the result matrix, the date-shape test, the filter that
// strips characters which must never reach SQL text, the names that may be
// written into a statement as they are, and the one rule for the Database
// kind. None touches the database.
//
// mNormaliza_Numero, mFormata_Decimal, mFormata_Decimal_Simples,
// mTrata_Nulo and mConsiste_Formato_Data trap their own failures and never
// throw. The others let a failure (a Null whose text cannot be taken, an
// array) reach the trap of their caller.
#pragma once

#include <string>
#include <string_view>

#include "tpl/variant.h"

namespace tpl {

// Replaces a single foreign decimal separator by the platform's own
// ("12.5" gives "12,5"); any other value comes back unchanged. Null and
// the empty text give the Integer 0; a failure gives the Integer 0.
Variant mNormaliza_Numero(const Variant& value);

// Text of a decimal number with exactly `decimals` places and a decimal
// comma; extra places are cut, not rounded, except that values between -1
// and 1 are first rounded (half to even). Zero gives the fallback, or
// "0,00" when the zero-display flag is "S". A failure gives the Integer 0.
Variant mFormata_Decimal(const Variant& value, const Variant& fallback, const Variant& decimals,
                         const Variant& zero_display_flag);
// The same without the zero-display flag: zero always gives the fallback.
Variant mFormata_Decimal_Simples(const Variant& value, const Variant& fallback,
                                 const Variant& decimals);
// What both give for a finite number with `places` decimals, zero giving
// `result_if_zero`; for callers that format many numbers alike and have
// read the places and the flag once.
Variant FormatDecimalNumber(double number, int places, const Variant& result_if_zero);

// Null gives the empty text; anything else comes back unchanged.
Variant mTrata_Nulo(const Variant& value);
// "null" when the leading-number reading (Val) of the value's text is 0.
// Otherwise an Integer or a Long comes back unchanged, and anything else
// as SqlNumberLiteral writes it.
Variant mTrata_Numero_SQL(const Variant& value);
// A number for a statement. A value whose text is a number as typed (an
// optional sign, digits, at most one "." or ",", blanks around) keeps that
// text, every digit of it, with the separator written "." ("10,50" gives
// "10.50", "12345678901234567" stays). Any other value is written by us
// from its number (SqlNumberText of SqlNumberOf), never from its text, so
// "2; DROP TABLE X" gives "2" and no text can change a statement.
std::string SqlNumberLiteral(const Variant& value);
// The number of a value as SqlNumberLiteral reads it: a number as it is,
// anything else by the leading-number reading of its text.
double SqlNumberOf(const Variant& value);
// A number as SQL text: digits, "-" and "." only, shortest form that reads
// back the same ("12.5", "-3", "1e+20"), whatever the regional settings.
std::string SqlNumberText(double number);
// An identifier of a user or a template as a whole number (the value's
// number rounded half to even); past the range of a Long it overflows.
int32_t WholeNumberOf(const Variant& value);
// "'" + value + "'" (apostrophes inside are not doubled: callers filter
// them first), or "null" for the empty text.
Variant mTrata_Texto_SQL(const Variant& value);
// "'" + the value as yyyy/mm/dd hh:mm + "'", or "null" for the empty text.
Variant mTrata_Data_SQL(const Variant& value);
// Every "," of `in` replaced by "." into `out`; always true.
bool mTroca_Virgula(const std::string& in, std::string& out);
// The characters that must never reach SQL text.
inline constexpr std::string_view kForbiddenCharacters = "'<>();%&+\"";

// The text without ' < > ( ) ; % & + and "; blanks kept. A text that is
// blank once trimmed gives the empty text.
std::string mRetira_Caracteres(std::string_view text);
// True when the value, filtered by mRetira_Caracteres (written back), is a
// date written dd/mm/yyyy, mm/dd/yyyy or yyyy/mm/dd ("/" or "-").
bool mConsiste_Formato_Data(Variant& value);

// Text of a value with Null read as the empty text (the platform's habit of
// concatenating a value with ""). Arrays and objects raise 13.
std::string TextOrEmpty(const Variant& value);
// TextOrEmpty without surrounding blanks.
std::string TrimmedText(const Variant& value);
// True when the value reads as exactly `text` (Null never does).
bool TextEquals(const Variant& value, std::string_view text);
// True when the value is a number equal to `number` or a text that reads
// as one; never raises.
bool NumberEquals(const Variant& value, double number);

// The Database kind selects the dialect of literals, conditions and time
// expressions. Each routine compares it in the one way its rules give:
// exactly, or after trimming and upper-casing (" oracle " then selects
// Oracle). A value that is neither kind selects neither.
enum class DatabaseKind { SqlServer, Oracle };
enum class KindComparison { Exact, TrimmedUpperCase };
inline constexpr std::string_view kSqlServerKind = "SQLSERVER";
inline constexpr std::string_view kOracleKind = "ORACLE";
bool IsDatabaseKind(const Variant& value, DatabaseKind kind, KindComparison comparison);
bool IsDatabaseKind(std::string_view value, DatabaseKind kind, KindComparison comparison);
inline bool IsDatabaseKind(const std::string& value, DatabaseKind kind,
                           KindComparison comparison) {
  return IsDatabaseKind(std::string_view(value), kind, comparison);
}

// "  to_date('yyyy/mm/dd hh:mm:ss', 'yyyy/mm/dd hh24:mi:ss')", or " null"
// for Null and the empty text.
Variant gMonta_Data_Oracle(const Variant& value);
// "  " + SqlNumberLiteral of the value, or " null" when the value reads as
// 0 (as mTrata_Numero_SQL reads it).
Variant gMonta_Numero_Oracle(const Variant& value);
// "  '" + value + "'" in upper case, or " NULL" for the empty text.
Variant gMonta_Texto_Oracle(const Variant& value);

// A letter or "_" followed by letters, digits and "_" (ASCII only).
bool IsPlainIdentifier(std::string_view name);
// Plain identifiers joined by "." (schema.table).
bool IsQualifiedIdentifier(std::string_view name);
// Digits with an optional sign and an optional fraction after one ".": a
// number that reads the same in every SQL dialect ("-12.5"; not "1,5").
bool IsPlainNumber(std::string_view text);

}  // namespace tpl
