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

// The boxes, built but not shown, so their content can be checked. A very long text is shown
// shortened: its start and its end, an ellipsis between them.
std::unique_ptr<QMessageBox> makeErrorBox(const std::string& message);
std::unique_ptr<QMessageBox> makeWarningBox(const std::string& message);
// The application title, the information icon, one OK button.
std::unique_ptr<QMessageBox> makeInformationBox(const std::string& message);
std::unique_ptr<QMessageBox> makeConfirmationBox(const std::string& question);

void showErrorBox(const std::string& message);
void showWarningBox(const std::string& message);
void showInformationBox(const std::string& message);
// True when the user answers Yes.
bool askConfirmation(const std::string& question);

}  // namespace quorvia::ui
