// The questions a command asks the user: the stand-in for message boxes and dialogs, so that
// every command runs without a window. The window implements it with real dialogs; tests with
// a scripted fake.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvia::platform {

// What the object dialog shows and gives back: the name and the icon index (shown: the
// record's, which the list may not hold; given back: the chosen entry's, else the shown one).
struct ObjectFields {
    std::string name;
    int iconIndex = 0;
};

// What the find dialog shows and gives back: the text typed and whether its case must match.
// The text is UTF-8, like the program's messages, whatever the code page: a search compares
// characters, never the database's bytes.
struct SearchFields {
    std::string text;
    bool matchCase = false;
};

// What the replace dialog shows and gives back: the text to find, as the find dialog has it, and
// the text to put in its place (UTF-8 too).
struct ReplaceFields {
    std::string text;
    std::string replacement;
    bool matchCase = false;
};

// What the attribute dialog shows and gives back.
struct AttributeFields {
    std::string name;
    std::string value;
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // The error box of a command that failed (the application title, the error icon, one OK).
    virtual void showError(const std::string& message) = 0;
    // A warning box ("Avertissement", one OK button).
    virtual void warn(const std::string& message) = 0;
    // A confirmation box ("Confirmation", Escape for No); true for Yes. Yes is the default
    // button, except for a question whose Yes writes over someone's work: there it is No.
    bool confirm(const std::string& question) { return askQuestion(question, Answer::Yes); }
    bool confirmOverwrite(const std::string& question) {
        return askQuestion(question, Answer::No);
    }
    // An information box (the application title, one OK button).
    virtual void inform(const std::string& message) = 0;

    // The window's open dialog (OpenDlg) and save dialog (SaveDlg); nothing when cancelled. As
    // the system's own dialogs do, a confirmed choice makes the chosen file's folder the current
    // directory (where the export then writes its package script).
    std::optional<std::string> chooseFileToOpen() { return enterFolderOf(askFileToOpen()); }
    std::optional<std::string> chooseFileToSave() { return enterFolderOf(askFileToSave()); }

    // The name-column choice of the object import (frmSelect): the index of the chosen
    // header, or -1 when cancelled.
    virtual int chooseNameColumn(const std::vector<std::string>& headers) = 0;

    // The object and attribute dialogs, opened with the given fields; nothing when cancelled.
    virtual std::optional<ObjectFields> editObject(const ObjectFields& shown) = 0;
    virtual std::optional<AttributeFields> editAttribute(const AttributeFields& shown) = 0;
    virtual std::optional<SearchFields> editSearch(const SearchFields& shown) = 0;
    virtual std::optional<ReplaceFields> editReplace(const ReplaceFields& shown) = 0;

    // Runs a long wait (the package builder) while the window shows that it is busy and takes
    // no input.
    virtual void whileBusy(const std::function<void()>& work) = 0;

protected:
    enum class Answer { Yes, No };
    // The confirmation box itself, with the answer its default button gives.
    virtual bool askQuestion(const std::string& question, Answer byDefault) = 0;
    // The dialogs themselves.
    virtual std::optional<std::string> askFileToOpen() = 0;
    virtual std::optional<std::string> askFileToSave() = 0;

private:
    static std::optional<std::string> enterFolderOf(std::optional<std::string> chosen);
};

}  // namespace quorvia::platform
