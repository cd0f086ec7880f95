-- Creates a template header and hands its new identifier back in the
-- output parameter pTEMPLATE_ID (the form called for Oracle). Texts longer
-- than their parameter's declared size are cut to it, as the servers do.
CREATE PROCEDURE SP_KMB_INCLUI_TEMPLATE02
  @pTEMPLATE_ID INTEGER OUTPUT,
  @pNOME_RELATORIO VARCHAR(30),
  @pTITULO VARCHAR(100),
  @pSUB_TIT_FILTROS VARCHAR(100),
  @pUSUARIO_ID INTEGER,
  @pSigla VARCHAR(8),
  @pFlag_Envio_Email VARCHAR(1)
AS
INSERT INTO TEMPLATE_DINAMICO (NOME_RELATORIO, TITULO, SUB_TIT_FILTROS, TEMPLATE_DINAMICO_SIGLA,
                               FLAG_ENVIO_EMAIL, USUARIO_INCLUSAO, DATA_INCLUSAO)
VALUES (SUBSTR(@pNOME_RELATORIO, 1, 30), SUBSTR(@pTITULO, 1, 100), SUBSTR(@pSUB_TIT_FILTROS, 1, 100),
        SUBSTR(@pSigla, 1, 8), SUBSTR(@pFlag_Envio_Email, 1, 1), @pUSUARIO_ID, GETDATE());
UPDATE params SET pTEMPLATE_ID = (SELECT MAX(TEMPLATE_DINAMICO_ID) FROM TEMPLATE_DINAMICO);
