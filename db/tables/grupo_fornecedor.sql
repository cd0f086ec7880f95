-- Supplier groups and the e-mail address that serves their users.
CREATE TABLE GRUPO_FORNECEDOR (
  GRUPO_FORNECEDOR_ID INTEGER PRIMARY KEY,
  EMAIL VARCHAR(100)
);
