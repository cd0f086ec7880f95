// A complete e-mail job request with every argument of gInclui_JOB.
#pragma once

#include <string>
#include <vector>

#include "tpl/tpl.h"

namespace tpl::testing {

inline Variant ParameterArray(const std::vector<std::string>& values) {
  Array array = Array::Vector(static_cast<int32_t>(values.size()) - 1);
  for (size_t i = 0; i < values.size(); ++i) array.at(static_cast<int32_t>(i)) = Variant(values[i]);
  return Variant(std::move(array));
}

struct JobRequest {
  Variant kind, connection, user = Variant::Long(57), message, function = Variant::Long(80712),
      title = "Relatório mensal", flag = "S", job_id, parameters = ParameterArray({"A", "d'a"}),
      count = Variant::Integer(2), text = "Segue", recipient = "ana@x.com",
      start = "13/10/2001 10:20", sender = "o'brien@x.com", attachment = "/srv/d'agua.xlsx";

  JobRequest(const std::string& database_kind, const std::string& connection_string)
      : kind(database_kind), connection(connection_string) {}

  bool Register() {
    return TPL().gInclui_JOB(kind, connection, user, message, function, title, flag, job_id,
                             parameters, count, text, recipient, start, sender, attachment);
  }
};

}  // namespace tpl::testing
