-- xcomp: --print-tree
-- An empty specification has no member list.
CREATE PACKAGE empty_pkg IS
END;
