// What the program's small dialogs share: their font, their yellow-on-black labels, their
// bottom panel and its OK and Cancel buttons with the standard glyphs.
#pragma once

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRect>

namespace quorvia::ui {

// The window's and the dialogs' font: 8 points, falling back to the desktop's sans serif.
QFont dialogFont(int pointSize = 8);

// A centred yellow-on-black label at a fixed place.
QLabel* makeCaptionLabel(QWidget* parent, const char* objectName, const QString& text,
                         const QRect& geometry);

// The panel along the bottom edge that holds the dialog's buttons.
QFrame* makeButtonPanel(QWidget* parent, const QRect& geometry);

// The OK button (default, with the OK glyph) and the Cancel button (Escape, Cancel glyph).
QPushButton* makeOkButton(QWidget* parent, const QRect& geometry);
QPushButton* makeCancelButton(QWidget* parent, const QRect& geometry);

}  // namespace quorvia::ui
