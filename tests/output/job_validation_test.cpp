#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tpl/conversions.h"
#include "tpl/tpl.h"

namespace tpl {
namespace {

// One change to a complete e-mail request: field, new value.
struct Row {
  const char* field;  // function, flag, title, recipient, text, start
  Variant value;
  std::string outcome;  // accepted: title|recipient|text|start as rewritten; refused: message
};

bool Check(const Row& row, std::string& outcome) {
  Variant function("12"), flag("S"), title("Relatório"), recipient("a@x.com"), text("Segue"),
      start("");
  std::map<std::string, Variant*> fields{{"function", &function}, {"flag", &flag},
                                         {"title", &title},       {"recipient", &recipient},
                                         {"text", &text},         {"start", &start}};
  *fields.at(row.field) = row.value;
  std::string kind = "SQLSERVER", connection;
  int32_t user = 57;
  Variant message;
  bool accepted = TPL().mConsiste_Inclui_JOB(kind, connection, user, message, function, title,
                                             flag, text, recipient, start);
  outcome = accepted ? CStr(title) + "|" + CStr(recipient) + "|" + CStr(text) + "|" + CStr(start)
                     : CStr(message);
  return accepted;
}

// Lengths count characters: "ã" is one character of two bytes.
std::string Repeat(const std::string& piece, int times) {
  std::string text;
  while (times-- > 0) text += piece;
  return text;
}

TEST(JobValidation, AcceptsAndRewritesTheEmailFields) {
  const Row rows[] = {
      {"text", "", "Relatório|a@x.com||"},
      {"function", Variant::Long(1), "Relatório|a@x.com|Segue|"},
      {"title", Variant(Repeat("ã", 100)), Repeat("ã", 100) + "|a@x.com|Segue|"},
      {"title", "D'Ávila <mensal>", "DÁvila mensal|a@x.com|Segue|"},
      {"flag", "N", "|||"},
      {"flag", "s", "|||"},
      {"start", "   ", "Relatório|a@x.com|Segue|"},
      {"start", Variant::Null(), "Relatório|a@x.com|Segue|"},
      {"start", "13/10/2001 10:20", "Relatório|a@x.com|Segue|13/10/2001 10:20"},
  };
  for (const Row& row : rows) {
    std::string outcome;
    EXPECT_TRUE(Check(row, outcome)) << row.field << ": " << outcome;
    EXPECT_EQ(outcome, row.outcome) << row.field;
  }
}

TEST(JobValidation, RefusesWithTheFirstFailingCheck) {
  const Row rows[] = {
      {"function", Variant::Integer(0), "Código da Função deve ser igual ou maior que 1"},
      {"function", "-3", "Código da Função deve ser igual ou maior que 1"},
      {"function", Variant::Null(), "Preencha Código da Função"},
      {"function", "1,5",
       "O campo Código da Função não permite a digitação de números com casas decimais(,)"},
      {"flag", "SN", "Preencha Envia E-Mail (S/N) com, no máximo, 1 caracteres."},
      {"flag", "", "Preencha Envia E-Mail (S/N)"},
      {"start", "amanhã", "Informe uma data de início válida."},
      {"start", "32/13/2001", "Informe uma data de início válida."},
      {"title", "", "Preencha Título do E-Mail"},
      {"title", Variant(Repeat("ã", 101)), "Preencha Título do E-Mail com, no máximo, 100 caracteres."},
      {"recipient", Variant::Null(), "Preencha Destinatário do E-Mail"},
      {"recipient", Variant(Repeat("b", 101)),
       "Preencha Destinatário do E-Mail com, no máximo, 100 caracteres."},
      {"text", Variant(std::string(256, 'c')),
       "Preencha Texto do E-Mail com, no máximo, 255 caracteres."},
  };
  for (const Row& row : rows) {
    std::string outcome;
    EXPECT_FALSE(Check(row, outcome)) << row.field << ": " << row.outcome;
    EXPECT_EQ(outcome, row.outcome) << row.field;
  }
}

}  // namespace
}  // namespace tpl
