// A scripted stand-in for the user: answers come from queues the test fills, and every question
// is written down. A question without a scripted answer is cancelled and written down as
// "UNSCRIPTED ...", so that any check of the questions fails.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserPrompts.h"

namespace quorvia::testing {

class FakePrompts final : public platform::UserPrompts {
public:
    void showError(const std::string& message) override;
    void warn(const std::string& message) override;
    void inform(const std::string& message) override;
    int chooseNameColumn(const std::vector<std::string>& headers) override;
    std::optional<platform::ObjectFields> editObject(const platform::ObjectFields& shown) override;
    std::optional<platform::AttributeFields> editAttribute(
        const platform::AttributeFields& shown) override;
    std::optional<platform::SearchFields> editSearch(const platform::SearchFields& shown) override;
    std::optional<platform::ReplaceFields> editReplace(
        const platform::ReplaceFields& shown) override;
    void whileBusy(const std::function<void()>& work) override;

protected:
    bool askQuestion(const std::string& question, Answer byDefault) override;
    std::optional<std::string> askFileToOpen() override;
    std::optional<std::string> askFileToSave() override;

public:
    // What was asked, in order: "error: ...", "warn: ...", "confirm: ..." (a question whose
    // default button is No: "confirm, No by default: ..."), "open", "save",
    // "columns: a|b", "object: name|icon", "attribute: name|value", "find: text|matchCase",
    // "replace: text|replacement|matchCase", "info: ...", "busy".
    std::vector<std::string> asked;

    std::deque<bool> confirmAnswers;
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<int> columnAnswers;
    std::deque<std::optional<platform::ObjectFields>> objectAnswers;
    std::deque<std::optional<platform::AttributeFields>> attributeAnswers;
    std::deque<std::optional<platform::SearchFields>> searchAnswers;
    std::deque<std::optional<platform::ReplaceFields>> replaceAnswers;

    // The questions asked since the last call, which forgets them.
    std::vector<std::string> takeAsked();
};

}  // namespace quorvia::testing
