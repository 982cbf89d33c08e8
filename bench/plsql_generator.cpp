// plsql_generator.cpp - the benchmark inputs: an order-processing application written the way such code
// is written (a fixed set of locals reused by many statements, nested blocks with their own locals,
// comments, SQL with joins and bind variables). A small linear congruential generator picks the
// constructs, so every build and every run sees the same bytes.
#include "plsql_generator.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

struct Lcg {
  uint32_t state = 20260806;
  uint32_t below(uint32_t bound) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % bound;
  }
  bool chance(uint32_t percent) { return below(100) < percent; }
  template <size_t N>
  const char* pick(const char* const (&items)[N]) {
    return items[below(static_cast<uint32_t>(N))];
  }
};

const char* const tables[] = {"orders",   "order_lines",  "customers", "invoices",
                              "payments", "stock_levels", "shipments"};
const char* const numberVars[] = {"v_total", "v_amount", "v_qty", "v_price", "v_discount", "v_count", "v_weight"};
const char* const textVars[] = {"v_status", "v_note", "v_code", "v_region", "v_message"};
const char* const statusWords[] = {"'OPEN'", "'HELD'", "'SHIPPED'", "'CANCELLED'", "'INVOICED'"};
const char* const lineComments[] = {
    "-- recompute before the next line is priced",       "-- customers on credit hold are skipped",
    "-- the warehouse rounds weights to whole grams",    "-- keep the audit trail in step with the ledger",
    "-- late orders get the reduced rate (ticket 4711)",
};

struct Scope {
  bool inLoop = false;
  bool handlers = false;  // cursors and exception handlers may be used
  int depth = 0;
};

class Writer {
 public:
  // `seed` 0 keeps the sequence every benchmark input was made with; others vary the constructs.
  Writer(bool handlers, uint32_t seed) : handlers_(handlers) {
    if (seed != 0) rng.state = seed;
  }

  std::string out;

  void line(int indent, const std::string& text) {
    out.append(static_cast<size_t>(indent) * 2, ' ');
    out += text;
    out += '\n';
  }

  std::string number() {
    switch (rng.below(6)) {
      case 0: return std::to_string(rng.below(1000));
      case 1: return std::to_string(rng.below(100)) + "." + std::to_string(rng.below(100));
      case 2: return "c_max_lines";
      default: return std::to_string(rng.below(50) + 1);
    }
  }

  std::string numberExpr() {
    const std::string a = rng.pick(numberVars);
    const std::string b = rng.pick(numberVars);
    switch (rng.below(7)) {
      case 0: return a + " + " + b + " * " + number();
      case 1: return "ROUND(" + a + " * (1 - v_discount / 100), 2)";
      case 2: return "NVL(" + a + ", 0) + 1";
      case 3: return "MOD(" + a + ", " + std::to_string(rng.below(9) + 2) + ")";
      case 4: return "GREATEST(" + a + " - " + b + ", 0)";
      case 5: return "(" + a + " + " + b + ") / " + std::to_string(rng.below(9) + 2);
      default: return a + " - " + number();
    }
  }

  std::string textExpr() {
    switch (rng.below(5)) {
      case 0: return "'order ' || TO_CHAR(v_order_id) || ' is ' || v_status";
      case 1: return "UPPER(TRIM(v_code))";
      case 2: return "SUBSTR(v_note, 1, 200)";
      case 3: return std::string(rng.pick(statusWords));
      default: return "v_region || '-' || LPAD(TO_CHAR(v_count), 6, '0')";
    }
  }

  std::string condition() {
    switch (rng.below(9)) {
      case 0: return std::string(rng.pick(numberVars)) + " > " + number();
      case 1: return "v_status = " + std::string(rng.pick(statusWords)) + " AND v_count < c_max_lines";
      case 2: return "v_note IS NULL";
      case 3: return std::string(rng.pick(numberVars)) + " BETWEEN 1 AND " + std::to_string(rng.below(90) + 10);
      case 4: return "v_region IN ('EU', 'US', 'AP')";
      case 5: return "NOT v_done";
      case 6: return "v_code LIKE 'X%'";
      case 7: return std::string(rng.pick(numberVars)) + " <> " + std::string(rng.pick(numberVars));
      default: return "v_total >= v_amount OR v_status <> 'OPEN'";
    }
  }

