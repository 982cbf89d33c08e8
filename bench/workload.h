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
