// The user's answers for the benchmark: every dialog is answered from what the figure set up.
#pragma once

#include <deque>
#include <optional>
#include <string>

#include "platform/UserPrompts.h"

namespace quorvia::bench {

class BenchPrompts final : public platform::UserPrompts {
public:
    void showError(const std::string& message) override { lastMessage = message; }
    void warn(const std::string& message) override { lastMessage = message; }
    void inform(const std::string& message) override { lastMessage = message; }
    int chooseNameColumn(const std::vector<std::string>&) override { return 0; }
    std::optional<platform::ObjectFields> editObject(const platform::ObjectFields&) override {
        return std::nullopt;
    }
    std::optional<platform::AttributeFields> editAttribute(
        const platform::AttributeFields&) override {
        return std::nullopt;
    }
    std::optional<platform::SearchFields> editSearch(const platform::SearchFields&) override {
        if (searches.empty()) {
            return std::nullopt;
        }
        platform::SearchFields search = searches.front();
        searches.pop_front();
        return search;
    }
    std::optional<platform::ReplaceFields> editReplace(const platform::ReplaceFields&) override {
        return replacement;
    }
    void whileBusy(const std::function<void()>& work) override { work(); }

    std::deque<std::string> openPaths;
    std::deque<std::string> savePaths;
    std::deque<platform::SearchFields> searches;
    std::optional<platform::ReplaceFields> replacement;
    std::string lastMessage;

protected:
    bool askQuestion(const std::string&, Answer) override { return true; }
    std::optional<std::string> askFileToOpen() override { return next(openPaths); }
    std::optional<std::string> askFileToSave() override { return next(savePaths); }

private:
    static std::optional<std::string> next(std::deque<std::string>& paths) {
        if (paths.empty()) {
            return std::nullopt;
        }
        std::string path = paths.front();
        paths.pop_front();
        return path;
    }
};

}  // namespace quorvia::bench
