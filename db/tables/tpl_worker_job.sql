-- Bookkeeping of the background worker (`tpl worker`): one row per job of
-- LOG_GERADOR (ORIGEM 'J') or e-mail request of REL_DIN_EMAIL (ORIGEM 'E')
-- the worker has taken up. The rows the library writes stay as they are;
-- the worker claims a job here with a conditional UPDATE, so two workers
-- never hold the same one.
--   ESTADO      P pending, A running, C done, F failed
--   DONO        the claim of the worker holding it (null when nobody does)
--   PRAZO       while running: the end of the claim's lease; while pending:
--               the earliest time of the next try (null: at once). Time
--               since 1970-01-01 UTC, in milliseconds.
--   TENTATIVAS  how many times it was taken up
CREATE TABLE TPL_WORKER_JOB (
  ORIGEM CHAR(1) NOT NULL,
  ORIGEM_ID INTEGER NOT NULL,
  USUARIO_INTERNET_ID INTEGER,
  ESTADO CHAR(1) NOT NULL,
  DONO VARCHAR(100),
  PRAZO BIGINT,
  TENTATIVAS INTEGER NOT NULL,
  DATA_INICIO DATETIME,
  DATA_FIM DATETIME,
  LINHAS INTEGER,
  ARQUIVO VARCHAR(255),
  DETALHE VARCHAR(500),
  PRIMARY KEY (ORIGEM, ORIGEM_ID)
);
CREATE INDEX TPL_WORKER_JOB_USUARIO ON TPL_WORKER_JOB (USUARIO_INTERNET_ID);
