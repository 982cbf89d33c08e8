-- An empty package head has no member list.
CREATE PACKAGE empty_pkg IS
END;