  void assignment(int indent) {
    if (rng.chance(60)) {
      line(indent, std::string(rng.pick(numberVars)) + " := " + numberExpr() + ";");
    } else {
      line(indent, std::string(rng.pick(textVars)) + " := " + textExpr() + ";");
    }
  }

  void selectInto(int indent) {
    switch (rng.below(3)) {
      case 0:
        line(indent, "SELECT o.customer_id, o.status, NVL(SUM(l.qty * l.unit_price), 0)");
        line(indent, "  INTO v_customer_id, v_status, v_total");
        line(indent, "  FROM orders o JOIN order_lines l ON l.order_id = o.order_id");
        line(indent, " WHERE o.order_id = v_order_id");
        line(indent, " GROUP BY o.customer_id, o.status;");
        break;
      case 1:
        line(indent, "SELECT COUNT(*) INTO v_count FROM " + std::string(rng.pick(tables)) +
                         " WHERE batch_id = p_batch_id AND created_at >= v_since;");
        break;
      default:
        line(indent, "SELECT region_code, credit_limit INTO v_region, v_amount");
        line(indent, "  FROM customers");
        line(indent, " WHERE customer_id = v_customer_id;");
    }
  }

  void dml(int indent) {
    switch (rng.below(4)) {
      case 0:
        line(indent, "INSERT INTO audit_log (batch_id, order_id, event_code, note, created_at)");
        line(indent, "VALUES (p_batch_id, v_order_id, " + std::string(rng.pick(statusWords)) +
                         ", SUBSTR(v_note, 1, 400), SYSDATE);");
        break;
      case 1:
        line(indent, "UPDATE orders");
        line(indent, "   SET status = v_status, total_amount = " + numberExpr() + ",");
        line(indent, "       updated_at = SYSDATE");
        line(indent, " WHERE order_id = v_order_id AND status <> 'CANCELLED';");
        break;
      case 2:
        line(indent, "DELETE FROM stock_reservations WHERE order_id = v_order_id AND expires_at < SYSDATE;");
        break;
      default:
        line(indent, "INSERT INTO shipments (shipment_id, order_id, weight, region_code)");
        line(indent, "SELECT shipment_seq.NEXTVAL, order_id, " + std::string(rng.pick(numberVars)) +
                         ", v_region FROM orders WHERE order_id = v_order_id;");
    }
  }

  void call(int indent) {
    if (rng.chance(50)) {
      line(indent, "audit_pkg.log_event(p_source => 'BATCH', p_level => " + std::to_string(rng.below(4) + 1) +
                       ", p_text => v_note);");
    } else {
      line(indent, "notify_customer(v_customer_id, v_status, " + number() + ");");
    }
  }

  void statements(int indent, const Scope& scope, int count) {
    for (int i = 0; i < count; ++i) statement(indent, scope);
  }

  void statement(int indent, const Scope& scope) {
    const bool nest = scope.depth < 3;
    uint32_t roll = rng.below(100);
    if (!nest && roll >= 55) roll = rng.below(55);
    if (roll < 16) return assignment(indent);
    if (roll < 24) return selectInto(indent);
    if (roll < 34) return dml(indent);
    if (roll < 40) return call(indent);
    if (roll < 44) return line(indent, rng.pick(lineComments));
    if (roll < 46) return line(indent, "NULL;");
    if (roll < 50) {
      if (scope.inLoop) return line(indent, (rng.chance(50) ? "EXIT WHEN " : "CONTINUE WHEN ") + condition() + ";");
      return line(indent, "COMMIT;");
    }
    if (roll < 55) {
      if (scope.handlers) return cursorUse(indent, scope);
      return assignment(indent);
    }
    Scope inner = scope;
    inner.depth += 1;
    if (roll < 67) return ifStatement(indent, inner);
    if (roll < 72) return caseStatement(indent, inner);
    if (roll < 80) return forLoop(indent, inner);
    if (roll < 84) return whileLoop(indent, inner);
    if (roll < 88) return basicLoop(indent, inner);
    return nestedBlock(indent, inner);
  }

