#include "templates/template_host.h"

namespace tpl {
namespace {

class TemplateDeletion : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::AddUserGroups(db_);
    testing::TemplateToSave saved("SQLSERVER", db_.connection_string());
    ASSERT_EQ(saved.Save(), Variant::Integer(0)) << CStr(saved.message);
  }
  std::string Stored() const { return testing::TemplateTables(db_); }
  Variant DeleteTemplate(Variant id, Variant connection = {}) {
    if (connection.IsEmpty()) connection = Variant(db_.connection_string());
    return TPL().gExclui_Template(connection, user_, message_, kind_, id);
  }
  Variant DeleteFilters(Variant id, Variant column_id) {
    Variant connection(db_.connection_string());
    return TPL().gExclui_Filtro_Template(connection, user_, message_, kind_, id, column_id);
  }
  testing::TempDatabase db_;
  Variant user_{Variant::Long(5)}, message_, kind_{"SQLSERVER"};
};

// Deleting the filters takes them all, whatever the column identifier; deleting the template takes the rest.
TEST_F(TemplateDeletion, FiltersThenTheTemplateWithEverythingThatBelongsToIt) {
  ASSERT_EQ(Stored(), "1/1/2/2");
  for (const Variant& column_id : {Variant::Long(1), Variant("qualquer"), Variant::Null()})
    EXPECT_EQ(DeleteFilters(Variant::Long(1), column_id), Variant::Integer(0)) << CStr(message_);
  EXPECT_EQ(Stored(), "1/1/0/2");
  EXPECT_EQ(DeleteTemplate(Variant::Long(42)), Variant::Integer(0)) << "existence is not checked";
  EXPECT_EQ(DeleteTemplate(Variant(" 1 ")), Variant::Integer(0)) << CStr(message_);
  EXPECT_EQ(Stored(), "0/0/0/0");
}

// A blank identifier is refused without touching the database; other failures are trapped, logged and keep everything.
TEST_F(TemplateDeletion, RefusalsAndFailuresDeleteNothing) {
  EXPECT_EQ(DeleteTemplate(Variant("   "), Variant("Data Source=/nonexistent/tpl.db")), Variant::Integer(10));
  EXPECT_EQ(message_, Variant("Informe o relatório para exclusão."));
  EXPECT_EQ(DeleteTemplate(Variant("um")), Variant::Integer(10));
  EXPECT_EQ(message_, Variant("Acesso a exclusão dos dados não disponível. Favor tentar mais tarde."));
  EXPECT_EQ(db_.Count("LOG_MSG WHERE MSG01 LIKE '% KMBTPL01.mExclui_Template %'"), 1);
  EXPECT_EQ(Stored(), "1/1/2/2");
}

}  // namespace
}  // namespace tpl
