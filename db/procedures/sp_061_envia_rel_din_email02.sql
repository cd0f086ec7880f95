-- Queues a request to run a report query later and e-mail the result to
-- the user. The caller writes every apostrophe of the query as "##" so
-- that the query travels inside one literal; they are restored here, and
-- the blanks after the query are dropped.
-- Answers Retorno 0 and an empty MsgRet.
CREATE PROCEDURE Sp_061_Envia_Rel_Din_Email02
  @pTXT_QUERY TEXT,
  @pUSUARIO_INTERNET_ID INTEGER,
  @pTITULO VARCHAR(255)
AS
INSERT INTO REL_DIN_EMAIL (USUARIO_INTERNET_ID, TITULO, TXT_QUERY, DATA_SOLICITACAO)
VALUES (@pUSUARIO_INTERNET_ID, @pTITULO, RTRIM(REPLACE(@pTXT_QUERY, '##', '''')),
        GETDATE());
SELECT 0 AS Retorno, '' AS MsgRet;
