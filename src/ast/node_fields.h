// node_fields.h - what a field listed in node_fields.def holds, which decides how the children walk
// and the tree printer treat it. Private to ast/: the later stages use the records of ast.h.
#pragma once

enum class FieldHolds { text, number, tokens, node, tokensOrNode, other };
