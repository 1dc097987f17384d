#include "ui/frmSelect.h"

#include "ui/DialogStyle.h"
#include "ui/Text.h"

namespace quorvia::ui {

frmSelect::frmSelect(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSelect"));
    setWindowTitle(QStringLiteral("Teslund Quorvia - Select"));
    setFont(dialogFont());
    setFixedSize(281, 79);

    QLabel* nameLabel =
        makeCaptionLabel(this, "lbName", QStringLiteral("Object Name"), QRect(8, 8, 89, 17));
    cbName = new QComboBox(this);
    nameAfterLabel(cbName, nameLabel);
    cbName->setObjectName(QStringLiteral("cbName"));
    cbName->setGeometry(104, 8, 169, cbName->sizeHint().height());
    cbName->setEditable(false);

    QFrame* panel = makeButtonPanel(this, QRect(0, 38, 281, 41));
    btOK = makeOkButton(panel, QRect(93, 8, 87, 25));
    BtCancel = makeCancelButton(panel, QRect(189, 8, 85, 25));
    connect(btOK, &QPushButton::clicked, this, &frmSelect::btOKClick);
    connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmSelect::FormShow(const std::vector<std::string>& headers) {
    m_result = -1;
    cbName->clear();
    for (const std::string& header : headers) {
        cbName->addItem(toQString(header));
    }
    cbName->setCurrentIndex(headers.empty() ? -1 : 0);
}

void frmSelect::btOKClick() {
    m_result = cbName->currentIndex();
    accept();
}

}  // namespace quorvia::ui
