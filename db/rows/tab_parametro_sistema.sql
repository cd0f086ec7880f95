INSERT INTO Tab_Parametro_Sistema (Tab_Parametro_Sistema_ID, Parametro, Descricao) VALUES
  (2001780, '90', 'Tempo limite das consultas de relatório, em segundos'),
  (15000, 'N', 'S: tempo limite do servidor vira solicitação de envio por e-mail'),
  (7018, 'N', 'S: colunas decimais mostram o zero como 0,00'),
  (23042, '1000', 'Maior número de linhas mostrado na tela'),
  (5070, '50', 'Maior número de colunas mostrado na tela'),
  (2001849, 'N', 'S: a busca de e-mail dos JOBs também conhece usuários de grupo de fornecedor'),
  (23017, '/var/tmp/', 'Pasta em que as planilhas são gravadas'),
  (23018, '', 'Prefixo posto antes do nome da planilha devolvida'),
  (23022, '', 'Lido pela exportação de planilhas; não usado'),
  (6408, '', 'Lido pela exportação de planilhas; não usado'),
  (2001850, 'suporte@localhost', 'E-mail de suporte que recebe os relatórios de usuários sem e-mail');
