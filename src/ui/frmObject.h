// The object dialog: an icon from the 15 state pictures and a name.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "platform/UserPrompts.h"

namespace quorvia::ui {

class frmObject final : public QDialog {
    Q_OBJECT

public:
    explicit frmObject(QWidget* parent = nullptr);

    // Fills the fields; an icon index outside the list leaves no entry chosen.
    void FormShow(const platform::ObjectFields& shown);
    // The fields as the user left them: the chosen entry's index, or the shown icon index when
    // no entry is chosen; the shown name's bytes when its text was not changed.
    platform::ObjectFields fields() const;

    QComboBox* cbIcon;
    QLineEdit* edName;
    QPushButton* btOK;
    QPushButton* BtCancel;

public slots:
    void btOKClick();

private:
    platform::ObjectFields m_shown;
};

}  // namespace quorvia::ui
