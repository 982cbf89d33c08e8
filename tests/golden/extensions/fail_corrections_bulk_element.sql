-- xcomp: --extend corrections
-- BULK COLLECT INTO an element of a collection: the default writes the subscript's tokens as targets of
-- their own (SET ( = NULL); the correction refuses it with a plain message.
CREATE OR REPLACE PROCEDURE load_price_pairs IS
  TYPE num_tab IS TABLE OF NUMBER;
  l_low  num_tab;
  l_high num_tab;
BEGIN
  SELECT low_price, high_price
    BULK COLLECT INTO l_low(1), l_high(1)
    FROM price_bands;
END load_price_pairs;
/
