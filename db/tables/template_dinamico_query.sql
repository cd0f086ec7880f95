-- The query text of a template, cut into pieces of at most 4000
-- characters; SEQUENCIA (1, 2, ...) keeps their order, and joining the
-- pieces in that order gives the text back unchanged.
CREATE TABLE TEMPLATE_DINAMICO_QUERY (
  TEMPLATE_DINAMICO_ID INTEGER NOT NULL REFERENCES TEMPLATE_DINAMICO (TEMPLATE_DINAMICO_ID),
  SEQUENCIA INTEGER NOT NULL,
  TXT_QUERY VARCHAR(4000),
  PRIMARY KEY (TEMPLATE_DINAMICO_ID, SEQUENCIA)
);
