// The worker on the embedded database: claiming among several workers,
// leases of workers that died, failures that end a job with a sentence,
// and the files written in blocks.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <algorithm>
#include <fstream>
#include <set>
#include <thread>

#include "jobs/job_queue.h"
#include "jobs/report_file.h"
#include "database/command.h"
#include "sentences/sentences.h"
#include "support/suite.h"
#include "support/zip_parts.h"
#include "tpl/job_worker.h"

namespace tpl::jobs {
namespace {

using namespace std::chrono_literals;

// A port on 127.0.0.1 where nothing listens: bound, then closed.
int ClosedPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  const bool named = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                     getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0;
  close(s);
  // Port 9 (discard) when no free port could be had: nothing listens there either.
  return named ? ntohs(address.sin_port) : 9;
}

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
  std::vector<WorkerSummary> summaries(4);
  {
    std::vector<std::jthread> workers;
    for (int i = 0; i < 4; ++i)
      workers.emplace_back([&, i] {
        WorkerOptions options = Options();
        options.lease_seconds = 60;
        summaries[i] = RunOnce(options);
      });
  }
  int64_t done = 0;
  for (const WorkerSummary& summary : summaries) {
    done += summary.done;
    EXPECT_EQ(summary.failed + summary.retried, 0);
  }
  EXPECT_EQ(done, 200);
  EXPECT_EQ(db_.Count("TPL_WORKER_JOB WHERE ESTADO = 'C' AND TENTATIVAS = 1 AND DONO IS NULL"), 200);
  EXPECT_EQ(db_.Count("REL_DIN_EMAIL WHERE DATA_ENVIO IS NULL"), 0);
  EXPECT_EQ(Messages(), 200);
  // Every file is its own request's.
  std::set<std::string> files;
  db::Recordset rows = db_.Query("SELECT ORIGEM_ID, ARQUIVO FROM TPL_WORKER_JOB");
  for (; !rows.Eof(); rows.MoveNext()) {
    const std::string file = CStr(rows.Value("ARQUIVO"));
    EXPECT_TRUE(file.ends_with("-E" + CStr(rows.Value("ORIGEM_ID")) + ".xlsx")) << file;
    EXPECT_TRUE(std::filesystem::is_regular_file(files_.path() / file)) << file;
    files.insert(file);
  }
  EXPECT_EQ(files.size(), 200u);
}

// A failure leaves no file, not even a temporary one, and sends nothing.
TEST_F(Worker, AFailureEndsTheJobWithItsSentenceAndALogRow) {
  struct Row { std::string query; int32_t user; std::string sentence; };
  const Row rows[] = {
      {"SELECT * FROM NOWHERE", 5, std::string(sentences::kWorkerQueryFailed)},
      {"SELECT 1 AS A", 77, std::string(sentences::kWorkerNoAddress)},  // a user the database does not know
      {"SELECT 1 AS A WHERE 1 = 0", 5, std::string(sentences::kNoRecords)},
      // Failing at its 11,000th row, after two blocks were written.
      {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12000) "
       "SELECT abs(CASE WHEN i = 11000 THEN -9223372036854775807 - 1 ELSE i END) AS A FROM n",
       5, std::string(sentences::kWorkerQueryFailed)},
  };
  for (const Row& row : rows) AddRequest(row.query, row.user);
  const WorkerSummary first = RunOnce(Options());
  EXPECT_EQ(first.failed, 4);
  for (int32_t id = 1; id <= 4; ++id) {
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
  options.smtp_port = ClosedPort();
  options.max_attempts = 3;
  for (int attempt = 1; attempt <= 3; ++attempt) {
    const WorkerSummary summary = RunOnce(options);
    EXPECT_EQ(summary.retried, attempt < 3 ? 1 : 0) << attempt;
    EXPECT_EQ(summary.failed, attempt < 3 ? 0 : 1) << attempt;
    if (attempt < 3) {
      EXPECT_EQ(Bookkeeping(1), "P|" + std::to_string(attempt) + "|" + std::string(sentences::kWorkerMailRetry));
      EXPECT_EQ(RunOnce(options).retried, 0) << "not before the wait";
      std::this_thread::sleep_for(1100ms);
    }
  }
  EXPECT_EQ(Bookkeeping(1), "F|3|" + Compose(sentences::kWorkerMailFailed, "3"));
  EXPECT_EQ(db_.Count("LOG_MSG WHERE MSG01 LIKE 'tpl worker E1: %'"), 3);
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

long StatusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
  return -1;
}

