// The worker on the embedded database: claiming among several workers,
// leases of workers that died, failures that end a job with a sentence,
// and the report files it writes.
#include <chrono>
#include <fstream>
#include <thread>

#include "jobs/job_queue.h"
#include "jobs/report_file.h"
#include "sentences/sentences.h"
#include "support/suite.h"
#include "support/zip_parts.h"
#include "tpl/job_worker.h"

namespace tpl::jobs {
namespace {

using namespace std::chrono_literals;

class Worker : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.SetParameter(23017, files_.path().string() + "/");
    db_.Execute("INSERT INTO PESSOA (PESSOA_ID, EMAIL) VALUES (5, 'ana@exemplo.com.br')");
    db_.Execute("INSERT INTO COLABORADOR (COLABORADOR_ID, PESSOA_ID) VALUES (5, 5)");
    db_.Execute("INSERT INTO USUARIO (USUARIO_ID, COLABORADOR_ID) VALUES (5, 5)");
  }

  void AddRequest(const std::string& query, int32_t user = 5) const {
    db_.Execute("INSERT INTO REL_DIN_EMAIL (USUARIO_INTERNET_ID, TITULO, TXT_QUERY, DATA_SOLICITACAO) "
                "VALUES (" + std::to_string(user) + ", 'Vendas', '" + query + "', '2026/12/06 10:00:00')");
  }

  WorkerOptions Options() const {
    return {.connection_string = db_.connection_string(), .outbox = outbox_.path().string(),
            .sender = "relatorios@localhost", .once = true, .lease_seconds = 1};
  }

  WorkerSummary RunOnce(const WorkerOptions& options) const {
    return RunWorker(options, [](const std::string&) {});
  }

  int Messages() const {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(outbox_.path()))
      count += entry.path().extension() == ".eml";
    return count;
  }

  std::string Bookkeeping(int32_t id) const {
    return db_.Rows("SELECT ESTADO, TENTATIVAS, DETALHE FROM TPL_WORKER_JOB WHERE ORIGEM = 'E' AND "
                    "ORIGEM_ID = " + std::to_string(id));
  }

  testing::TempDatabase db_;
  testing::TempFolder files_;
  testing::TempFolder outbox_;
};

TEST_F(Worker, FourWorkersTake200RequestsEachExactlyOnce) {
  for (int i = 1; i <= 200; ++i) AddRequest("SELECT " + std::to_string(i) + " AS Numero");
  WorkerOptions options = Options();
  options.lease_seconds = 60;
  {
    std::vector<std::jthread> workers;
    for (int i = 0; i < 4; ++i) workers.emplace_back([&] { RunOnce(options); });
  }
  EXPECT_EQ(db_.Count("TPL_WORKER_JOB WHERE ESTADO = 'C' AND TENTATIVAS = 1 AND DONO IS NULL"), 200);
  EXPECT_EQ(db_.Count("REL_DIN_EMAIL WHERE DATA_ENVIO IS NULL"), 0);
  EXPECT_EQ(Messages(), 200);
  // Every request has a file of its own.
  EXPECT_EQ(db_.Count("TPL_WORKER_JOB WHERE ARQUIVO LIKE '%-E' || ORIGEM_ID || '.xlsx'"), 200);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(files_.path()), {}), 200);
}

// A failure leaves no file, not even a temporary one, and sends nothing.
TEST_F(Worker, AFailureEndsTheJobWithItsSentenceAndALogRow) {
  struct Row { std::string query; int32_t user; std::string sentence; };
  const Row rows[] = {
      {"SELECT 1 AS A", 77, std::string(sentences::kWorkerNoAddress)},  // a user the database does not know
      {"SELECT 1 AS A WHERE 1 = 0", 5, std::string(sentences::kNoRecords)},
      // Failing at its 11,000th row, after two blocks were written.
      {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12000) "
       "SELECT abs(CASE WHEN i = 11000 THEN -9223372036854775807 - 1 ELSE i END) AS A FROM n",
       5, std::string(sentences::kWorkerQueryFailed)},
  };
  for (const Row& row : rows) AddRequest(row.query, row.user);
  EXPECT_EQ(RunOnce(Options()).failed, 3);
  for (int32_t id = 1; id <= 3; ++id) {
    const Row& row = rows[id - 1];
    EXPECT_EQ(Bookkeeping(id), "F|1|" + row.sentence) << row.query;
    EXPECT_EQ(db_.Count("LOG_MSG WHERE MSG01 LIKE 'tpl worker E" + std::to_string(id) + ": %'"), 1)
        << row.query;
  }
  std::this_thread::sleep_for(1100ms);  // past any lease
  const WorkerSummary second = RunOnce(Options());
  EXPECT_EQ(second.done + second.failed + second.retried, 0) << "a failed job is not taken again";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(files_.path()), {}), 0) << "no file, no temporary";
  EXPECT_EQ(Messages(), 0);
}

TEST_F(Worker, AnUnreachableMailServerIsTriedAFewTimesThenTheJobFails) {
  AddRequest("SELECT 1 AS A");
  WorkerOptions options = Options();
  options.outbox.clear();
  options.smtp_port = 9;  // discard: nothing listens there on 127.0.0.1
  options.max_attempts = 2;
  EXPECT_EQ(RunOnce(options).retried, 1);
  EXPECT_EQ(Bookkeeping(1), "P|1|" + std::string(sentences::kWorkerMailRetry));
  EXPECT_EQ(RunOnce(options).retried, 0) << "not before the wait";
  std::this_thread::sleep_for(1100ms);
  EXPECT_EQ(RunOnce(options).failed, 1);
  EXPECT_EQ(Bookkeeping(1), "F|2|" + Compose(sentences::kWorkerMailFailed, "2"));
  EXPECT_EQ(db_.Count("LOG_MSG WHERE MSG01 LIKE 'tpl worker E1: %'"), 2);
  // The file stays, named in the job, for whoever sends it by hand.
  const std::string file = CStr(db_.Scalar("SELECT ARQUIVO FROM TPL_WORKER_JOB"));
  EXPECT_TRUE(std::filesystem::is_regular_file(files_.path() / file)) << file;
  EXPECT_EQ(db_.Count("REL_DIN_EMAIL WHERE DATA_ENVIO IS NULL"), 1);
}

