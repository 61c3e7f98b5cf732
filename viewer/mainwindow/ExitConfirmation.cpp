#include "ExitConfirmation.h"

#include <QMessageBox>
#include <QPushButton>

#include "LanguageTexts.h"

namespace vantory {

bool confirmExit(QWidget* parent, const TextSet& texts) {
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("exitConfirmation"));
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(texts.message(Msg::InfoTitle));
    box.setText(texts.message(Msg::ExitQuestion));
    QPushButton* ok = box.addButton(texts.message(Msg::Ok), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(texts.message(Msg::Cancel), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(static_cast<QAbstractButton*>(nullptr));
    box.exec();
    return box.clickedButton() == ok;
}

}  // namespace vantory
