-- A body holding only END has no members.
CREATE PACKAGE BODY nothing AS END nothing;
