// workload.h - deterministic PL/SQL text for the benchmarks: a package-body-like run of procedures with
// declarations, control flow, SQL and comments, repeated until the requested size.
#pragma once

#include <string>

inline std::string generatePlsql(size_t bytes) {
  std::string text = "CREATE OR REPLACE PROCEDURE bench_proc(p_id IN NUMBER, p_name OUT VARCHAR2) IS\n";
  int n = 0;
  std::string body;
  while (text.size() + body.size() < bytes) {
    const std::string i = std::to_string(n++);
    text += "  v_count_" + i + " PLS_INTEGER := 0;\n";
    text += "  v_name_" + i + " VARCHAR2(100) DEFAULT 'item " + i + "';\n";
    body += "  /* step " + i + " */\n";
    body += "  IF p_id > " + i + " AND v_count_" + i + " < 10 THEN\n";
    body += "    SELECT name INTO v_name_" + i + " FROM items WHERE id = p_id + " + i + ";\n";
    body += "    v_count_" + i + " := v_count_" + i + " + 1; -- count it\n";
    body += "  ELSIF p_id = " + i + " THEN\n    UPDATE items SET hits = hits + 1 WHERE id = " + i + ";\n";
    body += "  ELSE\n    NULL;\n  END IF;\n";
    body += "  FOR r IN 1 .. " + i + " LOOP\n    p_name := p_name || v_name_" + i + ";\n  END LOOP;\n";
  }
  return text + "BEGIN\n" + body + "END bench_proc;\n";
}

// The same kind of procedure, heavy in exceptions and cursors: each step declares an exception bound by
// EXCEPTION_INIT and a cursor with a parameter, and runs an inner block with both cursor FOR forms,
// OPEN ... FOR, SELECT INTO, DML with RETURNING, cursor and SQL% attributes, RAISE and three handlers
// that read SQLCODE and SQLERRM, repeated until the requested size.
inline std::string generateExceptionCursorPlsql(size_t bytes) {
  std::string text = "CREATE OR REPLACE PROCEDURE bench_exc(p_id IN NUMBER, p_name OUT VARCHAR2) IS\n";
  text += "  v_rc SYS_REFCURSOR;\n";
  int n = 0;
  std::string body;
  while (text.size() + body.size() < bytes) {
    const std::string i = std::to_string(n++);
    text +=
        "  e_" + i + " EXCEPTION;\n  PRAGMA EXCEPTION_INIT(e_" + i + ", -" + std::to_string(20000 + n % 1000) + ");\n";
    text +=
        "  CURSOR c_" + i + " (p_min NUMBER) IS SELECT id, name FROM items WHERE grp = " + i + " AND id >= p_min;\n";
    text += "  v_name_" + i + " VARCHAR2(100);\n";
    body += "  BEGIN\n";
    body += "    FOR r IN c_" + i + "(p_id) LOOP\n";
    body += "      UPDATE items SET hits = hits + 1 WHERE id = r.id;\n";
    body += "      EXIT WHEN c_" + i + "%ROWCOUNT > 10;\n    END LOOP;\n";
    body += "    FOR q IN (SELECT id FROM items WHERE grp = " + i + ") LOOP\n";
    body += "      CONTINUE WHEN q.id < 0;\n";
    body += "      DELETE FROM items WHERE id = q.id RETURNING name INTO v_name_" + i + ";\n    END LOOP;\n";
    body += "    SELECT name INTO v_name_" + i + " FROM items WHERE id = p_id + " + i + ";\n";
    body += "    OPEN v_rc FOR SELECT name FROM items WHERE grp = " + i + ";\n    CLOSE v_rc;\n";
    body += "    IF SQL%NOTFOUND THEN\n      RAISE e_" + i + ";\n    END IF;\n";
    body += "  EXCEPTION\n    WHEN e_" + i + " THEN\n      p_name := SQLERRM;\n";
    body += "    WHEN NO_DATA_FOUND OR TOO_MANY_ROWS THEN\n      NULL;\n";
    body += "    WHEN OTHERS THEN\n      log_error(SQLCODE, SQLERRM);\n      RAISE;\n  END;\n";
  }
  return text + "BEGIN\n" + body + "END bench_exc;\n";
}

// The same shape with the constructs that become generated blocks and variables: collection methods,
// BULK COLLECT fetches and selects, FORALL over ranges and collections, EXECUTE IMMEDIATE with binds
// and BULK COLLECT, and restricted package functions. Every step declares two collections and a count,
// so the outermost block's declarations grow with the text.
inline std::string generateCollectionPlsql(size_t bytes) {
  std::string text = "CREATE OR REPLACE PROCEDURE bench_bulk(p_id IN NUMBER, p_sql IN VARCHAR2) IS\n";
  text += "  CURSOR c_src IS SELECT id, name FROM items WHERE id > p_id;\n";
  int n = 0;
  std::string body;
  while (text.size() + body.size() < bytes) {
    const std::string i = std::to_string(n++);
    text += "  l_ids_" + i + " id_list;\n  l_names_" + i + " name_list;\n  l_count_" + i + " PLS_INTEGER := 0;\n";
    body += "  l_ids_" + i + ".EXTEND(2, 1);\n  l_ids_" + i + ".TRIM;\n  l_names_" + i + ".DELETE;\n";
    body += "  FETCH c_src BULK COLLECT INTO l_ids_" + i + ", l_names_" + i + " LIMIT 1000;\n";
    body += "  FORALL k IN INDICES OF l_ids_" + i + "\n    INSERT INTO copies (id) VALUES (l_ids_" + i + "(k));\n";
    body += "  FORALL k IN 1 .. " + i + "\n    DELETE FROM copies WHERE id = k;\n";
    body += "  SELECT id BULK COLLECT INTO l_ids_" + i + " FROM items WHERE grp = " + i + ";\n";
    body += "  EXECUTE IMMEDIATE p_sql INTO l_count_" + i + " USING p_id, " + i + ";\n";
    body += "  EXECUTE IMMEDIATE 'SELECT id FROM items WHERE grp = :g' BULK COLLECT INTO l_ids_" + i + " USING " + i +
            ";\n";
    body += "  l_count_" + i + " := DBMS_SQL.LAST_ROW_COUNT;\n";
  }
  return text + "BEGIN\n" + body + "END bench_bulk;\n";
}
