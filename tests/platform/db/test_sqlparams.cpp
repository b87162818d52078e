#include "platform/db/ScriptRunner.h"
#include "platform/db/SqlParams.h"

#include <gtest/gtest.h>

using namespace db;

TEST(SqlParams, TranslatesNamesInOrderAndKeepsRepeats)
{
    const auto t = TranslateParams(QStringLiteral(
        "update T set A = :Precio, B = :Descuento*(100-:descuento)/100 where C = :precio"));
    EXPECT_EQ(t.sql, "update T set A = ?, B = ?*(100-?)/100 where C = ?");
    EXPECT_EQ(t.paramNames, (QStringList{"PRECIO", "DESCUENTO", "DESCUENTO", "PRECIO"}));
}

TEST(SqlParams, SkipsQuotesCommentsAndTimes)
{
    const auto t = TranslateParams(QStringLiteral(
        "select ':no', \"a:b\", '10:30' -- :comentario\n"
        "from T /* :bloque */ where X = :si and Y = 'it''s :quoted'"));
    EXPECT_EQ(t.paramNames, QStringList{"SI"});
    EXPECT_NE(t.sql.find("':no'"), std::string::npos);
    EXPECT_NE(t.sql.find("'it''s :quoted'"), std::string::npos);
    EXPECT_NE(t.sql.find("-- :comentario"), std::string::npos);
}

TEST(ScriptRunner, SplitsOnTerminatorAndHonoursSetTerm)
{
    const QStringList s = SplitScript(QStringLiteral(
        "create table A (X integer); -- comment; with semicolon\n"
        "insert into A values (';');\n"
        "SET TERM ^ ;\n"
        "create procedure P as begin insert into A values (1); end^\n"
        "SET TERM ; ^\n"
        "commit;"));
    ASSERT_EQ(s.size(), 4);
    EXPECT_EQ(s[1], "insert into A values (';')");
    EXPECT_TRUE(s[2].startsWith("create procedure P"));
    EXPECT_TRUE(s[2].endsWith("end"));
    EXPECT_EQ(s[3], "commit");
}
