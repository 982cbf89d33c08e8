// node_fields.h - what a field listed in node_fields.def holds, which decides how the children walk,
// the tree printer and the transformer's plain visit treat it. Stages that expand node_fields.def
// include this beside it.
#pragma once

enum class FieldHolds { text, number, tokens, node, tokensOrNode, other };
