// The attribute dialog: a name and a value.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "platform/UserPrompts.h"

namespace quorvia::ui {

class frmAttribute final : public QDialog {
    Q_OBJECT

public:
    explicit frmAttribute(QWidget* parent = nullptr);

    void FormShow(const platform::AttributeFields& shown);
    // The fields as the user left them; a text not changed keeps the shown bytes.
    platform::AttributeFields fields() const;

    QLineEdit* edName;
    QLineEdit* edValue;
    QPushButton* btOK;
    QPushButton* BtCancel;

public slots:
    void btOKClick();

private:
    platform::AttributeFields m_shown;
};

}  // namespace quorvia::ui
