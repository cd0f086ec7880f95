#include <gtest/gtest.h>

#include <string>

#include "output/job_request.h"
#include "support/temp_database.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

using testing::JobRequest;

// The procedures of the embedded database that job registration, the
// generation log and the e-mail request call, and the library's reading
// of their answers.
class JobProcedures : public ::testing::Test {
 protected:
  int32_t Number(const std::string& sql) const { return CLng(db_.Scalar(sql)); }
  std::string Text(const std::string& sql) const { return CStr(db_.Scalar(sql)); }
  testing::TempDatabase db_;
};

TEST_F(JobProcedures, JobInsertRefusesFunctionCodesThatAreNotPositive) {
  for (const char* function : {"0", "-1", "null"}) {
    db::Recordset answer = db_.Query(std::string("EXEC SP_KMB_INC_JOB2 57, ") + function +
                                     ", 'T', 'S', 57, null, 'r', 1, null, null, null");
    EXPECT_EQ(CStr(answer.Value("Retorno")) + "|" + CStr(answer.Value("Msg_Ret")) + "|" +
                  CStr(answer.Value("LOG_GERADOR_ID")),
              "1|O código da função deve ser maior que zero.|0")
        << function;
  }
  int32_t user = 57, function = 0;
  std::string title = "t", flag = "S", connection = db_.connection_string(), kind = "SQLSERVER",
              recipient = "r", none;
  Variant job_id, message;
  EXPECT_FALSE(TPL().mInclui_JOB(user, function, title, flag, job_id, connection, kind, none,
                                 recipient, message, none, none, none));
  EXPECT_EQ(CStr(message),
            "Problemas na inclusão do JOB (O código da função deve ser maior que zero.).");
  EXPECT_TRUE(job_id.IsEmpty());
  EXPECT_EQ(Number("SELECT COUNT(*) FROM LOG_GERADOR"), 0);
  EXPECT_EQ(Number("SELECT LOG_GERADOR_ID FROM infra_ids"), 0);
}

TEST_F(JobProcedures, ProcedureAnswersBecomeTheRegistrationsMessage) {
  const std::pair<const char*, const char*> rows[] = {
      {"SELECT 1 AS Retorno, ''Fila cheia'' AS Msg_Ret", "Problemas na inclusão do JOB (Fila cheia)."},
      {"SELECT 2 AS Retorno, NULL AS Msg_Ret", "Problemas na inclusão do JOB ()."},
      {"SELECT 0 AS Retorno WHERE 0", "Problemas na inclusão do JOB."},
  };
  for (const auto& [body, expected] : rows) {
    db_.Execute(std::string("UPDATE TPL_PROCEDURE SET BODY = '") + body +
                "' WHERE PROCEDURE_NAME = 'SP_KMB_INC_JOB2'");
    db_.Execute("DELETE FROM LOG_MSG");
    JobRequest request{"SQLSERVER", db_.connection_string()};
    EXPECT_FALSE(request.Register()) << body;
    EXPECT_EQ(CStr(request.message), expected) << body;
    EXPECT_EQ(Text("SELECT MSG01 FROM LOG_MSG"),
              "VRL_JOB.gInclui_JOB - " + Replace(Replace(expected, "(", ""), ")", ""))
        << body;
  }
}

TEST_F(JobProcedures, ParametersOfAnUnknownJobAreRefused) {
  int32_t job_id = 999, user = 57;
  std::string parameters = "999__JOB__", connection = db_.connection_string(), kind = "SQLSERVER";
  Variant message;
  EXPECT_FALSE(TPL().mInclui_Parametros_JOB(job_id, parameters, connection, kind, user, message));
  EXPECT_EQ(CStr(message), "Problemas na inclusão dos parâmetros do JOB (JOB não encontrado.).");
}

TEST_F(JobProcedures, GenerationLogOpensAndClosesEntries) {
  const std::pair<const char*, int32_t> calls[] = {
      {"'7', 12, null", 1}, {"'8', null, null", 2}, {"'7', 12, 1", 1}};
  for (const auto& [arguments, answer] : calls) {
    EXPECT_EQ(Number(std::string("EXEC SP_KMB_GRAVA_LOG_TEMPLATE_DINAMICO ") + arguments), answer)
        << arguments;
  }
  EXPECT_EQ(Text("SELECT GROUP_CONCAT(entry, ' ') FROM (SELECT USUARIO_INTERNET_ID || ':' || "
                 "IFNULL(TEMPLATE_DINAMICO_ID, '-') || ':' || (DATA_INICIO IS NOT NULL) || "
                 "(DATA_FIM IS NOT NULL) AS entry FROM LOG_TEMPLATE_DINAMICO "
                 "ORDER BY LOG_TEMPLATE_DINAMICO_ID)"),
            "7:12:11 8:-:10");
}

TEST_F(JobProcedures, EmailRequestRestoresApostrophesAndDropsTrailingBlanks) {
  const std::pair<const char*, const char*> rows[] = {
      {"'SELECT * FROM T WHERE A = ##x## ', 7, 'Vendas'", "Vendas|SELECT * FROM T WHERE A = 'x'"},
      {"'  SELECT ####   ', 7, 'D''Ávila'", "D'Ávila|  SELECT ''"},
  };
  for (const auto& [arguments, stored] : rows) {
    db::Recordset answer = db_.Query(std::string("EXEC Sp_061_Envia_Rel_Din_Email02 ") + arguments);
    EXPECT_EQ(CStr(answer.Value("Retorno")) + "|" + CStr(answer.Value("MsgRet")), "0|")
        << arguments;
    EXPECT_EQ(Text("SELECT USUARIO_INTERNET_ID || '|' || TITULO || '|' || TXT_QUERY || '|' || "
                   "(DATA_SOLICITACAO IS NOT NULL) || (DATA_ENVIO IS NULL) FROM REL_DIN_EMAIL "
                   "ORDER BY REL_DIN_EMAIL_ID DESC LIMIT 1"),
              std::string("7|") + stored + "|11")
        << arguments;
  }
}

}  // namespace
}  // namespace tpl
