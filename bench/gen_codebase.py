#!/usr/bin/env python3
"""Writes a PL/SQL code base of a given size for measuring `xcomp --report` on something like a real
one: schemas of package heads and bodies, standalone procedures and functions, triggers, object and
collection types, and install scripts that mix units with plain SQL and SQL*Plus commands. About one
unit in eight uses something the translator refuses (AUTHID CURRENT_USER, FORALL ... SAVE EXCEPTIONS,
compound triggers, type bodies, methods in object types, syntax it does not take). The same seed
gives the same tree.

usage: gen_codebase.py OUT_DIR [--size 300M] [--units 12000] [--seed 1]
"""
import argparse
import os
import random

TABLES = ["orders", "order_lines", "customers", "invoices", "payments", "products", "stock_moves",
          "shipments", "employees", "accounts", "ledger_entries", "audit_log"]
COLUMNS = ["id", "status", "amount", "created_at", "updated_by", "qty", "price", "note", "code", "region"]


class Writer:
    """Builds PL/SQL text with the names of one unit."""

    def __init__(self, rng):
        self.rng = rng

    def name(self, prefix):
        return "%s_%s_%d" % (prefix, self.rng.choice(["calc", "load", "check", "post", "sync", "fix", "get",
                                                       "apply", "close", "open", "book"]), self.rng.randint(1, 999))

    def table(self):
        return self.rng.choice(TABLES)

    def column(self):
        return self.rng.choice(COLUMNS)

    def condition(self, v):
        r = self.rng.random()
        if r < 0.3:
            return "%s > %d" % (v, self.rng.randint(0, 1000))
        if r < 0.6:
            return "%s IS NOT NULL AND %s <> %d" % (v, v, self.rng.randint(1, 9))
        return "l_status = '%s'" % self.rng.choice(["OPEN", "CLOSED", "HELD", "NEW"])

    def statements(self, depth, budget):
        """Statements of about `budget` bytes, indented for `depth`."""
        pad = "  " * depth
        out = []
        size = 0
        while size < budget:
            r = self.rng.random()
            t, c = self.table(), self.column()
            if r < 0.14:
                s = "%sl_count := l_count + %d;\n" % (pad, self.rng.randint(1, 9))
            elif r < 0.24:
                s = ("%sSELECT COUNT(*) INTO l_count FROM %s WHERE %s = p_id AND %s IS NOT NULL;\n"
                     % (pad, t, c, self.column()))
            elif r < 0.34:
                s = ("%sUPDATE %s SET %s = %s, updated_by = USER WHERE id = p_id;\n"
                     % (pad, t, c, "l_total" if c in ("amount", "qty", "price") else "l_status"))
            elif r < 0.42:
                s = ("%sINSERT INTO audit_log (id, action, created_at) VALUES (audit_seq.NEXTVAL, '%s', SYSDATE);\n"
                     % (pad, self.name("act")))
            elif r < 0.52 and depth < 4:
                inner = self.statements(depth + 1, min(budget - size, 300))
                s = "%sIF %s THEN\n%s%sELSE\n%s  l_status := 'HELD';\n%sEND IF;\n" % (
                    pad, self.condition("l_total"), inner, pad, pad, pad)
            elif r < 0.60 and depth < 4:
                inner = self.statements(depth + 1, min(budget - size, 300))
                s = "%sFOR r IN (SELECT id, %s FROM %s WHERE %s = p_id) LOOP\n%s%s  l_total := l_total + 1;\n%sEND LOOP;\n" % (
                    pad, c, t, self.column(), inner, pad, pad)
            elif r < 0.66 and depth < 4:
                inner = self.statements(depth + 1, min(budget - size, 200))
                s = "%sWHILE l_count < %d LOOP\n%s%s  l_count := l_count + 1;\n%sEND LOOP;\n" % (
                    pad, self.rng.randint(10, 100), inner, pad, pad)
            elif r < 0.72 and depth < 4:
                s = ("%sBEGIN\n%s  SELECT %s INTO l_status FROM %s WHERE id = p_id;\n%sEXCEPTION\n"
                     "%s  WHEN NO_DATA_FOUND THEN\n%s    l_status := 'NEW';\n%sEND;\n" % (
                         pad, pad, "status", t, pad, pad, pad, pad))
            elif r < 0.77:
                s = ("%sEXECUTE IMMEDIATE 'DELETE FROM %s WHERE id = :1' USING p_id;\n" % (pad, t))
            elif r < 0.82:
                s = ("%sl_note := SUBSTR(l_note || '%s', 1, 200);\n" % (pad, self.name("n")))
            elif r < 0.87:
                s = ("%sIF SQL%%ROWCOUNT = 0 THEN\n%s  RAISE_APPLICATION_ERROR(-20%03d, 'no %s for ' || p_id);\n%sEND IF;\n"
                     % (pad, pad, self.rng.randint(0, 999), t, pad))
            elif r < 0.92:
                s = ("%sl_total := NVL(l_total, 0) + ROUND(%d * 1.5, 2);\n" % (pad, self.rng.randint(1, 500)))
            else:
                s = ("%s-- %s keeps %s in step with %s\n%sNULL;\n" % (pad, self.name("step"), t, self.table(), pad))
            out.append(s)
            size += len(s)
        return "".join(out)

    def routine_body(self, budget, handler=True):
        text = ("  l_count  PLS_INTEGER := 0;\n  l_total  NUMBER := 0;\n  l_status VARCHAR2(20) := 'NEW';\n"
                "  l_note   VARCHAR2(200);\nBEGIN\n")
        text += self.statements(1, budget)
        if handler:
            text += "EXCEPTION\n  WHEN OTHERS THEN\n    ROLLBACK;\n    RAISE;\n"
        return text


