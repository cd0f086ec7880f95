// mConsiste_Campos and mConta_Chaves: the checks of a template before it is
// saved. Each refusal has its own sentence; the first one ends the checks.
#include <string>

#include "infra/value_checks.h"
#include "report/filters.h"
#include "report/query_test.h"
#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "templates/template_validation.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl {
namespace {

// A cell as the duplicate check compares it: trimmed and in upper case.
// A Null cell equals nothing, not even another Null.
bool SameFilterText(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return false;
  return UCase(TrimmedText(a)) == UCase(TrimmedText(b));
}

bool Refuse(Variant& message, std::string text) {
  message = Variant(std::move(text));
  return false;
}

// Checks of filter row `row` against the others and the query.
bool CheckFilterRow(const Array& filters, int32_t row, int16_t last, const std::string& query,
                    Variant& message) {
  const Variant& caption = filters.at(row, kFilterCaptionColumn);
  const Variant& placeholder = filters.at(row, kFilterPlaceholderColumn);
  for (int32_t other = 0; other <= last; ++other) {
    if (other == row) continue;
    const Variant& other_caption = filters.at(other, kFilterCaptionColumn);
    const Variant& other_placeholder = filters.at(other, kFilterPlaceholderColumn);
    if (SameFilterText(caption, other_caption))
      return Refuse(message, Compose(sentences::kDuplicateCaption, TextOrEmpty(other_caption)));
    if (SameFilterText(placeholder, other_placeholder))
      return Refuse(message,
                    Compose(sentences::kDuplicatePlaceholder, TextOrEmpty(other_placeholder)));
  }
  const std::string trimmed = TrimmedText(placeholder);
  if (Left(trimmed, 1) != "{" || Right(trimmed, 1) != "}")
    return Refuse(message, Compose(sentences::kFilterWithoutBraces, TextOrEmpty(placeholder)));
  // The placeholder exactly as the matrix holds it, blanks included.
  if (InStr(query, TextOrEmpty(placeholder)) == 0)
    return Refuse(message, Compose(sentences::kFilterNotInQuery, TextOrEmpty(placeholder)));
  return true;
}

}  // namespace

int16_t mConta_Chaves(std::string_view text) {
  int32_t count = 0;
  for (char c : text) {
    if (c == '{') ++count;
  }
  return CInt(Variant::Long(count));
}

bool mConsiste_Campos(const CallContext& call, const Variant& /*InVntNome_Relatorio*/,
                      Variant& InVntTitulo, Variant& InVntSubtitulo, const Variant& InVntQuery,
                      const Variant& InVntQtde_Lin_Grupo_Usuario,
                      const Variant& InVntQtde_Lin_Matriz_Filtro,
                      const Variant& /*InVntQtde_Col_Matriz_Filtro*/,
                      const Variant& InVntArrMatriz_Filtro, const Variant& /*OutVntSigla*/) {
  std::string sql;
  return RunRoutine(
      traps::kConsisteCamposTrap, sql, call, [&] {
        if (!CheckTitleAndSubtitle(call.user(), call.message(), InVntTitulo, InVntSubtitulo))
          return false;

        const std::string query = QueryWithoutLineBreaks(InVntQuery);
        if (Trim(query).empty())
          return Refuse(call.message(), std::string(sentences::kFillInQuery));
        if (!StartsAsReadingStatement(query) || ContainsForbiddenCommand(query))
          return Refuse(call.message(), std::string(sentences::kCommandNotAllowed));

        // A line count that is a text is read as a number; one that is no
        // number fails (type mismatch) and ends in the trap.
        const Variant line_count = mNormaliza_Numero(InVntQtde_Lin_Matriz_Filtro);
        const int16_t braces = mConta_Chaves(query);
        if (CompareWithNumber(line_count, braces).value_or(0) > 0)
          return Refuse(call.message(), std::string(sentences::kInconsistentFilters));
        if (CompareWithNumber(line_count, 0).value_or(1) == 0 && braces > 0)
          return Refuse(call.message(), std::string(sentences::kRegisterAllFilters));

        const int16_t last = LastFilterRow(line_count);
        for (int32_t row = 0; row <= last; ++row) {
          if (!CheckFilterRow(InVntArrMatriz_Filtro.AsArray(), row, last, query, call.message()))
            return false;
        }

        if (TrimmedText(InVntQtde_Lin_Grupo_Usuario).empty() ||
            CompareWithNumber(mNormaliza_Numero(InVntQtde_Lin_Grupo_Usuario), 0).value_or(1) == 0)
          return Refuse(call.message(), std::string(sentences::kGroupsMissing));
        return true;
      });
}

}  // namespace tpl
