#include "standins/tarvik/scripted_front_end.h"

#include <gtest/gtest.h>

using platform::db::Value;
using standins::tarvik::Interaction;
using standins::tarvik::ScriptedAnswer;
using standins::tarvik::ScriptedFrontEnd;
using standins::tarvik::UnexpectedQuestion;

TEST(ScriptedFrontEnd, AnswersInOrderAndRecordsEverything) {
    ScriptedFrontEnd ui({ScriptedAnswer::yes(), ScriptedAnswer::cancel(),
                         ScriptedAnswer::value(Value::text("A")), ScriptedAnswer::no()});
    ui.showInfo("Záznam \x01"
                "12\x01 byl přenesen.");
    EXPECT_TRUE(ui.askYesNo("Smazat 3 záznamy?"));
    EXPECT_EQ(ui.askYesNoCancel("Uložit změny ?"), plugin::TaAnswer::Cancel);
    Value rada;
    EXPECT_TRUE(ui.selectValue(1049, "Rada", rada, "Řady osobních čísel"));
    EXPECT_EQ(rada, Value::text("A"));
    ui.openBrowse(265, "TabPredzp.ID = 7");
    EXPECT_FALSE(ui.askYesNo("Pokračovat?"));
    ui.showError("Chyba");
    EXPECT_EQ(ui.pendingAnswers(), 0u);

    std::vector<std::string> lines;
    for (const auto& i : ui.transcript())
        lines.push_back(i.describe());
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "INFO: Záznam 12 byl přenesen.",
                         "YES/NO: Smazat 3 záznamy? -> yes",
                         "YES/NO/CANCEL: Uložit změny ? -> cancel",
                         "SELECT VALUE 1049: Řady osobních čísel [Rada] -> value:A",
                         "OPEN BROWSE 265: TabPredzp.ID = 7",
                         "YES/NO: Pokračovat? -> no",
                         "ERROR: Chyba",
                     }));
    EXPECT_EQ(ui.texts(Interaction::Kind::Info), std::vector<std::string>{"Záznam \x01"
                                                                          "12\x01 byl přenesen."});
}

TEST(ScriptedFrontEnd, UnforeseenQuestionFailsAndIsRecorded) {
    ScriptedFrontEnd ui;
    EXPECT_THROW(
        {
            try {
                ui.askYesNo("Smazat záznam?");
            } catch (const UnexpectedQuestion& e) {
                EXPECT_NE(std::string(e.what()).find("Smazat záznam?"), std::string::npos);
                throw;
            }
        },
        UnexpectedQuestion);
    ASSERT_EQ(ui.transcript().size(), 1u);
    EXPECT_EQ(ui.transcript()[0].answer, "(no answer)");
}

TEST(ScriptedFrontEnd, AnswerThatDoesNotFitFailsAndStaysQueued) {
    struct Case {
        ScriptedAnswer answer;
        void (*ask)(ScriptedFrontEnd&);
    };
    const Case cases[] = {
        {ScriptedAnswer::cancel(), [](ScriptedFrontEnd& ui) { ui.askYesNo("?"); }},
        {ScriptedAnswer::value(Value::text("x")), [](ScriptedFrontEnd& ui) { ui.askYesNoCancel("?"); }},
        {ScriptedAnswer::yes(),
         [](ScriptedFrontEnd& ui) {
             Value v;
             ui.selectValue(1049, "Rada", v, "?");
         }},
        {ScriptedAnswer::no(),
         [](ScriptedFrontEnd& ui) {
             plugin::TaBrowseSelection s;
             ui.selectFromBrowse(s);
         }},
    };
    for (const auto& c : cases) {
        ScriptedFrontEnd ui({c.answer});
        EXPECT_THROW(c.ask(ui), UnexpectedQuestion) << c.answer.describe();
        EXPECT_EQ(ui.pendingAnswers(), 1u);
    }
}

TEST(ScriptedFrontEnd, PickedRecordFillsTheLookedUpField) {
    struct Case {
        int mode;
        ScriptedAnswer answer;
        Value value1;
        Value value2;
    };
    const Case cases[] = {
        {1, ScriptedAnswer::value(Value::text("200")), Value::text("200"), Value::text("Ekonomické")},
        {2, ScriptedAnswer::value(Value::text("200")), Value::text("Eko"), Value::text("200")},
        {2, ScriptedAnswer::record(Value::text("Ekonomické oddělení"), Value::text("200")),
         Value::text("Ekonomické oddělení"), Value::text("200")},
    };
    for (const auto& c : cases) {
        ScriptedFrontEnd ui({c.answer});
        plugin::TaBrowseSelection s{.browse = 4,
                                    .field1 = c.mode == 1 ? "Cislo" : "Nazev",
                                    .field2 = "Cislo",
                                    .value1 = Value::text("Eko"),
                                    .value2 = Value::text("Ekonomické"),
                                    .condition = "Zakazano = 0",
                                    .caption = "Útvary",
                                    .mode = c.mode};
        if (c.mode == 1) s.field2.clear();
        EXPECT_TRUE(ui.selectFromBrowse(s));
        EXPECT_EQ(s.value1, c.value1);
        EXPECT_EQ(s.value2, c.value2);
        EXPECT_NE(ui.transcript().back().describe().find("WHERE Zakazano = 0"), std::string::npos);
    }
    ScriptedFrontEnd ui({ScriptedAnswer::cancel()});
    plugin::TaBrowseSelection s;
    s.browse = 4;
    s.field1 = "Cislo";
    s.value1 = Value::text("100");
    EXPECT_FALSE(ui.selectFromBrowse(s));
    EXPECT_EQ(s.value1, Value::text("100"));
}

TEST(ScriptedAnswer, ParsesTheRunnersAnswers) {
    EXPECT_EQ(ScriptedAnswer::parse("yes").kind, ScriptedAnswer::Kind::Yes);
    EXPECT_EQ(ScriptedAnswer::parse("no").kind, ScriptedAnswer::Kind::No);
    EXPECT_EQ(ScriptedAnswer::parse("cancel").kind, ScriptedAnswer::Kind::Cancel);
    const auto v = ScriptedAnswer::parse("value:B:2");
    ASSERT_EQ(v.values.size(), 1u);
    EXPECT_EQ(v.values[0], Value::text("B:2"));
    EXPECT_EQ(ScriptedAnswer::parse("value:").values[0], Value::text(""));
    for (const char* bad : {"", "Yes", "maybe", "value"})
        EXPECT_THROW(ScriptedAnswer::parse(bad), std::invalid_argument) << bad;
}
