#include "ui/frmObject.h"

#include "ui/DialogStyle.h"
#include "ui/Pictures.h"
#include "ui/Text.h"

namespace quorvia::ui {

frmObject::frmObject(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmObject"));
    setWindowTitle(QStringLiteral("Teslund Quorvia - Object"));
    setFont(dialogFont());
    setFixedSize(260, 100);

    QLabel* iconLabel =
        makeCaptionLabel(this, "Label1", QStringLiteral("Icon"), QRect(8, 8, 89, 17));
    cbIcon = new QComboBox(this);
    nameAfterLabel(cbIcon, iconLabel);
    cbIcon->setObjectName(QStringLiteral("cbIcon"));
    cbIcon->setGeometry(104, 8, 49, 22);
    cbIcon->setEditable(false);
    cbIcon->setMaxVisibleItems(8);
    // A list with a scroll bar, not the style's own popup, which would show all 15 entries.
    cbIcon->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    cbIcon->setIconSize(QSize(16, 16));
    for (int i = 0; i < kStatePictureCount; ++i) {
        cbIcon->addItem(QIcon(Pictures::instance().statePicture(i)), QString());
    }

    QLabel* nameLabel =
        makeCaptionLabel(this, "lbName", QStringLiteral("Name"), QRect(8, 32, 89, 17));
    edName = makeFieldEdit(this, "edName", QRect(104, 32, 145, 21));
    nameAfterLabel(edName, nameLabel);

    QFrame* panel = makeButtonPanel(this, QRect(0, 59, 260, 41));
    btOK = makeOkButton(panel, QRect(72, 8, 87, 25));
    BtCancel = makeCancelButton(panel, QRect(168, 8, 85, 25));
    connect(btOK, &QPushButton::clicked, this, &frmObject::btOKClick);
    connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(edName, btOK);
    setTabOrder(btOK, BtCancel);
    setTabOrder(BtCancel, cbIcon);
    cbIcon->setFocus();
}

void frmObject::FormShow(const platform::ObjectFields& shown) {
    m_shown = shown;
    edName->setText(toQString(shown.name));
    const bool listed = shown.iconIndex >= 0 && shown.iconIndex < kStatePictureCount;
    cbIcon->setCurrentIndex(listed ? shown.iconIndex : -1);
    cbIcon->setFocus();
}

platform::ObjectFields frmObject::fields() const {
    // No entry chosen means the user left the icon alone: an index the list does not hold
    // stays as it was instead of turning the object into an attribute.
    const int entry = cbIcon->currentIndex();
    return {fieldBytes(edName->text(), m_shown.name), entry >= 0 ? entry : m_shown.iconIndex};
}

void frmObject::btOKClick() {
    if (warnOfRefusedField({{edName, m_shown.name}})) {
        return;
    }
    accept();
}

}  // namespace quorvia::ui
