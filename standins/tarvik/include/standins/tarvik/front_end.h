#pragma once
//! The person in front of the host: every host call that shows something or asks something
//! goes to a front end. Tests use the scripted one; people get a window.

#include "plugin/host/tarvik_interface.h"

#include <string_view>

namespace standins::tarvik {

//! Shows the host's messages and asks its questions.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    //! A message; U+0001 before and after a part of the text emphasises it.
    virtual void showInfo(std::string_view text) = 0;
    //! An error message, emphasis as showInfo.
    virtual void showError(std::string_view text) = 0;
    //! A yes/no question; true for yes.
    virtual bool askYesNo(std::string_view text) = 0;
    //! A question with yes, no and cancel.
    virtual plugin::TaAnswer askYesNoCancel(std::string_view text) = 0;
    //! Lets the user choose a value of a field from a browse; false when nothing was chosen.
    virtual bool selectValue(int browse, std::string_view field, plugin::TaVariant& value,
                             std::string_view caption) = 0;
    //! Lets the user pick a record of a filtered browse; false when none was picked.
    virtual bool selectFromBrowse(plugin::TaBrowseSelection& selection) = 0;
    //! Opens a browse for the user, filtered by the condition when it is not empty.
    virtual void openBrowse(int browse, std::string_view condition) = 0;
};

} // namespace standins::tarvik
