-- Demo data for `tpl init-db --demo`: a small sales schema with every kind
-- of column a report shows (dates, decimals, whole numbers, texts), user
-- groups, and users with e-mail addresses, so that the whole road of a
-- report can be tried on one machine.

-- People, employees and users. User 1 is the one who is shown technical
-- details of failures; user 9 has no e-mail address, so his background
-- reports go to the support mailbox.
INSERT INTO PESSOA (PESSOA_ID, EMAIL) VALUES
  (1, 'admin@exemplo.com.br'),
  (5, 'ana.souza@exemplo.com.br'),
  (6, 'bruno.lima@exemplo.com.br'),
  (9, NULL);
INSERT INTO COLABORADOR (COLABORADOR_ID, PESSOA_ID) VALUES (1, 1), (5, 5), (6, 6), (9, 9);
INSERT INTO USUARIO (USUARIO_ID, COLABORADOR_ID) VALUES (1, 1), (5, 5), (6, 6), (9, 9);

INSERT INTO GRUPO_USUARIO (GRUPO_USUARIO_ID, DESC_GRUPO_USUARIO) VALUES
  (10, 'Vendas'),
  (20, 'Diretoria'),
  (30, 'Financeiro');

-- Sales: 3,000 rows over 2025 and 2026, spread over regions, products and
-- sellers by multiplicative hashing of the row number, so that every
-- database built from this script holds the same rows.
CREATE TABLE REGIAO (
  REGIAO_ID INTEGER PRIMARY KEY,
  NOME VARCHAR(40) NOT NULL
);
INSERT INTO REGIAO (REGIAO_ID, NOME) VALUES
  (1, 'Norte'), (2, 'Nordeste'), (3, 'Centro-Oeste'), (4, 'Sudeste'), (5, 'Sul');

CREATE TABLE PRODUTO (
  PRODUTO_ID INTEGER PRIMARY KEY,
  DESCRICAO VARCHAR(60) NOT NULL,
  CATEGORIA CHAR(3) NOT NULL,
  PRECO NUMERIC(12,2) NOT NULL
);
INSERT INTO PRODUTO (PRODUTO_ID, DESCRICAO, CATEGORIA, PRECO) VALUES
  (1, 'Café torrado 500 g', 'ALI', 18.90),
  (2, 'Açúcar cristal 1 kg', 'ALI', 4.75),
  (3, 'Sabão em pó 1 kg', 'LIM', 12.40),
  (4, 'Detergente 500 ml', 'LIM', 2.35),
  (5, 'Caderno universitário', 'PAP', 21.00),
  (6, 'Caneta esferográfica', 'PAP', 1.85),
  (7, 'Pão de queijo congelado', 'ALI', 15.60),
  (8, 'Água mineral 1,5 l', 'BEB', 2.99),
  (9, 'Suco de laranja 1 l', 'BEB', 8.49),
  (10, 'Guaraná 2 l', 'BEB', 7.80);

CREATE TABLE VENDA (
  VENDA_ID INTEGER PRIMARY KEY,
  DATA_VENDA DATETIME NOT NULL,
  REGIAO_ID INTEGER NOT NULL REFERENCES REGIAO (REGIAO_ID),
  PRODUTO_ID INTEGER NOT NULL REFERENCES PRODUTO (PRODUTO_ID),
  VENDEDOR VARCHAR(40) NOT NULL,
  CLIENTE VARCHAR(60) NOT NULL,
  QUANTIDADE INTEGER NOT NULL,
  VALOR_UNITARIO NUMERIC(12,2) NOT NULL,
  VALOR_TOTAL NUMERIC(14,2) NOT NULL,
  DESCONTO NUMERIC(5,3) NOT NULL
);

WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000),
sale AS (
  SELECT i,
         1 + ((i * 48271) % 2147483647) % 5 AS regiao,
         1 + ((i * 69621) % 2147483647 / 7) % 10 AS produto,
         1 + ((i * 16807) % 2147483647 / 3) % 40 AS quantidade,
         (((i * 40692) % 2147483399) % 6) * 0.025 AS desconto,
         date('2025-01-01', '+' || (((i * 39373) % 2147483647) % 700) || ' days') AS dia,
         printf('%02d:%02d:00', 8 + (i * 31) % 10, (i * 7) % 60) AS hora
  FROM n)
INSERT INTO VENDA
SELECT i,
       replace(dia, '-', '/') || ' ' || hora,
       regiao,
       produto,
       CASE i % 4 WHEN 0 THEN 'Ana Souza' WHEN 1 THEN 'Bruno Lima'
                  WHEN 2 THEN 'Carla Dias' ELSE 'Diego Alves' END,
       CASE i % 6 WHEN 0 THEN 'Mercado São Jorge' WHEN 1 THEN 'Padaria Pão Quente'
                  WHEN 2 THEN 'Supermercado Boa Compra' WHEN 3 THEN 'Armazém do Povo'
                  WHEN 4 THEN 'Loja Ação & Cia' ELSE 'Empório D''Ouro' END,
       quantidade,
       (SELECT PRECO FROM PRODUTO WHERE PRODUTO_ID = produto),
       round(quantidade * (SELECT PRECO FROM PRODUTO WHERE PRODUTO_ID = produto)
             * (1 - desconto), 2),
       desconto
FROM sale;
