// The replace dialog: the text to look for as Find has it, the text to put in its place, and
// whether the case must match.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "platform/UserPrompts.h"

namespace quorvia::ui {

class frmReplace final : public QDialog {
    Q_OBJECT

public:
    explicit frmReplace(QWidget* parent = nullptr);

    // Opens with the last fields.
    void FormShow(const platform::ReplaceFields& shown);
    platform::ReplaceFields fields() const;

    QLineEdit* edFind;
    QLineEdit* edReplace;
    QCheckBox* cbMatchCase;
    QPushButton* btReplaceAll;
    QPushButton* BtCancel;

public slots:
    // Stays open, with the warning the item dialogs give, while the replacement holds a ";" or
    // a character the code page cannot write.
    void btReplaceAllClick();
};

}  // namespace quorvia::ui
