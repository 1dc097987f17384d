// The find dialog: the text to look for and whether its case must match.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace quorvia::ui {

class frmFind final : public QDialog {
    Q_OBJECT

public:
    explicit frmFind(QWidget* parent = nullptr);

    // Opens with the last search.
    void FormShow(const QString& text, bool matchCase);

    QLineEdit* edFind;
    QCheckBox* cbMatchCase;
    QPushButton* btOK;
    QPushButton* BtCancel;
};

}  // namespace quorvia::ui
