#!/usr/bin/env python3
"""Writes a code base that uses the constructs xcomp --extend is for, the way table-API code does: packages
with EXCEPTION_INIT(-1400) and FORALL ... SAVE EXCEPTIONS, banner comments holding '/*', helper
functions nested in procedures, q-quoted messages, AUTHID CURRENT_USER heads, object types created
with FORCE, autonomous logging functions and triggers that test UPDATING('column'), beside plain units
the default translation takes. The last two come from a random stream of their own, so the units the
first ones make stay as they were.

usage: bench/gen_extend_codebase.py OUT [--tables N] [--seed S]
Then: xcomp --report R OUT    and    xcomp --report R --extend all OUT
"""
import argparse
import os
import random

COLUMNS = ["name", "status", "amount", "created_on", "owner_id", "region", "code", "notes"]


def banner(rng, title):
    if rng.random() < 0.5:
        return f"/*{'*' * 60}\n * {title}\n *{'*' * 60}*/\n"
    # The kind of banner a tool or a hurried edit leaves: a '/*' inside the comment.
    return f"/*{'=' * 60}\n * {title}   /* generated, do not edit\n *{'=' * 60}*/\n"


def package_head(rng, table):
    authid = " AUTHID CURRENT_USER" if rng.random() < 0.3 else ""
    return (f"CREATE OR REPLACE PACKAGE {table}_api{authid} AS\n"
            f"  PROCEDURE ins (p_name IN VARCHAR2, p_amount IN NUMBER);\n"
            f"  PROCEDURE del (p_id IN NUMBER);\n"
            f"END {table}_api;\n/\n")


def package_body(rng, table):
    cols = rng.sample(COLUMNS, 3)
    out = f"CREATE OR REPLACE PACKAGE BODY {table}_api AS\n"
    out += banner(rng, f"{table}_api: table API for {table.upper()}")
    uses_init = rng.random() < 0.6
    if uses_init:
        out += "  e_null_column EXCEPTION;\n  PRAGMA EXCEPTION_INIT(e_null_column, -1400);\n"
    uses_bulk = rng.random() < 0.25
    if uses_bulk:
        out += "  e_bulk EXCEPTION;\n  PRAGMA EXCEPTION_INIT(e_bulk, -24381);\n"
    quote = "q'[" + table + " row can't be saved]'" if rng.random() < 0.3 else f"'{table} row cannot be saved'"
    out += ("  PROCEDURE ins (p_name IN VARCHAR2, p_amount IN NUMBER) IS\n  BEGIN\n"
            f"    INSERT INTO {table} ({cols[0]}, {cols[1]}) VALUES (p_name, p_amount);\n")
    if uses_init:
        out += ("  EXCEPTION\n    WHEN e_null_column THEN\n"
                f"      RAISE_APPLICATION_ERROR(-20001, {quote});\n")
    out += "  END ins;\n"
    out += "  PROCEDURE del (p_id IN NUMBER) IS\n"
    if uses_bulk:
        out += ("    TYPE id_list IS TABLE OF NUMBER;\n    l_ids id_list;\n  BEGIN\n"
                f"    SELECT id BULK COLLECT INTO l_ids FROM {table} WHERE owner_id = p_id;\n"
                f"    FORALL i IN 1 .. l_ids.COUNT SAVE EXCEPTIONS\n      DELETE FROM {table} WHERE id = l_ids(i);\n"
                "  EXCEPTION\n    WHEN e_bulk THEN NULL;\n")
    else:
        out += f"  BEGIN\n    DELETE FROM {table} WHERE id = p_id;\n"
    out += f"  END del;\nEND {table}_api;\n/\n"
    return out


def helper_procedure(rng, table):
    if rng.random() < 0.5:
        return (f"CREATE OR REPLACE PROCEDURE archive_{table} (p_days IN NUMBER) IS\n"
                f"  l_cut DATE := SYSDATE - p_days;\nBEGIN\n"
                f"  INSERT INTO {table}_hist SELECT * FROM {table} WHERE created_on < l_cut;\n"
                f"  DELETE FROM {table} WHERE created_on < l_cut;\nEND;\n/\n")
    return (f"CREATE OR REPLACE PROCEDURE tidy_{table} IS\n"
            f"  FUNCTION cutoff (p_days IN NUMBER) RETURN DATE IS\n  BEGIN\n    RETURN SYSDATE - p_days;\n"
            f"  END cutoff;\nBEGIN\n  DELETE FROM {table} WHERE created_on < cutoff(30);\nEND;\n/\n")


def object_type(rng, table):
    force = " FORCE" if rng.random() < 0.7 else ""
    return (f"CREATE OR REPLACE TYPE {table}_t{force} AS OBJECT (\n  id NUMBER,\n  name VARCHAR2(80)\n);\n/\n"
            f"CREATE OR REPLACE TYPE {table}_tab{force} AS TABLE OF {table}_t;\n/\n")


def log_function(table):
    return (f"CREATE OR REPLACE FUNCTION log_{table} (p_text IN VARCHAR2) RETURN NUMBER IS\n"
            f"  PRAGMA AUTONOMOUS_TRANSACTION;\n  v_id NUMBER;\nBEGIN\n"
            f"  INSERT INTO {table}_log (text) VALUES (p_text) RETURNING id INTO v_id;\n"
            f"  COMMIT;\n  RETURN v_id;\nEND log_{table};\n/\n")


def audit_trigger(rng, table):
    column = rng.choice(COLUMNS)
    return (f"CREATE OR REPLACE TRIGGER {table}_aud BEFORE UPDATE ON {table} FOR EACH ROW\nBEGIN\n"
            f"  IF UPDATING('{column.upper()}') THEN\n"
            f"    :NEW.notes := 'changed {column}';\n  END IF;\nEND;\n/\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--tables", type=int, default=200)
    parser.add_argument("--seed", type=int, default=26)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    later = random.Random(args.seed + 1)
    os.makedirs(args.out, exist_ok=True)
    for n in range(args.tables):
        table = f"t{n:04d}_{rng.choice(['orders', 'customers', 'invoices', 'shipments', 'accounts'])}"
        with open(os.path.join(args.out, f"{table}.pks"), "w") as f:
            f.write(package_head(rng, table))
        with open(os.path.join(args.out, f"{table}.pkb"), "w") as f:
            f.write(package_body(rng, table))
        with open(os.path.join(args.out, f"{table}_jobs.prc"), "w") as f:
            f.write(helper_procedure(rng, table))
        if rng.random() < 0.4:
            with open(os.path.join(args.out, f"{table}.typ"), "w") as f:
                f.write(object_type(rng, table))
        if later.random() < 0.3:
            with open(os.path.join(args.out, f"{table}_log.fnc"), "w") as f:
                f.write(log_function(table))
        if later.random() < 0.3:
            with open(os.path.join(args.out, f"{table}_aud.trg"), "w") as f:
                f.write(audit_trigger(later, table))


if __name__ == "__main__":
    main()
