// json_reader.h - the JSON reader for tests that check what xcomp writes: a well-kept library's strict
// parser, so anything that is not well-formed JSON (a trailing comma, a raw control character, a bad
// escape, text after the value) throws and a test that reads a report also proves it parses. Tests reach
// members and items with at(), which throws for one the document lacks.
#pragma once

#include <nlohmann/json.hpp>
#include <string_view>

using Json = nlohmann::json;

inline Json parseJson(std::string_view text) { return Json::parse(text); }