// The growth of the peak resident memory of a child process that runs `sql` and writes its rows as a TXT file the
// way the worker does (blocks as they are fetched) or from the whole fetched result, in whole megabytes up to 254, told
// by its exit status; 255 on failure.
int PeakGrowthWriting(const std::string& connection_string, const std::string& sql,
                      const std::filesystem::path& target, bool in_blocks) {
  const pid_t child = fork();
  if (child == 0) {
    try {
      std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
      const long before = StatusKilobytes("VmRSS");
      db::Connection connection(connection_string, db::CallLimits::OutsideAnyCall());
      db::Command command(connection);
      command.SetCommandText(sql);
      const FileContent content;
      if (in_blocks) {
        std::unique_ptr<ReportFileWriter> writer;
        command.ExecuteInBlocks(kRowsPerBlock, [&](db::ResultSet& block) {
          if (!writer) writer = OpenTextFile(block.columns, target, content);
          writer->Write(block);
        });
        writer->Finish();
      } else {
        db::Recordset fetched = command.Execute();
        WriteTextFile(fetched.Current(), target, content);
      }
      _exit(static_cast<int>(std::min(254L, (StatusKilobytes("VmHWM") - before) / 1024)));
    } catch (...) {
    }
    _exit(255);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

// 200,000 rows with a 200-character text: written as fetched, the file needs a small part of what the whole
// result needs, and the two files are the same.
TEST_F(Worker, ALargeJobWritesItsFileWithoutHoldingTheResult) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine: resident memory tells nothing here";
#endif
  db_.Execute("CREATE TABLE GRANDE (ID INTEGER, TEXTO VARCHAR(200), VALOR NUMERIC(12,2))");
  db_.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) "
              "INSERT INTO GRANDE SELECT i, printf('%0200d', i), i * 1.25 FROM n");
  const std::string sql = "SELECT ID, TEXTO, VALOR FROM GRANDE ORDER BY ID";
  const int streamed = PeakGrowthWriting(db_.connection_string(), sql, files_.path() / "blocos.txt", true);
  const int whole = PeakGrowthWriting(db_.connection_string(), sql, files_.path() / "inteiro.txt", false);
  ASSERT_TRUE(streamed < 255 && whole < 255) << "a child failed";
  ASSERT_GT(whole, 40) << "the whole result holds at least its 40 MB of text";
  EXPECT_LT(streamed, whole / 4) << streamed << " MB as fetched, " << whole << " MB whole";
  std::ifstream a(files_.path() / "blocos.txt", std::ios::binary);
  std::ifstream b(files_.path() / "inteiro.txt", std::ios::binary);
  const std::string streamed_text((std::istreambuf_iterator<char>(a)), {});
  const std::string whole_text((std::istreambuf_iterator<char>(b)), {});
  EXPECT_EQ(std::count(streamed_text.begin(), streamed_text.end(), '\n'), 200001);
  EXPECT_TRUE(streamed_text == whole_text);
}

// Rows 1 to n of one integer column, as a provider delivers them.
db::ResultSet Numbers(int64_t count) {
  db::ResultSet rows;
  rows.columns.push_back({"Numero", db::DataType::Integer, 0});
  for (int64_t i = 1; i <= count; ++i) rows.cells.push_back(Variant::Long(static_cast<int32_t>(i)));
  return rows;
}

TEST(ReportFile, ALargeWorkbookIsWrittenInConstantMemoryWithAnAutofilter) {
  testing::TempFolder folder;
  struct Row { int64_t rows; bool table; };
  for (const Row row : {Row{kRowsPerBlock * 2 + 1, true}, Row{kConstantMemoryRows + 1, false}}) {
    db::ResultSet rows = Numbers(row.rows);
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
  for (Variant cell : {Variant("Loja; Ação"), Variant(1234.5), Variant("Bar"), Variant(0.0)})
    rows.cells.push_back(cell);
  const auto path = folder.path() / "r.txt";
  WriteTextFile(rows, path, FileContent{});
  std::ifstream file(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), {});
  EXPECT_EQ(text, "Cliente;Valor\r\n\"Loja; Ação\";1234,50\r\nBar;\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1)
      << "no temporary file is left";
}

}  // namespace
}  // namespace tpl::jobs
