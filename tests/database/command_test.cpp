// Commands on an open connection: a stored procedure with named input and output parameters, outputs read back by name,
// on the embedded database.
#include "database/command.h"

#include <gtest/gtest.h>

#include "values/error_number.h"
#include "support/temp_database.h"

namespace tpl::db {
namespace {

using platform_test::ErrorNumber;

constexpr auto kIn = ParameterDirection::Input;

// Registers a job through SP_KMB_INC_JOB2; the parameters are named as the procedure declares them, in another order
// and case, some with "@".
TEST(Command, RunsAStoredProcedureWithNamedParameters) {
  testing::TempDatabase database;
  Connection connection(database.connection_string(), CallLimits::OutsideAnyCall());
  Command command(connection);
  command.SetCommandType(CommandType::StoredProcedure);
  command.SetCommandText("SP_KMB_INC_JOB2");
  command.AppendParameter("@pLOG_GERADOR_ID", DataType::Integer, ParameterDirection::Output, 0, Variant());
  command.AppendParameter("pFUNCAO_ID", DataType::Integer, kIn, 0, Variant(12));
  command.AppendParameter("@pUsuario_Internet_Id", DataType::Integer, kIn, 0, Variant(57));
  command.AppendParameter("pTITULO_EMAIL", DataType::VarChar, kIn, 100, Variant("Relatório"));
  command.AppendParameter("pFLAG_ENVIA_EMAIL", DataType::Char, kIn, 1, Variant("S"));
  command.AppendParameter("pTAB_STATUS_JOB_ID", DataType::Integer, kIn, 0, Variant(1));

  Recordset answer = command.Execute();
  ASSERT_TRUE(answer.IsOpen() && !answer.Eof());
  EXPECT_EQ(answer.Value("Retorno"), Variant(0));
  const Variant job = answer.Value("LOG_GERADOR_ID");
  EXPECT_EQ(job, Variant(1));
  for (const char* name : {"pLOG_GERADOR_ID", "@plog_gerador_id", "PLOG_GERADOR_ID"}) {
    EXPECT_EQ(command.ParameterValue(name), job) << name;
  }
  EXPECT_EQ(command.ParameterValue("pusuario_internet_id"), Variant(57)) << "inputs are left alone";
  EXPECT_EQ(ErrorNumber([&] { command.ParameterValue("pNAO_EXISTE"); }), error::kItemNotFound);
  EXPECT_EQ(database.Rows("SELECT USUARIO_INTERNET_ID, FUNCAO_ID, TITULO_EMAIL FROM LOG_GERADOR"), "57|12|Relatório");
}

}  // namespace
}  // namespace tpl::db