  void ifStatement(int indent, const Scope& scope) {
    line(indent, "IF " + condition() + " THEN");
    statements(indent + 1, scope, 1 + static_cast<int>(rng.below(3)));
    const uint32_t elsifs = rng.below(3);
    for (uint32_t i = 0; i < elsifs; ++i) {
      line(indent, "ELSIF " + condition() + " THEN");
      statements(indent + 1, scope, 1 + static_cast<int>(rng.below(2)));
    }
    if (rng.chance(50)) {
      line(indent, "ELSE");
      statements(indent + 1, scope, 1 + static_cast<int>(rng.below(2)));
    }
    line(indent, "END IF;");
  }

  void caseStatement(int indent, const Scope& scope) {
    const bool searched = rng.chance(40);
    line(indent, searched ? "CASE" : "CASE v_status");
    const uint32_t arms = 2 + rng.below(3);
    for (uint32_t i = 0; i < arms; ++i) {
      line(indent + 1, "WHEN " + (searched ? condition() : std::string(statusWords[i])) + " THEN");
      statements(indent + 2, scope, 1 + static_cast<int>(rng.below(2)));
    }
    line(indent + 1, "ELSE");
    statements(indent + 2, scope, 1);
    line(indent, "END CASE;");
  }

  void forLoop(int indent, Scope scope) {
    static const char* const loopVars[] = {"i", "j", "k", "m"};
    const char* var = loopVars[scope.depth % 4];
    const bool labelled = rng.chance(25);
    const std::string label = std::string("line_loop_") + var;
    if (labelled) line(indent, "<<" + label + ">>");
    const std::string upper = rng.chance(50) ? std::string("v_count") : std::to_string(rng.below(20) + 2);
    line(indent, std::string("FOR ") + var + (rng.chance(15) ? " IN REVERSE 1 .. " : " IN 1 .. ") + upper + " LOOP");
    scope.inLoop = true;
    line(indent + 1, std::string("v_qty := v_qty + ") + var + ";");
    statements(indent + 1, scope, 1 + static_cast<int>(rng.below(3)));
    line(indent, labelled ? "END LOOP " + label + ";" : std::string("END LOOP;"));
  }

  void whileLoop(int indent, Scope scope) {
    line(indent, "WHILE v_retries > 0 AND NOT v_done LOOP");
    scope.inLoop = true;
    line(indent + 1, "v_retries := v_retries - 1;");
    statements(indent + 1, scope, 1 + static_cast<int>(rng.below(3)));
    line(indent, "END LOOP;");
  }

  void basicLoop(int indent, Scope scope) {
    line(indent, "LOOP");
    scope.inLoop = true;
    line(indent + 1, "v_count := v_count + 1;");
    statements(indent + 1, scope, 1 + static_cast<int>(rng.below(2)));
    line(indent + 1, "EXIT WHEN v_count >= c_max_lines;");
    line(indent, "END LOOP;");
  }

  void nestedBlock(int indent, const Scope& scope) {
    ++blocks_;
    const std::string n = std::to_string(blocks_);
    if (rng.chance(30)) line(indent, "/* step " + n + ": price the lines of one order and keep the total */");
    line(indent, "DECLARE");
    line(indent + 1, "l_line_total_" + n + " NUMBER(14,2) := 0;");
    line(indent + 1, "l_label_" + n + " VARCHAR2(80) := 'step " + n + "';");
    line(indent, "BEGIN");
    line(indent + 1, "l_line_total_" + n + " := v_qty * v_price;");
    statements(indent + 1, scope, 1 + static_cast<int>(rng.below(3)));
    line(indent + 1, "v_total := v_total + l_line_total_" + n + ";");
    if (scope.handlers) {
      line(indent, "EXCEPTION");
      line(indent + 1, "WHEN NO_DATA_FOUND THEN");
      line(indent + 2, "v_note := l_label_" + n + " || ': nothing found';");
      if (rng.chance(50)) {
        line(indent + 1, "WHEN DUP_VAL_ON_INDEX THEN");
        line(indent + 2, "ROLLBACK;");
      }
      line(indent + 1, "WHEN OTHERS THEN");
      line(indent + 2, "v_message := SQLERRM;");
      line(indent + 2, "RAISE;");
    }
    line(indent, "END;");
  }

