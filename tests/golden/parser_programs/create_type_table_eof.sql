-- CREATE TYPE ... AS TABLE OF may end the request without a semicolon.
CREATE OR REPLACE TYPE num_list AS TABLE OF NUMBER(10)