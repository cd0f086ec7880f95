// Every database operation of a successful call of each method that writes to the database is made to fail in turn.
// Each run must end in the method's failure code and a sentence, close every connection and transaction, and leave
// nothing half-written beyond what the method's own rules allow. A method joins the walk with one row of sample
// arguments below. Methods that write nothing there, and those whose calls run the same code as another's row (a
// template's first save, a tested query, a job through the procedures), have none: their own tests check their
// failures.
#include <chrono>
#include <functional>
#include <map>

#include "database/fault_injection.h"
#include "database/lock_wait.h"
#include "support/suite.h"
#include "templates/template_host.h"
#include "tpl/text.h"

namespace tpl {
namespace {

using testing::TempDatabase;
using testing::Vector;
using Args = std::vector<Variant>;

// How a method tells its host that it failed.
enum class Failure {
  Code10,  // Integer 10 and a sentence
  False,   // false and a sentence
  True,    // true and a sentence: gGera_Arquivo_EDI answers true when nothing was handed over
};

struct Outcome {
  Variant result;
  std::string message, failed;  // the message slot; the operation made to fail
};

// A failure the method's own rules absorb: the call then completes.
struct Tolerance { const char* why; std::function<bool(const Outcome&, const TempDatabase&)> applies; };

// A method's sample arguments; kConnection stands for the walk's connection string.
struct Sample {
  const char* method;
  Args args;
  Failure failure;
  Tolerance tolerated = {};
  std::vector<const char*> unchanged = {};  // tables a failed call leaves exactly as they were
};
const Variant kConnection("<connection>");

Args Bound(Args args, const TempDatabase& db) {
  for (Variant& arg : args)
    if (arg == kConnection) arg = Variant(db.connection_string());
  return args;
}

const std::vector<const char*> kTemplate = {"TEMPLATE_DINAMICO", "TEMPLATE_DINAMICO_QUERY", "COLUNA_TEMPLATE_DINAMICO",
                                            "GRUPO_USUARIO_X_TEMPLATE"};
const char* const kQuery = "SELECT ID, CLIENTE FROM VENDA WHERE CLIENTE = {CLI} ORDER BY ID";

Variant Filters() { return testing::FilterMatrix({{Variant::Long(100), "Cliente", "{CLI}", "C", "S", "", "ana"}}); }

// The report run's time-out, e-mail switch and zero display: an unreadable one takes its default.
const Tolerance kParameterDefault{
    "a failing read of parameter 2001780, 15000 or 7018 gives its default", [](const Outcome& o, const TempDatabase&) {
      for (const char* id : {"2001780 ", "15000 ", "7018 "})
        if (o.failed.find("Tab_Parametro_Sistema_ID =  " + std::string(id)) != std::string::npos) return true;
      return false;
    }};
// On Oracle each job write is audited; a failed audit row is ignored and the job is whole.
const Tolerance kAuditIgnored{
    "the audit log ignores its own failures", [](const Outcome&, const TempDatabase& db) {
      return db.Count("LOG_SISTEMA") == 1 && db.Count("LOG_GERADOR WHERE TXT_QUERY = '2__JOB____A__B'") == 1;
    }};

// An alteration of template 1.
Args TemplateArgs() {
  testing::TemplateToSave t("SQLSERVER", CStr(kConnection));
  return {t.connection, t.user,  t.message,     t.kind,          Variant::Long(1), t.name,
          t.title,      t.subtitle, t.query,    t.group_lines,   t.group_columns,   t.groups,
          t.filter_lines, t.filter_columns, t.filters, t.code, t.email_flag};
}

Args JobArgs(const char* kind) {
  return {kind, kConnection, Variant::Long(5), "", Variant::Long(80712), "Relatório", "S", "",
          Vector({"A", "B"}), Variant::Integer(2), "Segue", "ana@x.com", "", "", ""};
}

const std::vector<Sample>& Samples() {
  const Variant c = kConnection, user = Variant::Long(5), one = Variant::Long(1), i1 = Variant::Integer(1),
                i7 = Variant::Integer(7);
  static const std::vector<Sample> samples = {
      {"gGrava_Template", TemplateArgs(), Failure::Code10, {}, kTemplate},
      {"gExclui_Template", {c, user, "", "SQLSERVER", one}, Failure::Code10, {}, kTemplate},
      {"gExclui_Filtro_Template", {c, user, "", "SQLSERVER", one, ""}, Failure::Code10, {}, kTemplate},
      {"gExecutar_Query",
       {c, user, "", "SQLSERVER", kQuery, Filters(), i1, i7, "", "", "", "", "Vendas", "", one, "N", "", "", "N"},
       Failure::Code10, kParameterDefault},
      {"gGera_Arquivo_EDI", {c, user, "", "SQLSERVER", kQuery, Filters(), "Vendas", "", i1, i7, "", one, "S", "Excel"},
       Failure::True},
      {"mVerifica_JOBs", {c, user, "", "SQLSERVER", "Vendas", "", i1, i7, "", kQuery, Filters(), one, "S", "TXT"},
       Failure::False},
      {"gInclui_JOB", JobArgs("ORACLE"), Failure::False, kAuditIgnored},
  };
  return samples;
}

// What every sample expects to find: user groups, user 5 with an address, a sales table, template 1 (groups 1 and 2)
// and job 1.
void Seed(const TempDatabase& db) {
  testing::AddUserGroups(db);
  db.SetParameter(23017, db.file().parent_path().string() + "/");  // where exports are written
  db.Execute("INSERT INTO PESSOA (PESSOA_ID, EMAIL) VALUES (1, 'ana@exemplo.com.br')");
  db.Execute("INSERT INTO COLABORADOR (COLABORADOR_ID, PESSOA_ID) VALUES (1, 1)");
  db.Execute("INSERT INTO USUARIO (USUARIO_ID, COLABORADOR_ID) VALUES (5, 1)");
  db.Execute("CREATE TABLE VENDA (ID INTEGER, CLIENTE VARCHAR(20))");
  db.Execute("INSERT INTO VENDA VALUES (1, 'ana'), (2, 'bia'), (3, 'ana')");
  ASSERT_EQ(testing::TemplateToSave("SQLSERVER", db.connection_string()).Save(), Variant::Integer(0));
  Args job = Bound(JobArgs("SQLSERVER"), db);
  ASSERT_EQ(TPL().Invoke("gInclui_JOB", job), Variant(true));
}

size_t MessageSlot(std::string_view method) {
  const auto& parameters = TPL::FindMethod(method)->parameters;
  for (size_t i = 0; i < parameters.size(); ++i)
    if (UCase(parameters[i].name).find("MSG_RET") != std::string::npos) return i;
  ADD_FAILURE() << method << " has no message slot";
  return 0;
}

Outcome Call(const Sample& sample, const TempDatabase& db) {
  Args args = Bound(sample.args, db);
  Outcome outcome;
  outcome.result = TPL().Invoke(sample.method, args);
  const Variant& message = args[MessageSlot(sample.method)];
  outcome.message = message.IsString() ? message.AsString() : "";
  return outcome;
}

// Whether the call completed (`failed` false) or failed with a sentence, as the method tells its host.
bool Ended(const Sample& sample, const Outcome& o, bool failed) {
  if (failed && o.message.empty()) return false;
  switch (sample.failure) {
    case Failure::Code10: return o.result == Variant::Integer(failed ? 10 : 0);
    case Failure::False: return o.result == Variant(!failed);
    case Failure::True: return o.result == Variant(failed);
  }
  return false;
}

TEST(FaultWalk, EveryOperationOfEverySampleFailsCleanly) {
  TempDatabase seed(testing::MemoryBackedFolder()), work(testing::MemoryBackedFolder());
  Seed(seed);
  ASSERT_FALSE(::testing::Test::HasFatalFailure());
  // A transaction left open would hold the write lock: the check below must find it at once instead of waiting for it.
  db::LockWaitLimitForTesting no_waiting(std::chrono::milliseconds(0));
  for (const Sample& sample : Samples()) {
    work.RestoreFrom(seed);
    std::map<std::string, std::string> before;
    for (const char* table : sample.unchanged) before[table] = work.Rows(std::string("SELECT * FROM ") + table);
    int operations = 0;
    {
      db::FaultInjection counting;
      Outcome outcome = Call(sample, work);
      operations = counting.operations();
      ASSERT_TRUE(Ended(sample, outcome, false)) << sample.method << ": " << outcome.message;
    }
    int faults = 0;
    for (int n = 1; n <= operations && faults < 3; ++n) {
      work.RestoreFrom(seed);
      const int open_before = db::FaultInjection::LiveConnections();
      Outcome outcome;
      {
        db::FaultInjection fault(n);
        outcome = Call(sample, work);
        outcome.failed = fault.failed();
      }
      const std::string where = std::string(sample.method) + ", operation " + std::to_string(n) + " of " +
                                std::to_string(operations) + " (" + outcome.failed + "): " + outcome.message;
      EXPECT_FALSE(outcome.failed.empty()) << where;
      EXPECT_EQ(db::FaultInjection::LiveConnections(), open_before) << where;
      EXPECT_NO_THROW(work.Execute("UPDATE infra_ids SET LOG_GERADOR_ID = LOG_GERADOR_ID")) << where;
      if (sample.tolerated.applies && sample.tolerated.applies(outcome, work)) {
        EXPECT_TRUE(Ended(sample, outcome, false)) << sample.tolerated.why << ": " << where;
      } else {
        EXPECT_TRUE(Ended(sample, outcome, true)) << testing::Show(outcome.result) << " " << where;
        for (const auto& [table, rows] : before)
          EXPECT_EQ(work.Rows("SELECT * FROM " + table), rows) << table << " after " << where;
      }
      if (::testing::Test::HasFailure()) ++faults;  // a few runs show a fault; hundreds would bury it
    }
  }
}

}  // namespace
}  // namespace tpl