  void cursorUse(int indent, Scope scope) {
    scope.inLoop = true;
    scope.depth += 1;
    switch (rng.below(3)) {
      case 0:
        line(indent, "FOR r IN c_lines(v_order_id) LOOP");
        line(indent + 1, "v_total := v_total + r.qty * r.unit_price;");
        if (scope.depth < 3) statements(indent + 1, scope, 1);
        line(indent, "END LOOP;");
        break;
      case 1:
        line(indent, "OPEN c_pending(p_batch_id);");
        line(indent, "LOOP");
        line(indent + 1, "FETCH c_pending INTO v_order_id, v_customer_id, v_amount;");
        line(indent + 1, "EXIT WHEN c_pending%NOTFOUND;");
        if (scope.depth < 3) statements(indent + 1, scope, 1);
        line(indent, "END LOOP;");
        line(indent, "v_count := c_pending%ROWCOUNT;");
        line(indent, "CLOSE c_pending;");
        break;
      default:
        dml(indent);
        line(indent, "IF SQL%ROWCOUNT = 0 THEN");
        line(indent + 1, "v_note := 'no row changed for order ' || v_order_id;");
        line(indent, "END IF;");
    }
  }

  // The locals every routine body of the application declares.
  void locals(int indent) {
    line(indent, "v_order_id      orders.order_id%TYPE;");
    line(indent, "v_customer_id   NUMBER(10);");
    line(indent, "v_total         NUMBER(14,2) := 0;");
    line(indent, "v_amount        NUMBER(14,2) := 0;");
    line(indent, "v_qty           PLS_INTEGER := 0;");
    line(indent, "v_price         NUMBER(12,4) DEFAULT 0;");
    line(indent, "v_discount      NUMBER(5,2) := 0;");
    line(indent, "v_count         PLS_INTEGER := 0;");
    line(indent, "v_weight        NUMBER := 0;");
    line(indent, "v_retries       INTEGER := 3;");
    line(indent, "v_status        VARCHAR2(30) := 'OPEN';");
    line(indent, "v_note          VARCHAR2(400);");
    line(indent, "v_code          VARCHAR2(20);");
    line(indent, "v_region        CHAR(2) := 'EU';");
    line(indent, "v_message       VARCHAR2(2000);");
    line(indent, "v_since         DATE := TRUNC(SYSDATE) - 7;");
    line(indent, "v_done          BOOLEAN := FALSE;");
    line(indent, "c_max_lines     CONSTANT PLS_INTEGER := 500;");
    if (handlers_) {
      line(indent, "CURSOR c_lines(p_order NUMBER) IS");
      line(indent, "  SELECT line_no, qty, unit_price FROM order_lines WHERE order_id = p_order ORDER BY line_no;");
      line(indent, "CURSOR c_pending(p_batch NUMBER) IS");
      line(indent, "  SELECT order_id, customer_id, total_amount FROM orders");
      line(indent, "   WHERE batch_id = p_batch AND status = 'OPEN';");
    }
  }

  // Statements at the outermost level of a body until `out` reaches `bytes`.
  void bodyUntil(int indent, size_t bytes) {
    Scope scope;
    scope.handlers = handlers_;
    do {
      statement(indent, scope);
    } while (out.size() < bytes);
  }

  Lcg rng;

 private:
  bool handlers_;
  int blocks_ = 0;
};

// The fixed parts around a body are small, so a body of `bytes` minus the closing text lands the whole
// text at the requested size.
constexpr size_t closingAllowance = 64;

