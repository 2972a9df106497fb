#pragma once
//! A front end that answers from a script prepared in advance and records everything shown.

#include "standins/tarvik/front_end.h"

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

namespace standins::tarvik {

//! One prepared answer.
struct ScriptedAnswer {
    enum class Kind { Yes, No, Cancel, Value };
    Kind kind = Kind::Yes;
    //! For Value: the chosen value, or the values of the picked record's two fields.
    std::vector<plugin::TaVariant> values;

    static ScriptedAnswer yes() { return {Kind::Yes, {}}; }
    static ScriptedAnswer no() { return {Kind::No, {}}; }
    static ScriptedAnswer cancel() { return {Kind::Cancel, {}}; }
    static ScriptedAnswer value(plugin::TaVariant chosen) { return {Kind::Value, {std::move(chosen)}}; }
    static ScriptedAnswer record(plugin::TaVariant field1, plugin::TaVariant field2) {
        return {Kind::Value, {std::move(field1), std::move(field2)}};
    }
    //! Reads "yes", "no", "cancel" or "value:TEXT" (the value as text); throws std::invalid_argument
    //! otherwise.
    static ScriptedAnswer parse(std::string_view text);
    //! "yes", "no", "cancel" or "value:..." as parse reads it.
    std::string describe() const;
};

//! Something the host showed or asked, with the answer it got.
struct Interaction {
    enum class Kind { Info, Error, YesNo, YesNoCancel, SelectValue, SelectFromBrowse, OpenBrowse };
    Kind kind = Kind::Info;
    std::string text; //!< message, question or caption as the plug-in passed it; the condition of OpenBrowse
    int browse = 0;   //!< browse of the selections and of OpenBrowse
    std::string answer; //!< as ScriptedAnswer::describe, empty for messages and OpenBrowse

    //! One line for people, e.g. "INFO: text" or "YES/NO: question -> no"; emphasis marks are dropped.
    std::string describe() const;
};

//! The host asked something that the script did not foresee.
class UnexpectedQuestion : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! Answers from a queue, in order; a question with no answer left, or whose next answer does not
//! fit it, throws UnexpectedQuestion (after recording the question).
class ScriptedFrontEnd : public FrontEnd {
public:
    ScriptedFrontEnd() = default;
    explicit ScriptedFrontEnd(std::vector<ScriptedAnswer> answers);

    //! Adds an answer to the end of the queue.
    void queue(ScriptedAnswer answer);
    //! Answers not used yet.
    std::size_t pendingAnswers() const { return answers_.size(); }
    //! Everything shown and asked, in order.
    const std::vector<Interaction>& transcript() const { return transcript_; }
    //! Texts of the interactions of one kind, in order.
    std::vector<std::string> texts(Interaction::Kind kind) const;

    void showInfo(std::string_view text) override;
    void showError(std::string_view text) override;
    bool askYesNo(std::string_view text) override;
    plugin::TaAnswer askYesNoCancel(std::string_view text) override;
    bool selectValue(int browse, std::string_view field, plugin::TaVariant& value,
                     std::string_view caption) override;
    bool selectFromBrowse(plugin::TaBrowseSelection& selection) override;
    void openBrowse(int browse, std::string_view condition) override;

private:
    //! Records the question and takes the next answer, which must be one of `fitting`.
    ScriptedAnswer take(Interaction interaction, std::initializer_list<ScriptedAnswer::Kind> fitting);

    std::deque<ScriptedAnswer> answers_;
    std::vector<Interaction> transcript_;
};

} // namespace standins::tarvik
