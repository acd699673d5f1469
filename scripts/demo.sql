-- The sample database scripts/demo serves: two small tables with text,
-- whole and decimal numbers, dates and a few NULLs.
CREATE TABLE customers (
  id      INTEGER PRIMARY KEY,
  name    VARCHAR(40) NOT NULL,
  city    VARCHAR(30),
  since   DATE,
  credit  DOUBLE
);

INSERT INTO customers VALUES (1, 'Ada Lindqvist',   'Uppsala',   '2019-03-14', 2500.0);
INSERT INTO customers VALUES (2, 'Bruno Ferreira',  'Porto',     '2020-11-02', 1200.5);
INSERT INTO customers VALUES (3, 'Chiara Romano',   NULL,        '2021-06-30', NULL);
INSERT INTO customers VALUES (4, 'Dmitri Volkov',   'Tallinn',   NULL,         0.0);
INSERT INTO customers VALUES (5, 'Emeka Okafor',    'Lagos',     '2023-01-09', 7300.25);

CREATE TABLE orders (
  id          INTEGER PRIMARY KEY,
  customer_id INTEGER NOT NULL REFERENCES customers(id),
  placed      DATE NOT NULL,
  quantity    INTEGER NOT NULL,
  price       NUMERIC(10,2) NOT NULL,
  note        VARCHAR(80)
);

INSERT INTO orders VALUES (101, 1, '2024-02-01', 3,  19.90, 'gift wrap');
INSERT INTO orders VALUES (102, 1, '2024-02-15', 1, 249.00, NULL);
INSERT INTO orders VALUES (103, 2, '2024-03-03', 12,  4.75, 'deliver after 5 pm');
INSERT INTO orders VALUES (104, 3, '2024-03-20', 2,  89.50, '');
INSERT INTO orders VALUES (105, 5, '2024-04-11', 7,  12.00, 'repeat order');
INSERT INTO orders VALUES (106, 5, '2024-05-02', 1, 999.99, NULL);