def procedure(w, name, budget, standalone, refused=False):
    head = "CREATE OR REPLACE PROCEDURE " if standalone else "  PROCEDURE "
    authid = " AUTHID CURRENT_USER" if refused else ""
    text = "%s%s (p_id IN NUMBER, p_note IN VARCHAR2 DEFAULT NULL)%s IS\n" % (head, name, authid)
    body = w.routine_body(budget)
    if not standalone:
        body = "".join("  " + line if line else line for line in body.splitlines(True))
    return text + body + ("END %s;\n" % name if standalone else "  END %s;\n" % name)


def function(w, name, budget, standalone):
    head = "CREATE OR REPLACE FUNCTION " if standalone else "  FUNCTION "
    text = "%s%s (p_id IN NUMBER) RETURN NUMBER IS\n" % (head, name)
    body = w.routine_body(budget, handler=False) + "  RETURN l_total;\n"
    if not standalone:
        body = "".join("  " + line for line in body.splitlines(True))
    return text + body + ("END %s;\n" % name if standalone else "  END %s;\n" % name)


def package_head(w, pkg, members):
    text = "CREATE OR REPLACE PACKAGE %s AS\n  -- %s: public interface\n" % (pkg, pkg)
    text += "  c_version CONSTANT VARCHAR2(10) := '%d.%d';\n" % (w.rng.randint(1, 9), w.rng.randint(0, 20))
    text += "  TYPE t_id_list IS TABLE OF NUMBER INDEX BY PLS_INTEGER;\n"
    for kind, name in members:
        if kind == "p":
            text += "  PROCEDURE %s (p_id IN NUMBER, p_note IN VARCHAR2 DEFAULT NULL);\n" % name
        else:
            text += "  FUNCTION %s (p_id IN NUMBER) RETURN NUMBER;\n" % name
    return text + "END %s;\n" % pkg


