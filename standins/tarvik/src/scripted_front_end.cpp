#include "standins/tarvik/scripted_front_end.h"

#include <algorithm>

namespace standins::tarvik {

namespace {

using Kind = Interaction::Kind;

const char* label(Kind kind) {
    switch (kind) {
    case Kind::Info:
        return "INFO";
    case Kind::Error:
        return "ERROR";
    case Kind::YesNo:
        return "YES/NO";
    case Kind::YesNoCancel:
        return "YES/NO/CANCEL";
    case Kind::SelectValue:
        return "SELECT VALUE";
    case Kind::SelectFromBrowse:
        return "SELECT FROM BROWSE";
    case Kind::OpenBrowse:
        return "OPEN BROWSE";
    }
    return "?";
}

std::string valueText(const plugin::TaVariant& v) {
    if (v.isNull()) return "NULL";
    if (v.kind() == platform::db::ValueKind::Bytes)
        return "(" + std::to_string(v.asBytes().size()) + " bytes)";
    return platform::db::toText(v);
}

} // namespace

ScriptedAnswer ScriptedAnswer::parse(std::string_view text) {
    if (text == "yes") return yes();
    if (text == "no") return no();
    if (text == "cancel") return cancel();
    if (text.substr(0, 6) == "value:") return value(plugin::TaVariant::text(std::string(text.substr(6))));
    throw std::invalid_argument("Unknown answer '" + std::string(text) +
                                "': expected yes, no, cancel or value:TEXT");
}

std::string ScriptedAnswer::describe() const {
    switch (kind) {
    case Kind::Yes:
        return "yes";
    case Kind::No:
        return "no";
    case Kind::Cancel:
        return "cancel";
    case Kind::Value:
        break;
    }
    std::string out = "value:";
    for (std::size_t i = 0; i < values.size(); ++i)
        out += (i ? "|" : "") + valueText(values[i]);
    return out;
}

std::string Interaction::describe() const {
    std::string shown;
    std::copy_if(text.begin(), text.end(), std::back_inserter(shown), [](char c) { return c != '\x01'; });
    std::string out = label(kind);
    if (kind == Kind::SelectValue || kind == Kind::SelectFromBrowse || kind == Kind::OpenBrowse)
        out += " " + std::to_string(browse);
    out += ": " + shown;
    if (!answer.empty()) out += " -> " + answer;
    return out;
}

ScriptedFrontEnd::ScriptedFrontEnd(std::vector<ScriptedAnswer> answers)
    : answers_(answers.begin(), answers.end()) {}

void ScriptedFrontEnd::queue(ScriptedAnswer answer) {
    answers_.push_back(std::move(answer));
}

std::vector<std::string> ScriptedFrontEnd::texts(Interaction::Kind kind) const {
    std::vector<std::string> out;
    for (const auto& i : transcript_)
        if (i.kind == kind) out.push_back(i.text);
    return out;
}

ScriptedAnswer ScriptedFrontEnd::take(Interaction interaction,
                                      std::initializer_list<ScriptedAnswer::Kind> fitting) {
    transcript_.push_back(std::move(interaction));
    auto& asked = transcript_.back();
    if (answers_.empty()) {
        asked.answer = "(no answer)";
        throw UnexpectedQuestion("Unexpected question, no scripted answer is left: " + asked.describe());
    }
    auto answer = answers_.front();
    if (std::find(fitting.begin(), fitting.end(), answer.kind) == fitting.end()) {
        asked.answer = "(no fitting answer)";
        throw UnexpectedQuestion("The next scripted answer '" + answer.describe() +
                                 "' does not fit the question: " + asked.describe());
    }
    answers_.pop_front();
    asked.answer = answer.describe();
    return answer;
}

void ScriptedFrontEnd::showInfo(std::string_view text) {
    transcript_.push_back({Kind::Info, std::string(text), 0, {}});
}

void ScriptedFrontEnd::showError(std::string_view text) {
    transcript_.push_back({Kind::Error, std::string(text), 0, {}});
}

bool ScriptedFrontEnd::askYesNo(std::string_view text) {
    using A = ScriptedAnswer::Kind;
    return take({Kind::YesNo, std::string(text), 0, {}}, {A::Yes, A::No}).kind == A::Yes;
}

plugin::TaAnswer ScriptedFrontEnd::askYesNoCancel(std::string_view text) {
    using A = ScriptedAnswer::Kind;
    switch (take({Kind::YesNoCancel, std::string(text), 0, {}}, {A::Yes, A::No, A::Cancel}).kind) {
    case A::Yes:
        return plugin::TaAnswer::Yes;
    case A::No:
        return plugin::TaAnswer::No;
    default:
        return plugin::TaAnswer::Cancel;
    }
}

bool ScriptedFrontEnd::selectValue(int browse, std::string_view field, plugin::TaVariant& value,
                                   std::string_view caption) {
    using A = ScriptedAnswer::Kind;
    auto answer =
        take({Kind::SelectValue, std::string(caption) + " [" + std::string(field) + "]", browse, {}},
             {A::Value, A::Cancel});
    if (answer.kind == A::Cancel) return false;
    value = answer.values.front();
    return true;
}

bool ScriptedFrontEnd::selectFromBrowse(plugin::TaBrowseSelection& selection) {
    using A = ScriptedAnswer::Kind;
    auto text = selection.caption + " [" + selection.field1 +
                (selection.field2.empty() ? "" : ", " + selection.field2) + "]" +
                (selection.condition.empty() ? "" : " WHERE " + selection.condition);
    auto answer =
        take({Kind::SelectFromBrowse, std::move(text), selection.browse, {}}, {A::Value, A::Cancel});
    if (answer.kind == A::Cancel) return false;
    if (answer.values.size() >= 2) {
        selection.value1 = answer.values[0];
        selection.value2 = answer.values[1];
    } else if (selection.mode == 2 && !selection.field2.empty()) {
        selection.value2 = answer.values.front();
    } else {
        selection.value1 = answer.values.front();
    }
    return true;
}

void ScriptedFrontEnd::openBrowse(int browse, std::string_view condition) {
    transcript_.push_back({Kind::OpenBrowse, std::string(condition), browse, {}});
}

} // namespace standins::tarvik
