-- Requests to run a report query later and e-mail its result to the user.
-- DATA_ENVIO stays empty until the e-mail has gone.
CREATE TABLE REL_DIN_EMAIL (
  REL_DIN_EMAIL_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  USUARIO_INTERNET_ID INTEGER,
  TITULO VARCHAR(255),
  TXT_QUERY TEXT,
  DATA_SOLICITACAO DATETIME,
  DATA_ENVIO DATETIME
);
