#include "ui/frmReplace.h"

#include "model/NodeRecord.h"
#include "ui/DialogStyle.h"
#include "ui/MessageBoxes.h"
#include "ui/Text.h"

namespace quorvia::ui {

frmReplace::frmReplace(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmReplace"));
    setWindowTitle(QStringLiteral("Teslund Quorvia - Replace"));
    setFont(dialogFont());
    setFixedSize(364, 128);

    QLabel* findLabel =
        makeCaptionLabel(this, "lbFind", QStringLiteral("Find"), QRect(8, 8, 89, 17));
    edFind = makeFieldEdit(this, "edFind", QRect(104, 8, 249, 21));
    nameAfterLabel(edFind, findLabel);
    QLabel* replaceLabel =
        makeCaptionLabel(this, "lbReplace", QStringLiteral("Replace with"), QRect(8, 32, 89, 17));
    edReplace = makeFieldEdit(this, "edReplace", QRect(104, 32, 249, 21));
    nameAfterLabel(edReplace, replaceLabel);
    cbMatchCase = new QCheckBox(QStringLiteral("Match case"), this);
    cbMatchCase->setObjectName(QStringLiteral("cbMatchCase"));
    cbMatchCase->setGeometry(104, 58, 249, 19);

    QFrame* panel = makeButtonPanel(this, QRect(0, 87, 364, 41));
    btReplaceAll = makeOkButton(panel, QRect(168, 8, 95, 25));
    btReplaceAll->setObjectName(QStringLiteral("btReplaceAll"));
    btReplaceAll->setText(QStringLiteral("Replace all"));
    BtCancel = makeCancelButton(panel, QRect(272, 8, 85, 25));
    connect(btReplaceAll, &QPushButton::clicked, this, &frmReplace::btReplaceAllClick);
    connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(edFind, edReplace);
    setTabOrder(edReplace, cbMatchCase);
    setTabOrder(cbMatchCase, btReplaceAll);
    setTabOrder(btReplaceAll, BtCancel);
}

void frmReplace::FormShow(const platform::ReplaceFields& shown) {
    edFind->setText(QString::fromStdString(shown.text));
    edReplace->setText(QString::fromStdString(shown.replacement));
    cbMatchCase->setChecked(shown.matchCase);
    edFind->selectAll();
    edFind->setFocus();
}

platform::ReplaceFields frmReplace::fields() const {
    return {edFind->text().toStdString(), edReplace->text().toStdString(),
            cbMatchCase->isChecked()};
}

void frmReplace::btReplaceAllClick() {
    if (edReplace->text().contains(QLatin1Char(';'))) {
        showWarningBox(model::semicolonInFieldMessage(edReplace->text().toStdString()));
        return;
    }
    if (const auto message = unwritableTextMessage(edReplace->text())) {
        showWarningBox(*message);
        return;
    }
    accept();
}

}  // namespace quorvia::ui
