// The host's variables around the template methods: a template to save (every argument of gGrava_Template) and the
// outputs of reading one back.
#pragma once

#include <string>
#include <vector>

#include "support/suite.h"

namespace tpl::testing {

// Groups 1 to 3 exist; group links to any other are refused.
inline void AddUserGroups(const TempDatabase& db) {
  db.Execute("INSERT INTO GRUPO_USUARIO VALUES (1, 'Vendas'), (2, 'Compras'), (3, 'Diretoria')");
}

// Rows of the four template tables, as "template/query pieces/filters/group links".
inline std::string TemplateTables(const TempDatabase& db) {
  std::string counts;
  for (const char* table : {"TEMPLATE_DINAMICO", "TEMPLATE_DINAMICO_QUERY", "COLUNA_TEMPLATE_DINAMICO",
                            "GRUPO_USUARIO_X_TEMPLATE"})
    counts += (counts.empty() ? "" : "/") + std::to_string(db.Count(table));
  return counts;
}

struct TemplateToSave {
  Variant connection, user{Variant::Long(5)}, message, kind, id{Variant::Long(0)},
      name{"Vendas"}, title{"Vendas (por) cliente"}, subtitle{" Mensal "},
      query{"SELECT DESC_GRUPO_USUARIO FROM GRUPO_USUARIO WHERE GRUPO_USUARIO_ID >= {NUM} "
            "AND DESC_GRUPO_USUARIO <> {NOME}"},
      group_lines, group_columns{Variant::Integer(2)}, groups, filter_lines,
      filter_columns{Variant::Integer(7)}, filters, code{" VND "}, email_flag{"N"};

  TemplateToSave(const std::string& database_kind, const std::string& connection_string)
      : connection(connection_string), kind(database_kind) {
    SetGroups({1, 2});
    SetFilters({{Variant::Long(0), "Número", "{NUM}", "N", "S", "", ""},
                {Variant::Long(0), "Nome", "{NOME}", "C", Variant::Long(1), "", ""}});
  }
  // The group matrix as the host sends it back: identifier and description, one spare row and column.
  void SetGroups(const std::vector<int32_t>& identifiers) {
    std::vector<std::vector<Variant>> rows;
    for (int32_t id : identifiers) rows.push_back({Variant::Long(id), "grupo"});
    group_lines = Variant::Long(static_cast<int32_t>(rows.size()));
    groups = Matrix(static_cast<int32_t>(rows.size()), 2, rows);
  }
  void SetFilters(const std::vector<std::vector<Variant>>& rows) {
    filter_lines = Variant::Long(static_cast<int32_t>(rows.size()));
    filters = FilterMatrix(rows);
  }
  Variant Save() {
    return TPL().gGrava_Template(connection, user, message, kind, id, name, title, subtitle, query,
                                 group_lines, group_columns, groups, filter_lines, filter_columns,
                                 filters, code, email_flag);
  }
};

// The outputs of gObter_Dados_Template, each starting as "host" so that an output left untouched shows.
struct TemplateRead {
  Variant connection, user{Variant::Long(5)}, message, kind, id, name{"host"}, title{"host"},
      subtitle{"host"}, filters{"host"}, filter_lines{"host"}, filter_columns{"host"},
      query{"host"}, want_groups{"S"}, group_lines{"host"}, group_columns{"host"},
      groups{"host"}, code{"host"}, email_flag{"host"};

  TemplateRead(const std::string& database_kind, const std::string& connection_string, Variant template_id)
      : connection(connection_string), kind(database_kind), id(std::move(template_id)) {}
  Variant Read() {
    return TPL().gObter_Dados_Template(connection, user, message, kind, id, name, title, subtitle,
                                       filters, filter_lines, filter_columns, query, want_groups,
                                       group_lines, group_columns, groups, code, email_flag);
  }
};

}  // namespace tpl::testing
