// The about box: the maker's emblem, a banner, the program's name, the version, the maker's
// lines and web address, and the licence agreement.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace quorvia::ui {

class frmAbout final : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kWebAddress = "https://teslund.example/quorvia";

    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* webAddress;
    QPlainTextEdit* Memo1;
    QPushButton* BitBtn1;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace quorvia::ui
