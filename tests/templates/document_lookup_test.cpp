#include "support/suite.h"
#include "conventions/value_helpers.h"

namespace tpl {
namespace {

class DocumentLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.Execute("CREATE TABLE NOTA (NOTA_ID INTEGER, ARQUIVO_XML TEXT, OUTRO TEXT)");
    db_.Execute("INSERT INTO NOTA VALUES (15, '<nota>ação</nota>', 'a'), (16, NULL, 'b'), "
                "(17, 'primeira', 'c'), (17, 'segunda', 'd')");
  }
  Variant Fetch(const char* column, const char* table, const char* id_column, Variant id) {
    Variant connection(db_.connection_string()), user(Variant::Long(5)), kind("SQLSERVER"), c(column), t(table),
        i(id_column);
    document_ = Variant("antes");
    message_ = Variant();
    return TPL().gBusca_Arquivo_Xml(connection, user, kind, c, t, i, id, document_, message_);
  }
  testing::TempDatabase db_;
  Variant document_, message_;
};

TEST_F(DocumentLookup, ReadsTheColumnOfTheFirstMatchingRow) {
  const std::vector<std::pair<Variant, Variant>> rows = {
      {"15", "<nota>ação</nota>"}, {Variant::Long(16), ""}, {Variant::Long(17), "primeira"}, {"abc", "antes"},
      {Variant::Long(99), "antes"}};
  for (const auto& [id, expected] : rows) {
    EXPECT_EQ(Fetch("ARQUIVO_XML", "NOTA", "NOTA_ID", id), Variant::Integer(0)) << CStr(id) << CStr(message_);
    EXPECT_EQ(document_, expected) << CStr(id);
    EXPECT_TRUE(message_.IsEmpty()) << CStr(id);
  }
}

TEST_F(DocumentLookup, BadNamesFailThroughTheTrap) {
  const std::string sentence = "Acesso aos arquivo XML não disponível. Favor tentar mais tarde.";
  const char* bad[][3] = {
      {"ARQUIVO_XML || OUTRO", "NOTA", "NOTA_ID"}, {"ARQUIVO_XML", "NOTA; DROP TABLE NOTA", "NOTA_ID"},
      {"ARQUIVO_XML", "NOTA", "NOTA_ID = 15 OR 1"}, {"NAO_EXISTE", "NOTA", "NOTA_ID"}};
  for (const auto& names : bad) {
    EXPECT_EQ(Fetch(names[0], names[1], names[2], Variant::Long(15)), Variant::Integer(10))
        << names[0] << "|" << names[1] << "|" << names[2];
    EXPECT_EQ(message_, Variant(sentence)) << names[0];
    EXPECT_EQ(document_, Variant("antes"));
  }
  EXPECT_EQ(db_.Count("NOTA"), 4) << "the table survived";
}

TEST(PlainIdentifier, AcceptedAndRefusedNames) {
  for (const char* n : {"NOTA", "nota_id", "_x1", "ARQUIVO_XML"}) EXPECT_TRUE(IsPlainIdentifier(n)) << n;
  for (const char* n : {"", "1A", "A B", "A-B", "A.B", "A;", "ação", "A'"})
    EXPECT_FALSE(IsPlainIdentifier(n)) << n;
  for (const char* n : {"dbo.NOTA", "NOTA", "a.b.c"}) EXPECT_TRUE(IsQualifiedIdentifier(n)) << n;
  for (const char* n : {"dbo.", ".NOTA", "a..b", "dbo.NO TA"}) EXPECT_FALSE(IsQualifiedIdentifier(n)) << n;
}

}  // namespace
}  // namespace tpl
