-- People and their e-mail addresses.
CREATE TABLE PESSOA (
  PESSOA_ID INTEGER PRIMARY KEY,
  EMAIL VARCHAR(100)
);
