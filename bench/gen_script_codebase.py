#!/usr/bin/env python3
"""Writes install trees as SQL*Plus runs them, for measuring how xcomp reads scripts: each application
has an install.sql that presets SET DEFINE OFF, runs its tables, heads and bodies with @@ from
sub-folders, and calls set-up procedures with EXEC (some continued with '-'). One body in five is
saved in Windows-1252 (an accented comment), one unit in ten holds a q-quoted literal, and one
script in four a WITH FUNCTION query. The same seed gives the same tree.

usage: gen_script_codebase.py OUT_DIR [--apps 40] [--seed 1]
"""
import argparse
import os
import random


def write(path, text, encoding="utf-8"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding=encoding, newline="") as f:
        f.write(text)


def procedure(rng, name, q_quote):
    message = "q'[%s: it's done]'" % name if q_quote else "'%s done'" % name
    return ("  PROCEDURE %s(p_id IN NUMBER) IS\n"
            "    v_total NUMBER := 0;\n"
            "  BEGIN\n"
            "    SELECT NVL(SUM(amount), 0) INTO v_total FROM ledger WHERE account_id = p_id;\n"
            "    IF v_total > %d THEN\n"
            "      UPDATE accounts SET status = 'review' WHERE id = p_id;\n"
            "    END IF;\n"
            "    DBMS_OUTPUT.PUT_LINE(%s);\n"
            "  END %s;\n" % (name, rng.randint(100, 9999), message, name))


def application(rng, root, number):
    app = "app%03d" % number
    names = ["%s_%s" % (verb, app) for verb in rng.sample(["post", "close", "check", "sync", "load", "fix"], 3)]
    tables = "CREATE TABLE %s_accounts (id NUMBER PRIMARY KEY, status VARCHAR2(10));\n" % app
    tables += "CREATE TABLE %s_ledger (account_id NUMBER, amount NUMBER);\n" % app
    write(os.path.join(root, app, "tables.sql"), tables)
    head = "CREATE OR REPLACE PACKAGE %s_api AS\n" % app
    head += "".join("  PROCEDURE %s(p_id IN NUMBER);\n" % n for n in names)
    head += "END %s_api;\n/\n" % app
    write(os.path.join(root, app, "pkg", "%s_api.pks" % app), head)
    body = "CREATE OR REPLACE PACKAGE BODY %s_api AS\n" % app
    latin = rng.random() < 0.2
    if latin:
        body += "  -- r\u00e9vision du calcul, \u00e9t\u00e9 2024\n"
    body += "".join(procedure(rng, n, rng.random() < 0.1) for n in names)
    body += "END %s_api;\n/\n" % app
    write(os.path.join(root, app, "pkg", "%s_api.pkb" % app), body, "cp1252" if latin else "utf-8")
    install = "SET DEFINE OFF\nPROMPT installing %s\n@@tables\n@@pkg/%s_api.pks\n@@pkg/%s_api.pkb\n" % (app, app, app)
    for n in names:
        if rng.random() < 0.3:
            install += "EXEC %s_api.%s( -\n  p_id => %d)\n" % (app, n, rng.randint(1, 99))
        else:
            install += "EXEC %s_api.%s(%d);\n" % (app, n, rng.randint(1, 99))
    if rng.random() < 0.25:
        install += ("WITH\n  FUNCTION net(p NUMBER) RETURN NUMBER IS\n  BEGIN\n    RETURN p * 0.8;\n  END;\n"
                    "SELECT net(amount) FROM %s_ledger;\n/\n" % app)
    install += "COMMIT;\n"
    write(os.path.join(root, app, "install.sql"), install)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out_dir")
    parser.add_argument("--apps", type=int, default=40)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    for number in range(args.apps):
        application(rng, args.out_dir, number)


if __name__ == "__main__":
    main()