// Claims of a worker that died (its queue writes the time in the Oracle form) hold while their leases run; then another
// takes them up, until the limit of attempts.
TEST_F(Worker, AClaimWhoseWorkerDiedIsTakenAgainAfterItsLeaseAndGivenUpAtTheLimit) {
  for (const char* query : {"SELECT 1 AS A", "SELECT 2 AS A", "SELECT 3 AS A"}) AddRequest(query);
  JobQueue dead(db_.connection_string(), "ORACLE", 1, 2);
  std::vector<AbandonedJob> abandoned;
  for (int32_t id = 1; id <= 3; ++id) ASSERT_EQ(dead.Claim("dead-" + std::to_string(id), abandoned)->key.id, id);
  EXPECT_FALSE(dead.Claim("dead-x", abandoned)) << "all are held";
  EXPECT_EQ(RunOnce(Options()).done, 0) << "held while their leases run";
  std::this_thread::sleep_for(1100ms);
  // Request 2 dies a second time: its last allowed attempt.
  ASSERT_EQ(dead.Claim("dead-4", abandoned)->key.id, 1);
  ASSERT_TRUE(dead.Finish({{JobOrigin::EmailRequest, 1}, 5, 2}, "dead-4", false, 0, "", "x"));
  ASSERT_EQ(dead.Claim("dead-5", abandoned)->key.id, 2);
  EXPECT_FALSE(dead.Renew("dead-2")) << "the first claim on it is gone";
  EXPECT_FALSE(dead.Finish({{JobOrigin::EmailRequest, 2}, 5, 1}, "dead-2", true, 1, "f", ""));
  std::this_thread::sleep_for(1100ms);

  WorkerOptions options = Options();
  options.max_attempts = 2;
  const WorkerSummary summary = RunOnce(options);
  EXPECT_EQ(summary.failed, 1);
  EXPECT_EQ(Bookkeeping(2), "F|2|" + Compose(sentences::kWorkerInterrupted, "2"));
  EXPECT_EQ(db_.Count("LOG_MSG WHERE MSG01 LIKE 'tpl worker E2: %'"), 1);
  EXPECT_EQ(summary.done, 1);
  EXPECT_EQ(Bookkeeping(3), "C|2|");
  EXPECT_EQ(Messages(), 1);
}

TEST(ReportFile, ALargeWorkbookIsWrittenInConstantMemoryWithAnAutofilter) {
  testing::TempFolder folder;
  struct Row { int64_t rows; bool table; };
  for (const Row row : {Row{kRowsPerBlock * 2 + 1, true}, Row{kConstantMemoryRows + 1, false}}) {
    db::ResultSet rows;  // 1 to n in one column, as a provider delivers them
    rows.columns.push_back({"Numero", db::DataType::Integer, 0});
    for (int64_t i = 1; i <= row.rows; ++i) rows.cells.push_back(Variant::Long(static_cast<int32_t>(i)));
    const auto path = folder.path() / ("n" + std::to_string(row.rows) + ".xlsx");
    int64_t last_progress = 0;
    FileContent content{"Título", "Sub", Variant("N"), [&](int64_t written) { last_progress = written; }};
    WriteWorkbookFile(rows, path, content);
    EXPECT_EQ(last_progress, row.rows);
    const auto parts = testing::ZipParts(path);
    const std::string& sheet = parts.at("xl/worksheets/sheet1.xml");
    const std::string last = std::to_string(row.rows + 3);
    EXPECT_NE(sheet.find("<row r=\"" + last + "\""), std::string::npos) << row.rows;
    EXPECT_NE(sheet.find("<c r=\"A" + last + "\" s=\""), std::string::npos) << row.rows;
    EXPECT_EQ(parts.contains("xl/tables/table1.xml"), row.table) << row.rows;
    const bool filter = sheet.find("<autoFilter ref=\"A3:A" + last + "\"") != std::string::npos;
    EXPECT_EQ(filter, !row.table) << row.rows;
  }
}

TEST(ReportFile, TextFileHasAHeaderAndOneLinePerRow) {
  testing::TempFolder folder;
  db::ResultSet rows;
  rows.columns = {{"Cliente", db::DataType::VarChar, 0}, {"Valor", db::DataType::Numeric, 2}};
  // Only the fields that need it are quoted, a quote inside doubled.
  for (Variant cell : {Variant("Loja; Ação"), Variant(1234.5), Variant("diz \"oi\""), Variant(0.0),
                       Variant("linha\r\noutra"), Variant(0.0)})
    rows.cells.push_back(cell);
  const auto path = folder.path() / "r.txt";
  WriteTextFile(rows, path, FileContent{});
  std::ifstream file(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), {});
  EXPECT_EQ(text, "Cliente;Valor\r\n\"Loja; Ação\";1234,50\r\n\"diz \"\"oi\"\"\";\r\n\"linha\r\noutra\";\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1)
      << "no temporary file is left";
}

}  // namespace
}  // namespace tpl::jobs
