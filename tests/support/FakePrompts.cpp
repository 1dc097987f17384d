#include "support/FakePrompts.h"

namespace quorvia::testing {

namespace {

template <typename Answer>
Answer next(std::deque<Answer>& answers, std::vector<std::string>& asked, Answer cancelled) {
    if (answers.empty()) {
        // Shows up in any comparison of the questions asked.
        asked.back() = "UNSCRIPTED " + asked.back();
        return cancelled;
    }
    Answer answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

}  // namespace

void FakePrompts::showError(const std::string& message) {
    asked.push_back("error: " + message);
}

void FakePrompts::warn(const std::string& message) {
    asked.push_back("warn: " + message);
}

void FakePrompts::inform(const std::string& message) {
    asked.push_back("info: " + message);
}

bool FakePrompts::askQuestion(const std::string& question, Answer byDefault) {
    asked.push_back((byDefault == Answer::No ? "confirm, No by default: " : "confirm: ") +
                    question);
    return next(confirmAnswers, asked, false);
}

std::optional<std::string> FakePrompts::askFileToOpen() {
    asked.push_back("open");
    return next(openAnswers, asked, std::optional<std::string>());
}

std::optional<std::string> FakePrompts::askFileToSave() {
    asked.push_back("save");
    return next(saveAnswers, asked, std::optional<std::string>());
}

int FakePrompts::chooseNameColumn(const std::vector<std::string>& headers) {
    std::string question = "columns: ";
    for (size_t i = 0; i < headers.size(); ++i) {
        question += (i > 0 ? "|" : "") + headers[i];
    }
    asked.push_back(question);
    return next(columnAnswers, asked, -1);
}

std::optional<platform::ObjectFields> FakePrompts::editObject(
    const platform::ObjectFields& shown) {
    asked.push_back("object: " + shown.name + "|" + std::to_string(shown.iconIndex));
    return next(objectAnswers, asked, std::optional<platform::ObjectFields>());
}

std::optional<platform::AttributeFields> FakePrompts::editAttribute(
    const platform::AttributeFields& shown) {
    asked.push_back("attribute: " + shown.name + "|" + shown.value);
    return next(attributeAnswers, asked, std::optional<platform::AttributeFields>());
}

std::optional<platform::SearchFields> FakePrompts::editSearch(
    const platform::SearchFields& shown) {
    asked.push_back("find: " + shown.text + "|" + (shown.matchCase ? "case" : "any case"));
    return next(searchAnswers, asked, std::optional<platform::SearchFields>());
}

std::optional<platform::ReplaceFields> FakePrompts::editReplace(
    const platform::ReplaceFields& shown) {
    asked.push_back("replace: " + shown.text + "|" + shown.replacement + "|" +
                    (shown.matchCase ? "case" : "any case"));
    return next(replaceAnswers, asked, std::optional<platform::ReplaceFields>());
}

void FakePrompts::whileBusy(const std::function<void()>& work) {
    asked.push_back("busy");
    work();
}

std::vector<std::string> FakePrompts::takeAsked() {
    std::vector<std::string> taken;
    taken.swap(asked);
    return taken;
}

}  // namespace quorvia::testing
