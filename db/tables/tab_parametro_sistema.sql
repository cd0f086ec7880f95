-- System parameters: one text value per numeric identifier (limits,
-- switches and folders that the library reads at run time).
CREATE TABLE Tab_Parametro_Sistema (
  Tab_Parametro_Sistema_ID INTEGER PRIMARY KEY,
  Parametro VARCHAR(255),
  Descricao VARCHAR(255)
);
