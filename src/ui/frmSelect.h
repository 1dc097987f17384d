// The choice of the column that names the objects of an object import.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <string>
#include <vector>

namespace quorvia::ui {

class frmSelect final : public QDialog {
    Q_OBJECT

public:
    explicit frmSelect(QWidget* parent = nullptr);

    // Lists the header fields in order and chooses the first; the result starts at -1.
    void FormShow(const std::vector<std::string>& headers);
    // The index of the chosen header, or -1 after Cancel, Escape or the close box.
    int nameColumn() const { return m_result; }

    QComboBox* cbName;
    QPushButton* btOK;
    QPushButton* BtCancel;

public slots:
    void btOKClick();

private:
    int m_result = -1;
};

}  // namespace quorvia::ui