def package_body(w, pkg, members, budget, refused):
    text = "CREATE OR REPLACE PACKAGE BODY %s AS\n\n  g_calls PLS_INTEGER := 0;\n\n" % pkg
    per = max(400, budget // max(1, len(members)))
    for i, (kind, name) in enumerate(members):
        if kind == "p":
            text += procedure(w, name, per, False) + "\n"
        else:
            text += function(w, name, per, False) + "\n"
        if refused and i == len(members) // 2:
            text += ("  PROCEDURE purge_batch (p_ids IN t_id_list) IS\n  BEGIN\n"
                     "    FORALL i IN 1 .. p_ids.COUNT SAVE EXCEPTIONS\n"
                     "      DELETE FROM %s WHERE id = p_ids(i);\n  END purge_batch;\n\n" % w.table())
    return text + "END %s;\n" % pkg


def trigger(w, name, refused):
    t = w.table()
    if refused:
        return ("CREATE OR REPLACE TRIGGER %s\n  FOR UPDATE ON %s\n  COMPOUND TRIGGER\n"
                "  g_rows PLS_INTEGER := 0;\n  AFTER EACH ROW IS\n  BEGIN\n    g_rows := g_rows + 1;\n"
                "  END AFTER EACH ROW;\nEND %s;\n" % (name, t, name))
    text = ("CREATE OR REPLACE TRIGGER %s\n  BEFORE INSERT OR UPDATE ON %s\n  FOR EACH ROW\nBEGIN\n"
            "  :NEW.updated_by := USER;\n  IF :NEW.amount < 0 THEN\n"
            "    RAISE_APPLICATION_ERROR(-20%03d, 'negative amount on %s');\n  END IF;\n" % (
                name, t, w.rng.randint(0, 999), t))
    return text + "END;\n"


def object_type(w, name, refused):
    fields = ",\n".join("  %s_%d NUMBER" % (w.column(), i) for i in range(w.rng.randint(2, 6)))
    if refused:
        fields += ",\n  MEMBER FUNCTION total RETURN NUMBER"
    return "CREATE OR REPLACE TYPE %s AS OBJECT (\n%s\n);\n" % (name, fields)


def type_body(w, name):
    return ("CREATE OR REPLACE TYPE BODY %s AS\n  MEMBER FUNCTION total RETURN NUMBER IS\n  BEGIN\n"
            "    RETURN 0;\n  END;\nEND;\n" % name)


def block(w, budget):
    return "DECLARE\n" + w.routine_body(budget) + "END;\n"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--size", default="300M", help="total bytes, with an optional K or M")
    parser.add_argument("--units", type=int, default=12000, help="about how many units")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    factor = {"K": 1000, "M": 1000 * 1000}.get(args.size[-1].upper(), 1)
    total = int(float(args.size.rstrip("kKmM")) * factor)
    rng = random.Random(args.seed)
    w = Writer(rng)

    # A module is a package head and body with about ten small units beside it (about 45 KB of them);
    # the bodies carry most of the bytes, so their size follows from the totals asked for.
    modules = max(1, round(args.units / 11.65))
    small = 45000
    body_budget = max(2000, total // modules - small)
    written = 0
    units = 0
    m = 0
    while written < total:
        schema = "schema_%02d" % (m % 40)
        folder = os.path.join(args.out, schema)
        os.makedirs(folder, exist_ok=True)
        pkg = "pkg_%s_%d" % (rng.choice(["billing", "stock", "hr", "crm", "gl", "ship"]), m)
        members = [("p" if rng.random() < 0.6 else "f", w.name("m%d" % k)) for k in range(rng.randint(3, 25))]
        refused = rng.random() < 0.10
        files = {}
        files[pkg + ".pks"] = package_head(w, pkg, members) + "/\n"
        size = int(body_budget * rng.uniform(0.3, 1.7))
        files[pkg + ".pkb"] = package_body(w, pkg, members, size, refused) + "/\n"
        units += 2
        for k in range(rng.randint(2, 5)):
            name = w.name("p%d" % m)
            files["%s.prc" % name] = procedure(w, name, rng.randint(1500, 9000), True, rng.random() < 0.06) + "/\n"
            units += 1
        name = w.name("f%d" % m)
        files["%s.fnc" % name] = function(w, name, rng.randint(1000, 5000), True) + "/\n"
        units += 1
        name = "trg_%s_%d" % (w.table(), m)
        files[name + ".trg"] = trigger(w, name, rng.random() < 0.08) + "/\n"
        units += 1
        tname = "t_%s_%d" % (w.table(), m)
        with_methods = rng.random() < 0.1
        files[tname + ".tps"] = object_type(w, tname, with_methods) + "/\n" + \
            "CREATE OR REPLACE TYPE %s_list AS TABLE OF %s;\n/\n" % (tname, tname)
        units += 2
        if with_methods:
            files[tname + ".tpb"] = type_body(w, tname) + "/\n"
            units += 1
        # An install script: SQL*Plus settings, tables, grants, blocks, a package dropped and made again.
        script = "SET ECHO OFF\nSET DEFINE OFF\nPROMPT installing %s\n\n" % pkg
        script += "CREATE TABLE %s_cfg (id NUMBER PRIMARY KEY, value VARCHAR2(100));\n\n" % pkg
        script += block(w, rng.randint(500, 3000)) + "/\n\n"
        script += "GRANT EXECUTE ON %s TO app_role;\n\nDROP PACKAGE %s_old;\n\n" % (pkg, pkg)
        if rng.random() < 0.05:
            script += "BEGIN\n  l_count := ;\nEND;\n/\n"
            units += 1
        script += "COMMIT;\n"
        units += 2
        files["install_%s.sql" % pkg] = script
        for file_name, text in files.items():
            with open(os.path.join(folder, file_name), "w") as f:
                f.write(text)
            written += len(text)
        m += 1
    print("%s: %d files, %d units, %.1f MB" % (args.out, sum(len(fs) for _, _, fs in os.walk(args.out)), units,
                                                written / 1e6))


if __name__ == "__main__":
    main()
