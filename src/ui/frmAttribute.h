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
    platform::AttributeFields fields() const;

    QLineEdit* edName;
    QLineEdit* edValue;
    QPushButton* btOK;
    QPushButton* BtCancel;

public slots:
    void btOKClick();
};

}  // namespace quorvia::ui
