#include "cli/DefinitionJson.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

constexpr const char* kAllTexts =
    R"("identifier": "", "defaultText": "", "translation": "", "description": "")";

std::string Definition(const std::string& fields)
{
    return "{" + fields + ", " + kAllTexts + "}";
}

TEST(ParseDefinitionJson, NamesThePlaceOfEveryError)
{
    std::string deep = R"({"tree": [)";
    for (int level = 1; level < 20; ++level)
        deep += R"({"label": "", "data": 0, "children": [)";
    deep += R"({"label": "", "data": "deep"})";
    const std::pair<std::string, std::string> cases[] = {
        {R"([])", "expected an object at the top level, found an array"},
        {R"({"tree": [{"label": 5}]})", "tree[0].label: expected a string or {\"utf16\": [...]}, found 5"},
        {R"({"tree": [{"label": "a", "data": 0, "children": [{"label": "b", "data": -1}]}]})",
         "tree[0].children[0].data: -1 is out of range 0..4294967295"},
        {R"({"tree": [{"label": "a", "data": 0}, {"data": 1}]})", "tree[1]: missing field \"label\""},
        {R"({"definitions": [{"index": 1.5}]})",
         "definitions[0].index: expected an integer in 0..65535, found 1.5"},
        {R"({"definitions": [{"key": 99999999999999999999999}]})",
         "definitions[0].key: 99999999999999999999999 is out of range 0..65535"},
        {"{\"definitions\": [" + Definition(R"("key": 9, "index": 1, "translated": 0)") + ", " +
             Definition(R"("index": 9, "translated": 0)") + "]}",
         "definitions[1]: key 9 (its index) is already used by definitions[0]"},
        {R"({"definitions": [{"index": 1, "Index": 2}]})", "definitions[0]: unknown field \"Index\""},
        {R"({"countPrefix": 1, "countPrefix": 1})", "field \"countPrefix\" appears twice"},
        {R"({"result": 4})", "result: 4 is not a read result (0, 1, 2, 3 or 9)"},
        {R"({"tree": [{"label": {"utf16": [1, 65536]}}]})",
         "tree[0].label.utf16[1]: 65536 is out of range 0..65535"},
        {R"({"tree": [{"label": {}}]})", "tree[0].label: missing field \"utf16\""},
        {R"({"tree": [],})", "parse error at line 1, column 13: syntax error while parsing object key - "
                             "unexpected '}'; expected string literal"},
        {R"({"tree": [{"label": "", "data": 0, "children": )" + std::string(1'000'000, '['),
         "tree[0].children[0]: expected an object, found an array"},
        {deep, "tree[0].children[0].children[0].children...(14 more levels)...[0].children[0].children[0]"
               ".data: expected an integer in 0..4294967295, found a string"},
    };
    for (const auto& [json, message] : cases) {
        const auto parsed = ParseDefinitionJson(json);
        ASSERT_FALSE(parsed) << json.substr(0, 200);
        EXPECT_EQ(parsed.error().Message, message) << json.substr(0, 200);
    }
}

} // namespace
} // namespace orv