std::string procedureText(size_t bytes, bool handlers, uint32_t seed) {
  Writer w(handlers, seed);
  w.line(0, "CREATE OR REPLACE PROCEDURE process_order_batch(p_batch_id IN NUMBER,");
  w.line(0, "                                                p_mode IN VARCHAR2 DEFAULT 'FULL',");
  w.line(0, "                                                p_processed OUT NUMBER) IS");
  w.locals(1);
  w.line(0, "BEGIN");
  w.bodyUntil(1, bytes > closingAllowance ? bytes - closingAllowance : 0);
  w.line(1, "p_processed := v_count;");
  w.line(0, "END process_order_batch;");
  return w.out;
}

std::string packageBodyText(size_t bytes, uint32_t seed) {
  Writer w(true, seed);
  w.line(0, "CREATE OR REPLACE PACKAGE BODY order_batch_pkg IS");
  w.line(1, "g_calls      PLS_INTEGER := 0;");
  w.line(1, "g_last_batch NUMBER;");
  w.line(1, "CURSOR g_open_orders IS SELECT order_id FROM orders WHERE status = 'OPEN';");
  int member = 0;
  while (w.out.size() + closingAllowance < bytes) {
    ++member;
    const std::string n = std::to_string(member);
    w.line(0, "");
    w.line(1, "-- member " + n + " of the batch interface");
    const bool function = member % 3 == 0;
    if (function) {
      w.line(1, "FUNCTION batch_total_" + n + "(p_batch_id IN NUMBER, p_mode IN VARCHAR2) RETURN NUMBER IS");
    } else {
      w.line(1, "PROCEDURE process_" + n + "(p_batch_id IN NUMBER, p_mode IN VARCHAR2, p_processed OUT NUMBER) IS");
    }
    w.locals(2);
    w.line(1, "BEGIN");
    w.line(2, "g_calls := g_calls + 1;");
    // Members of a few KB each, the size real package members have.
    const size_t memberEnd = w.out.size() + 1500 + w.rng.below(3000);
    w.bodyUntil(2, memberEnd < bytes ? memberEnd : bytes);
    w.line(2, function ? "RETURN v_total;" : "p_processed := v_count;");
    w.line(1, "EXCEPTION");
    w.line(2, "WHEN OTHERS THEN");
    w.line(3, "g_last_batch := p_batch_id;");
    w.line(3, "RAISE;");
    w.line(1, function ? "END batch_total_" + n + ";" : "END process_" + n + ";");
  }
  w.line(0, "BEGIN");
  w.line(1, "g_calls := 0;");
  w.line(0, "END order_batch_pkg;");
  return w.out;
}

std::string scriptText(size_t bytes, uint32_t seed) {
  Writer w(false, seed);
  int unit = 0;
  while (w.out.size() + closingAllowance < bytes) {
    ++unit;
    const std::string n = std::to_string(unit);
    const size_t unitEnd = w.out.size() + 300 + w.rng.below(1500);
    switch (unit % 4) {
      case 0:
        w.line(0, "CREATE OR REPLACE FUNCTION order_total_" + n + "(p_order_id IN NUMBER) RETURN NUMBER IS");
        w.line(1, "v_total NUMBER(14,2) := 0;");
        w.line(0, "BEGIN");
        w.line(1, "SELECT NVL(SUM(qty * unit_price), 0) INTO v_total FROM order_lines WHERE order_id = p_order_id;");
        w.line(1, "RETURN v_total;");
        w.line(0, "END order_total_" + n + ";");
        break;
      case 1:
        w.line(0, "DECLARE");
        w.locals(1);
        w.line(1, "p_batch_id NUMBER := " + n + ";");
        w.line(0, "BEGIN");
        w.bodyUntil(1, unitEnd);
        w.line(0, "END;");
        break;
      default:
        w.line(0, "CREATE OR REPLACE PROCEDURE settle_batch_" + n + "(p_batch_id IN NUMBER) IS");
        w.locals(1);
        w.line(0, "BEGIN");
        w.bodyUntil(1, unitEnd);
        w.line(0, "END settle_batch_" + n + ";");
    }
    w.line(0, "/");
  }
  return w.out;
}

