// What the program's small dialogs share: their font, their yellow-on-black labels, their
// bottom panel and its OK and Cancel buttons with the standard glyphs.
#pragma once

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace quorvia::ui {

// The window's and the dialogs' font: 8 points, falling back to the desktop's sans serif.
QFont dialogFont(int pointSize = 8);

// A centred yellow-on-black label at a fixed place.
QLabel* makeCaptionLabel(QWidget* parent, const char* objectName, const QString& text,
                         const QRect& geometry);

// A one-line text field at a fixed place. It takes texts of any length: a field a dialog shows
// and the user leaves alone must be written back whole. A line break or NUL that reaches it
// (typed, pasted or dropped) becomes the blank the field shows in its place, at once, so what
// the field shows is what OK writes.
QLineEdit* makeFieldEdit(QWidget* parent, const char* objectName, const QRect& geometry);

// Gives a field its label's text as the name the accessibility interface reads, and makes the
// label its buddy.
void nameAfterLabel(QWidget* field, QLabel* label);

// Warns, and answers true, when a field the user changed cannot be written (fieldRefusal): the
// dialog then stays open with the text as typed, and nothing is written.
bool warnOfRefusedField(
    std::initializer_list<std::pair<const QLineEdit*, std::string_view>> fieldsAndShownBytes);

// The panel along the bottom edge that holds the dialog's buttons.
QFrame* makeButtonPanel(QWidget* parent, const QRect& geometry);

// The OK button (default, with the OK glyph) and the Cancel button (Escape, Cancel glyph).
QPushButton* makeOkButton(QWidget* parent, const QRect& geometry);
QPushButton* makeCancelButton(QWidget* parent, const QRect& geometry);

}  // namespace quorvia::ui
