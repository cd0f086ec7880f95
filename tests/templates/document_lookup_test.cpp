#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_database.h"
#include "templates/plain_identifier.h"
#include "tpl/conversions.h"
#include "tpl/tpl.h"

namespace tpl {
namespace {

using testing::TempDatabase;

class DocumentLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.Execute("CREATE TABLE NOTA (NOTA_ID INTEGER, ARQUIVO_XML TEXT, OUTRO TEXT)");
    db_.Execute("INSERT INTO NOTA VALUES (15, '<nota>ação</nota>', 'a'), (16, NULL, 'b'), "
                "(17, 'primeira', 'c'), (17, 'segunda', 'd')");
  }

  Variant Fetch(const char* column, const char* table, const char* id_column, Variant id,
                Variant user = Variant::Long(5)) {
    Variant connection(db_.connection_string());
    Variant kind("SQLSERVER");
    Variant c(column), t(table), i(id_column);
    TPL tpl;
    return tpl.gBusca_Arquivo_Xml(connection, user, kind, c, t, i, id, document_, message_);
  }

  TempDatabase db_;
  Variant document_{"antes"};
  Variant message_;
};

TEST_F(DocumentLookup, ReadsTheColumnOfTheFirstMatchingRow) {
  struct Row {
    Variant id;
    Variant expected;
  };
  std::vector<Row> rows = {
      {Variant::Long(15), Variant("<nota>ação</nota>")},
      {Variant("15"), Variant("<nota>ação</nota>")},
      {Variant::Long(16), Variant("")},
      {Variant::Long(17), Variant("primeira")},
      {Variant::Long(0), Variant("antes")},
      {Variant(""), Variant("antes")},
      {Variant("abc"), Variant("antes")},
      {Variant::Long(99), Variant("antes")},
  };
  for (const Row& row : rows) {
    document_ = Variant("antes");
    message_ = Variant();
    EXPECT_EQ(Fetch("ARQUIVO_XML", "NOTA", "NOTA_ID", row.id), Variant::Integer(0))
        << CStr(row.id) << " " << CStr(message_);
    EXPECT_EQ(document_, row.expected) << CStr(row.id);
    EXPECT_TRUE(message_.IsEmpty()) << CStr(row.id);
  }
}

TEST_F(DocumentLookup, BadNamesFailThroughTheTrap) {
  const char* bad[][3] = {
      {"ARQUIVO_XML || OUTRO", "NOTA", "NOTA_ID"},
      {"ARQUIVO_XML", "NOTA; DROP TABLE NOTA", "NOTA_ID"},
      {"ARQUIVO_XML", "NOTA", "NOTA_ID = 15 OR 1"},
      {"NAO_EXISTE", "NOTA", "NOTA_ID"},
      {"ARQUIVO_XML", "TABELA_NAO_EXISTE", "NOTA_ID"},
      {"", "NOTA", "NOTA_ID"},
  };
  for (const auto& names : bad) {
    message_ = Variant();
    EXPECT_EQ(Fetch(names[0], names[1], names[2], Variant::Long(15)), Variant::Integer(10))
        << names[0] << "|" << names[1] << "|" << names[2];
    EXPECT_EQ(message_, Variant("Acesso aos arquivo XML não disponível. Favor tentar mais tarde."))
        << names[0];
    EXPECT_EQ(document_, Variant("antes"));
  }
  EXPECT_EQ(CLng(db_.Scalar("SELECT COUNT(*) FROM NOTA")), 4) << "the table survived";
  EXPECT_EQ(CLng(db_.Scalar("SELECT COUNT(*) FROM LOG_MSG")), 6);
}

TEST_F(DocumentLookup, UserOneSeesTheStatement) {
  EXPECT_EQ(Fetch("NAO_EXISTE", "NOTA", "NOTA_ID", Variant::Long(15), Variant::Long(1)),
            Variant::Integer(10));
  std::string message = CStr(message_);
  EXPECT_EQ(message.rfind("Acesso aos arquivo XML não disponível. Favor tentar mais tarde. "
                          "KMBICC.gBusca_Arquivo_Xml ( ",
                          0),
            0u)
      << message;
  EXPECT_NE(message.find(" No Nº "), std::string::npos) << message;
  EXPECT_NE(message.find(" Strsq:  Select NAO_EXISTE From NOTA WHERE NOTA_ID = 15 "),
            std::string::npos)
      << message;
}

TEST(PlainIdentifier, AcceptedAndRefusedNames) {
  for (const char* name : {"NOTA", "nota_id", "_x1", "ARQUIVO_XML"})
    EXPECT_TRUE(IsPlainIdentifier(name)) << name;
  for (const char* name : {"", "1A", "A B", "A-B", "A.B", "A;", "ação", "A'"})
    EXPECT_FALSE(IsPlainIdentifier(name)) << name;
  for (const char* name : {"dbo.NOTA", "NOTA", "a.b.c"})
    EXPECT_TRUE(IsQualifiedIdentifier(name)) << name;
  for (const char* name : {"dbo.", ".NOTA", "a..b", "dbo.NO TA"})
    EXPECT_FALSE(IsQualifiedIdentifier(name)) << name;
}

}  // namespace
}  // namespace tpl