// The same kind of procedure, heavy in exceptions and cursors: each step declares an exception bound by
// EXCEPTION_INIT and a cursor with a parameter, and runs an inner block with both cursor FOR forms,
// OPEN ... FOR, SELECT INTO, DML with RETURNING, cursor and SQL% attributes, RAISE and three handlers
// that read SQLCODE and SQLERRM, repeated until the requested size.
std::string exceptionsCursorsText(size_t bytes) {
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
std::string collectionsText(size_t bytes) {
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

}  // namespace

const char* plsqlShapeName(PlsqlShape shape) {
  switch (shape) {
    case PlsqlShape::procedure: return "procedure";
    case PlsqlShape::procedureWithHandlers: return "procedure_handlers";
    case PlsqlShape::packageBody: return "package_body";
    case PlsqlShape::script: return "script";
    case PlsqlShape::exceptionsCursors: return "exceptions_cursors";
    case PlsqlShape::collections: return "collections";
  }
  return "?";
}

bool plsqlShapeByName(const char* name, PlsqlShape* shape) {
  for (PlsqlShape s : allPlsqlShapes) {
    if (std::strcmp(name, plsqlShapeName(s)) == 0) {
      *shape = s;
      return true;
    }
  }
  return false;
}

std::string generatePlsqlText(PlsqlShape shape, size_t bytes, uint32_t seed) {
  switch (shape) {
    case PlsqlShape::procedure: return procedureText(bytes, false, seed);
    case PlsqlShape::procedureWithHandlers: return procedureText(bytes, true, seed);
    case PlsqlShape::packageBody: return packageBodyText(bytes, seed);
    case PlsqlShape::script: return scriptText(bytes, seed);
    case PlsqlShape::exceptionsCursors: return exceptionsCursorsText(bytes);
    case PlsqlShape::collections: return collectionsText(bytes);
  }
  return std::string();
}

std::vector<std::string> splitScriptUnits(const std::string& script) {
  std::vector<std::string> units;
  size_t start = 0;
  while (start < script.size()) {
    size_t end = script.find("\n/\n", start);
    if (end == std::string::npos) end = script.size();
    if (end > start) units.push_back(script.substr(start, end - start + 1));
    start = end + 3;
  }
  return units;
}

std::vector<std::string> generateUnitStream(size_t count, size_t largest) {
  // Log-normal sizes: median 1 KB and a tenth above about 74 KB, as a schema's units measure; the
  // smallest real units (a trigger, a getter) are a few hundred bytes.
  constexpr double medianBytes = 1024;
  constexpr double sigma = 3.36;  // ln(74) / 1.2816, the 90th percentile's distance from the median
  constexpr size_t smallest = 300;
  Lcg rng;
  rng.state = 19750401;
  auto uniform = [&rng] { return (static_cast<double>(rng.below(1u << 20)) + 0.5) / static_cast<double>(1u << 20); };
  std::vector<std::string> units;
  units.reserve(count);
  while (units.size() < count) {
    const double normal = std::sqrt(-2.0 * std::log(uniform())) * std::cos(2.0 * M_PI * uniform());
    const double drawn = medianBytes * std::exp(sigma * normal);
    if (drawn > static_cast<double>(largest)) continue;
    const size_t bytes = drawn < smallest ? smallest : static_cast<size_t>(drawn);
    const auto seed = static_cast<uint32_t>(units.size() + 1);
    // Small units are mostly routines and blocks; package bodies and the dense shapes take a share of
    // every size, so each feature is in the stream at small sizes too.
    const PlsqlShape shape = allPlsqlShapes[rng.below(std::size(allPlsqlShapes))];
    if (shape == PlsqlShape::script) {
      const std::vector<std::string> pieces = splitScriptUnits(scriptText(bytes, seed));
      if (!pieces.empty()) units.push_back(pieces[rng.below(static_cast<uint32_t>(pieces.size()))]);
      continue;
    }
    units.push_back(generatePlsqlText(shape, bytes, seed));
  }
  return units;
}
