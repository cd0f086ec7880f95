-- Reads one template: its header columns on every row, and one row per
-- query piece in stored order (txt_query). A template without query pieces
-- gives one row whose txt_query is null; an unknown template gives none.
CREATE PROCEDURE Sp_Kmb_Consulta_Template05
  @pTEMPLATE_ID INTEGER
AS
SELECT T.NOME_RELATORIO, T.TITULO, T.SUB_TIT_FILTROS, T.TEMPLATE_DINAMICO_SIGLA,
       T.FLAG_ENVIO_EMAIL, Q.TXT_QUERY AS txt_query
  FROM TEMPLATE_DINAMICO T
  LEFT JOIN TEMPLATE_DINAMICO_QUERY Q ON Q.TEMPLATE_DINAMICO_ID = T.TEMPLATE_DINAMICO_ID
 WHERE T.TEMPLATE_DINAMICO_ID = @pTEMPLATE_ID
 ORDER BY Q.SEQUENCIA;
