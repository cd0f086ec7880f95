-- Background jobs: one row per job, read by the job processor.
CREATE TABLE LOG_GERADOR (
  LOG_GERADOR_ID INTEGER PRIMARY KEY,
  USUARIO_INTERNET_ID INTEGER,
  FUNCAO_ID INTEGER,
  TITULO_EMAIL VARCHAR(100),
  FLAG_ENVIA_EMAIL CHAR(1),
  TEXTO_EMAIL VARCHAR(255),
  ENDERECO_EMAIL VARCHAR(100),
  Tab_Status_JOB_ID INTEGER,
  Data_Inicio DATETIME,
  Email_Remetente VARCHAR(100),
  Endereco_anexo VARCHAR(255),
  TXT_QUERY TEXT,
  -- Local time, as GETDATE() gives it (CURRENT_TIMESTAMP would be UTC).
  DATA_INCLUSAO DATETIME DEFAULT (strftime('%Y/%m/%d %H:%M:%S', 'now', 'localtime'))
);
