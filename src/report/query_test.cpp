// gTesta_Query, mConsiste_Campos_Testa_Query and mTesta_Query: trying a
// template's query before it is saved.
#include "report/query_test.h"

#include <optional>
#include <string>

#include "infra/value_checks.h"
#include "report/filters.h"
#include "report/query_execution.h"
#include "report/query_preparation.h"
#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/text.h"

namespace tpl {
namespace {

constexpr int32_t kTitleLength = 100;
constexpr const char* kCrLf = "\r\n";
// What the prepared text starts with, whatever the Database kind.
constexpr const char* kTestPrelude =
    "Set Transaction Isolation Level Read Uncommitted\r\nSet Ansi_Warnings On\r\n";

bool Refuse(Variant& message, std::string_view sentence) {
  message = Variant(sentence);
  return false;
}

// The sample value a filter of this type code receives; nullopt keeps the
// host's value.
std::optional<Variant> SampleValue(const std::string& type_code) {
  if (type_code == "D") return Variant(FormatDate(Variant(Now()), "yyyy/mm/dd"));
  if (type_code == "N" || type_code == "U") return Variant::Integer(1);
  if (type_code == "C") return Variant("Query");
  if (type_code == "V") return Variant("10,00");
  return std::nullopt;
}

}  // namespace

std::string QueryWithoutLineBreaks(const Variant& query) {
  return Replace(Trim(TextOrEmpty(query)), kCrLf, "");
}

bool StartsAsReadingStatement(const std::string& query) {
  const std::string upper = UCase(Trim(query));
  return Left(upper, 6) == "SELECT" || Left(upper, 4) == "EXEC";
}

bool CheckTitleAndSubtitle(const Variant& user, Variant& message, Variant& title,
                           Variant& subtitle) {
  const Variant longest = Variant::Integer(kTitleLength);
  if (!gConsiste_String(Variant(sentences::kCaptionTitle), title, longest, user, message,
                        Variant("S")))
    return false;
  return gConsiste_String(Variant(sentences::kCaptionSubtitle), subtitle, longest, user, message,
                          Variant("N"));
}

bool mConsiste_Campos_Testa_Query(const CallContext& call, const Variant& /*InVntNome_Relatorio*/,
                                  Variant& InVntTitulo, Variant& InVntSubtitulo,
                                  const Variant& InVntQuery) {
  std::string sql;
  return RunRoutine(traps::kConsisteCamposTestaQueryTrap, sql, call, [&] {
    const std::string query = QueryWithoutLineBreaks(InVntQuery);
    if (!CheckTitleAndSubtitle(call.user(), call.message(), InVntTitulo, InVntSubtitulo))
      return false;
    if (Trim(query).empty()) return Refuse(call.message(), sentences::kFillInQuery);
    if (!StartsAsReadingStatement(query) || ContainsForbiddenCommand(query))
      return Refuse(call.message(), sentences::kCommandNotAllowed);
    // The query runs as typed, so a placeholder would reach the database.
    if (InStr(query, "{") > 0 || InStr(query, "}") > 0)
      return Refuse(call.message(), sentences::kNoFilterBracesInTest);
    return true;
  });
}

Variant gTesta_Query(const CallContext& call, Variant& /*IOVntTemplate_ID*/,
                     Variant& InVntNome_Relatorio, Variant& InVntTitulo, Variant& InVntSubtitulo,
                     Variant& InVntQuery, Variant& OutvntQtde_Lin_Matriz,
                     Variant& OutvntQtde_Col_Matriz, Variant& OutVntarrvntMatriz,
                     Variant& invntTemplate_id, Variant& dicArrayMatriz) {
  return RunMethod(traps::kTestaQueryTrap, call, [&] {
    if (!mConsiste_Campos_Testa_Query(call, InVntNome_Relatorio, InVntTitulo, InVntSubtitulo,
                                      InVntQuery))
      return false;
    return mExecutar_Query(call, InVntQuery, OutvntQtde_Lin_Matriz, OutvntQtde_Col_Matriz,
                           OutVntarrvntMatriz, InVntTitulo, invntTemplate_id, dicArrayMatriz,
                           Variant("N"));
  });
}

bool mTesta_Query(const CallContext& call, const Variant& InVntQuery,
                  const Variant& InVntQtde_Lin_Matriz_Filtro,
                  const Variant& InVntQtde_Col_Matriz_Filtro,
                  const Variant& InVntArrMatriz_Filtro) {
  std::string sql;
  return RunRoutine(traps::kTestaQueryRoutineTrap, sql, call, [&] {
    Variant prepared(kTestPrelude + TextOrEmpty(InVntQuery));
    Variant line_count = mNormaliza_Numero(InVntQtde_Lin_Matriz_Filtro);
    if (CompareWithNumber(line_count, 0).value_or(0) <= 0) return true;

    const int32_t rows = CLng(line_count);
    const int32_t columns = CLng(InVntQtde_Col_Matriz_Filtro);
    const Array& host = InVntArrMatriz_Filtro.AsArray();
    Array samples = Array::Matrix(rows, columns);
    const int16_t last = LastFilterRow(line_count);
    for (int32_t row = 0; row <= last; ++row) {
      for (int32_t column = 0; column <= kFilterValueColumn; ++column)
        samples.at(row, column) = host.at(row, column);
      if (auto sample = SampleValue(FilterTypeCode(samples.at(row, kFilterTypeColumn))))
        samples.at(row, kFilterValueColumn) = std::move(*sample);
    }

    // Preparation works on copies: the host's variables stay as they were.
    Variant matrix(std::move(samples));
    Variant line_count_copy = InVntQtde_Lin_Matriz_Filtro;
    Variant column_count_copy = InVntQtde_Col_Matriz_Filtro;
    return mPrepara_Query(call, prepared, matrix, line_count_copy, column_count_copy);
  });
}

}  // namespace tpl
