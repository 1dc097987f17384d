#include "ui/frmAttribute.h"

#include "ui/DialogStyle.h"
#include "ui/Text.h"

namespace quorvia::ui {

frmAttribute::frmAttribute(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAttribute"));
    setWindowTitle(QStringLiteral("Teslund Quorvia - Attribute"));
    setFont(dialogFont());
    setFixedSize(364, 104);

    QLabel* nameLabel =
        makeCaptionLabel(this, "lbName", QStringLiteral("Name"), QRect(8, 8, 89, 17));
    edName = makeFieldEdit(this, "edName", QRect(104, 8, 249, 21));
    nameAfterLabel(edName, nameLabel);
    QLabel* valueLabel =
        makeCaptionLabel(this, "lbValue", QStringLiteral("Value"), QRect(8, 32, 89, 17));
    edValue = makeFieldEdit(this, "edValue", QRect(104, 32, 249, 21));
    nameAfterLabel(edValue, valueLabel);

    QFrame* panel = makeButtonPanel(this, QRect(0, 63, 364, 41));
    btOK = makeOkButton(panel, QRect(176, 8, 87, 25));
    BtCancel = makeCancelButton(panel, QRect(272, 8, 85, 25));
    connect(btOK, &QPushButton::clicked, this, &frmAttribute::btOKClick);
    connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(btOK, BtCancel);
    setTabOrder(BtCancel, edName);
    setTabOrder(edName, edValue);
    edName->setFocus();
}

void frmAttribute::FormShow(const platform::AttributeFields& shown) {
    m_shown = shown;
    edName->setText(toQString(shown.name));
    edValue->setText(toQString(shown.value));
    edName->setFocus();
}

platform::AttributeFields frmAttribute::fields() const {
    return {fieldBytes(edName->text(), m_shown.name), fieldBytes(edValue->text(), m_shown.value)};
}

void frmAttribute::btOKClick() {
    if (warnOfRefusedField({{edName, m_shown.name}, {edValue, m_shown.value}})) {
        return;
    }
    accept();
}

}  // namespace quorvia::ui
