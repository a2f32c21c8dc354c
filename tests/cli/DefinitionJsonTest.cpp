#include "cli/DefinitionJson.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

constexpr const char* kAllTexts =
    R"("identifier": "", "defaultText": "", "translation": "", "description": "")";

std::string Repeated(const std::string& text, int times)
{
    std::string repeated;
    for (int i = 0; i < times; ++i)
        repeated += text;
    return repeated;
}

std::string Definition(const std::string& fields)
{
    return "{" + fields + ", " + kAllTexts + "}";
}

TEST(ParseDefinitionJsonTest, FillsDefaultsAndKeysByIndexUnlessGivenAKey)
{
    const auto empty = ParseDefinitionJson("{}");
    ASSERT_TRUE(empty) << empty.error().Message;
    EXPECT_EQ(empty->Table, DefinitionTable{});
    EXPECT_TRUE(empty->Tree.Empty());

    const std::string definitions = Definition(R"("index": 7, "translated": 2)") + ", " +
                                    Definition(R"("key": 3, "index": 7, "translated": 0)");
    const auto parsed = ParseDefinitionJson(
        R"({"result": 9, "saveLock": 4294967295, "countPrefix": 0, "firmwareVersion": 65535,
            "tree": [{"data": 4294967295, "label": "B", "children": [{"label": "T", "data": 7}]},
                     {"label": "C", "data": 0}],
            "definitions": [)" +
        definitions + "]}");
    ASSERT_TRUE(parsed) << parsed.error().Message;
    EXPECT_EQ(parsed->Table.CountPrefix, 0);
    EXPECT_EQ(parsed->Table.FirmwareVersion, 65535);
    EXPECT_EQ(parsed->Table.SaveLock, 0u);
    EXPECT_EQ(test::DescribeTree(parsed->Tree), "B (4294967295)\n  T (7)\nC (0)\n");
    ASSERT_EQ(parsed->Table.Definitions.size(), 2u);
    EXPECT_EQ(parsed->Table.Definitions.at(7).Translated, 2u);
    EXPECT_EQ(parsed->Table.Definitions.at(3).Index, 7);
}

TEST(ParseDefinitionJsonTest, NamesTheFieldOfEveryError)
{
    const std::pair<std::string, std::string> cases[] = {
        {R"([])", "expected an object at the top level, found an array"},
        {R"({"tree": {}})", "tree: expected an array, found an object"},
        {R"({"tree": [[]]})", "tree[0]: expected an object, found an array"},
        {R"({"tree": [{"label": 5}]})", "tree[0].label: expected a string, found 5"},
        {R"({"tree": [{"label": "a", "data": 0, "children": [{"label": "b", "data": -1}]}]})",
         "tree[0].children[0].data: -1 is out of range 0..4294967295"},
        {R"({"tree": [{"label": "a", "data": 0}, {"data": 1}]})", "tree[1]: missing field \"label\""},
        {R"({"definitions": [{"index": 70000}]})", "definitions[0].index: 70000 is out of range 0..65535"},
        {R"({"definitions": [{"index": 1.5}]})",
         "definitions[0].index: expected an integer in 0..65535, found 1.5"},
        {R"({"definitions": [{"index": 1e2}]})",
         "definitions[0].index: expected an integer in 0..65535, found 1e2"},
        {R"({"definitions": [{"index": "1"}]})",
         "definitions[0].index: expected an integer in 0..65535, found a string"},
        {R"({"definitions": [{"translated": 4294967296}]})",
         "definitions[0].translated: 4294967296 is out of range 0..4294967295"},
        {R"({"definitions": [{"key": 99999999999999999999999}]})",
         "definitions[0].key: 99999999999999999999999 is out of range 0..65535"},
        {R"({"definitions": [{"index": 1, "translated": 0, "identifier": "", "defaultText": ""}]})",
         "definitions[0]: missing field \"translation\""},
        {"{\"definitions\": [" + Definition(R"("index": 4, "translated": 0)") + ", " +
             Definition(R"("key": 4, "index": 9, "translated": 0)") + "]}",
         "definitions[1]: key 4 is already used by definitions[0]"},
        {"{\"definitions\": [" + Definition(R"("key": 9, "index": 1, "translated": 0)") + ", " +
             Definition(R"("index": 9, "translated": 0)") + "]}",
         "definitions[1]: key 9 (its index) is already used by definitions[0]"},
        {R"({"definitions": [{"index": 1, "Index": 2}]})", "definitions[0]: unknown field \"Index\""},
        {R"({"tree": [], "label": "x"})", "unknown field \"label\""},
        {R"({"countPrefix": 1, "countPrefix": 1})", "field \"countPrefix\" appears twice"},
        {R"({"result": 4})", "result: 4 is not a read result (0, 1, 2, 3 or 9)"},
        {R"({"saveLock": -1})", "saveLock: -1 is out of range 0..4294967295"},
        {R"({"tree": [],})", "parse error at line 1, column 13: syntax error while parsing object key - "
                             "unexpected '}'; expected string literal; last read: '{\"tree\": [],}'"},
        // The quote is the user's text, an unpaired surrogate and a zero included.
        {R"({"tree": [{"label": "\ud800\u0000"x}]})",
         R"(parse error at line 1, column 35: syntax error while parsing object - invalid literal; )"
         R"(expected '}'; last read: '{"tree": [{"label": "\ud800\u0000"x')"},
        // Only the error's own line, cut short without splitting a character.
        {"{\n\"tree\": [{\"label\": \"" + Repeated("\xC3\xA9", 30) + "\" x}]}",
         "parse error at line 2, column 83: syntax error while parsing object - invalid literal; expected "
         "'}'; last read: '..." +
             Repeated("\xC3\xA9", 18) + "\" x'"},
        {"{\"tree\": [\n{\"label\": \"\\z\"}]}",
         "parse error at line 2, column 12: invalid escape sequence in a string"},
        {std::string(1'000'000, '['), "expected an object at the top level, found an array"},
        {R"({"tree": [{"label": "", "data": 0, "children": )" + std::string(1'000'000, '['),
         "tree[0].children[0]: expected an object, found an array"},
    };
    for (const auto& [json, message] : cases) {
        const auto parsed = ParseDefinitionJson(json);
        ASSERT_FALSE(parsed) << json.substr(0, 200);
        EXPECT_EQ(parsed.error().Message, message) << json.substr(0, 200);
    }
}

TEST(ParseDefinitionJsonTest, KeepsBothEndsOfADeepPath)
{
    std::string json = R"({"tree": [)";
    for (int level = 1; level < 20; ++level)
        json += R"({"label": "", "data": 0, "children": [)";
    json += R"({"label": "", "data": "deep"})";
    const auto parsed = ParseDefinitionJson(json);
    ASSERT_FALSE(parsed);
    EXPECT_EQ(parsed.error().Message, "tree[0].children[0].children[0].children...(14 more levels)..."
                                      "[0].children[0].children[0].data: expected an integer in "
                                      "0..4294967295, found a string");
}

} // namespace
} // namespace orv
