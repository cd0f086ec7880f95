-- Identifier counters: a single row, one column per counter holding the
-- last identifier handed out.
CREATE TABLE infra_ids (
  LOG_GERADOR_ID INTEGER NOT NULL DEFAULT 0,
  LOG_SISTEMA_ID INTEGER NOT NULL DEFAULT 0
);

-- A second row would make the counters ambiguous.
CREATE TRIGGER infra_ids_single_row
BEFORE INSERT ON infra_ids
WHEN (SELECT COUNT(*) FROM infra_ids) > 0
BEGIN
  SELECT RAISE(ABORT, 'infra_ids tem uma única linha');
END;
