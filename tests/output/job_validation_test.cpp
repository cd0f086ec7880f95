#include <map>

#include "support/suite.h"

namespace tpl {
namespace {

// One change to a complete e-mail request; the outcome is title|recipient|text|start as rewritten when accepted, the
// message when refused.
struct Row { const char* field; Variant value; std::string outcome; };

bool Check(const Row& row, std::string& outcome) {
  Variant function("12"), flag("S"), title("Relatório"), recipient("a@x.com"), text("Segue"), start("");
  std::map<std::string, Variant*> fields{{"function", &function}, {"flag", &flag}, {"title", &title},
                                         {"recipient", &recipient}, {"text", &text}, {"start", &start}};
  *fields.at(row.field) = row.value;
  std::string kind = "SQLSERVER", connection;
  int32_t user = 57;
  Variant message;
  bool accepted = TPL().mConsiste_Inclui_JOB(kind, connection, user, message, function, title,
                                             flag, text, recipient, start);
  outcome = accepted ? CStr(title) + "|" + CStr(recipient) + "|" + CStr(text) + "|" + CStr(start) : CStr(message);
  return accepted;
}

// Lengths count characters: "ã" is one character of two bytes.
std::string Repeat(const std::string& piece, int times) {
  std::string text;
  while (times-- > 0) text += piece;
  return text;
}

TEST(JobValidation, AcceptsAndRewritesTheEmailFieldsOrRefusesWithTheFirstFailingCheck) {
  const std::string fields = "Relatório|a@x.com|Segue|";
  const std::string function = "Código da Função deve ser igual ou maior que 1";
  const std::vector<Row> accepted = {
      {"text", "", "Relatório|a@x.com||"}, {"function", Variant::Long(1), fields},
      {"title", Variant(Repeat("ã", 100)), Repeat("ã", 100) + "|a@x.com|Segue|"},
      {"title", "D'Ávila <mensal>", "DÁvila mensal|a@x.com|Segue|"}, {"flag", "N", "|||"},
      {"flag", "s", "|||"}, {"start", "   ", fields}, {"start", Variant::Null(), fields},
      {"start", "13/10/2001 10:20", fields + "13/10/2001 10:20"},
  };
  const std::vector<Row> refused = {
      {"function", Variant::Integer(0), function}, {"function", "-3", function},
      {"function", Variant::Null(), "Preencha Código da Função"},
      {"function", "1,5", "O campo Código da Função não permite a digitação de números com casas decimais(,)"},
      {"flag", "SN", "Preencha Envia E-Mail (S/N) com, no máximo, 1 caracteres."},
      {"flag", "", "Preencha Envia E-Mail (S/N)"}, {"start", "amanhã", "Informe uma data de início válida."},
      {"start", "32/13/2001", "Informe uma data de início válida."}, {"title", "", "Preencha Título do E-Mail"},
      {"title", Variant(Repeat("ã", 101)), "Preencha Título do E-Mail com, no máximo, 100 caracteres."},
      {"recipient", Variant::Null(), "Preencha Destinatário do E-Mail"},
      {"recipient", Variant(Repeat("b", 101)), "Preencha Destinatário do E-Mail com, no máximo, 100 caracteres."},
      {"text", Variant(std::string(256, 'c')), "Preencha Texto do E-Mail com, no máximo, 255 caracteres."},
  };
  for (bool ok : {true, false}) {
    for (const Row& row : ok ? accepted : refused) {
      std::string outcome;
      EXPECT_EQ(Check(row, outcome), ok) << row.field << ": " << outcome;
      EXPECT_EQ(outcome, row.outcome) << row.field;
    }
  }
}

TEST(JobText, ParameterTextJoinsIdentifierAndParameters) {
  using testing::Vector;
  struct Row { Variant parameters, count; const char* expected; } rows[] = {  // nullptr: refused
      {Vector({"A", "B"}), Variant::Integer(2), "123__JOB____A__B"}, {Variant(), Variant::Integer(0), "123__JOB__"},
      {Vector({"A"}), Variant(), "123__JOB__"}, {Vector({"x", "y", "z"}), "2", "123__JOB____x__y"},
      {Vector({Variant::Long(7), Variant::Null(), "d'a"}), Variant::Long(3), "123__JOB____7____d'a"},
      {Vector({"A"}), Variant::Integer(2), nullptr}, {"A", Variant::Integer(1), nullptr},
      {Vector({"A"}), Variant::Null(), nullptr},      {Vector({"A"}), "dois", nullptr},
  };
  for (Row& row : rows) {
    std::string kind = "SQLSERVER", connection, text = "previous";
    int32_t user = 57, job_id = 123;
    Variant message;
    const std::string name = testing::Show(row.parameters) + " " + testing::Show(row.count);
    EXPECT_EQ(TPL().mMonta_Parametro(kind, connection, user, message, row.parameters, row.count, text, job_id),
              row.expected != nullptr) << name;
    EXPECT_EQ(text, row.expected ? row.expected : "previous") << name;
    EXPECT_EQ(CStr(message), row.expected ? "" : "Acesso a montagem dos parâmetros do JOB não disponível. "
                                            "Favor tentar mais tarde.") << name;
  }
}

}  // namespace
}  // namespace tpl
