-- Registers a background job: a new LOG_GERADOR row with status and
-- e-mail data, its identifier taken from the LOG_GERADOR_ID counter of
-- infra_ids. The counter is raised before it is read, so two calls never
-- receive the same identifier. A function code that is not positive is
-- refused and nothing is written.
-- Answers Retorno (0 accepted, 1 refused), Msg_Ret and LOG_GERADOR_ID.
CREATE PROCEDURE SP_KMB_INC_JOB2
  @pUSUARIO_INTERNET_ID INTEGER,
  @pFUNCAO_ID INTEGER,
  @pTITULO_EMAIL VARCHAR(100),
  @pFLAG_ENVIA_EMAIL CHAR(1),
  @pUSUARIO_INCLUSAO INTEGER,
  @pTEXTO_EMAIL VARCHAR(255),
  @pENDERECO_EMAIL VARCHAR(100),
  @pTAB_STATUS_JOB_ID INTEGER,
  @pEMAIL_REMETENTE VARCHAR(100),
  @pENDERECO_ANEXO VARCHAR(255),
  @pDATA_INICIO VARCHAR(30),
  @pLOG_GERADOR_ID INTEGER OUTPUT
AS
UPDATE infra_ids SET LOG_GERADOR_ID = LOG_GERADOR_ID + 1
 WHERE IFNULL(@pFUNCAO_ID, 0) > 0;
UPDATE params SET pLOG_GERADOR_ID = (SELECT LOG_GERADOR_ID FROM infra_ids)
 WHERE IFNULL(pFUNCAO_ID, 0) > 0;
INSERT INTO LOG_GERADOR (LOG_GERADOR_ID, USUARIO_INTERNET_ID, FUNCAO_ID, TITULO_EMAIL,
                         FLAG_ENVIA_EMAIL, TEXTO_EMAIL, ENDERECO_EMAIL, Tab_Status_JOB_ID,
                         Data_Inicio, Email_Remetente, Endereco_anexo)
SELECT @pLOG_GERADOR_ID, @pUSUARIO_INTERNET_ID, @pFUNCAO_ID, @pTITULO_EMAIL,
       @pFLAG_ENVIA_EMAIL, @pTEXTO_EMAIL, @pENDERECO_EMAIL, @pTAB_STATUS_JOB_ID,
       TO_DATE(@pDATA_INICIO), @pEMAIL_REMETENTE, @pENDERECO_ANEXO
 WHERE @pLOG_GERADOR_ID IS NOT NULL;
SELECT CASE WHEN @pLOG_GERADOR_ID IS NULL THEN 1 ELSE 0 END AS Retorno,
       CASE WHEN @pLOG_GERADOR_ID IS NULL
            THEN 'O código da função deve ser maior que zero.' ELSE '' END AS Msg_Ret,
       IFNULL(@pLOG_GERADOR_ID, 0) AS LOG_GERADOR_ID;
