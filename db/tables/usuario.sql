-- Users: an employee (COLABORADOR) or a member of a supplier group, which
-- is where the user's e-mail address is found.
CREATE TABLE USUARIO (
  USUARIO_ID INTEGER PRIMARY KEY,
  COLABORADOR_ID INTEGER,
  GRUPO_FORNECEDOR_ID INTEGER
);
