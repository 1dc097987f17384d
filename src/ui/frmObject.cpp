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

    makeCaptionLabel(this, "Label1", QStringLiteral("Icon"), QRect(8, 8, 89, 17));
    cbIcon = new QComboBox(this);
    cbIcon->setObjectName(QStringLiteral("cbIcon"));
    cbIcon->setGeometry(104, 8, 49, 22);
    cbIcon->setEditable(false);
    cbIcon->setMaxVisibleItems(8);
    cbIcon->setIconSize(QSize(16, 16));
    for (int i = 0; i < kStatePictureCount; ++i) {
        cbIcon->addItem(QIcon(Pictures::instance().statePicture(i)), QString());
    }

    makeCaptionLabel(this, "lbName", QStringLiteral("Name"), QRect(8, 32, 89, 17));
    edName = new QLineEdit(this);
    edName->setObjectName(QStringLiteral("edName"));
    edName->setGeometry(104, 32, 145, 21);

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
    edName->setText(toQString(shown.name));
    const bool listed = shown.iconIndex >= 0 && shown.iconIndex < kStatePictureCount;
    cbIcon->setCurrentIndex(listed ? shown.iconIndex : -1);
    cbIcon->setFocus();
}

platform::ObjectFields frmObject::fields() const {
    return {toBytes(edName->text()), cbIcon->currentIndex()};
}

void frmObject::btOKClick() {
    accept();
}

}  // namespace quorvia::ui
