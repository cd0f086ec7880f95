-- Stores the parameter text of a background job, which the job processor
-- reads to know what to run. A job identifier without a LOG_GERADOR row
-- is refused.
-- Answers Retorno (0 stored, 1 refused) and Msg_Ret.
CREATE PROCEDURE SP_KMB_INCLUI_PARAMETRO_JOB3
  @pLOG_GERADOR_ID INTEGER,
  @pTXT_QUERY TEXT,
  @pUSUARIO_INTERNET_ID INTEGER
AS
UPDATE LOG_GERADOR SET TXT_QUERY = @pTXT_QUERY WHERE LOG_GERADOR_ID = @pLOG_GERADOR_ID;
SELECT CASE WHEN found THEN 0 ELSE 1 END AS Retorno,
       CASE WHEN found THEN '' ELSE 'JOB não encontrado.' END AS Msg_Ret
  FROM (SELECT EXISTS (SELECT 1 FROM LOG_GERADOR WHERE LOG_GERADOR_ID = @pLOG_GERADOR_ID)
               AS found);
