#include <functional>

#include "support/suite.h"
#include "templates/template_validation.h"

namespace tpl {
namespace {

// The arguments of mConsiste_Campos that the checks read, valid as given.
struct Candidate {
  Variant title{"Vendas"}, subtitle{""}, query{"  select A FROM T WHERE D >= {DATA_INI} AND C = {CLI}"},
      groups{Variant::Integer(1)}, filter_lines{Variant::Integer(2)}, matrix, message;
  Candidate() {
    matrix = testing::FilterMatrix({{0, "Data", "{DATA_INI}", "D", "S", "", ""}, {0, "Cliente", "{CLI}", "C", "N", "", ""}});
  }
  bool Check() {
    const CallContext call(Variant(""), Variant::Long(5), Variant("SQLSERVER"), message);
    return mConsiste_Campos(call, Variant("Nome"), title, subtitle, query, groups, filter_lines, Variant::Integer(7),
                            matrix, Variant("X"));
  }
};

void SetFilter(Candidate& c, int32_t row, const Variant& caption, const Variant& placeholder) {
  c.matrix.AsArray().at(row, 1) = caption;
  c.matrix.AsArray().at(row, 2) = placeholder;
}

TEST(TemplateValidation, EachRefusalAnswersWithItsOwnSentenceAndTheAcceptedShapesPass) {
  const std::string not_allowed = "Comando não permitido por essa função.",
                    no_groups = "Informe os grupos de usuários que terão acesso a esse relatório.";
  const struct { const char* why; std::function<void(Candidate&)> change; std::string message; } rows[] = {
      {"no title", [](Candidate& c) { c.title = Variant::Null(); }, "Preencha Título"},
      {"long subtitle", [](Candidate& c) { c.subtitle = std::string(101, 'x'); },
       "Preencha Subtítulo com, no máximo, 100 caracteres."},
      {"blank query", [](Candidate& c) { c.query = " \r\n "; }, "Preencha o campo Query."},
      {"WITH first", [](Candidate& c) { c.query = "WITH X AS (SELECT 1) SELECT {DATA_INI} {CLI}"; }, not_allowed},
      {"word inside a longer one", [](Candidate& c) { c.query = "SELECT LAST_UPDATE FROM T {DATA_INI} {CLI}"; },
       not_allowed},
      // Closing braces are not counted: this query holds two braces, one of them opening.
      {"two filters, one brace", [](Candidate& c) { c.query = "SELECT A FROM T WHERE D = {DATA_INI}"; },
       "Filtros inconsistentes. Verifique se estão cadastrados de acordo com os informados na query."},
      {"braces without filters", [](Candidate& c) { c.filter_lines = ""; }, "Cadastre todos os filtros da query."},
      {"caption repeated", [](Candidate& c) { SetFilter(c, 1, " DATA ", "{CLI}"); },
       "O filtro com a descrição  DATA  está em duplicidade."},
      {"placeholder repeated", [](Candidate& c) { SetFilter(c, 1, "Cliente", "{data_ini}"); },
       "O filtro com valor {data_ini} está em duplicidade."},
      {"no braces", [](Candidate& c) { SetFilter(c, 0, "Data", "DATA_INI"); },
       "O filtro DATA_INI não foi definido corretamente. Deve estar entre chaves. Ex: {DATA_INI}"},
      {"case differs from the query", [](Candidate& c) { SetFilter(c, 1, "Cliente", "{cli}"); },
       "O filtro {cli} não é utilizado pela Query."},
      {"zero groups", [](Candidate& c) { c.groups = "0"; }, no_groups},
      {"as given", [](Candidate&) {}, ""},
      {"EXECUTE, a placeholder twice", [](Candidate& c) { c.query = "EXECUTE SP_X {CLI}, {DATA_INI}, {CLI}"; }, ""},
      // DELETE at the end of a line and FROM on the next become DELETEFROM.
      {"a keyword before a line break",
       [](Candidate& c) { c.query = "SELECT 1 {DATA_INI} {CLI} DELETE\r\nFROM T"; }, ""},
      {"no filters, no braces", [](Candidate& c) { c.filter_lines = 0; c.query = "SELECT 1"; }, ""},
  };
  for (const auto& row : rows) {
    Candidate candidate;
    row.change(candidate);
    EXPECT_EQ(candidate.Check(), row.message.empty()) << row.why;
    EXPECT_EQ(CStr(candidate.message), row.message) << row.why;
  }
}

}  // namespace
}  // namespace tpl
