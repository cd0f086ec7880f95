#include <gtest/gtest.h>

#include <string>

#include "output/job_statements.h"
#include "tpl/conversions.h"
#include "tpl/tpl.h"

namespace tpl {
namespace {

TEST(JobText, StatementsCarryTheLiteralsAndSeparators) {
  JobRowValues job{57, 12, "Relatório", "S", "Segue", "destino", 1, "", "", ""};
  JobRowValues quoted{0, 12, "D'Ávila", "S", "", "destino", 1, "13/10/2001 10:20", "o'b@x", ""};
  const std::pair<std::string, std::string> rows[] = {
      {JobInsertCall(job),
       "EXEC SP_KMB_INC_JOB2   57, 12, 'Relatório', 'S', 57, 'Segue', 'destino' , 1 , null , "
       "null , null  "},
      {JobInsertCall(quoted),
       "EXEC SP_KMB_INC_JOB2   null, 12, 'D''Ávila', 'S', null, null, 'destino' , 1 , 'o''b@x' "
       ", null , '2001/10/13 10:20'  "},
      {JobParametersCall(123, "123__JOB____d'a", 57),
       "EXEC SP_KMB_INCLUI_PARAMETRO_JOB3   123, '123__JOB____d''a', 57"},
      {OracleJobInsert(42, job),
       " INSERT  INTO LOG_GERADOR  ( LOG_GERADOR_ID ,  USUARIO_INTERNET_ID ,  FUNCAO_ID ,  "
       "TITULO_EMAIL ,  FLAG_ENVIA_EMAIL ,  TEXTO_EMAIL ,  ENDERECO_EMAIL ,  Tab_Status_JOB_ID, "
       " Data_Inicio,  Email_Remetente,  Endereco_anexo  )  VALUES  (    42 ,     57 ,     12 , "
       "    'RELATÓRIO' ,     'S' ,     'SEGUE' ,     'DESTINO' ,     1 ,    null ,    NULL , "
       "   NULL   ) "},
      {OracleJobParametersUpdate(123, "123__JOB____d'a"),
       " UPDATE LOG_GERADOR  SET  TXT_QUERY =    '123__JOB____D''A'  WHERE LOG_GERADOR_ID  = "
       "123 "},
  };
  for (const auto& [built, expected] : rows) EXPECT_EQ(built, expected) << expected;
  EXPECT_TRUE(OracleJobInsert(7, quoted)
                  .ends_with("    'D''ÁVILA' ,     'S' ,    NULL ,     'DESTINO' ,     1 ,     "
                             "to_date('2001/10/13 10:20:00', 'yyyy/mm/dd hh24:mi:ss') ,     "
                             "'O''B@X' ,    NULL   ) "))
      << OracleJobInsert(7, quoted);
}

TEST(JobText, ParameterTextJoinsIdentifierAndParameters) {
  auto vector = [](std::initializer_list<Variant> values) {
    Array array = Array::Vector(static_cast<int32_t>(values.size()) - 1);
    int32_t i = 0;
    for (const Variant& value : values) array.at(i++) = value;
    return Variant(std::move(array));
  };
  struct Row {
    Variant parameters, count;
    const char* expected;  // nullptr: refused
  } rows[] = {
      {vector({"A", "B"}), Variant::Integer(2), "123__JOB____A__B"},
      {Variant(), Variant::Integer(0), "123__JOB__"},
      {vector({"A"}), Variant(), "123__JOB__"},
      {vector({"x", "y", "z"}), Variant("2"), "123__JOB____x__y"},
      {vector({Variant::Long(7), Variant::Null(), "d'a"}), Variant::Long(3), "123__JOB____7____d'a"},
      {vector({"A"}), Variant::Integer(2), nullptr},
      {Variant("A"), Variant::Integer(1), nullptr},
      {vector({"A"}), Variant::Null(), nullptr},
      {vector({"A"}), Variant("dois"), nullptr},
  };
  int row_number = 0;
  for (Row& row : rows) {
    ++row_number;
    std::string kind = "SQLSERVER", connection, text = "previous";
    int32_t user = 57, job_id = 123;
    Variant message;
    bool built = TPL().mMonta_Parametro(kind, connection, user, message, row.parameters,
                                        row.count, text, job_id);
    const std::string name = "row " + std::to_string(row_number);
    EXPECT_EQ(built, row.expected != nullptr) << name;
    EXPECT_EQ(text, row.expected ? row.expected : "previous") << name;
    EXPECT_EQ(CStr(message), row.expected ? ""
                                          : "Acesso a montagem dos parâmetros do JOB não "
                                            "disponível. Favor tentar mais tarde.")
        << name;
  }
}

}  // namespace
}  // namespace tpl
