// The error box, the warning box, the information box and the confirmation box, with the
// system's captions.
#pragma once

#include <QMessageBox>
#include <memory>
#include <string>

namespace quorvia::ui {

// The application title: the caption of error boxes.
inline constexpr const char* kApplicationTitle = "Teslund Quorvia";

// A full stop is added behind a message unless it is empty or its last character is a full
// stop or sorts before one (so a message ending in a closing parenthesis gets none).
std::string withFullStop(std::string message);

// The button a confirmation box answers with when the user just presses Return.
enum class ConfirmationDefault { Yes, No };

// The boxes, built but not shown, so their content can be checked. Their text is the message
// as it is, as shown, copied (Ctrl+C) and read by a screen reader; a line too long for the box
// wraps at its blanks, or anywhere where it has none. A very long text is shown shortened: its
// start and its end, an ellipsis between them.
std::unique_ptr<QMessageBox> makeErrorBox(const std::string& message);
std::unique_ptr<QMessageBox> makeWarningBox(const std::string& message);
// The application title, the information icon, one OK button.
std::unique_ptr<QMessageBox> makeInformationBox(const std::string& message);
std::unique_ptr<QMessageBox> makeConfirmationBox(
    const std::string& question, ConfirmationDefault byDefault = ConfirmationDefault::Yes);

void showErrorBox(const std::string& message);
void showWarningBox(const std::string& message);
void showInformationBox(const std::string& message);
// True when the user answers Yes.
bool askConfirmation(const std::string& question,
                     ConfirmationDefault byDefault = ConfirmationDefault::Yes);

}  // namespace quorvia::ui
