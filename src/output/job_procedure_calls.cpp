// The SQL Server texts of job registration: calls of the two job
// procedures with literal arguments.
#include "output/job_literals.h"
#include "output/job_statements.h"

namespace tpl {

std::string JobInsertCall(const JobRowValues& job) {
  return "EXEC SP_KMB_INC_JOB2   " + ServerNumber(job.user) + ", " + ServerNumber(job.function) +
         ", " + ServerText(job.title) + ", " + ServerText(job.flag) + ", " +
         ServerNumber(job.user) + ", " + ServerText(job.text) + ", " +
         ServerText(job.recipient) + " , " + ServerNumber(job.status) + " , " +
         ServerText(job.sender) + " , " + ServerText(job.attachment) + " , " +
         ServerDate(job.start_date) + "  ";
}

std::string JobParametersCall(int32_t job_id, const std::string& parameters, int32_t user) {
  return "EXEC SP_KMB_INCLUI_PARAMETRO_JOB3   " + ServerNumber(job_id) + ", " +
         ServerText(parameters) + ", " + ServerNumber(user);
}

}  // namespace tpl
