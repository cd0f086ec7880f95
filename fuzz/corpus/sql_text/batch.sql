SET ANSI_WARNINGS ON
SET NOCOUNT ON
SELECT ISNULL(a, 0), SYSDATE, t.SYSDATE FROM t WHERE x = 'it''s; -- not a comment' /* c; */;
EXEC [dbo].[SP_X];
SELECT "a;b", [c;d], `e;f` FROM t;;
-- the end