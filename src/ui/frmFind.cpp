#include "ui/frmFind.h"

#include "ui/DialogStyle.h"

namespace quorvia::ui {

frmFind::frmFind(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Teslund Quorvia - Find"));
    setFont(dialogFont());
    setFixedSize(364, 104);

    QLabel* findLabel =
        makeCaptionLabel(this, "lbFind", QStringLiteral("Find"), QRect(8, 8, 89, 17));
    edFind = makeFieldEdit(this, "edFind", QRect(104, 8, 249, 21));
    nameAfterLabel(edFind, findLabel);
    cbMatchCase = new QCheckBox(QStringLiteral("Match case"), this);
    cbMatchCase->setObjectName(QStringLiteral("cbMatchCase"));
    cbMatchCase->setGeometry(104, 34, 249, 19);

    QFrame* panel = makeButtonPanel(this, QRect(0, 63, 364, 41));
    btOK = makeOkButton(panel, QRect(176, 8, 87, 25));
    BtCancel = makeCancelButton(panel, QRect(272, 8, 85, 25));
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(edFind, cbMatchCase);
    setTabOrder(cbMatchCase, btOK);
    setTabOrder(btOK, BtCancel);
}

void frmFind::FormShow(const QString& text, bool matchCase) {
    edFind->setText(text);
    edFind->selectAll();
    cbMatchCase->setChecked(matchCase);
    edFind->setFocus();
}

}  // namespace quorvia::ui
