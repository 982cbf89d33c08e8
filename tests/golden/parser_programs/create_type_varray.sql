-- CREATE TYPE ... AS VARRAY keeps the limit digits and the element type.
CREATE TYPE names IS VARRAY(25) OF VARCHAR2(30);
